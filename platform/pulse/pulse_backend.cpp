// The sound server backend as a module: the program opens it on the GUI
// thread when the window first asks for a device, once the first frame is on
// the screen, so that mapping the client libraries does not hold that back.
#include "platform/pulse/pulse_level_monitor.h"
#include "platform/pulse/pulse_media_player.h"
#include "platform/pulse/pulse_mixer_device.h"
#include "platform/pulse/pulse_record_device.h"
#include "platform/pulse/pulse_session.h"
#include "platform/sound_backend.h"

namespace ornavox {

namespace {

class PulseBackend final : public SoundBackend {
public:
    explicit PulseBackend(Dispatcher& dispatcher)
        : session_(dispatcher), capture_(session_, dispatcher), mixer_(session_, dispatcher),
          player_(session_, dispatcher), levels_(session_, dispatcher)
    {
    }

    CaptureDevice& capture_device() override { return capture_; }
    MixerDevice& mixer_device() override { return mixer_; }
    MediaPlayer& media_player() override { return player_; }
    LevelMonitor* level_monitor() override { return &levels_; }

private:
    PulseSession session_; // outlives the devices
    PulseRecordDevice capture_;
    PulseMixerDevice mixer_;
    PulseMediaPlayer player_;
    PulseLevelMonitor levels_;
};

} // namespace

} // namespace ornavox

extern "C" __attribute__((visibility("default"))) ornavox::SoundBackend*
ornavox_create_sound_backend(ornavox::Dispatcher& dispatcher)
{
    return new ornavox::PulseBackend(dispatcher);
}
