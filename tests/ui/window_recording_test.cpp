#include "base/utf8_path.h"
#include "tests/support/file_lock.h"
#include "tests/support/mp3_decode.h"
#include "tests/ui/window_model_fixture.h"

#include <filesystem>
#include <fstream>

namespace ornavox::test {
namespace {

using Answer = Dialogs::Answer;

class RecordingControl : public WindowModelTest {
protected:
    void SetUp() override { create(); }

    // The user types into a format box, or picks one of its items.
    void type_format(ControlId box, const std::string& text)
    {
        view.boxes[box].text = text;
        form->ComboBox2Change(box);
    }

    void record() { form->hotlinkbutton3Click(ControlId::hotlinkbutton3); }
    void stop() { form->hotlinkbutton4Click(ControlId::hotlinkbutton4); }

    // A second of sound reaches the window's recording, in pieces the size a
    // sound server delivers, each handled before the next arrives.
    void capture_second()
    {
        for (int piece = 0; piece < 100; ++piece) {
            device.fill_sine(441, 1000);
            dispatcher.run_pending();
        }
    }

    void finish()
    {
        form->audiorec1->finish_closing();
        dispatcher.run_pending();
    }

    size_t opens() const { return std::count(device.calls().begin(), device.calls().end(), "open"); }

    std::string save_file() const { return form->program.SaveFile; }

    std::string written_setting(const std::string& section, const std::string& key) const
    {
        return form->program.Settings.read_string(section, key, "<none>");
    }
};

TEST_F(RecordingControl, FirstRecordAsksEvenForAMissingFileAndYesCreatesIt)
{
    ASSERT_FALSE(std::filesystem::exists(save_file()));
    dialogs.answers = {Answer::Yes};
    record();
    dispatcher.run_pending();

    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.questions[0].caption, "MP3 File already exists");
    EXPECT_EQ(dialogs.questions[0].text, "Append to exists file or save to new file?");
    EXPECT_EQ(form->taskstate, TaskState::Recording);
    EXPECT_EQ(form->audiorec1->filename, save_file());
    EXPECT_TRUE(form->audiorec1->append);
    EXPECT_EQ(view.imageid(ControlId::hotlinkbutton3), 1);
    EXPECT_EQ(view.hint(ControlId::hotlinkbutton3), "Record pause");
    EXPECT_EQ(view.text(ControlId::Label5), "Recording");

    capture_second();
    stop();
    finish();
    EXPECT_GT(std::filesystem::file_size(save_file()), 0u);
}

// Record, pause, record continues the same file without asking again; the
// button goes record, pause, record, pause; the file decodes as one stream.
TEST_F(RecordingControl, PauseAndResumeContinueOneFileWithoutAsking)
{
    dialogs.answers = {Answer::Yes};
    std::vector<int> faces{view.imageid(ControlId::hotlinkbutton3)};
    record();
    faces.push_back(view.imageid(ControlId::hotlinkbutton3));
    capture_second();

    record(); // pause
    faces.push_back(view.imageid(ControlId::hotlinkbutton3));
    EXPECT_EQ(form->taskstate, TaskState::Paused);
    EXPECT_EQ(view.text(ControlId::Label5), "Pause");
    EXPECT_EQ(view.hint(ControlId::hotlinkbutton3), "Record  what playback");
    EXPECT_TRUE(form->audiorec1->append);
    dispatcher.run_pending();

    record(); // resume
    faces.push_back(view.imageid(ControlId::hotlinkbutton3));
    EXPECT_EQ(form->taskstate, TaskState::Recording);
    EXPECT_EQ(dialogs.questions.size(), 1u);
    capture_second();
    stop();
    finish();

    EXPECT_EQ(faces, (std::vector<int>{2, 1, 2, 1}));
    const DecodedMp3 decoded = decode_mp3_file(save_file());
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    // Each of the two encoder runs adds its delay and pads its last frame.
    EXPECT_GE(decoded.frames(), 2u * 44100);
    EXPECT_LE(decoded.frames(), 2u * 44100 + 2 * (1105 + 1152));
}

TEST_F(RecordingControl, RecordAfterPauseAndStopAnsweredYesAppends)
{
    dialogs.answers = {Answer::Yes, Answer::Yes};
    record();
    capture_second();
    record(); // pause
    stop();
    dispatcher.run_pending();
    const auto first_size = std::filesystem::file_size(save_file());
    EXPECT_EQ(form->taskstate, TaskState::Idle);

    record();
    dispatcher.run_pending();
    EXPECT_EQ(dialogs.questions.size(), 2u);
    EXPECT_EQ(form->audiorec1->mp3size, first_size);
    capture_second();
    stop();
    finish();
    EXPECT_GT(std::filesystem::file_size(save_file()), first_size);
}

TEST_F(RecordingControl, StopFromEveryStateResetsButtonsAndStatus)
{
    for (TaskState from : {TaskState::Idle, TaskState::Paused, TaskState::Playing}) {
        form->taskstate = from;
        view.buttons[ControlId::hotlinkbutton3].imageid = 1;
        view.buttons[ControlId::hotlinkbutton1].imageid = 1;
        view.texts[ControlId::Label5] = "Pause";
        stop();
        EXPECT_EQ(form->taskstate, TaskState::Idle);
        EXPECT_EQ(view.imageid(ControlId::hotlinkbutton3), 2);
        EXPECT_EQ(view.hint(ControlId::hotlinkbutton3), "Record  what playback");
        EXPECT_EQ(view.imageid(ControlId::hotlinkbutton1), 0);
        EXPECT_EQ(view.hint(ControlId::hotlinkbutton1), "Playback the what recorded.");
        EXPECT_EQ(view.text(ControlId::Label5), "Idle");
    }
    EXPECT_TRUE(device.calls().empty()) << "stop without a recording touched the device";

    dialogs.answers = {Answer::Yes};
    record();
    capture_second();
    stop();
    EXPECT_EQ(form->audiorec1->state, 0);
    dispatcher.run_pending();
    EXPECT_EQ(device.calls().back(), "close");

    // Stopped while paused, the recording gets its encoder's tail and the
    // file is let go.
    dialogs.answers = {Answer::Yes};
    record();
    capture_second();
    record();
    dispatcher.run_pending();
    EXPECT_TRUE(form->audiorec1->paused());
    stop();
    EXPECT_FALSE(form->audiorec1->paused());
    EXPECT_TRUE(test::file_is_free(save_file()));
}

// The time code is an elapsed time in the user's way of writing times, never
// a time of day: en_US, de_DE and fi_FI.
TEST_F(RecordingControl, TheTimeCodeIsAnElapsedTimeInTheUsersFormat)
{
    for (const auto& [pattern, shown] :
         {std::pair{"h:mm:ss AP", "0:00:01"}, std::pair{"HH:mm:ss", "00:00:01"}, std::pair{"H.mm.ss", "0.00.01"}}) {
        form.reset();
        locale.time_format = pattern;
        create();
        dialogs.answers = {Answer::Yes};
        record();
        capture_second();
        form->Timer1Timer(ControlId::Timer1);
        EXPECT_EQ(view.text(ControlId::Label3), shown);
        stop();
        finish();
    }
}

// Appended to, a file keeps its rate, and the format line says so while it
// records; the boxes keep the user's choice.
TEST_F(RecordingControl, TheFormatLineShowsTheRateOfTheFileAppendedTo)
{
    type_format(ControlId::ComboBox2, "48000");
    dialogs.answers = {Answer::Yes};
    record();
    capture_second();
    stop();
    finish();

    type_format(ControlId::ComboBox2, "44100");
    dialogs.answers = {Answer::Yes};
    record();
    EXPECT_EQ(device.format().samples_per_sec, 48000u);
    EXPECT_EQ(view.text(ControlId::Label4), "MP3 Stereo 48000Hz 128kbps");
    stop();
    finish();
    EXPECT_EQ(view.text(ControlId::Label4), "MP3 Stereo 44100Hz 128kbps");
    EXPECT_EQ(written_setting("mp3", "samples"), "44100");
}

TEST_F(RecordingControl, RecordWhilePlayingOnlyShowsTheMessage)
{
    form->taskstate = TaskState::Playing;
    record();
    EXPECT_EQ(messages.messages, (std::vector<std::string>{"Still in playback mode"}));
    EXPECT_EQ(form->taskstate, TaskState::Playing);
    EXPECT_TRUE(dialogs.questions.empty());
    EXPECT_TRUE(device.calls().empty());
}

// No asks for a new file: the chosen file is replaced even though an earlier
// Yes set append, and the dialog's settings and the path keys follow. The
// name is UTF-8 text, kept as it is, whatever the system's code page.
TEST_F(RecordingControl, NoChoosesANewFileThatIsNotAppendedTo)
{
    const std::string chosen = folder.path() + "\xD0\x81\xD0\xBB\xD0\xBA\xD0\xB0 2.mp3"; // "Ёлка 2.mp3"
    std::ofstream(utf8_path(chosen), std::ios::binary) << std::string(5000, 'x');
    form->audiorec1->append = true;
    dialogs.answers = {Answer::No};
    dialogs.save_results = {chosen};
    record();
    dispatcher.run_pending();

    ASSERT_EQ(dialogs.save_requests.size(), 1u);
    const Dialogs::SaveFileOptions& options = dialogs.save_requests[0];
    EXPECT_EQ(options.initial_dir, folder.path());
    EXPECT_EQ(options.initial_name, "*.mp3");
    EXPECT_EQ(options.default_suffix, "mp3");
    EXPECT_EQ(options.filters,
              (std::vector<std::pair<std::string, std::string>>{
                  {"MP3 files", "*.mp3"}, {"Wave files", "*.wav"}, {"Raw files", "*.raw"}}));

    EXPECT_EQ(form->taskstate, TaskState::Recording);
    EXPECT_FALSE(form->audiorec1->append);
    EXPECT_EQ(form->audiorec1->filename, chosen);
    EXPECT_EQ(form->audiorec1->mp3size, 0u);
    EXPECT_EQ(view.text(ControlId::Edit1), "\xD0\x81\xD0\xBB\xD0\xBA\xD0\xB0 2.mp3");
    EXPECT_EQ(written_setting("path", "savefile"), chosen);
    EXPECT_EQ(written_setting("path", "savepath"), folder.path());

    stop();
    finish();
    dialogs.save_results = {std::nullopt};
    form->SpeedButton1Click(ControlId::SpeedButton1);
    EXPECT_EQ(dialogs.save_requests.back().initial_name, "\xD0\x81\xD0\xBB\xD0\xBA\xD0\xB0 2.mp3");
}

TEST_F(RecordingControl, NoThenCancelStartsNothingButWritesThePathKeys)
{
    const std::string before = save_file();
    dialogs.answers = {Answer::No};
    dialogs.save_results = {std::nullopt};
    record();

    EXPECT_EQ(form->taskstate, TaskState::Idle);
    EXPECT_EQ(opens(), 0u);
    EXPECT_EQ(save_file(), before);
    EXPECT_EQ(written_setting("path", "savefile"), before);
    EXPECT_EQ(written_setting("path", "savepath"), folder.path());
    EXPECT_EQ(view.imageid(ControlId::hotlinkbutton3), 2);
}

// Escape, or the box's close button, takes the record press back: no save
// dialog, no file, no setting.
TEST_F(RecordingControl, TheQuestionPutAwayStartsNothingAndAsksNothingMore)
{
    dialogs.answers = {Answer::Cancel};
    record();

    EXPECT_EQ(form->taskstate, TaskState::Idle);
    EXPECT_EQ(opens(), 0u);
    EXPECT_FALSE(form->program.Settings.section_exists("path"));
    EXPECT_EQ(view.imageid(ControlId::hotlinkbutton3), 2);
}

TEST_F(RecordingControl, RecordArrivingWhileTheQuestionIsOpenIsIgnored)
{
    dialogs.answers = {Answer::Yes};
    dialogs.during_modal = [this] {
        record();
        form->Timer1Timer(ControlId::Timer1);
    };
    record();
    dispatcher.run_pending();
    EXPECT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(opens(), 1u);
    EXPECT_EQ(form->taskstate, TaskState::Recording);
    stop();
    finish();
}

TEST_F(RecordingControl, StopWhileTheDialogIsOpenCancelsTheStart)
{
    dialogs.answers = {Answer::No};
    dialogs.save_results = {folder.path() + "new.mp3"};
    dialogs.during_modal = [this] { stop(); };
    record();
    EXPECT_EQ(opens(), 0u);
    EXPECT_EQ(form->taskstate, TaskState::Idle);
    EXPECT_EQ(view.text(ControlId::Label5), "Idle");
}

// Resuming right after a pause lets the paused recording finish closing first,
// which runs the event loop; a stop handled in that time wins.
TEST_F(RecordingControl, StopWhileResumeWaitsForThePauseToCloseCancelsTheResume)
{
    dialogs.answers = {Answer::Yes};
    record();
    capture_second();
    dispatcher.post([this] { stop(); });
    record(); // pause; its last buffers are still on their way
    record(); // resume
    finish();
    EXPECT_EQ(form->taskstate, TaskState::Idle);
    EXPECT_EQ(form->audiorec1->state, 0);
    EXPECT_EQ(view.text(ControlId::Label5), "Idle");
    EXPECT_EQ(view.imageid(ControlId::hotlinkbutton3), 2);
}

// A rec() that fails leaves the window as it was and says why; it never shows
// a recording that is not happening.
TEST_F(RecordingControl, FailedStartLeavesStateButtonsAndStatus)
{
    device.fail_next_open("No sound server");
    dialogs.answers = {Answer::Yes};
    record();
    EXPECT_EQ(form->taskstate, TaskState::Idle);
    EXPECT_EQ(view.imageid(ControlId::hotlinkbutton3), 2);
    EXPECT_EQ(view.text(ControlId::Label5), "Idle");
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_NE(messages.messages[0].find("No sound server"), std::string::npos) << messages.messages[0];

    const std::string missing = folder.path() + "no/such/folder/x.mp3";
    dialogs.answers = {Answer::No};
    dialogs.save_results = {missing};
    record();
    EXPECT_EQ(form->taskstate, TaskState::Idle);
    ASSERT_EQ(messages.messages.size(), 2u);
    EXPECT_EQ(messages.messages[1], "Cannot create file " + missing);
}

TEST_F(RecordingControl, TimerShowsTimeAndSizeOnlyWhileRecording)
{
    EXPECT_EQ(view.text(ControlId::Label3), "Ready");
    form->Timer1Timer(ControlId::Timer1);
    EXPECT_EQ(view.text(ControlId::Label3), "No task.");

    dialogs.answers = {Answer::Yes};
    record();
    dispatcher.run_pending();
    form->Timer1Timer(ControlId::Timer1);
    EXPECT_EQ(view.text(ControlId::Label7), "Filesize:        0 bytes");
    EXPECT_EQ(view.text(ControlId::Label3), "00:00:00");

    capture_second();
    form->audiorec1->mp3size = 1234567;
    form->Timer1Timer(ControlId::Timer1);
    EXPECT_EQ(view.text(ControlId::Label7), "Filesize: 1,234,567 bytes");
    EXPECT_EQ(view.text(ControlId::Label3), "00:00:01");

    record(); // pause: the last time and size stay
    form->Timer1Timer(ControlId::Timer1);
    EXPECT_EQ(view.text(ControlId::Label3), "00:00:01");
    EXPECT_EQ(view.text(ControlId::Label7), "Filesize: 1,234,567 bytes");
    stop();
    finish();
}

TEST_F(RecordingControl, FormatBoxesSetTheComponentLabelAndSettings)
{
    type_format(ControlId::ComboBox2, "48000");
    type_format(ControlId::ComboBox3, "abc");
    EXPECT_EQ(form->audiorec1->samples, 48000);
    EXPECT_EQ(form->audiorec1->bps, 128);
    EXPECT_EQ(view.text(ControlId::Label4), "MP3 Stereo 48000Hz abckbps");
    EXPECT_EQ(form->program.Settings.read_integer("mp3", "bps", -1), 128);
    EXPECT_EQ(form->program.Settings.read_integer("mp3", "samples", -1), 48000);

    type_format(ControlId::ComboBox3, "192");
    EXPECT_EQ(form->audiorec1->bps, 192);
}

TEST_F(RecordingControl, ModeButtonTogglesFaceAndHintOnly)
{
    form->hotlinkbutton10Click(ControlId::hotlinkbutton10);
    EXPECT_EQ(view.imageid(ControlId::hotlinkbutton10), 3);
    EXPECT_EQ(view.hint(ControlId::hotlinkbutton10), "Record in voice  mode.");
    form->hotlinkbutton10Click(ControlId::hotlinkbutton10);
    EXPECT_EQ(view.imageid(ControlId::hotlinkbutton10), 2);
    EXPECT_EQ(view.hint(ControlId::hotlinkbutton10), "Record in music  mode.");
    EXPECT_TRUE(device.calls().empty());
}

} // namespace
} // namespace ornavox::test

namespace ornavox::test {
namespace {

// Save files with blanks, quotes, non-ASCII characters and a 255-byte name,
// and a save folder reached through a symbolic link, record and append; a
// missing folder says so and the window stays Idle.
TEST_F(RecordingControl, AwkwardSaveFilesRecordAndAppend)
{
    // Names are UTF-8, as the window keeps them, whatever the system's code page.
    const auto fs_path = [](const std::string& utf8) {
        return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
    };
    const std::string base = folder.path() + "takes/";
    std::filesystem::create_directories(fs_path(base + "real folder"));
#ifdef _WIN32
    const char* const quotes = "with blank and 'quote'.mp3"; // Windows names hold no double quote
#else
    const char* const quotes = "with blank and 'quote' \"too\".mp3";
#endif
    std::vector<std::string> names = {
        base + quotes,
        base + "Gr\xc3\xbc\xc3\x9f\x65 \xe6\x97\xa5\xe6\x9c\xac.mp3",
        base + std::string(251, 'n') + ".mp3",
    };
    // Where the system makes symbolic links (Wine does not).
    std::error_code no_link;
    std::filesystem::create_directory_symlink(fs_path(base + "real folder"), fs_path(base + "linked"), no_link);
    if (!no_link)
        names.push_back(base + "linked/through a link.mp3");
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        form->program.SaveFile = name;
        dialogs.answers = {Dialogs::Answer::Yes, Dialogs::Answer::Yes};
        record();
        capture_second();
        stop();
        finish();
        const auto first = std::filesystem::file_size(fs_path(name));
        record();
        capture_second();
        stop();
        finish();
        ASSERT_EQ(form->taskstate, TaskState::Idle);
        EXPECT_GT(std::filesystem::file_size(fs_path(name)), first) << "appended";
        const test::DecodedMp3 decoded = test::decode_mp3_file(name);
        EXPECT_TRUE(decoded.ok()) << decoded.error;
    }
    EXPECT_TRUE(messages.messages.empty()) << messages.messages[0];

    const std::string missing = base + "no such folder/take.mp3";
    form->program.SaveFile = missing;
    dialogs.answers = {Dialogs::Answer::Yes};
    record();
    EXPECT_EQ(form->taskstate, TaskState::Idle);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0], "Cannot create file " + missing);
}

} // namespace
} // namespace ornavox::test
