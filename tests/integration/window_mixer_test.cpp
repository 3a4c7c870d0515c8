// The mixer panel of the window on a private sound server.
#include "platform/fake/fake_hotkey_service.h"
#include "platform/pulse/pulse_capture_device.h"
#include "platform/pulse/pulse_media_player.h"
#include "platform/pulse/pulse_mixer_device.h"
#include "platform/pulse/pulse_session.h"
#include "platform/qt/qt_dispatcher.h"
#include "tests/support/mp3_decode.h"
#include "tests/support/pulse_server.h"
#include "tests/ui/skinform_fixture.h"
#include "ui/hotlinkbutton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSlider>
#include <QTest>

namespace ornavox::test {
namespace {

class WindowMixer : public ::testing::Test {
protected:
    WindowMixer() { server.add_tone_source("ornavox_high", 880); }

    void create(const std::string& config = "")
    {
        folder.write_config(config);
        form = std::make_unique<TskinForm>(SkinFormServices{device, mixer_device, player, hotkeys, dispatcher, messages,
                                                            dialogs, shell, folder.path(), "HH:mm:ss"});
        form->show();
        QTest::qWait(200);
    }

    // Waits, running the event loop, until `done` holds; false after 10 s.
    static bool wait_for(const std::function<bool()>& done) { return QTest::qWaitFor(done, 10000); }

    int list_item(const QString& text) const { return form->ComboBox1->findText(text, Qt::MatchContains); }
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
    FakeHotkeyService hotkeys;
    RecordingMessageSink messages;
    ScriptedDialogs dialogs;
    RecordingShell shell;
    ProgramFolder folder;
    std::unique_ptr<TskinForm> form;
};

TEST_F(WindowMixer, StartingChangesNoVolumeOfTheUsersSystem)
{
    PlaybackStream radio(server, "Radio", "Evening");
    server.pactl("set-sink-volume ornavox_null 50% 100%");
    server.pactl("set-sink-input-volume " + std::to_string(radio.index()) + " 60% 100%");
    server.pactl("set-source-volume ornavox_high 150%");
    const std::string sink = server.pactl("get-sink-volume ornavox_null");
    const std::string source = server.pactl("get-source-volume ornavox_high");
    const std::vector<uint32_t> stream = channel_volumes(server.pactl("list sink-inputs"));
    create("[audio]\r\naudioline=0\r\nsource=2\r\n");
    ASSERT_NE(row("Radio: Evening"), -1);
    EXPECT_EQ(form->VolumeBars[row("Radio: Evening")]->value(), 65535) << "the loudest channel";
    EXPECT_EQ(form->TrackBar1->value(), 65535) << "150 % shows as the top";
    QTest::qWait(300);

    EXPECT_EQ(server.pactl("get-sink-volume ornavox_null"), sink);
    EXPECT_EQ(server.pactl("get-source-volume ornavox_high"), source);
    EXPECT_EQ(channel_volumes(server.pactl("list sink-inputs")), stream);
    EXPECT_TRUE(messages.messages.empty()) << messages.messages[0];
}

TEST_F(WindowMixer, LevelsAndMutesGoBothWays)
{
    PlaybackStream radio(server, "Radio", "Evening");
    server.pactl("set-sink-input-volume " + std::to_string(radio.index()) + " 60% 100%");
    create("[audio]\r\naudioline=0\r\nsource=2\r\n");
    const int r = row("Radio: Evening");
    ASSERT_NE(r, -1);

    // A row bar moved by the user keeps the stream's balance: 60 % of the
    // new level on the left.
    const std::vector<uint32_t> before = channel_volumes(server.pactl("list sink-inputs"));
    form->VolumeBars[r]->setValue(32767);
    std::vector<uint32_t> after;
    ASSERT_TRUE(wait_for([&] {
        after = channel_volumes(server.pactl("list sink-inputs"));
        return after.size() == 2 && after[1] != before[1];
    })) << server.pactl("list sink-inputs");
    EXPECT_NEAR(after[1], 32768, 1);
    EXPECT_NEAR(after[0], before[0] * after[1] / 65536.0, 1.0);

    server.pactl("set-sink-input-mute " + std::to_string(radio.index()) + " 1");
    ASSERT_TRUE(wait_for([&] { return form->MuteBoxes[r]->isChecked(); }));
    form->MuteBoxes[r]->click();
    ASSERT_TRUE(wait_for([&] { return server.pactl("list sink-inputs").find("Mute: no") != std::string::npos; }));

    // The chosen source's level comes from the server.
    server.pactl("set-source-volume ornavox_high 40%");
    ASSERT_TRUE(wait_for([&] { return form->TrackBar1->value() == 26214; }));
}

TEST_F(WindowMixer, SourcesThatComeAndGoAreListedAndTheChoiceIsKept)
{
    create("[audio]\r\naudioline=0\r\nsource=2\r\n");
    ASSERT_EQ(form->ComboBox1->count(), 3);
    const QString chosen = form->ComboBox1->currentText();

    server.add_tone_source("ornavox_new", 330);
    ASSERT_TRUE(wait_for([&] { return form->ComboBox1->count() == 4; }));
    EXPECT_EQ(form->ComboBox1->currentText(), chosen);
    server.remove_source("ornavox_new");
    ASSERT_TRUE(wait_for([&] { return form->ComboBox1->count() == 3; }));
    EXPECT_EQ(form->ComboBox1->currentText(), chosen);
    EXPECT_EQ(form->Label6->text(), QStringLiteral("Record source->") + chosen);
}

TEST_F(WindowMixer, AfterTheServerCameBackThePanelIsCompleteAndTheChoiceRecords)
{
    create("[audio]\r\naudioline=0\r\nsource=2\r\n");
    server.kill();
    server.restart();
    server.add_tone_source("ornavox_high", 880);
    ASSERT_TRUE(wait_for([&] { return form->ComboBox1->count() == 3; }));
    ASSERT_TRUE(form->Label6->text().contains(form->ComboBox1->itemText(2))) << form->Label6->text().toStdString();

    dialogs.answers = {Dialogs::Answer::Yes};
    QTest::mouseClick(form->hotlinkbutton3, Qt::LeftButton, {}, QPoint(12, 12));
    ASSERT_EQ(form->taskstate, TaskState::Recording) << (messages.messages.empty() ? "" : messages.messages[0]);
    QTest::qWait(1500);
    QTest::mouseClick(form->hotlinkbutton4, Qt::LeftButton, {}, QPoint(12, 12));
    form->audiorec1->finish_closing();
    const DecodedMp3 decoded = decode_mp3_file(form->program.SaveFile);
    ASSERT_TRUE(decoded.ok()) << decoded.error;
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

} // namespace
} // namespace ornavox::test
