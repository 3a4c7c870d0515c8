#include "tests/ui/window_model_fixture.h"

#include "base/shortcut_text.h"
#include "tests/support/mp3_decode.h"
#include "tests/support/temporary_folder.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace ornavox::test {
namespace {

constexpr TShortCut kShiftCtrl = kShortcutShift | kShortcutCtrl;

class WindowStartTest : public WindowModelTest {
protected:
    void record_a_moment();
};

TEST_F(WindowStartTest, FirstStartWithoutSettings)
{
    create();
    const ProgramValues& p = form->program;
    EXPECT_EQ(p.ProgramDir, folder.path());
    EXPECT_EQ(p.DefaultSaveFile, folder.path() + "save.mp3");
    EXPECT_EQ(p.SaveFile, folder.path() + "save.mp3");
    EXPECT_EQ(p.SaveDir, folder.path());
    EXPECT_EQ(view.text(ControlId::Edit1), p.SaveFile) << "the full path at start-up";
    EXPECT_EQ(view.edit_text(ControlId::ComboBox2), "44100");
    EXPECT_EQ(view.edit_text(ControlId::ComboBox3), "128");
    EXPECT_EQ(view.text(ControlId::Label4), "MP3 44100 hz 128kbps");
    EXPECT_EQ(form->audiorec1->samples, 0) << "replaced when a recording starts";
    EXPECT_EQ(form->audiorec1->bps, 0);
    EXPECT_EQ(view.hotkey(ControlId::HotKey1), kShiftCtrl | 0x78);
    EXPECT_EQ(view.hotkey(ControlId::HotKey2), kShiftCtrl | 0x79);
    EXPECT_EQ(view.hotkey(ControlId::HotKey3), kShiftCtrl | 0x7A);
    EXPECT_EQ(ShortCutToText(view.hotkey(ControlId::HotKey1)), "Shift+Ctrl+F9");
    EXPECT_TRUE(view.checked(ControlId::RadioButton4));
    EXPECT_EQ(view.text(ControlId::Label6), "Record source->Unkown");
    EXPECT_EQ(view.layout, Layout::Compact) << "the panels lie beyond the edge";
    EXPECT_EQ(form->taskstate, TaskState::Idle);
    EXPECT_EQ(folder.read_config(), "<missing>") << "settings are written only at close";

    form->close();
    EXPECT_EQ(folder.read_config(), "[audio]\r\naudioline=0\r\nsource=0\r\n\r\n");
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(WindowStartTest, SavedPathsAreRestored)
{
    folder.write_config("[path]\r\nsavepath=/music/\r\nsavefile=/music/take.mp3\r\n");
    create();
    EXPECT_EQ(form->program.SaveDir, "/music/");
    EXPECT_EQ(form->program.SaveFile, "/music/take.mp3");
    EXPECT_EQ(view.text(ControlId::Edit1), "/music/take.mp3");
}

TEST_F(WindowStartTest, FormatFromTheMp3Section)
{
    const struct {
        const char* mp3_section;
        const char* samples_box;
        const char* bps_box;
        int samples;
        int bps;
    } cases[] = {
        {"samples=48000", "48000", "128", 48000, 128},
        {"bps=0x80", "44100", "128", 44100, 128},
        {"samples=32000\r\nbps=192", "32000", "192", 32000, 192},
        {"samples=many\r\nbps=", "44100", "128", 44100, 128},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mp3_section);
        folder.write_config(std::string("[mp3]\r\n") + c.mp3_section + "\r\n");
        create();
        EXPECT_EQ(view.edit_text(ControlId::ComboBox2), c.samples_box);
        EXPECT_EQ(view.edit_text(ControlId::ComboBox3), c.bps_box);
        EXPECT_EQ(form->audiorec1->samples, c.samples);
        EXPECT_EQ(form->audiorec1->bps, c.bps);
        EXPECT_EQ(view.text(ControlId::Label4), std::string("MP3 ") + c.samples_box + "Hz " + c.bps_box + "kbps");
        form.reset();
    }
}

TEST_F(WindowStartTest, RecordLineKindChecksItsRadioButton)
{
    const struct {
        const char* audio_section;
        ControlId checked;
        const char* label;
        const char* written;
    } cases[] = {
        {"audioline=1\r\nsource=4", ControlId::RadioButton1, "Record source->Line In", "audioline=1\r\nsource=-1"},
        {"audioline=2\r\nsource=3", ControlId::RadioButton2, "Record source->Microphone", "audioline=2\r\nsource=-1"},
        {"audioline=3", ControlId::RadioButton3, "Record source->CD audio", "audioline=3\r\nsource=-1"},
        {"audioline=7\r\nsource=3", ControlId::RadioButton4, "Record source->Unkown", "audioline=0\r\nsource=0"},
        {"AUDIOLINE=0\r\nSource=-1", ControlId::RadioButton4, "Record source->Unkown", "audioline=0\r\nsource=0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.audio_section);
        folder.write_config(std::string("[audio]\r\n") + c.audio_section + "\r\n");
        create();
        EXPECT_TRUE(view.checked(c.checked));
        EXPECT_EQ(view.text(ControlId::Label6), c.label);
        form->close();
        EXPECT_EQ(folder.read_config(), std::string("[audio]\r\n") + c.written + "\r\n\r\n");
        form.reset();
    }
}

// The first frame is drawn before the rest of start-up runs, and shows in
// the skin area what start-up leaves there; only a source from the mixer's
// list gets its name later.
TEST_F(WindowStartTest, TheFirstFrameShowsWhatStartUpLeaves)
{
    card.add_source("Stereo Mix", MIXERLINE_COMPONENTTYPE_SRC_ANALOG);
    const char* const configs[] = {"", "[mp3]\r\nsamples=48000\r\nbps=0x80\r\n", "[audio]\r\naudioline=2\r\n",
                                   "[audio]\r\naudioline=3\r\n[mp3]\r\nbps=256\r\n", "[audio]\r\naudioline=9\r\n"};
    const auto texts = [this] {
        std::vector<std::string> shown;
        for (const ControlId label : {ControlId::Label1, ControlId::Label3, ControlId::Label4, ControlId::Label5,
                                      ControlId::Label6, ControlId::Label7})
            shown.push_back(view.text(label));
        return shown;
    };
    for (const char* config : configs) {
        SCOPED_TRACE(config);
        folder.write_config(config);
        create_unstarted();
        EXPECT_FALSE(form->started());
        EXPECT_EQ(view.layout, Layout::Compact);
        EXPECT_FALSE(view.panels_built) << "the panels wait for the first paint";
        const std::vector<std::string> first_frame = texts();
        form->finish_start();
        std::vector<std::string> started = texts();
        if (view.checked(ControlId::RadioButton4)) {
            EXPECT_EQ(first_frame[4], "Record source->");
            EXPECT_EQ(started[4], "Record source->Stereo Mix");
            started[4] = first_frame[4];
        }
        EXPECT_EQ(started, first_frame);
        form.reset();
    }
}

// A sound system that has not answered yet holds start-up back in nothing:
// it says nothing, and the stored source is restored once it answers.
TEST_F(WindowStartTest, ASoundSystemThatAnswersLaterGetsTheStoredSource)
{
    card.add_source("Line In", MIXERLINE_COMPONENTTYPE_SRC_LINE);
    card.add_source("Microphone", MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE);
    card.add_source("Stereo Mix", MIXERLINE_COMPONENTTYPE_SRC_ANALOG);
    folder.write_config("[audio]\r\naudioline=0\r\nsource=1\r\n[mp3]\r\nsamples=32000\r\n");
    card.hold_answer();
    create();
    EXPECT_TRUE(messages.messages.empty()) << messages.messages[0];
    EXPECT_EQ(view.boxes[ControlId::ComboBox1].items.size(), 0u);
    EXPECT_EQ(form->audiorec1->samples, 32000) << "the rest of start-up ran";
    EXPECT_TRUE(hotkeys.active(kShowWindowHotkey));

    card.answer();
    dispatcher.run_pending();
    timers.fire(std::chrono::milliseconds(0));
    EXPECT_EQ(view.boxes[ControlId::ComboBox1].items.size(), 3u);
    EXPECT_EQ(view.edit_text(ControlId::ComboBox1), "Microphone");
    EXPECT_EQ(view.text(ControlId::Label6), "Record source->Microphone");
    EXPECT_EQ(card.mux_state(), (std::vector<uint32_t>{0, 1, 0}));
    EXPECT_TRUE(messages.messages.empty()) << messages.messages[0];
}

TEST_F(WindowStartTest, HotkeysFromSettings)
{
    folder.write_config("[HOTKEY]\r\nHOTKEY1=Ctrl+F5\r\nhotkey2=   \r\nhotkey3=  Alt+F12 \r\n");
    create();
    EXPECT_EQ(view.hotkey(ControlId::HotKey1), kShortcutCtrl | 0x74);
    EXPECT_EQ(view.hotkey(ControlId::HotKey2), kShiftCtrl | 0x79) << "blanks keep the default";
    EXPECT_EQ(view.hotkey(ControlId::HotKey3), kShortcutAlt | 0x7B);
}

TEST_F(WindowStartTest, CloseRewritesTheSettingsInOrderWithCrLf)
{
    folder.write_config("; written by hand\n[MP3]\nsamples=48000\n\n[hotkey]\nhotkey1=Ctrl+F5\nfree text\n");
    create();
    form->close();
    EXPECT_EQ(folder.read_config(),
              "[MP3]\r\nsamples=48000\r\n\r\n"
              "[hotkey]\r\nhotkey1=Ctrl+F5\r\nfree text\r\n\r\n"
              "[audio]\r\naudioline=0\r\nsource=0\r\n\r\n");
}

TEST_F(WindowStartTest, EndingWithoutCloseLeavesTheSettingsFileAsItWas)
{
    folder.write_config("[mp3]\r\nsamples=48000\r\n");
    create();
    form->program.Settings.write_integer("mp3", "bps", 256);
    form.reset();
    EXPECT_EQ(folder.read_config(), "[mp3]\r\nsamples=48000\r\n");
}

TEST_F(WindowStartTest, SettingsThatCannotBeWrittenAreReportedAndTheWindowStillCloses)
{
    std::filesystem::create_directory(folder.config_path()); // no file can take its place
    create();
    form->close();
    EXPECT_TRUE(view.closed);
    ASSERT_EQ(messages.messages.size(), 1u);
    const std::string said = "Cannot write settings to " + folder.config_path() + ": ";
#ifdef _WIN32
    // Windows words its refusal to replace a folder in the user's language.
    EXPECT_EQ(messages.messages[0].rfind(said, 0), 0u) << messages.messages[0];
    EXPECT_GT(messages.messages[0].size(), said.size());
#else
    EXPECT_EQ(messages.messages[0], said + "Is a directory");
#endif
}

TEST_F(WindowStartTest, ReadOnlyProgramFolderIsReported)
{
#ifdef _WIN32
    GTEST_SKIP() << "a folder's read-only mark does not keep files from being written on Windows";
#else
    if (geteuid() == 0)
        GTEST_SKIP() << "a read-only folder does not stop root";
    create();
    chmod(folder.path().c_str(), 0555);
    form->close();
    chmod(folder.path().c_str(), 0755);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0], "Cannot write settings to " + folder.config_path() + ": Permission denied");
#endif
}

// Installed, the program reads and writes Config.ini in the user's settings
// folder, made at close, and records to the user's music folder; nothing goes
// into the program folder. Settings that an older version kept beside the
// program are read until the user's own exist.
TEST_F(WindowStartTest, AnInstalledProgramKeepsItsSettingsAndRecordingInTheUsersFolders)
{
    const std::filesystem::path user = make_temporary_folder("ornavox-user-");
    places = {user.generic_string() + "/config/ornavox/", user.generic_string() + "/"};
    create();
    const ProgramValues& p = form->program;
    EXPECT_EQ(p.SettingsFile, places.settings_dir + "Config.ini");
    EXPECT_EQ(p.SaveFile, places.recordings_dir + "save.mp3");
    EXPECT_EQ(p.SaveDir, places.recordings_dir);
    EXPECT_EQ(view.text(ControlId::Edit1), p.SaveFile);
    form->close();
    EXPECT_TRUE(messages.messages.empty()) << messages.messages[0];
    EXPECT_EQ(folder.read_config(), "<missing>");

    const std::string settings_file = places.settings_dir + "Config.ini";
    std::ofstream(settings_file, std::ios::binary) << "[mp3]\r\nsamples=48000\r\n";
    folder.write_config("[mp3]\r\nsamples=32000\r\n");
    create();
    EXPECT_EQ(view.edit_text(ControlId::ComboBox2), "48000") << "the user's own settings come first";
    form->close();

    std::filesystem::remove(settings_file);
    create();
    EXPECT_EQ(view.edit_text(ControlId::ComboBox2), "32000");
    form->close();
    EXPECT_NE(IniDocument::load(settings_file).read_integer("mp3", "samples", 0), 0) << "now the user's own";
    EXPECT_EQ(folder.read_config(), "[mp3]\r\nsamples=32000\r\n") << "the old file stays as it was";
    std::filesystem::remove_all(user);
}

TEST_F(WindowStartTest, CloseIsRunOnce)
{
    create();
    form->close();
    std::filesystem::remove(folder.config_path());
    form->close();
    EXPECT_EQ(folder.read_config(), "<missing>");
}

// Notes, at the moment the settings are written, how far the recording got.
class SnapshotAtSettingsWrite : public MessageSink {
public:
    SnapshotAtSettingsWrite(const std::string& recording, const FakeCaptureDevice& device)
        : recording_(recording), device_(device)
    {
    }
    void show_message(const std::string& text) override
    {
        messages.push_back(text);
        recording_bytes = std::filesystem::file_size(recording_);
        device_was_open = device_.is_open();
    }

    std::vector<std::string> messages;
    uintmax_t recording_bytes = 0;
    bool device_was_open = true;

private:
    std::string recording_;
    const FakeCaptureDevice& device_;
};

TEST_F(WindowStartTest, ClosingWhileRecordingFinishesTheFileBeforeTheSettingsAreWritten)
{
    const std::string recording = folder.path() + "take.mp3";
    SnapshotAtSettingsWrite sink(recording, device);
    std::filesystem::create_directory(folder.config_path()); // the write fails and says when it ran
    create(&sink);
    form->program.SaveFile = recording;
    dialogs.answers = {Dialogs::Answer::Yes};
    form->hotlinkbutton3Click(ControlId::None);
    dispatcher.run_pending();
    constexpr size_t kFrames = 3 * 44100 + 1234; // the last buffer is only partly filled
    for (size_t done = 0; done < kFrames; done += 4410) {
        ASSERT_EQ(device.fill_sine(std::min<size_t>(4410, kFrames - done), 440.0),
                  4 * std::min<size_t>(4410, kFrames - done));
        dispatcher.run_pending();
    }
    ASSERT_EQ(form->audiorec1->state, 1);

    form->close();

    EXPECT_EQ(device.calls().back(), "close");
    EXPECT_EQ(device.queued_at_close(), 0u);
    EXPECT_FALSE(sink.device_was_open);
    EXPECT_EQ(sink.recording_bytes, std::filesystem::file_size(recording)) << "nothing written after the settings";
    ASSERT_EQ(sink.messages.size(), 1u) << sink.messages[0];
    EXPECT_NE(sink.messages[0].find("Cannot write settings to"), std::string::npos);

    const DecodedMp3 decoded = decode_mp3_file(recording);
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    EXPECT_GE(decoded.frames(), kFrames) << "every captured sample reached the file";
    EXPECT_NEAR(tone_frequency(decoded, 0), 440.0, 2.0);
    EXPECT_EQ(form->audiorec1->mp3size, sink.recording_bytes);
}

// A recording into take.mp3 under way, a tenth of a second into it.
void WindowStartTest::record_a_moment()
{
    form->program.SaveFile = folder.path() + "take.mp3";
    dialogs.answers = {Dialogs::Answer::Yes};
    form->hotlinkbutton3Click(ControlId::None);
    dispatcher.run_pending();
    device.fill_sine(4410, 440.0);
    dispatcher.run_pending();
}

TEST_F(WindowStartTest, ClosingWhileRecordingAlsoWritesTheSettings)
{
    create();
    record_a_moment();
    form->close();
    EXPECT_EQ(form->taskstate, TaskState::Idle);
    EXPECT_EQ(form->audiorec1->state, 0);
    EXPECT_FALSE(form->audiorec1->closing());
    EXPECT_EQ(folder.read_config(), "[audio]\r\naudioline=0\r\nsource=0\r\n\r\n");
}

// A record key pressed while the close waits for the recording to finish
// starts nothing: once close has begun, only its own steps run.
TEST_F(WindowStartTest, ClosingIsFinal)
{
    create();
    record_a_moment();
    const uint16_t record_key = view.hotkey(ControlId::HotKey1);
    // Runs while the close waits for the device to give back its buffers.
    dispatcher.post([&] { hotkeys.press(record_key); });
    form->close();

    EXPECT_TRUE(dialogs.answers.empty());
    EXPECT_EQ(std::count(device.calls().begin(), device.calls().end(), "open"), 1);
    EXPECT_EQ(form->taskstate, TaskState::Idle);
    EXPECT_EQ(form->audiorec1->state, 0);
}

} // namespace
} // namespace ornavox::test

namespace ornavox::test {
namespace {

// Settings files edited by hand: the window starts, takes defaults where a
// value does not convert, and writes a file that reads back the same.
TEST_F(WindowStartTest, HandEditedSettingsStartAndRoundTrip)
{
    const std::string long_line(1 << 20, 'x');
    const struct {
        const char* what;
        std::string text;
    } cases[] = {
        {"a 1 MB line", "[path]\r\nsavepath=" + long_line + "\r\n[mp3]\r\nbps=192\r\n"},
        {"NUL bytes", std::string("[mp3]\r\nsam") + '\0' + "ples=48000\r\nbps=1" + '\0' + "28\r\n"},
        {"a lone CR", "[mp3]\rsamples=32000\r\nbps=96\r\n"},
        {"an unterminated [", "[mp3\r\nsamples=48000\r\n[audio]\r\naudioline=0\r\n"},
        {"0x and 20 hex digits", "[mp3]\r\nsamples=0x12345678901234567890\r\nbps=0x80\r\n"},
        {"source beyond 32 bits", "[audio]\r\naudioline=0\r\nsource=99999999999\r\n"},
        {"the lowest audioline", "[audio]\r\naudioline=-2147483648\r\nsource=-1\r\n"},
        {"a hotkey of 10,000 plus signs", "[hotkey]\r\nhotkey1=" + std::string(10000, '+') + "\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        folder.write_config(c.text);
        create();
        form->close();
        const std::string written = folder.read_config();
        ASSERT_NE(written, "<missing>");
        form.reset();
        create();
        form->close();
        EXPECT_EQ(folder.read_config(), written) << "read back the same";
        form.reset();
    }
    EXPECT_TRUE(messages.messages.empty()) << messages.messages[0];
}

} // namespace
} // namespace ornavox::test
