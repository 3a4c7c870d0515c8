#pragma once

#include "platform/fake/fake_capture_device.h"
#include "platform/fake/fake_hotkey_service.h"
#include "platform/fake/fake_media_player.h"
#include "platform/fake/fake_mixer_device.h"
#include "platform/fake/queue_dispatcher.h"
#include "platform/fake/recording_message_sink.h"
#include "platform/fake/recording_shell.h"
#include "platform/qt/qt_one_shot_timer.h"
#include "platform/qt/qt_user_locale.h"
#include "platform/sound_devices.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/ui/program_folder.h"
#include "ui/qt/skin_window.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace ornavox::test {

// One Qt window over the fakes and its own program folder with the skin.
// The sound card has a speakers line and no record source until a test adds
// them.
class SkinWindowTest : public ::testing::Test {
protected:
    SkinWindowTest() { card.add_playback("Speakers", 0, 0); }

    // The window as start-up leaves it, with the steps that wait for the
    // first paint run.
    void create()
    {
        create_unstarted();
        window->form().finish_start();
    }
    // The window as its first frame shows it.
    void create_unstarted()
    {
        window.reset();
        window = std::make_unique<SkinWindow>(
            SkinFormServices{sound, hotkeys, dispatcher, messages, dialogs, shell, folder.path(), locale, timers});
    }

    TskinForm& form() { return window->form(); }

    QueueDispatcher dispatcher;
    FakeCaptureDevice device{dispatcher};
    FakeMixerDevice card{dispatcher};
    FakeMediaPlayer player{dispatcher};
    SoundDevices sound{device, card, player};
    FakeHotkeyService hotkeys;
    RecordingMessageSink messages;
    ScriptedDialogs dialogs;
    RecordingShell shell;
    QtUserLocale locale{"HH:mm:ss"};
    QtTimerFactory timers;
    ProgramFolder folder{ProgramFolder::Skin::With};
    std::unique_ptr<SkinWindow> window;
};

} // namespace ornavox::test
