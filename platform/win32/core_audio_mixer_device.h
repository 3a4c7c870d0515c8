#pragma once

#include "platform/dispatcher.h"
#include "platform/mixer_device.h"
#include "platform/posted_guard.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/process_mta.h"
#include "platform/win32/record_source.h"

#include <audiopolicy.h>
#include <endpointvolume.h>
#include <mmdeviceapi.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ornavox {

// Windows' own audio endpoints seen as the mixer of one sound card, since
// the wave mixer's recording MUX no longer exists on current Windows:
// - the recording destination's MUX lists the active capture endpoints by
//   their names, typed by form factor (microphone, line, else undefined),
//   and last, where Windows can capture it, "What you hear": what the default
//   output plays, typed as the mix of what is played, so that auto-detection
//   prefers it. Its level and mute are the output's. Selecting an item
//   chooses the record source of the program's capture device. Nothing is
//   selected until the program chooses;
// - each capture endpoint's line has its volume and mute;
// - the speakers destination is the default output endpoint, with its
//   volume and mute, and its source lines are the endpoint's audio sessions
//   (one per program that plays).
// Levels and mutes that change outside come as control changes; endpoints
// and sessions that come, go, are renamed or change default come as
// lines_changed(); both are posted through the dispatcher from COM's
// threads. A write that changes nothing is not made; a change is raised only
// when a value the mixer shows differs, so the mixer's own writes raise
// none. Line and control ids are the mixer's own, anew at each open.
//
// Thread contract: everything public on the GUI thread, where COM was
// initialised.
class CoreAudioMixerDevice final : public MixerDevice {
public:
    static constexpr const char* kWhatYouHear = "What you hear";

    // `choose_record_source` gets the item the MUX selects. The endpoints
    // come from `enumerator`, or from Windows' own when none is given.
    CoreAudioMixerDevice(Dispatcher& dispatcher, std::function<void(const RecordSource&)> choose_record_source,
                         win32::ComPtr<IMMDeviceEnumerator> enumerator = {});
    ~CoreAudioMixerDevice() override;
    CoreAudioMixerDevice(const CoreAudioMixerDevice&) = delete;
    CoreAudioMixerDevice& operator=(const CoreAudioMixerDevice&) = delete;

    std::optional<uint32_t> default_mixer_id() override;
    bool open(uint32_t mixer_id, MixerListener& listener) override;
    void close() override;
    bool line_by_component_type(uint32_t component_type, MixerLine& line) override;
    bool line_by_id(uint32_t line_id, MixerLine& line) override;
    bool line_by_source(uint32_t destination, uint32_t source, MixerLine& line) override;
    bool control_by_type(uint32_t line_id, MixerControlType type, MixerControl& control) override;
    bool mux_list(uint32_t control_id, std::vector<MuxItem>& items) override;
    bool mux_values(uint32_t control_id, std::vector<uint32_t>& values) override;
    bool set_mux_values(uint32_t control_id, const std::vector<uint32_t>& values) override;
    void choose_missing_source(const std::string& id) override;
    bool value(uint32_t control_id, uint32_t& value) override;
    bool set_value(uint32_t control_id, uint32_t value) override;

    struct Endpoint;
    class Callbacks;

private:
    std::unique_ptr<Endpoint> make_endpoint(IMMDevice& device, uint32_t line_id, uint32_t first_control);
    Endpoint* endpoint_of_line(uint32_t line_id);
    Endpoint* endpoint_of_control(uint32_t control_id, bool& mute);
    void endpoint_changed(uint32_t line_id);
    MixerLine line_of(const Endpoint& endpoint) const;
    void read_sessions(IMMDevice& output);
    static RecordSource source_of(const Endpoint& endpoint);

    // First, so that new sessions are told from before the first open.
    win32::ProcessMta mta_;
    Dispatcher& dispatcher_;
    std::function<void(const RecordSource&)> choose_record_source_;
    win32::ComPtr<IMMDeviceEnumerator> enumerator_;
    MixerListener* listener_ = nullptr;
    std::vector<std::unique_ptr<Endpoint>> captures_;
    std::unique_ptr<Endpoint> output_;
    std::vector<std::unique_ptr<Endpoint>> sessions_;
    win32::ComPtr<IAudioSessionManager2> session_manager_;
    RecordSource chosen_;
    // Shared with the COM callbacks: a call they post finds the device gone.
    PostedGuard<CoreAudioMixerDevice> guard_;
    win32::ComPtr<Callbacks> device_events_;
};

} // namespace ornavox
