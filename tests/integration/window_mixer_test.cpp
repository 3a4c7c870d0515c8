// The mixer panel of the window on a private sound server.
#include "platform/fake/fake_hotkey_service.h"
#include "platform/pulse/pulse_capture_device.h"
#include "platform/pulse/pulse_level_monitor.h"
#include "platform/pulse/pulse_media_player.h"
#include "platform/pulse/pulse_mixer_device.h"
#include "platform/pulse/pulse_session.h"
#include "platform/qt/qt_dispatcher.h"
#include "platform/qt/qt_one_shot_timer.h"
#include "platform/qt/qt_user_locale.h"
#include "platform/sound_devices.h"
#include "tests/support/mp3_decode.h"
#include "tests/support/pulse_server.h"
#include "tests/ui/skinform_fixture.h"
#include "ui/qt/hotlinkbutton.h"
#include "ui/qt/level_meter_widget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QTest>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <optional>

namespace ornavox::test {
namespace {

class WindowMixer : public ::testing::Test {
protected:
    WindowMixer() { server.add_tone_source("ornavox_high", 880); }

    // Shown, with its panel filled from the server unless told not to wait.
    enum class Wait { ForMixer, No };
    void create(const std::string& config = "", Wait wait = Wait::ForMixer)
    {
        folder.write_config(config);
        form = std::make_unique<SkinWindow>(
            SkinFormServices{sound, hotkeys, dispatcher, messages, dialogs, shell, folder.path(), locale, timers});
        form->show();
        if (wait == Wait::ForMixer) {
            ASSERT_TRUE(wait_for([&] { return form->form().started() && form->form().mixer->is_open(); }))
                << "the mixer panel was not filled";
        }
        QTest::qWait(200);
    }

    // Waits, running the event loop, until `done` holds; false after 10 s.
    static bool wait_for(const std::function<bool()>& done) { return QTest::qWaitFor(done, 10000); }

    void click(Thotlinkbutton* button) { QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(12, 12)); }
    void start_recording()
    {
        dialogs.answers = {Dialogs::Answer::Yes};
        click(form->find<Thotlinkbutton>(ControlId::hotlinkbutton3));
        ASSERT_EQ(form->form().taskstate, TaskState::Recording)
            << (messages.messages.empty() ? "" : messages.messages.back());
    }

    // pactl's description of one sink input: the tone players are sink
    // inputs too.
    std::string sink_input(uint32_t index) const
    {
        const std::string all = server.pactl("list sink-inputs");
        const size_t start = all.find("Sink Input #" + std::to_string(index) + "\n");
        return start == std::string::npos ? "" : all.substr(start, all.find("Sink Input #", start + 1) - start);
    }

    int list_item(const QString& text) const
    {
        return form->find<QComboBox>(ControlId::ComboBox1)->findText(text, Qt::MatchContains);
    }
    void choose(const QString& source)
    {
        const int item = list_item(source);
        ASSERT_GE(item, 0) << source.toStdString();
        form->find<QComboBox>(ControlId::ComboBox1)->setCurrentIndex(item);
        form->form().ComboBox1Change(ControlId::ComboBox1);
    }
    // The meter's highest level of the last moment on its first channel;
    // nothing while it is hidden.
    std::optional<double> meter_peak(MeterPlace place) const
    {
        const LevelMeterWidget* meter = form->meter(place);
        if (!meter)
            return std::nullopt;
        return meter->reading().channels[0].peak_db;
    }
    bool meter_reads(MeterPlace place, double db)
    {
        return wait_for([&] {
            const std::optional<double> peak = meter_peak(place);
            return peak && std::abs(*peak - db) <= 1.0;
        });
    }

    int row(const QString& name) const
    {
        for (size_t i = 0; i < form->MuteBoxes.size(); ++i)
            if (form->MuteBoxes[i]->toolTip() == QStringLiteral("Mute ") + name)
                return static_cast<int>(i);
        return -1;
    }

    PulseServer server;
    QtDispatcher dispatcher;
    PulseSession session{dispatcher};
    PulseCaptureDevice device{session, dispatcher};
    PulseMixerDevice mixer_device{session, dispatcher};
    PulseMediaPlayer player{session, dispatcher};
    QtUserLocale locale{"HH:mm:ss"};
    QtTimerFactory timers;
    PulseLevelMonitor levels{session, dispatcher};
    SoundDevices sound{device, mixer_device, player, &levels};
    FakeHotkeyService hotkeys;
    RecordingMessageSink messages;
    ScriptedDialogs dialogs;
    RecordingShell shell;
    ProgramFolder folder{ProgramFolder::Skin::With};
    std::unique_ptr<SkinWindow> form;
};

TEST_F(WindowMixer, StartingChangesNoVolumeOfTheUsersSystem)
{
    PlaybackStream radio(server, "Radio", "Evening");
    server.pactl("set-sink-volume ornavox_null 50% 100%");
    server.pactl("set-sink-input-volume " + std::to_string(radio.index()) + " 60% 100%");
    server.pactl("set-source-volume ornavox_high 150%");
    const std::string sink = server.pactl("get-sink-volume ornavox_null");
    const std::string source = server.pactl("get-source-volume ornavox_high");
    const std::vector<uint32_t> stream = channel_volumes(sink_input(radio.index()));
    create("[audio]\r\naudioline=0\r\nsource=2\r\n");
    ASSERT_NE(row("Radio: Evening"), -1);
    EXPECT_EQ(form->VolumeBars[row("Radio: Evening")]->value(), 65535) << "the loudest channel";
    EXPECT_EQ(form->find<QSlider>(ControlId::TrackBar1)->value(), 65535) << "150 % shows as the top";
    QTest::qWait(300);

    EXPECT_EQ(server.pactl("get-sink-volume ornavox_null"), sink);
    EXPECT_EQ(server.pactl("get-source-volume ornavox_high"), source);
    EXPECT_EQ(channel_volumes(sink_input(radio.index())), stream);
    EXPECT_TRUE(messages.messages.empty()) << messages.messages[0];
}

TEST_F(WindowMixer, LevelsAndMutesGoBothWays)
{
    PlaybackStream radio(server, "Radio", "Evening");
    server.pactl("set-sink-input-volume " + std::to_string(radio.index()) + " 60% 100%");
    create("[audio]\r\naudioline=0\r\nsource=" + std::to_string(1 + server.sources_per_tone()) + "\r\n");
    const int r = row("Radio: Evening");
    ASSERT_NE(r, -1);

    // A row bar moved by the user keeps the stream's balance: 60 % of the
    // new level on the left.
    const std::vector<uint32_t> before = channel_volumes(sink_input(radio.index()));
    form->VolumeBars[r]->setValue(32767);
    std::vector<uint32_t> after;
    ASSERT_TRUE(wait_for([&] {
        after = channel_volumes(sink_input(radio.index()));
        return after.size() == 2 && after[1] != before[1];
    })) << sink_input(radio.index());
    EXPECT_NEAR(after[1], 32768, 1);
    EXPECT_NEAR(after[0], before[0] * after[1] / 65536.0, 1.0);

    server.pactl("set-sink-input-mute " + std::to_string(radio.index()) + " 1");
    ASSERT_TRUE(wait_for([&] { return form->MuteBoxes[r]->isChecked(); }));
    form->MuteBoxes[r]->click();
    ASSERT_TRUE(wait_for([&] { return sink_input(radio.index()).find("Mute: no") != std::string::npos; }));

    // The chosen source's level comes from the server.
    server.pactl("set-source-volume ornavox_high 40%");
    ASSERT_TRUE(wait_for([&] { return form->find<QSlider>(ControlId::TrackBar1)->value() == 26214; }));
}

TEST_F(WindowMixer, SourcesThatComeAndGoAreListedAndTheChoiceIsKept)
{
    create("[audio]\r\naudioline=0\r\nsource=2\r\n");
    // The sources, "What you hear", and a call of each source that is not a
    // monitor.
    const int listed = 2 + server.sources_per_tone() + 1 + 2;
    ASSERT_EQ(form->find<QComboBox>(ControlId::ComboBox1)->count(), listed);
    const QString chosen = form->find<QComboBox>(ControlId::ComboBox1)->currentText();

    server.add_tone_source("ornavox_new", 330);
    ASSERT_TRUE(wait_for([&] {
        return form->find<QComboBox>(ControlId::ComboBox1)->count() == listed + server.sources_per_tone() + 1;
    }));
    EXPECT_EQ(form->find<QComboBox>(ControlId::ComboBox1)->currentText(), chosen);
    server.remove_source("ornavox_new");
    ASSERT_TRUE(wait_for([&] { return form->find<QComboBox>(ControlId::ComboBox1)->count() == listed; }));
    EXPECT_EQ(form->find<QComboBox>(ControlId::ComboBox1)->currentText(), chosen);
    EXPECT_EQ(form->find<QLabel>(ControlId::Label6)->text(), QStringLiteral("Record source->") + chosen);
}

TEST_F(WindowMixer, AfterTheServerCameBackThePanelIsCompleteAndTheChoiceRecords)
{
    const int high = 1 + server.sources_per_tone(); // its place in the list
    create("[audio]\r\naudioline=0\r\nsource=" + std::to_string(high) + "\r\n");
    server.kill();
    server.restart();
    server.add_tone_source("ornavox_high", 880);
    // With "What you hear" and the two sources' calls.
    ASSERT_TRUE(wait_for([&] { return form->find<QComboBox>(ControlId::ComboBox1)->count() == high + 1 + 1 + 2; }));
    ASSERT_TRUE(form->find<QLabel>(ControlId::Label6)
                    ->text()
                    .contains(form->find<QComboBox>(ControlId::ComboBox1)->itemText(high)))
        << form->find<QLabel>(ControlId::Label6)->text().toStdString();

    dialogs.answers = {Dialogs::Answer::Yes};
    QTest::mouseClick(form->find<Thotlinkbutton>(ControlId::hotlinkbutton3), Qt::LeftButton, {}, QPoint(12, 12));
    ASSERT_EQ(form->form().taskstate, TaskState::Recording) << (messages.messages.empty() ? "" : messages.messages[0]);
    QTest::qWait(1500);
    QTest::mouseClick(form->find<Thotlinkbutton>(ControlId::hotlinkbutton4), Qt::LeftButton, {}, QPoint(12, 12));
    form->form().audiorec1->finish_closing();
    const DecodedMp3 decoded = decode_mp3_file(form->form().program.SaveFile);
    ASSERT_TRUE(decoded.ok()) << decoded.error << (messages.messages.empty() ? "" : "; " + messages.messages[0]);
    EXPECT_NEAR(tone_frequency(decoded, 0), 880, 5);
}

TEST_F(WindowMixer, TheWindowClosesCleanlyWithTheServerGone)
{
    create("[audio]\r\naudioline=0\r\nsource=2\r\n");
    const int rows = static_cast<int>(form->VolumeBars.size());
    server.kill();
    QTest::qWait(300);
    EXPECT_EQ(static_cast<int>(form->VolumeBars.size()), rows) << "the panel stays as it was";
    form->VolumeBars[0]->setValue(1000); // writes nothing, and fails nothing
    form->close();
    EXPECT_NE(folder.read_config().find("source=2"), std::string::npos);
}

// Destroyed while it records, as when its owner goes without a close: the
// recording is finished on the way, with the panels and meters still there.
TEST_F(WindowMixer, AWindowDestroyedWhileRecordingFinishesItsFile)
{
    create();
    click(form->find<Thotlinkbutton>(ControlId::hotlinkbutton9));
    start_recording();
    ASSERT_TRUE(wait_for([&] { return form->meter(MeterPlace::Skin) != nullptr; }));
    QTest::qWait(500);
    const std::string file = form->form().program.SaveFile;
    // A new text asks the window for a layout, which the finishing recording's
    // event loop hands over.
    form->form().handle(ControlId::hotlinkbutton4, ControlEvent::PointerIn);
    form.reset();
    const DecodedMp3 decoded = decode_mp3_file(file);
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    EXPECT_GT(decoded.frames(), 44100u / 4);
}

// A restart in which the sources stand elsewhere in the list: the stored name
// records, wherever its place; a stored source that is gone records nothing
// else, and its choice is kept for when it returns.
TEST_F(WindowMixer, TheStoredSourceNameRecordsAndAGoneOneIsNotReplaced)
{
    create("[audio]\r\naudioline=0\r\nsource=0\r\nsourcename=ornavox_high\r\n");
    ASSERT_EQ(form->find<QComboBox>(ControlId::ComboBox1)->currentIndex(), list_item("880 Hz"));
    start_recording();
    QTest::qWait(1000);
    click(form->find<Thotlinkbutton>(ControlId::hotlinkbutton4));
    form->form().audiorec1->finish_closing();
    const DecodedMp3 decoded = decode_mp3_file(form->form().program.SaveFile);
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    EXPECT_NEAR(tone_frequency(decoded, 0), 880, 5);
    form->close();
    EXPECT_NE(folder.read_config().find("sourcename=ornavox_high\r\n"), std::string::npos) << folder.read_config();
    form.reset();

    const std::string gone = "[audio]\r\naudioline=0\r\nsource=1\r\nsourcename=ornavox_usb_mic\r\n\r\n";
    create(gone);
    EXPECT_EQ(form->find<QComboBox>(ControlId::ComboBox1)->currentIndex(), -1);
    EXPECT_EQ(form->find<QLabel>(ControlId::Label6)->text(), "Record source->ornavox_usb_mic");
    dialogs.answers = {Dialogs::Answer::Yes};
    click(form->find<Thotlinkbutton>(ControlId::hotlinkbutton3));
    EXPECT_EQ(form->form().taskstate, TaskState::Idle) << "nothing else records in its place";
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_NE(messages.messages[0].find("\"ornavox_usb_mic\" is no longer there"), std::string::npos)
        << messages.messages[0];
    form->close();
    EXPECT_EQ(folder.read_config(), gone);
}

using Clock = std::chrono::steady_clock;

double seconds(Clock::duration time)
{
    return std::chrono::duration<double>(time).count();
}

// The chosen microphone is unplugged while it records: the recording ends at
// once with a message naming it and holds its sound up to that moment and no
// other; a record press then says the source is gone.
TEST_F(WindowMixer, UnpluggingTheChosenSourceEndsTheRecordingAndKeepsItsSound)
{
    server.add_tone_source("ornavox_mic", 660, "Desk Microphone", true);
    create();
    const int mic = list_item("Desk Microphone");
    ASSERT_GE(mic, 0);
    form->find<QComboBox>(ControlId::ComboBox1)->setCurrentIndex(mic);
    form->form().ComboBox1Change(ControlId::ComboBox1);
    start_recording();
    const auto started = Clock::now();
    QTest::qWait(1500);

    const auto unplugged = Clock::now();
    server.remove_source("ornavox_mic");
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->form().taskstate == TaskState::Idle; }, 5000));
    const auto idle = Clock::now() - unplugged;
    std::printf("window idle %.1f ms after the unplug\n", seconds(idle) * 1000);
    EXPECT_LT(idle, std::chrono::seconds(1));
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(
        messages.messages[0].rfind("The recording stopped because the record source \"Desk Microphone\" went away", 0),
        0u)
        << messages.messages[0];
    EXPECT_NE(messages.messages[0].find(form->form().program.SaveFile), std::string::npos);
    EXPECT_EQ(form->find<QLabel>(ControlId::Label6)->text(), "Record source->Desk Microphone")
        << "nothing took its place";

    form->form().audiorec1->finish_closing();
    const DecodedMp3 decoded = decode_mp3_file(form->form().program.SaveFile);
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    EXPECT_NEAR(tone_frequency(decoded, 0), 660, 5) << "sound from another source";
    // Less the encoder's and the decoder's delay, which every decoded MP3 has.
    const double length = static_cast<double>(decoded.frames() - (576 + 529)) / decoded.rate;
    std::printf("recorded %.3f s of %.3f s until the unplug\n", length, seconds(unplugged - started));
    EXPECT_NEAR(length, seconds(unplugged - started), 0.1);

    dialogs.answers = {Dialogs::Answer::Yes};
    click(form->find<Thotlinkbutton>(ControlId::hotlinkbutton3));
    EXPECT_EQ(form->form().taskstate, TaskState::Idle);
    ASSERT_EQ(messages.messages.size(), 2u);
    EXPECT_NE(messages.messages[1].find("\"Desk Microphone\" is no longer there"), std::string::npos)
        << messages.messages[1];
}

// What is played on the default output is recorded, and then another output
// becomes the default: the recording goes on from the monitor chosen, which
// the panel and the settings keep.
TEST_F(WindowMixer, TheChosenMonitorHoldsWhenTheDefaultOutputChanges)
{
    server.pactl("load-module module-null-sink sink_name=ornavox_other norewinds=1");
    server.play_tone_into(PulseServer::kNullSink, 330);
    server.play_tone_into("ornavox_other", 550);
    create("[audio]\r\naudioline=0\r\nsource=0\r\n");
    const QString chosen = form->find<QComboBox>(ControlId::ComboBox1)->currentText();
    ASSERT_TRUE(chosen.startsWith("Monitor of Null Output")) << chosen.toStdString() << " was chosen";
    start_recording();
    QTest::qWait(1000);
    server.pactl("set-default-sink ornavox_other");
    QTest::qWait(1500);
    click(form->find<Thotlinkbutton>(ControlId::hotlinkbutton4));
    form->form().audiorec1->finish_closing();

    EXPECT_EQ(form->find<QComboBox>(ControlId::ComboBox1)->currentText(), chosen);
    EXPECT_EQ(form->find<QLabel>(ControlId::Label6)->text(), "Record source->" + chosen);
    const DecodedMp3 decoded = decode_mp3_file(form->form().program.SaveFile);
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    EXPECT_GT(static_cast<double>(decoded.frames()) / decoded.rate, 2.3) << "the recording stalled";
    EXPECT_NEAR(tone_frequency(decoded, 0), 330, 5);
    form->close();
    EXPECT_NE(folder.read_config().find("source=" + std::to_string(list_item(chosen))), std::string::npos)
        << folder.read_config();
}

// Started while no server answers, the window chooses as at start-up once
// one comes: what you hear.
TEST_F(WindowMixer, StartedWithoutAServerItChoosesWhenOneComes)
{
    server.kill();
    create("", Wait::No);
    ASSERT_TRUE(wait_for([&] { return !messages.messages.empty(); }));
    EXPECT_EQ(messages.messages, std::vector<std::string>{"Error to get default Mixer!"});
    EXPECT_EQ(form->find<QComboBox>(ControlId::ComboBox1)->count(), 0);
    server.restart();
    ASSERT_TRUE(wait_for([&] { return form->find<QComboBox>(ControlId::ComboBox1)->count() >= 2; }));
    EXPECT_EQ(form->find<QComboBox>(ControlId::ComboBox1)->currentText(), "What you hear");
    EXPECT_EQ(form->find<QLabel>(ControlId::Label6)->text(),
              "Record source->" + form->find<QComboBox>(ControlId::ComboBox1)->currentText());
    form->close();
    EXPECT_NE(folder.read_config().find("audioline=0\r\nsource="
                                        + std::to_string(form->find<QComboBox>(ControlId::ComboBox1)->currentIndex())),
              std::string::npos)
        << folder.read_config();
}

// A server that stops answering holds nothing back: the window paints and
// works while it is stopped, and its panel fills once it answers again.
TEST_F(WindowMixer, AFrozenServerHoldsNothingBack)
{
    server.freeze();
    create("[audio]\r\naudioline=0\r\nsource=" + std::to_string(1 + server.sources_per_tone()) + "\r\n", Wait::No);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    ASSERT_TRUE(wait_for([&] { return form->form().started(); }));
    QTest::mouseClick(form->find<Thotlinkbutton>(ControlId::hotlinkbutton11), Qt::LeftButton, {}, QPoint(12, 12));
    EXPECT_EQ(form->width(), kOptionsWidth);
    EXPECT_EQ(form->find<QLineEdit>(ControlId::Edit1)->text().toStdString(), form->form().program.SaveFile);
    // A window that had waited for the server would have given up on it by
    // now and said so.
    EXPECT_TRUE(messages.messages.empty()) << messages.messages[0];
    EXPECT_EQ(form->find<QComboBox>(ControlId::ComboBox1)->count(), 0);

    server.thaw();
    ASSERT_TRUE(wait_for([&] { return form->find<QComboBox>(ControlId::ComboBox1)->count() >= 2; }));
    EXPECT_EQ(form->find<QComboBox>(ControlId::ComboBox1)->currentText(),
              form->find<QComboBox>(ControlId::ComboBox1)->itemText(1 + server.sources_per_tone()));
    EXPECT_TRUE(form->find<QComboBox>(ControlId::ComboBox1)->currentText().contains("880"))
        << form->find<QComboBox>(ControlId::ComboBox1)->currentText().toStdString();
}

} // namespace
} // namespace ornavox::test

namespace ornavox::test {
namespace {

// Before recording the uncovered panel reads the chosen source's own level
// stream, and follows a change of source; the recording's meter reads what
// is recorded.
TEST_F(WindowMixer, TheMetersReadTheChosenSourceBeforeAndWhileRecording)
{
    server.add_tone_source("ornavox_quiet", 440, "Quiet tone", false, 0.25);
    create();
    choose("Quiet tone");
    EXPECT_FALSE(form->meter(MeterPlace::Panel)) << "covered";
    click(form->find<Thotlinkbutton>(ControlId::hotlinkbutton9));
    EXPECT_TRUE(meter_reads(MeterPlace::Panel, -12.0)) << meter_peak(MeterPlace::Panel).value_or(-99);
    choose("Sine tone at 880 Hz");
    EXPECT_TRUE(meter_reads(MeterPlace::Panel, -6.0)) << meter_peak(MeterPlace::Panel).value_or(-99);
    choose("Quiet tone");
    EXPECT_TRUE(meter_reads(MeterPlace::Panel, -12.0)) << meter_peak(MeterPlace::Panel).value_or(-99);

    start_recording();
    EXPECT_TRUE(meter_reads(MeterPlace::Skin, -12.0)) << meter_peak(MeterPlace::Skin).value_or(-99);
    EXPECT_TRUE(meter_reads(MeterPlace::Panel, -12.0)) << meter_peak(MeterPlace::Panel).value_or(-99);
    EXPECT_TRUE(wait_for([&] {
        return server.pactl("list source-outputs").find("Recording level") == std::string::npos;
    })) << "the level stream stays beside the recording";
    click(form->find<Thotlinkbutton>(ControlId::hotlinkbutton4));
    EXPECT_FALSE(form->meter(MeterPlace::Skin));
    click(form->find<Thotlinkbutton>(ControlId::hotlinkbutton9));
    EXPECT_FALSE(form->meter(MeterPlace::Panel));
    EXPECT_TRUE(messages.messages.empty()) << messages.messages[0];
}

TEST_F(WindowMixer, ASilentSourceIsToldInTheHintLineAfterTenSeconds)
{
    server.add_tone_source("ornavox_silent", 440, "Silent line", false, 0.0);
    create();
    choose("Silent line");
    start_recording();
    const auto started = Clock::now();
    const QLabel* hint_line = form->find<QLabel>(ControlId::Label1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return hint_line->text().startsWith("No sound"); }, 15000))
        << hint_line->text().toStdString();
    const double after = seconds(Clock::now() - started);
    std::printf("told %.1f s after the record press\n", after);
    EXPECT_GE(after, 10.0);
    EXPECT_EQ(hint_line->text(), "No sound is coming from Silent line");
    EXPECT_EQ(form->form().taskstate, TaskState::Recording);
}

} // namespace
} // namespace ornavox::test
