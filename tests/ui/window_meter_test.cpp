// The level meters and the sound's warnings over the fakes.
#include "tests/ui/window_model_fixture.h"

#include <chrono>
#include <cmath>
#include <vector>

namespace ornavox::test {
namespace {

using namespace std::chrono_literals;
using Answer = Dialogs::Answer;

class WindowMeterTest : public WindowModelTest {
protected:
    WindowMeterTest()
    {
        card.add_source("Line In", MIXERLINE_COMPONENTTYPE_SRC_LINE, 100);
        card.add_source("Microphone", MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, 200);
    }
    void SetUp() override
    {
        create();
        type_source("Microphone");
        dispatcher.run_pending();
    }

    void record()
    {
        dialogs.answers = {Answer::Yes};
        form->handle(ControlId::hotlinkbutton3, ControlEvent::Click);
        dispatcher.run_pending();
    }
    // Sound in the pieces a server sends, each 10 ms, handed over at its time.
    void capture(std::chrono::milliseconds length, int16_t amplitude)
    {
        for (auto done = 0ms; done < length; done += 10ms) {
            if (amplitude == 0)
                device.fill(std::vector<int16_t>(2 * 441, 0));
            else
                device.fill_sine(441, 1000, amplitude);
            timers.advance(10ms);
            dispatcher.run_pending();
        }
    }
    // The meter's frames while nothing new comes.
    void wait(std::chrono::milliseconds length)
    {
        for (auto done = 0ms; done < length; done += kMeterFrame) {
            timers.advance(kMeterFrame);
            timers.fire(kMeterFrame);
        }
    }
    double skin_level() const { return view.meter(MeterPlace::Skin)->channels[0].level_db; }
    std::string hint_line() const { return view.text(ControlId::Label1); }
};

// The skin's meter reads the recorded sound while recording and paused, falls
// by itself, and goes at the stop; the panel's shows the same while uncovered.
TEST_F(WindowMeterTest, TheRecordingsLevelShowsInTheSkinAndTheUncoveredPanel)
{
    EXPECT_FALSE(view.meter(MeterPlace::Skin));
    record();
    capture(200ms, 16384);
    ASSERT_TRUE(view.meter(MeterPlace::Skin));
    EXPECT_NEAR(skin_level(), -6.0, 0.3);
    EXPECT_FALSE(view.meter(MeterPlace::Panel));
    form->handle(ControlId::hotlinkbutton9, ControlEvent::Click);
    ASSERT_TRUE(view.meter(MeterPlace::Panel));
    // Each is sent again only when its picture changes: within a pixel.
    EXPECT_NEAR(view.meter(MeterPlace::Panel)->channels[0].level_db, skin_level(), 1.6);
    EXPECT_EQ(levels.source(), "") << "no level stream beside a recording";

    form->handle(ControlId::hotlinkbutton3, ControlEvent::Click); // pause
    wait(1000ms);
    ASSERT_TRUE(view.meter(MeterPlace::Skin));
    EXPECT_NEAR(skin_level(), -26.0, 1.0);
    wait(4000ms);
    EXPECT_TRUE(view.meter(MeterPlace::Skin)->silent());
    EXPECT_EQ(timers.running(kMeterFrame), 0u) << "a still meter is not drawn again";

    form->handle(ControlId::hotlinkbutton4, ControlEvent::Click);
    EXPECT_FALSE(view.meter(MeterPlace::Skin));
}

// Before a recording the uncovered panel shows the chosen source's own level
// stream, which follows the choice and goes when the panel is covered or a
// recording starts.
TEST_F(WindowMeterTest, ThePanelWatchesTheChosenSourceOnlyWhileUncoveredAndNothingRecords)
{
    EXPECT_EQ(levels.source(), "");
    form->handle(ControlId::hotlinkbutton9, ControlEvent::Click);
    EXPECT_EQ(levels.source(), "id:Microphone");
    EXPECT_FALSE(view.meter(MeterPlace::Panel)) << "nothing shown before the first level";
    levels.send(0.5f);
    dispatcher.run_pending();
    ASSERT_TRUE(view.meter(MeterPlace::Panel));
    EXPECT_NEAR(view.meter(MeterPlace::Panel)->channels[1].level_db, -6.0, 0.1);
    EXPECT_FALSE(view.meter(MeterPlace::Skin));

    levels.send(0.5f);
    type_source("Line In");
    dispatcher.run_pending();
    EXPECT_EQ(levels.source(), "id:Line In");
    EXPECT_FALSE(view.meter(MeterPlace::Panel)) << "the old source's level is not shown for the new one";

    record();
    EXPECT_EQ(levels.source(), "");
    form->handle(ControlId::hotlinkbutton4, ControlEvent::Click);
    EXPECT_EQ(levels.source(), "id:Line In");
    form->handle(ControlId::hotlinkbutton9, ControlEvent::Click);
    EXPECT_EQ(levels.source(), "");
    EXPECT_FALSE(view.meter(MeterPlace::Panel));
}

// The warnings are the hint line's resting text while recording; a hovered
// button still shows its hint, and the cause going takes the warning away.
TEST_F(WindowMeterTest, SilenceAndClippingAreToldInTheHintLineUntilTheyGo)
{
    record();
    capture(9900ms, 0);
    EXPECT_NE(hint_line(), "No sound is coming from Microphone");
    capture(200ms, 0);
    EXPECT_EQ(hint_line(), "No sound is coming from Microphone");
    form->handle(ControlId::hotlinkbutton4, ControlEvent::PointerIn);
    EXPECT_EQ(hint_line(), "Stop record/playback");
    form->handle(ControlId::hotlinkbutton4, ControlEvent::PointerOut);
    EXPECT_EQ(hint_line(), "No sound is coming from Microphone");
    capture(50ms, 3000);
    EXPECT_EQ(hint_line(), form->program.SaveFile);

    capture(100ms, 32767);
    capture(1000ms, 3000);
    EXPECT_EQ(hint_line(), form->program.SaveFile) << "one second of clipping is let pass";
    capture(100ms, 32767);
    EXPECT_EQ(hint_line(), kClipWarning);
    EXPECT_EQ(form->taskstate, TaskState::Recording);
    EXPECT_TRUE(messages.messages.empty());
    capture(5000ms, 3000);
    EXPECT_EQ(hint_line(), form->program.SaveFile);

    capture(10100ms, 0);
    form->handle(ControlId::hotlinkbutton3, ControlEvent::Click); // pause
    EXPECT_EQ(hint_line(), form->program.SaveFile);
}

} // namespace
} // namespace ornavox::test
