#include "platform/win32/core_audio_mixer_device.h"

#include "base/list_name.h"

#include "platform/record_source_id.h"
#include "platform/win32/core_audio_callbacks.h"
#include "platform/win32/core_audio_endpoint.h"
#include "platform/win32/loopback_capture_device.h"

#include <utility>

namespace ornavox {

namespace {

constexpr uint32_t kRecordingLine = 1;
constexpr uint32_t kSpeakersLine = 2;
constexpr uint32_t kMuxControl = 1;
constexpr uint32_t kFirstCaptureLine = 100;
constexpr uint32_t kFirstCaptureControl = 1000; // volume, then mute, per endpoint
constexpr uint32_t kOutputVolume = 3000;
constexpr uint32_t kOutputMute = 3001;
constexpr uint32_t kFirstSessionLine = 200;
constexpr uint32_t kFirstSessionControl = 4000; // volume, then mute, per session

} // namespace

CoreAudioMixerDevice::CoreAudioMixerDevice(Dispatcher& dispatcher,
                                           std::function<void(const RecordSource&)> choose_record_source,
                                           win32::ComPtr<IMMDeviceEnumerator> enumerator)
    : dispatcher_(dispatcher), choose_record_source_(std::move(choose_record_source)),
      enumerator_(std::move(enumerator)), guard_(this)
{
    if (!enumerator_)
        CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, __uuidof(IMMDeviceEnumerator),
                         enumerator_.put_void());
}

CoreAudioMixerDevice::~CoreAudioMixerDevice()
{
    close();
}

std::optional<uint32_t> CoreAudioMixerDevice::default_mixer_id()
{
    win32::ComPtr<IMMDevice> output;
    if (!enumerator_ || FAILED(enumerator_->GetDefaultAudioEndpoint(eRender, eConsole, output.put())))
        return std::nullopt;
    return 0;
}

std::unique_ptr<CoreAudioMixerDevice::Endpoint> CoreAudioMixerDevice::make_endpoint(IMMDevice& device, uint32_t line_id,
                                                                                    uint32_t first_control)
{
    auto endpoint = std::make_unique<Endpoint>();
    endpoint->name = list_name(friendly_name(device));
    endpoint->id = endpoint_id(device);
    endpoint->component_type = component_type(device);
    endpoint->line_id = line_id;
    endpoint->volume_control = first_control;
    endpoint->mute_control = first_control + 1;
    if (SUCCEEDED(device.Activate(__uuidof(IAudioEndpointVolume), CLSCTX_ALL, nullptr, endpoint->volume.put_void()))) {
        endpoint->read(endpoint->shown_volume, endpoint->shown_mute);
        win32::ComPtr<Callbacks> events;
        *events.put() = new Callbacks(dispatcher_, guard_.ref(), line_id);
        endpoint->listen(events);
    }
    return endpoint;
}

bool CoreAudioMixerDevice::open(uint32_t mixer_id, MixerListener& listener)
{
    close();
    if (mixer_id != 0 || !enumerator_)
        return false;
    win32::ComPtr<IMMDeviceCollection> inputs;
    UINT count = 0;
    if (FAILED(enumerator_->EnumAudioEndpoints(eCapture, DEVICE_STATE_ACTIVE, inputs.put()))
        || FAILED(inputs->GetCount(&count)))
        return false;
    const auto next_capture = [this] { return static_cast<uint32_t>(captures_.size()); };
    for (UINT i = 0; i < count; ++i) {
        win32::ComPtr<IMMDevice> device;
        if (SUCCEEDED(inputs->Item(i, device.put())))
            captures_.push_back(make_endpoint(*device.get(), kFirstCaptureLine + next_capture(),
                                              kFirstCaptureControl + 2 * next_capture()));
    }
    const size_t voices = captures_.size();
    *device_events_.put() = new Callbacks(dispatcher_, guard_.ref(), 0);
    win32::ComPtr<IMMDevice> output;
    if (SUCCEEDED(enumerator_->GetDefaultAudioEndpoint(eRender, eConsole, output.put()))) {
        output_ = make_endpoint(*output.get(), kSpeakersLine, kOutputVolume);
        if (loopback_capture_available(*output.get())) {
            auto heard = make_endpoint(*output.get(), kFirstCaptureLine + next_capture(),
                                       kFirstCaptureControl + 2 * next_capture());
            heard->name = kWhatYouHear;
            heard->id = kWhatYouHear;
            heard->component_type = MIXERLINE_COMPONENTTYPE_SRC_ANALOG;
            heard->what_you_hear = true;
            captures_.push_back(std::move(heard));
            // A call of each capture endpoint, typed as a telephone, which no
            // line kind picks. Its level and mute are the endpoint's own
            // controls, which the endpoint's line reports.
            for (size_t v = 0; v < voices; ++v) {
                const Endpoint& voice = *captures_[v];
                auto call = std::make_unique<Endpoint>();
                call->voice = voice.name;
                call->name = call_source_name(voice.name);
                call->id = call_source_id(voice.id);
                call->component_type = MIXERLINE_COMPONENTTYPE_SRC_TELEPHONE;
                call->line_id = kFirstCaptureLine + next_capture();
                call->volume = voice.volume;
                call->volume_control = voice.volume_control;
                call->mute_control = voice.mute_control;
                captures_.push_back(std::move(call));
            }
        }
        read_sessions(*output.get());
    }
    enumerator_->RegisterEndpointNotificationCallback(device_events_.get());
    listener_ = &listener;
    return true;
}

void CoreAudioMixerDevice::close()
{
    if (device_events_) {
        enumerator_->UnregisterEndpointNotificationCallback(device_events_.get());
        if (session_manager_)
            session_manager_->UnregisterSessionNotification(device_events_.get());
        device_events_.reset();
    }
    session_manager_.reset();
    for (const auto* lines : {&captures_, &sessions_})
        for (const auto& endpoint : *lines)
            endpoint->stop_listening();
    if (output_)
        output_->stop_listening();
    captures_.clear();
    sessions_.clear();
    output_.reset();
    listener_ = nullptr;
}

// The output's audio sessions as they are now, expired ones left out; each
// is a source line of the speakers. Sessions that start later are told
// through the device's events: Windows tells them only once the sessions were
// listed.
void CoreAudioMixerDevice::read_sessions(IMMDevice& output)
{
    win32::ComPtr<IAudioSessionEnumerator> sessions;
    int count = 0;
    if (FAILED(output.Activate(__uuidof(IAudioSessionManager2), CLSCTX_ALL, nullptr, session_manager_.put_void()))
        || FAILED(session_manager_->GetSessionEnumerator(sessions.put())) || FAILED(sessions->GetCount(&count))) {
        session_manager_.reset();
        return;
    }
    session_manager_->RegisterSessionNotification(device_events_.get());
    for (int i = 0; i < count; ++i) {
        win32::ComPtr<IAudioSessionControl> control;
        win32::ComPtr<IAudioSessionControl2> control2;
        AudioSessionState state = AudioSessionStateExpired;
        if (FAILED(sessions->GetSession(i, control.put()))
            || FAILED(control->QueryInterface(__uuidof(IAudioSessionControl2), control2.put_void()))
            || FAILED(control->GetState(&state)) || state == AudioSessionStateExpired)
            continue;
        auto session = std::make_unique<Endpoint>();
        const auto n = static_cast<uint32_t>(sessions_.size());
        session->name = list_name(session_name(*control2.get()));
        session->component_type = MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT;
        session->line_id = kFirstSessionLine + n;
        session->volume_control = kFirstSessionControl + 2 * n;
        session->mute_control = kFirstSessionControl + 2 * n + 1;
        session->session = control;
        control->QueryInterface(__uuidof(ISimpleAudioVolume), session->session_volume.put_void());
        session->read(session->shown_volume, session->shown_mute);
        win32::ComPtr<Callbacks> events;
        *events.put() = new Callbacks(dispatcher_, guard_.ref(), session->line_id);
        session->listen(events);
        sessions_.push_back(std::move(session));
    }
}

MixerLine CoreAudioMixerDevice::line_of(const Endpoint& endpoint) const
{
    MixerLine line;
    line.line_id = endpoint.line_id;
    const bool playback = endpoint.line_id == kSpeakersLine || endpoint.line_id >= kFirstSessionLine;
    line.destination = playback ? 1 : 0;
    line.component_type =
        endpoint.line_id == kSpeakersLine ? MIXERLINE_COMPONENTTYPE_DST_SPEAKERS : endpoint.component_type;
    line.target_type = playback ? MIXERLINE_TARGETTYPE_WAVEOUT : MIXERLINE_TARGETTYPE_WAVEIN;
    line.connections = endpoint.line_id == kSpeakersLine ? static_cast<uint32_t>(sessions_.size()) : 0;
    line.controls = endpoint.has_controls() ? 2 : 0;
    line.name = endpoint.name;
    return line;
}

bool CoreAudioMixerDevice::line_by_component_type(uint32_t component_type, MixerLine& line)
{
    if (!listener_)
        return false;
    if (component_type == MIXERLINE_COMPONENTTYPE_DST_WAVEIN) {
        line = MixerLine{kRecordingLine,
                         0,
                         MIXERLINE_COMPONENTTYPE_DST_WAVEIN,
                         MIXERLINE_TARGETTYPE_WAVEIN,
                         static_cast<uint32_t>(captures_.size()),
                         1,
                         "Recording"};
        return true;
    }
    if (component_type == MIXERLINE_COMPONENTTYPE_DST_SPEAKERS && output_) {
        line = line_of(*output_);
        return true;
    }
    for (const auto& endpoint : captures_)
        if (endpoint->component_type == component_type) {
            line = line_of(*endpoint);
            return true;
        }
    return false;
}

CoreAudioMixerDevice::Endpoint* CoreAudioMixerDevice::endpoint_of_line(uint32_t line_id)
{
    if (line_id == kSpeakersLine)
        return output_.get();
    if (line_id >= kFirstSessionLine)
        return line_id - kFirstSessionLine < sessions_.size() ? sessions_[line_id - kFirstSessionLine].get() : nullptr;
    const uint32_t n = line_id - kFirstCaptureLine;
    return line_id >= kFirstCaptureLine && n < captures_.size() ? captures_[n].get() : nullptr;
}

bool CoreAudioMixerDevice::line_by_id(uint32_t line_id, MixerLine& line)
{
    if (line_id == kRecordingLine)
        return line_by_component_type(MIXERLINE_COMPONENTTYPE_DST_WAVEIN, line);
    const Endpoint* endpoint = endpoint_of_line(line_id);
    if (!endpoint)
        return false;
    line = line_of(*endpoint);
    return true;
}

bool CoreAudioMixerDevice::line_by_source(uint32_t destination, uint32_t source, MixerLine& line)
{
    const auto& lines = destination == 0 ? captures_ : sessions_;
    if (destination > 1 || source >= lines.size())
        return false;
    line = line_of(*lines[source]);
    return true;
}

bool CoreAudioMixerDevice::control_by_type(uint32_t line_id, MixerControlType type, MixerControl& control)
{
    if (line_id == kRecordingLine) {
        if (type != MixerControlType::Mux || !listener_)
            return false;
        control = MixerControl{kMuxControl, static_cast<uint32_t>(captures_.size())};
        return true;
    }
    const Endpoint* endpoint = endpoint_of_line(line_id);
    if (!endpoint || !endpoint->has_controls() || type == MixerControlType::Mux)
        return false;
    control = MixerControl{type == MixerControlType::Volume ? endpoint->volume_control : endpoint->mute_control, 0};
    return true;
}

bool CoreAudioMixerDevice::mux_list(uint32_t control_id, std::vector<MuxItem>& items)
{
    if (control_id != kMuxControl || !listener_)
        return false;
    items.clear();
    for (const auto& endpoint : captures_)
        items.push_back(MuxItem{endpoint->line_id, endpoint->component_type, endpoint->name, endpoint->id});
    return true;
}

RecordSource CoreAudioMixerDevice::source_of(const Endpoint& endpoint)
{
    if (!endpoint.voice.empty())
        return RecordSource{endpoint.voice, false, true};
    return RecordSource{endpoint.name, endpoint.what_you_hear};
}

bool CoreAudioMixerDevice::mux_values(uint32_t control_id, std::vector<uint32_t>& values)
{
    if (control_id != kMuxControl || !listener_)
        return false;
    values.clear();
    for (const auto& endpoint : captures_)
        values.push_back(!chosen_.name.empty() && source_of(*endpoint) == chosen_ ? 1 : 0);
    return true;
}

// The waveIn device finds no sound card by that name, and says so at the
// next record.
void CoreAudioMixerDevice::choose_missing_source(const std::string& id)
{
    const std::optional<std::string> voice = call_voice(id);
    chosen_ = RecordSource{voice.value_or(id), false, voice.has_value()};
    choose_record_source_(chosen_);
}

bool CoreAudioMixerDevice::set_mux_values(uint32_t control_id, const std::vector<uint32_t>& values)
{
    if (control_id != kMuxControl || !listener_ || values.size() != captures_.size())
        return false;
    for (size_t i = 0; i < values.size(); ++i)
        if (values[i] != 0) {
            if (source_of(*captures_[i]) != chosen_) {
                chosen_ = source_of(*captures_[i]);
                choose_record_source_(chosen_);
            }
            return true;
        }
    return false;
}

CoreAudioMixerDevice::Endpoint* CoreAudioMixerDevice::endpoint_of_control(uint32_t control_id, bool& mute)
{
    if (output_ && (control_id == kOutputVolume || control_id == kOutputMute)) {
        mute = control_id == kOutputMute;
        return output_.get();
    }
    const bool session = control_id >= kFirstSessionControl;
    const uint32_t first = session ? kFirstSessionControl : kFirstCaptureControl;
    const auto& lines = session ? sessions_ : captures_;
    const uint32_t n = (control_id - first) / 2;
    if (control_id < first || n >= lines.size())
        return nullptr;
    mute = (control_id - first) % 2 == 1;
    return lines[n].get();
}

bool CoreAudioMixerDevice::value(uint32_t control_id, uint32_t& value)
{
    bool mute = false;
    const Endpoint* endpoint = endpoint_of_control(control_id, mute);
    uint32_t level = 0, muted = 0;
    if (!endpoint || !endpoint->read(level, muted))
        return false;
    value = mute ? muted : level;
    return true;
}

// What was written is what the line shows from now on: its echo raises no
// change.
bool CoreAudioMixerDevice::set_value(uint32_t control_id, uint32_t value)
{
    bool mute = false;
    Endpoint* endpoint = endpoint_of_control(control_id, mute);
    uint32_t level = 0, muted = 0;
    if (!endpoint || !endpoint->read(level, muted))
        return false;
    if ((mute ? muted : level) == value)
        return true;
    if (FAILED(endpoint->write(mute, value)))
        return false;
    endpoint->read(endpoint->shown_volume, endpoint->shown_mute);
    return true;
}

// Raised only for a value that differs from the one the line showed.
void CoreAudioMixerDevice::endpoint_changed(uint32_t line_id)
{
    Endpoint* endpoint = endpoint_of_line(line_id);
    uint32_t level = 0, muted = 0;
    if (!listener_ || !endpoint || !endpoint->read(level, muted))
        return;
    const bool level_changed = level != std::exchange(endpoint->shown_volume, level);
    const bool mute_changed = muted != std::exchange(endpoint->shown_mute, muted);
    if (level_changed)
        listener_->control_changed(endpoint->volume_control);
    if (mute_changed && listener_)
        listener_->control_changed(endpoint->mute_control);
}

} // namespace ornavox
