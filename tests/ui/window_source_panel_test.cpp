// The record source panel over the fake sound card.
#include "tests/ui/window_model_fixture.h"

#include <chrono>

namespace ornavox::test {
namespace {

using namespace std::chrono_literals;

class SourcePanelTest : public WindowModelTest {
protected:
    SourcePanelTest()
    {
        card.add_source("Line In", MIXERLINE_COMPONENTTYPE_SRC_LINE, 100);
        card.add_source("Microphone", MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, 200);
        card.add_source("CD Player", MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC, 300);
        card.add_source("Stereo Mix", MIXERLINE_COMPONENTTYPE_SRC_ANALOG, 400);
        card.add_playback("Wave", 2000, 1);
        card.add_playback("Synth", 70000, 0);
    }

    // The item the card's MUX has selected.
    int selected_item() const
    {
        const auto& state = card.mux_state();
        return static_cast<int>(std::find(state.begin(), state.end(), 1u) - state.begin());
    }
};

TEST_F(SourcePanelTest, StartUpRestoresTheSavedSource)
{
    const struct {
        const char* audio; // the "audio" section, nullptr for none
        ControlId checked;
        int list_item; // -1: none selected
        const char* label;
        int mux_item;
        const char* written;
    } cases[] = {
        {nullptr, ControlId::RadioButton4, 3, "Record source->Stereo Mix", 3,
         "audioline=0\r\nsource=3\r\nsourcename=id:Stereo Mix"},
        {"audioline=0\r\nsource=2", ControlId::RadioButton4, 2, "Record source->CD Player", 2,
         "audioline=0\r\nsource=2\r\nsourcename=id:CD Player"},
        {"audioline=2\r\nsource=0", ControlId::RadioButton2, 3, "Record source->Microphone", 1,
         "audioline=2\r\nsource=3"},
        {"audioline=7\r\nsource=3", ControlId::RadioButton4, 3, "Record source->Stereo Mix", 3,
         "audioline=0\r\nsource=3\r\nsourcename=id:Stereo Mix"},
        {"audioline=0\r\nsource=9", ControlId::RadioButton4, -1, "Record source->Unkown", 0,
         "audioline=0\r\nsource=0\r\nsourcename=id:Line In"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.audio ? c.audio : "no audio section");
        card.select(0);
        folder.write_config(c.audio ? std::string("[audio]\r\n") + c.audio + "\r\n" : "");
        create();
        EXPECT_TRUE(view.checked(c.checked));
        EXPECT_EQ(view.boxes[ControlId::ComboBox1].items.size(), 4u);
        EXPECT_EQ(view.selected_item(ControlId::ComboBox1), c.list_item);
        EXPECT_EQ(view.text(ControlId::Label6), c.label);
        EXPECT_EQ(selected_item(), c.mux_item);
        form->close();
        EXPECT_EQ(folder.read_config(), std::string("[audio]\r\n") + c.written + "\r\n\r\n");
        form.reset();
    }
    EXPECT_TRUE(messages.messages.empty()) << messages.messages[0];
}

TEST_F(SourcePanelTest, ASavedMicrophoneIsSelectedOnTheMixerTwiceAtStartUp)
{
    folder.write_config("[audio]\r\naudioline=2\r\nsource=1\r\n");
    create();
    // One read of the MUX by open, one by each select_mux.
    EXPECT_EQ(card.mux_reads(), 3);
    EXPECT_EQ(view.position(ControlId::TrackBar1), 200) << "the microphone's level";
}

TEST_F(SourcePanelTest, AutoDetectWhileLineInIsSelectedOnlyShowsTheDetectedSource)
{
    folder.write_config("[audio]\r\naudioline=1\r\nsource=-1\r\n");
    create();
    view.select_item(ControlId::ComboBox1, 0);
    form->SpeedButton3Click(ControlId::SpeedButton3);
    EXPECT_EQ(view.selected_item(ControlId::ComboBox1), 3);
    EXPECT_EQ(view.text(ControlId::Label6), "Record source->Line In");
    EXPECT_TRUE(view.checked(ControlId::RadioButton1));
    EXPECT_EQ(selected_item(), 0) << "line in is still recorded";
}

TEST_F(SourcePanelTest, ARadioButtonClickedRecordsItsLine)
{
    create();
    select_radio(ControlId::RadioButton2);
    EXPECT_EQ(view.text(ControlId::Label6), "Record source->Microphone");
    EXPECT_EQ(selected_item(), 1);
    EXPECT_EQ(view.position(ControlId::TrackBar1), 200) << "the microphone's level";
    EXPECT_EQ(form->program.Settings.read_integer("audio", "audioline", -1), 2);
    select_radio(ControlId::RadioButton1);
    EXPECT_FALSE(view.checked(ControlId::RadioButton2)) << "one of the group at a time";
    EXPECT_EQ(selected_item(), 0);
}

TEST_F(SourcePanelTest, FocusingTheListSelectsItsRadioButtonOnce)
{
    folder.write_config("[audio]\r\naudioline=1\r\nsource=-1\r\n");
    create();
    const auto focus_list = [this] { form->ComboBox1Enter(ControlId::ComboBox1); };
    focus_list();
    EXPECT_TRUE(view.checked(ControlId::RadioButton4));
    EXPECT_EQ(view.text(ControlId::Label6), "Record source->Stereo Mix");
    EXPECT_EQ(selected_item(), 3);

    const int reads = card.mux_reads();
    focus_list();
    EXPECT_EQ(card.mux_reads(), reads) << "already the list's source: nothing runs";
}

TEST_F(SourcePanelTest, TypedTextThatNamesNoItemChoosesItemZero)
{
    folder.write_config("[audio]\r\naudioline=0\r\nsource=2\r\n");
    create();
    type_source("Tape");
    EXPECT_EQ(view.text(ControlId::Label6), "Record source->Tape");
    EXPECT_EQ(selected_item(), 0);
    form->close();
    EXPECT_EQ(folder.read_config(), "[audio]\r\naudioline=0\r\nsource=0\r\nsourcename=id:Line In\r\n\r\n");
}

// The stored name decides where the list changed order since; a stored
// source that is gone is chosen as gone, nothing else in its place, and the
// stored choice stays as it was.
TEST_F(SourcePanelTest, TheStoredSourceNameDecidesAndAMissingOneChoosesNothing)
{
    folder.write_config("[audio]\r\naudioline=0\r\nsource=1\r\nsourcename=id:CD Player\r\n");
    create();
    EXPECT_EQ(view.selected_item(ControlId::ComboBox1), 2);
    EXPECT_EQ(selected_item(), 2);
    EXPECT_EQ(view.text(ControlId::Label6), "Record source->CD Player");
    form->close();
    EXPECT_EQ(folder.read_config(), "[audio]\r\naudioline=0\r\nsource=2\r\nsourcename=id:CD Player\r\n\r\n");
    form.reset();

    const std::string gone = "[audio]\r\naudioline=0\r\nsource=1\r\nsourcename=id:USB Microphone\r\n\r\n";
    folder.write_config(gone);
    create();
    EXPECT_EQ(view.selected_item(ControlId::ComboBox1), -1);
    EXPECT_EQ(view.text(ControlId::Label6), "Record source->id:USB Microphone");
    EXPECT_EQ(card.missing_source(), "id:USB Microphone");
    EXPECT_EQ(std::count(card.mux_state().begin(), card.mux_state().end(), 1u), 0) << "no other source is chosen";
    form->close();
    EXPECT_EQ(folder.read_config(), gone);
    form.reset();

    // Until the user chooses: then the choice is stored as always.
    folder.write_config(gone);
    create();
    type_source("Microphone");
    form->close();
    EXPECT_EQ(folder.read_config(), "[audio]\r\naudioline=0\r\nsource=1\r\nsourcename=id:Microphone\r\n\r\n");
}

TEST_F(SourcePanelTest, RowsHaveTheirNamesAndValues)
{
    create();
    EXPECT_EQ(view.rows, (std::vector<std::string>{"Speakers", "Wave", "Synth"}));
    EXPECT_TRUE(view.checked({ControlId::MuteBox, 1}));
    EXPECT_FALSE(view.checked({ControlId::MuteBox, 2}));
    EXPECT_EQ(view.position({ControlId::VolumeBar, 1}), 2000);
    EXPECT_EQ(view.position({ControlId::VolumeBar, 2}), 65535) << "clamped";
    EXPECT_EQ(view.boxes[ControlId::ComboBox1].items,
              (std::vector<std::string>{"Line In", "Microphone", "CD Player", "Stereo Mix"}));
}

TEST_F(SourcePanelTest, LevelsAndMutesGoBothWays)
{
    create();
    dispatcher.run_pending();
    card.forget_writes();

    // A click mutes; the card's answer changes nothing more.
    click_row(0);
    dispatcher.run_pending();
    EXPECT_EQ(card.control_value(card.playback_mute_control(0)), 1u);
    EXPECT_EQ(card.writes().size(), 1u);

    // Another program unmutes and changes a level: the rows follow.
    card.change_from_outside(card.playback_mute_control(1), 0);
    card.change_from_outside(card.playback_volume_control(1), 3000);
    card.change_from_outside(card.source_volume_control(3), 5000);
    dispatcher.run_pending();
    EXPECT_FALSE(view.checked({ControlId::MuteBox, 1}));
    EXPECT_EQ(view.position({ControlId::VolumeBar, 1}), 3000);
    EXPECT_EQ(view.position(ControlId::TrackBar1), 5000) << "the selected source's level";
}

TEST_F(SourcePanelTest, ADraggedBarWritesAtMostEvery50MsAndEndsWhereTheUserLetGo)
{
    create();
    dispatcher.run_pending();
    timers.fire(50ms); // the start-up writes are out
    timers.fire(50ms);
    card.forget_writes();
    const Control bar{ControlId::VolumeBar, 1};
    form->handle(bar, ControlEvent::ThumbHeld);
    for (int value = 2100; value <= 4000; value += 100)
        drag_bar(bar, value);
    EXPECT_EQ(card.writes().size(), 1u) << "the first move goes out at once";

    // The server reports the first value while the user still holds the thumb.
    dispatcher.run_pending();
    EXPECT_EQ(view.position(bar), 4000) << "the thumb stays under the pointer";
    timers.fire(50ms);
    form->handle(bar, ControlEvent::ThumbReleased);
    ASSERT_EQ(card.writes().size(), 2u);
    EXPECT_EQ(card.control_value(card.playback_volume_control(1)), 4000u);
    timers.fire(50ms);
    EXPECT_EQ(card.writes().size(), 2u) << "nothing more came";
}

TEST_F(SourcePanelTest, AChangeOfLinesRebuildsThePanelWithoutWritingAndKeepsTheChoice)
{
    folder.write_config("[audio]\r\naudioline=0\r\nsource=2\r\n");
    create();
    dispatcher.run_pending();
    card.forget_writes();
    card.add_playback("Video Call", 1234, 0);
    card.change_lines_from_outside();
    dispatcher.run_pending();
    timers.fire(0ms);

    EXPECT_EQ(view.boxes[ControlId::ComboBox1].items.size(), 4u) << "replaced, not appended to";
    EXPECT_EQ(view.selected_item(ControlId::ComboBox1), 2);
    EXPECT_EQ(view.text(ControlId::Label6), "Record source->CD Player");
    ASSERT_EQ(view.rows.size(), 4u);
    EXPECT_EQ(view.position({ControlId::VolumeBar, 3}), 1234);
    dispatcher.run_pending();
    for (const std::string& write : card.writes())
        EXPECT_EQ(write.rfind("value", 0), std::string::npos) << write;
}

} // namespace
} // namespace ornavox::test
