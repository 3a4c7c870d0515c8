#pragma once

#include "platform/fake/fake_capture_device.h"
#include "platform/fake/fake_hotkey_service.h"
#include "platform/fake/fake_media_player.h"
#include "platform/fake/fake_mixer_device.h"
#include "platform/fake/queue_dispatcher.h"
#include "platform/fake/recording_message_sink.h"
#include "platform/fake/recording_shell.h"
#include "platform/qt/qt_user_locale.h"
#include "platform/sound_devices.h"
#include "recording/encoder_plugin.h"
#include "tests/support/scripted_dialogs.h"
#include "ui/skinform.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

namespace ornavox::test {

// A program folder of its own for each test: the built skin and the encoder
// plug-in copied in, Config.ini written beside them.
class ProgramFolder {
public:
    ProgramFolder()
    {
        const QDir built(QStringLiteral(ORNAVOX_PROGRAM_DIR));
        QDirIterator files(built.filePath(QStringLiteral("skin")), QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString from = files.next();
            const QString to = dir_.filePath(built.relativeFilePath(from));
            QDir().mkpath(QFileInfo(to).path());
            QFile::copy(from, to);
        }
        QFile::copy(built.filePath(QString::fromLatin1(kEncoderPluginFileName)),
                    dir_.filePath(QString::fromLatin1(kEncoderPluginFileName)));
    }

    std::string path() const { return dir_.path().toStdString() + "/"; }
    std::string config_path() const { return path() + "Config.ini"; }

    void write_config(const std::string& text) const { std::ofstream(config_path(), std::ios::binary) << text; }

    // The file's bytes; "<missing>" when there is none.
    std::string read_config() const
    {
        std::ifstream in(config_path(), std::ios::binary);
        if (!in)
            return "<missing>";
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

private:
    QTemporaryDir dir_;
};

// One window over the fakes and its own program folder. The sound card has a
// speakers line and no record source until a test adds them.
class SkinFormTest : public ::testing::Test {
protected:
    SkinFormTest() { card.add_playback("Speakers", 0, 0); }

    // The window as start-up leaves it, with the steps that wait for the
    // first paint run.
    void create(MessageSink* sink = nullptr)
    {
        create_unstarted(sink);
        form->finish_start();
    }
    // The window as its first frame shows it.
    void create_unstarted(MessageSink* sink = nullptr)
    {
        form.reset();
        locale.emplace(long_time_format);
        form = std::make_unique<TskinForm>(SkinFormServices{sound, hotkeys, dispatcher, sink ? *sink : messages,
                                                            dialogs, shell, folder.path(), *locale});
    }

    QueueDispatcher dispatcher;
    FakeCaptureDevice device{dispatcher};
    FakeMixerDevice card{dispatcher};
    FakeMediaPlayer player{dispatcher};
    SoundDevices sound{device, card, player};
    FakeHotkeyService hotkeys;
    std::string long_time_format = "HH:mm:ss";
    RecordingMessageSink messages;
    ScriptedDialogs dialogs;
    RecordingShell shell;
    ProgramFolder folder;
    std::optional<QtUserLocale> locale;
    std::unique_ptr<TskinForm> form;
};

} // namespace ornavox::test
