#pragma once

#include "platform/sound_backend.h"

namespace ornavox {

// Devices made already, served as one backend: for tests, tools and any
// caller that holds its own devices. They must outlive it.
class SoundDevices final : public SoundBackend {
public:
    SoundDevices(CaptureDevice& capture, MixerDevice& mixer, MediaPlayer& player, LevelMonitor* levels = nullptr)
        : capture_(capture), mixer_(mixer), player_(player), levels_(levels)
    {
    }

    CaptureDevice& capture_device() override { return capture_; }
    MixerDevice& mixer_device() override { return mixer_; }
    MediaPlayer& media_player() override { return player_; }
    LevelMonitor* level_monitor() override { return levels_; }

private:
    CaptureDevice& capture_;
    MixerDevice& mixer_;
    MediaPlayer& player_;
    LevelMonitor* levels_;
};

} // namespace ornavox
