#pragma once

namespace ornavox {

class CaptureDevice;
class Dispatcher;
class LevelMonitor;
class MediaPlayer;
class MixerDevice;

// The sound system as one backend serves it: the capture device, the mixer
// and the player, over whatever connection they share. Made, used and
// destroyed on the GUI thread.
class SoundBackend {
public:
    virtual ~SoundBackend() = default;
    virtual CaptureDevice& capture_device() = 0;
    virtual MixerDevice& mixer_device() = 0;
    virtual MediaPlayer& media_player() = 0;
    // nullptr where the sound system cannot tell a source's level unrecorded.
    virtual LevelMonitor* level_monitor() { return nullptr; }
};

// What a backend built as a module exports, unmangled: makes its backend,
// which posts through `dispatcher`. The caller owns the result.
using CreateSoundBackend = SoundBackend* (*)(Dispatcher& dispatcher);
inline constexpr const char* kCreateSoundBackend = "ornavox_create_sound_backend";

} // namespace ornavox
