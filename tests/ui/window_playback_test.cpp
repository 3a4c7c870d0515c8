// Playing the recording from the window, over the fake player.
#include "tests/ui/window_model_fixture.h"

namespace ornavox::test {
namespace {

class PlaybackTest : public WindowModelTest {
protected:
    void play() { form->hotlinkbutton1Click(ControlId::hotlinkbutton1); }
    void stop() { form->hotlinkbutton4Click(ControlId::hotlinkbutton4); }
    void tick() { form->Timer1Timer(ControlId::Timer1); }
    std::vector<std::string> calls_since(size_t first) const
    {
        return {player.calls().begin() + static_cast<std::ptrdiff_t>(first), player.calls().end()};
    }
};

TEST_F(PlaybackTest, APlayRunsToItsEndWithLengthPositionAndStatus)
{
    create();
    player.length = 83456;
    play();
    EXPECT_EQ(form->taskstate, TaskState::Playing);
    EXPECT_EQ(player.calls(), (std::vector<std::string>{"open " + form->program.SaveFile, "play", "length"}));
    EXPECT_EQ(view.text(ControlId::Label5), "Playing");
    EXPECT_EQ(view.text(ControlId::Label7), "83.456");

    player.position = 5000;
    tick();
    EXPECT_EQ(view.text(ControlId::Label3), "00:00:05");
    play();
    EXPECT_EQ(player.calls().size(), 4u) << "a second play does nothing";

    // An aborted play is not the end; the successful end is.
    player.end(MCI_NOTIFY_ABORTED);
    dispatcher.run_pending();
    EXPECT_EQ(form->taskstate, TaskState::Playing);
    view.calls.clear();
    player.end(MCI_NOTIFY_SUCCESSFUL);
    dispatcher.run_pending();
    EXPECT_EQ(form->taskstate, TaskState::Idle);
    EXPECT_EQ(view.text(ControlId::Label5), "Idle");
    EXPECT_EQ(view.imageid(ControlId::hotlinkbutton1), 0);
    EXPECT_EQ(std::count(view.calls.begin(), view.calls.end(), "show_normal_face hotlinkbutton1 "), 1)
        << "the face pressed for the play goes back to normal";
    EXPECT_EQ(view.hint(ControlId::hotlinkbutton1), "Playback the what recorded.");
    EXPECT_EQ(player.calls().back(), "close");
    EXPECT_EQ(view.text(ControlId::Label7), "83.456") << "the length stays";
    tick();
    EXPECT_EQ(view.text(ControlId::Label3), "No task.");
}

TEST_F(PlaybackTest, TextsFollowTheUsersLocaleAndTimeFormat)
{
    const struct {
        const char* decimal_separator;
        const char* time_format;
        uint64_t length;
        const char* length_text;
        const char* position_text;
    } cases[] = {
        {".", "h:mm:ss AP", 83456, "83.456", "0:00:05"},
        {",", "HH:mm:ss", 83456, "83,456", "00:00:05"},
        {".", "H:mm:ss", 5000, "5", "0:00:05"},
        {".", "H:mm:ss", 7250500, "7250.5", "0:00:05"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length_text);
        locale.decimal_separator = c.decimal_separator;
        locale.time_format = c.time_format;
        create();
        player.length = c.length;
        player.position = 5000;
        play();
        tick();
        EXPECT_EQ(view.text(ControlId::Label7), c.length_text);
        EXPECT_EQ(view.text(ControlId::Label3), c.position_text);
        stop();
        form.reset();
    }
}

TEST_F(PlaybackTest, StopEndsThePlayAndTheNextPlayOpensTheFileAnew)
{
    create();
    play();
    const size_t before = player.calls().size();
    stop();
    EXPECT_EQ(calls_since(before), (std::vector<std::string>{"stop", "close"}));
    EXPECT_EQ(form->taskstate, TaskState::Idle);
    dispatcher.run_pending(); // the aborted notification changes nothing
    player.end(MCI_NOTIFY_SUCCESSFUL);
    dispatcher.run_pending();
    EXPECT_EQ(player.calls().back(), "close");
    EXPECT_EQ(player.calls().size(), before + 2);

    play();
    EXPECT_EQ(player.calls()[before + 2], "open " + form->program.SaveFile);
}

TEST_F(PlaybackTest, PlayDoesNothingWhileRecordingOrPausedAndRecordSaysWhilePlaying)
{
    create();
    dialogs.answers = {Dialogs::Answer::Yes};
    form->hotlinkbutton3Click(ControlId::hotlinkbutton3);
    ASSERT_EQ(form->taskstate, TaskState::Recording);
    play();
    form->hotlinkbutton3Click(ControlId::hotlinkbutton3);
    ASSERT_EQ(form->taskstate, TaskState::Paused);
    play();
    EXPECT_TRUE(player.calls().empty());
    stop();
    dispatcher.run_pending();

    play();
    form->hotlinkbutton3Click(ControlId::hotlinkbutton3);
    EXPECT_EQ(messages.messages, std::vector<std::string>{"Still in playback mode"});
    EXPECT_EQ(form->taskstate, TaskState::Playing);
}

TEST_F(PlaybackTest, AFileThatCannotBePlayedIsReportedAndNothingStarts)
{
    create();
    view.texts[ControlId::Label7] = "Filesize: 1,234 bytes";
    player.unplayable.insert(form->program.SaveFile);
    const std::string status = view.text(ControlId::Label5);
    play();
    EXPECT_EQ(messages.messages, std::vector<std::string>{"Cannot open file " + form->program.SaveFile});
    EXPECT_EQ(form->taskstate, TaskState::Idle);
    EXPECT_EQ(view.text(ControlId::Label5), status) << "nothing said Playing";
    EXPECT_EQ(view.text(ControlId::Label7), "Filesize: 1,234 bytes");
    EXPECT_EQ(player.calls().size(), 1u);
}

TEST_F(PlaybackTest, APlayThatFailsMidwayEndsWithAMessage)
{
    create();
    play();
    player.end(MCI_NOTIFY_FAILURE, "the sound server went away (Connection terminated)");
    dispatcher.run_pending();
    EXPECT_EQ(form->taskstate, TaskState::Idle);
    EXPECT_EQ(view.text(ControlId::Label5), "Idle");
    EXPECT_EQ(messages.messages,
              std::vector<std::string>{"Playback of " + form->program.SaveFile
                                       + " stopped: the sound server went away (Connection terminated)."});
    EXPECT_EQ(player.calls().back(), "close");
}

TEST_F(PlaybackTest, ClosingWhilePlayingSendsNothingAndALateEndIsNotHandled)
{
    create();
    play();
    const size_t before = player.calls().size();
    form->close();
    player.end(MCI_NOTIFY_SUCCESSFUL);
    dispatcher.run_pending();
    EXPECT_EQ(player.calls().size(), before);
    EXPECT_EQ(form->taskstate, TaskState::Playing);
}

} // namespace
} // namespace ornavox::test
