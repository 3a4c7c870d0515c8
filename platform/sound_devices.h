#pragma once

#include "platform/sound_backend.h"

namespace ornavox {

// Devices made already, served as one backend: for tests, tools and any
// caller that holds its own devices. They must outlive it.
class SoundDevices final : public SoundBackend {
public:
    SoundDevices(CaptureDevice& capture, MixerDevice& mixer, MediaPlayer& player)
        : capture_(capture), mixer_(mixer), player_(player)
    {
    }

    CaptureDevice& capture_device() override { return capture_; }
    MixerDevice& mixer_device() override { return mixer_; }
    MediaPlayer& media_player() override { return player_; }

private:
    CaptureDevice& capture_;
    MixerDevice& mixer_;
    MediaPlayer& player_;
};

} // namespace ornavox
