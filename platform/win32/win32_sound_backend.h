#pragma once

#include "platform/sound_backend.h"
#include "platform/win32/core_audio_level_monitor.h"
#include "platform/win32/core_audio_mixer_device.h"
#include "platform/win32/mci_media_player.h"
#include "platform/win32/win32_capture_device.h"

#include <optional>

namespace ornavox {

// Windows' sound system as the window uses it: capture from the source the
// mixer chose, the mixer over the audio endpoints, playback through MCI. The
// devices are made when first asked for, after the window painted. GUI
// thread, where COM was initialised.
class Win32SoundBackend final : public SoundBackend {
public:
    explicit Win32SoundBackend(Dispatcher& dispatcher) : dispatcher_(dispatcher) {}

    CaptureDevice& capture_device() override { return devices().capture; }
    MixerDevice& mixer_device() override { return devices().mixer; }
    MediaPlayer& media_player() override { return devices().player; }
    LevelMonitor* level_monitor() override { return &devices().levels; }

private:
    struct Devices {
        explicit Devices(Dispatcher& dispatcher)
            : capture(dispatcher), mixer(dispatcher, [this](const RecordSource& source) { capture.choose(source); }),
              levels(dispatcher)
        {
        }
        Win32CaptureDevice capture;
        CoreAudioMixerDevice mixer;
        MciMediaPlayer player;
        CoreAudioLevelMonitor levels;
    };
    Devices& devices()
    {
        if (!devices_)
            devices_.emplace(dispatcher_);
        return *devices_;
    }

    Dispatcher& dispatcher_;
    std::optional<Devices> devices_;
};

} // namespace ornavox
