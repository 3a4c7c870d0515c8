#pragma once

#include "platform/fake/fake_capture_device.h"
#include "platform/fake/fake_hotkey_service.h"
#include "platform/fake/fake_level_monitor.h"
#include "platform/fake/fake_media_player.h"
#include "platform/fake/fake_mixer_device.h"
#include "platform/fake/queue_dispatcher.h"
#include "platform/fake/recording_message_sink.h"
#include "platform/fake/recording_shell.h"
#include "platform/sound_devices.h"
#include "tests/support/scripted_dialogs.h"

namespace ornavox::test {

// What the window is given in a unit test, whichever front end draws it. The
// sound card has a speakers line and no record source until a test adds them.
struct FakeWindowServices {
    FakeWindowServices() { card.add_playback("Speakers", 0, 0); }

    QueueDispatcher dispatcher;
    FakeCaptureDevice device{dispatcher};
    FakeMixerDevice card{dispatcher};
    FakeMediaPlayer player{dispatcher};
    FakeLevelMonitor levels{dispatcher};
    SoundDevices sound{device, card, player, &levels};
    FakeHotkeyService hotkeys;
    RecordingMessageSink messages;
    ScriptedDialogs dialogs;
    RecordingShell shell;
};

} // namespace ornavox::test
