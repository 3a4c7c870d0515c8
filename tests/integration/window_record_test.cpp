#include "platform/fake/fake_hotkey_service.h"
#include "platform/pulse/pulse_capture_device.h"
#include "platform/pulse/pulse_media_player.h"
#include "platform/pulse/pulse_mixer_device.h"
#include "platform/pulse/pulse_session.h"
#include "platform/qt/qt_dispatcher.h"
#include "platform/qt/qt_one_shot_timer.h"
#include "platform/qt/qt_user_locale.h"
#include "platform/sound_devices.h"
#include "tests/support/mp3_decode.h"
#include "tests/support/position_probe.h"
#include "tests/support/pulse_server.h"
#include "tests/ui/skinform_fixture.h"
#include "ui/qt/hotlinkbutton.h"

#include <QLabel>
#include <QTest>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <numeric>

namespace ornavox::test {
namespace {

// The encoder's delay, the decoder's delay and the last frame's padding, per
// encoder run.
constexpr uint64_t kEncoderSlack = 576 + 529 + 1152;

// The window on the real stack: a private sound server with a sine source,
// the PulseAudio capture device, the Qt event loop and the real plug-in. Only
// the modal dialogs are scripted.
class WindowOnSoundServer : public ::testing::Test {
protected:
    // The sine source is chosen in the settings: left to itself the window
    // would record what is played, the null sink's monitor, which is silent.
    // The server lists the monitor first, the sine second.
    void SetUp() override
    {
        folder.write_config("[audio]\r\naudioline=0\r\nsource=1\r\n");
        form = std::make_unique<SkinWindow>(
            SkinFormServices{sound, hotkeys, dispatcher, messages, dialogs, shell, folder.path(), locale, timers});
        form->show();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return form->find<QLabel>(ControlId::Label6)->text().contains(QStringLiteral("Sine")); }, 10000))
            << form->find<QLabel>(ControlId::Label6)->text().toStdString();
    }

    void click(Thotlinkbutton* button) { QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(12, 12)); }

    // Lets the event loop run, timer ticks and device notifications included.
    static void run_for(int ms) { QTest::qWait(ms); }

    uint64_t captured() const { return std::accumulate(probe.positions.begin(), probe.positions.end(), uint64_t{0}); }

    PulseServer server;
    QtDispatcher dispatcher;
    PulseSession session{dispatcher};
    PulseCaptureDevice device{session, dispatcher};
    PulseMixerDevice mixer_device{session, dispatcher};
    PulseMediaPlayer player{session, dispatcher};
    FakeHotkeyService hotkeys;
    PositionProbe probe{device};
    QtUserLocale locale{"HH:mm:ss"};
    QtTimerFactory timers;
    SoundDevices sound{probe, mixer_device, player};
    RecordingMessageSink messages;
    ScriptedDialogs dialogs;
    RecordingShell shell;
    ProgramFolder folder{ProgramFolder::Skin::With};
    std::unique_ptr<SkinWindow> form;
};

TEST_F(WindowOnSoundServer, RecordPauseResumeStopMakesOneStream)
{
    dialogs.answers = {Dialogs::Answer::Yes};
    click(form->find<Thotlinkbutton>(ControlId::hotlinkbutton3));
    ASSERT_EQ(form->form().taskstate, TaskState::Recording) << (messages.messages.empty() ? "" : messages.messages[0]);
    run_for(1600);
    EXPECT_NE(form->find<QLabel>(ControlId::Label7)->text(), QStringLiteral("Filesize:0"))
        << "the timer did not show the size";
    EXPECT_TRUE(form->find<QLabel>(ControlId::Label3)->text().startsWith(QStringLiteral("00:00:0")))
        << form->find<QLabel>(ControlId::Label3)->text().toStdString();

    click(form->find<Thotlinkbutton>(ControlId::hotlinkbutton3));
    EXPECT_EQ(form->form().taskstate, TaskState::Paused);
    run_for(300);
    click(form->find<Thotlinkbutton>(ControlId::hotlinkbutton3));
    EXPECT_EQ(form->form().taskstate, TaskState::Recording);
    run_for(1000);
    click(form->find<Thotlinkbutton>(ControlId::hotlinkbutton4));
    form->form().audiorec1->finish_closing();

    EXPECT_EQ(dialogs.questions.size(), 1u);
    EXPECT_TRUE(messages.messages.empty()) << messages.messages[0];
    ASSERT_EQ(probe.positions.size(), 2u);
    const DecodedMp3 decoded = decode_mp3_file(form->form().program.SaveFile);
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    EXPECT_EQ(decoded.rate, 44100);
    EXPECT_EQ(decoded.channels, 2);
    EXPECT_GE(decoded.frames(), captured());
    EXPECT_LE(decoded.frames(), captured() + 2 * kEncoderSlack);
    EXPECT_NEAR(tone_frequency(decoded, 0), PulseServer::kSineFrequency, 5.0);
}

// Closing the window stops the recording and waits for its last buffers and
// the encoder's tail before the settings are written and the program ends.
TEST_F(WindowOnSoundServer, ClosingWhileRecordingLeavesACompleteFile)
{
    dialogs.answers = {Dialogs::Answer::Yes};
    click(form->find<Thotlinkbutton>(ControlId::hotlinkbutton3));
    ASSERT_EQ(form->form().taskstate, TaskState::Recording);
    ASSERT_TRUE(QTest::qWaitFor([&] { return device.position_samples().value_or(0) > 44100u * 6 / 10; }, 5000));
    form->close();

    EXPECT_FALSE(form->form().audiorec1->closing());
    ASSERT_EQ(probe.positions.size(), 1u);
    EXPECT_GT(captured(), 44100u / 2);
    const DecodedMp3 decoded = decode_mp3_file(form->form().program.SaveFile);
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    EXPECT_GE(decoded.frames(), captured());
    EXPECT_LE(decoded.frames(), captured() + kEncoderSlack);
    EXPECT_TRUE(std::filesystem::exists(folder.config_path()));
}

// A server stopped with SIGSTOP answers nothing, and every press still
// takes effect while it is stopped: a stop keeps what had arrived, a record
// press runs on once the server is back, and quit finishes the file and the
// settings.
TEST_F(WindowOnSoundServer, PressesWithTheServerStoppedTakeEffectAndTheRecordingGoesOnOnceItIsBack)
{
    dialogs.answers = {Dialogs::Answer::Yes, Dialogs::Answer::Yes};
    click(form->find<Thotlinkbutton>(ControlId::hotlinkbutton3));
    ASSERT_EQ(form->form().taskstate, TaskState::Recording);
    // The test source sends in blocks: some sound is in before the stop.
    ASSERT_TRUE(QTest::qWaitFor([&] { return device.position_samples().value_or(0) > 44100u * 6 / 10; }, 5000));
    server.freeze();
    click(form->find<Thotlinkbutton>(ControlId::hotlinkbutton4));
    EXPECT_EQ(form->find<QLabel>(ControlId::Label5)->text(), QStringLiteral("Idle"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form->form().audiorec1->closing(); }, 3000));
    DecodedMp3 decoded = decode_mp3_file(form->form().program.SaveFile);
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    EXPECT_GT(decoded.frames(), 44100u / 2) << "what arrived before the server stopped";
    const uint64_t first_take = decoded.frames();

    click(form->find<Thotlinkbutton>(ControlId::hotlinkbutton3));
    EXPECT_EQ(form->form().taskstate, TaskState::Recording);
    EXPECT_EQ(form->find<QLabel>(ControlId::Label5)->text(), QStringLiteral("Recording"));
    click(form->find<Thotlinkbutton>(ControlId::hotlinkbutton9));
    EXPECT_EQ(form->form().layout(), Layout::Mixer) << "the panels answer";
    run_for(1000);
    server.thaw();
    EXPECT_TRUE(QTest::qWaitFor([&] { return device.position_samples().value_or(0) > 44100u; }, 5000));
    ASSERT_EQ(form->form().taskstate, TaskState::Recording) << (messages.messages.empty() ? "" : messages.messages[0]);

    // Quit with the server stopped again.
    server.freeze();
    form->close();
    server.thaw();
    EXPECT_TRUE(std::filesystem::exists(folder.config_path()));
    decoded = decode_mp3_file(form->form().program.SaveFile);
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    EXPECT_GT(decoded.frames(), first_take + 44100u) << "the take after the server came back";
    EXPECT_NEAR(tone_frequency(decoded, 0), PulseServer::kSineFrequency, 5.0);
}

// A server that stays stopped: the record press and the play press end with
// a message after the bound, and the window is Idle again.
TEST_F(WindowOnSoundServer, AServerThatStaysStoppedEndsRecordAndPlayWithAMessage)
{
    dialogs.answers = {Dialogs::Answer::Yes, Dialogs::Answer::Yes};
    click(form->find<Thotlinkbutton>(ControlId::hotlinkbutton3));
    ASSERT_TRUE(QTest::qWaitFor([&] { return device.position_samples().value_or(0) > 44100u / 2; }, 5000));
    click(form->find<Thotlinkbutton>(ControlId::hotlinkbutton4));
    form->form().audiorec1->finish_closing();
    const auto recorded = std::filesystem::file_size(form->form().program.SaveFile);

    server.freeze();
    click(form->find<Thotlinkbutton>(ControlId::hotlinkbutton3));
    EXPECT_EQ(form->form().taskstate, TaskState::Recording);
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->form().taskstate == TaskState::Idle; }, 8000));
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_NE(messages.messages[0].find("the sound server did not answer within 5 seconds"), std::string::npos)
        << messages.messages[0];
    EXPECT_EQ(std::filesystem::file_size(form->form().program.SaveFile), recorded) << "the file keeps what it held";

    click(form->find<Thotlinkbutton>(ControlId::hotlinkbutton1));
    EXPECT_EQ(form->form().taskstate, TaskState::Playing);
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->form().taskstate == TaskState::Idle; }, 8000));
    ASSERT_EQ(messages.messages.size(), 2u);
    EXPECT_EQ(messages.messages[1],
              "Playback of " + form->form().program.SaveFile
                  + " stopped: the sound server did not answer within 5 seconds.");
    server.thaw();
}

// The sound server dies under a running recording: the window is Idle again
// within a second, the user is told once where the recording is, the file
// holds everything captured, and once the server is back the next recording
// works without restarting the program.
TEST_F(WindowOnSoundServer, AServerThatDiesEndsTheRecordingAndTheNextOneWorksWhenItIsBack)
{
    dialogs.answers = {Dialogs::Answer::Yes};
    click(form->find<Thotlinkbutton>(ControlId::hotlinkbutton3));
    ASSERT_EQ(form->form().taskstate, TaskState::Recording);
    // The test source sends in blocks: sound is in before the server dies.
    ASSERT_TRUE(QTest::qWaitFor([&] { return device.position_samples().value_or(0) > 44100u; }, 5000));

    const auto killed = std::chrono::steady_clock::now();
    server.kill();
    for (int i = 0; i < 500 && form->form().taskstate != TaskState::Idle; ++i)
        run_for(2);
    const auto latency = std::chrono::steady_clock::now() - killed;
    EXPECT_EQ(form->form().taskstate, TaskState::Idle);
    EXPECT_LT(latency, std::chrono::seconds(1));
    std::printf("window idle %.1f ms after the kill\n", std::chrono::duration<double, std::milli>(latency).count());
    EXPECT_EQ(form->find<QLabel>(ControlId::Label5)->text(), QStringLiteral("Idle"));
    EXPECT_FALSE(form->form().audiorec1->closing());
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].rfind("The recording stopped because the sound server went away", 0), 0u)
        << messages.messages[0];
    EXPECT_NE(messages.messages[0].find(form->form().program.SaveFile), std::string::npos) << messages.messages[0];

    ASSERT_EQ(probe.positions.size(), 1u);
    DecodedMp3 decoded = decode_mp3_file(form->form().program.SaveFile);
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    EXPECT_GE(decoded.frames(), captured());
    // The encoder's flush may add a frame beyond its padding.
    EXPECT_LE(decoded.frames(), captured() + kEncoderSlack + 1152);

    server.restart();
    dialogs.answers = {Dialogs::Answer::Yes};
    click(form->find<Thotlinkbutton>(ControlId::hotlinkbutton3));
    ASSERT_EQ(form->form().taskstate, TaskState::Recording)
        << (messages.messages.size() > 1 ? messages.messages[1] : "");
    run_for(800);
    click(form->find<Thotlinkbutton>(ControlId::hotlinkbutton4));
    form->form().audiorec1->finish_closing();
    EXPECT_EQ(messages.messages.size(), 1u);
    ASSERT_EQ(probe.positions.size(), 2u);
    decoded = decode_mp3_file(form->form().program.SaveFile);
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    EXPECT_GE(decoded.frames(), captured());
    EXPECT_LE(decoded.frames(), captured() + 2 * kEncoderSlack);
    EXPECT_NEAR(tone_frequency(decoded, 0), PulseServer::kSineFrequency, 5.0);
}

// What was recorded plays to its end on the real server, and a server that
// dies during a play returns the window to Idle with a message.
TEST_F(WindowOnSoundServer, TheRecordingPlaysToItsEndAndALostServerEndsAPlay)
{
    dialogs.answers = {Dialogs::Answer::Yes};
    click(form->find<Thotlinkbutton>(ControlId::hotlinkbutton3));
    ASSERT_EQ(form->form().taskstate, TaskState::Recording);
    // The test source's first block can come more than a second late.
    ASSERT_TRUE(QTest::qWaitFor([&] { return device.position_samples().value_or(0) > 44100u; }, 5000));
    click(form->find<Thotlinkbutton>(ControlId::hotlinkbutton4));
    form->form().audiorec1->finish_closing();

    click(form->find<Thotlinkbutton>(ControlId::hotlinkbutton1));
    ASSERT_EQ(form->form().taskstate, TaskState::Playing) << (messages.messages.empty() ? "" : messages.messages[0]);
    EXPECT_EQ(form->find<QLabel>(ControlId::Label5)->text(), QStringLiteral("Playing"));
    // Shown once the player has read the whole file.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form->find<QLabel>(ControlId::Label7)->text().isEmpty(); }, 2000));
    const double length = form->find<QLabel>(ControlId::Label7)->text().toDouble();
    EXPECT_NEAR(length, static_cast<double>(captured()) / 44100, 0.1) << "what was captured";
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->form().taskstate == TaskState::Idle; }, 10000));
    EXPECT_EQ(form->find<QLabel>(ControlId::Label5)->text(), QStringLiteral("Idle"));
    EXPECT_TRUE(messages.messages.empty()) << messages.messages[0];

    click(form->find<Thotlinkbutton>(ControlId::hotlinkbutton1));
    ASSERT_EQ(form->form().taskstate, TaskState::Playing);
    run_for(300);
    server.kill();
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->form().taskstate == TaskState::Idle; }, 1000));
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].rfind(
                  "Playback of " + form->form().program.SaveFile + " stopped: the sound server went away", 0),
              0u)
        << messages.messages[0];
}

} // namespace
} // namespace ornavox::test
