#pragma once

#include "platform/win32/com_ptr.h"
#include "platform/win32/core_audio_mixer_device.h"

#include <cstdint>
#include <string>

namespace ornavox {

// One line of the mixer: a capture endpoint, what the output plays, the
// output itself, or one of its audio sessions, with the level and mute that
// it shows. GUI thread.
struct CoreAudioMixerDevice::Endpoint {
    std::string name;
    std::string id; // the endpoint's, which outlives a restart
    uint32_t component_type = MIXERLINE_COMPONENTTYPE_SRC_UNDEFINED;
    bool what_you_hear = false;
    std::string voice; // of a call item: its capture endpoint's name, else empty
    uint32_t line_id = 0;
    uint32_t volume_control = 0;
    uint32_t mute_control = 0;
    // An endpoint's level, or an audio session's.
    win32::ComPtr<IAudioEndpointVolume> volume;
    win32::ComPtr<IAudioSessionControl> session;
    win32::ComPtr<ISimpleAudioVolume> session_volume;
    win32::ComPtr<Callbacks> callback;
    uint32_t shown_volume = 0;
    uint32_t shown_mute = 0;

    bool has_controls() const { return volume || session_volume; }
    bool read(uint32_t& level, uint32_t& mute) const;
    HRESULT write(bool mute, uint32_t value) const;
    // Tells the line's changes to `events` until stop_listening().
    void listen(const win32::ComPtr<Callbacks>& events);
    void stop_listening();
};

// What Windows calls an endpoint, and what kind of source line it makes.
std::string friendly_name(IMMDevice& device);
std::string endpoint_id(IMMDevice& device);
uint32_t component_type(IMMDevice& device);
// What a session calls itself, or else the name of the program that plays it.
std::string session_name(IAudioSessionControl2& session);

} // namespace ornavox
