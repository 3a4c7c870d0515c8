// First: the property keys of the headers below are defined here, not only
// declared.
#include <initguid.h>

#include "platform/win32/core_audio_mixer_device.h"

#include "platform/win32/utf16.h"

#include <functiondiscoverykeys_devpkey.h>
#include <propvarutil.h>

#include <algorithm>
#include <cmath>
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

uint32_t fader(float scalar)
{
    return static_cast<uint32_t>(std::lround(std::clamp(scalar, 0.0f, 1.0f) * 65535.0f));
}

} // namespace

// A level or a mute that changed, or an endpoint that came or went: told on
// one of COM's threads, posted to the GUI thread.
class CoreAudioMixerDevice::Callbacks final : public IAudioEndpointVolumeCallback, public IMMNotificationClient {
public:
    Callbacks(Dispatcher& dispatcher, std::weak_ptr<CoreAudioMixerDevice*> device, size_t endpoint)
        : dispatcher_(dispatcher), device_(std::move(device)), endpoint_(endpoint)
    {
    }

    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = InterlockedDecrement(&references_);
        if (left == 0)
            delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IAudioEndpointVolumeCallback))
            *object = static_cast<IAudioEndpointVolumeCallback*>(this);
        else if (iid == __uuidof(IMMNotificationClient))
            *object = static_cast<IMMNotificationClient*>(this);
        else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE OnNotify(PAUDIO_VOLUME_NOTIFICATION_DATA) override
    {
        post([endpoint = endpoint_](CoreAudioMixerDevice& device) { device.endpoint_changed(endpoint); });
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnDeviceStateChanged(LPCWSTR, DWORD) override { return lines_changed(); }
    HRESULT STDMETHODCALLTYPE OnDeviceAdded(LPCWSTR) override { return lines_changed(); }
    HRESULT STDMETHODCALLTYPE OnDeviceRemoved(LPCWSTR) override { return lines_changed(); }
    HRESULT STDMETHODCALLTYPE OnDefaultDeviceChanged(EDataFlow, ERole role, LPCWSTR) override
    {
        return role == eConsole ? lines_changed() : S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnPropertyValueChanged(LPCWSTR, const PROPERTYKEY) override { return S_OK; }

private:
    HRESULT lines_changed()
    {
        post([](CoreAudioMixerDevice& device) {
            if (device.listener_)
                device.listener_->lines_changed();
        });
        return S_OK;
    }
    void post(std::function<void(CoreAudioMixerDevice&)> call)
    {
        dispatcher_.post([device = device_, call = std::move(call)] {
            if (const auto alive = device.lock())
                call(**alive);
        });
    }

    LONG references_ = 1;
    Dispatcher& dispatcher_;
    std::weak_ptr<CoreAudioMixerDevice*> device_;
    size_t endpoint_;
};

struct CoreAudioMixerDevice::Endpoint {
    std::string name;
    uint32_t component_type = MIXERLINE_COMPONENTTYPE_SRC_UNDEFINED;
    uint32_t line_id = 0;
    uint32_t volume_control = 0;
    uint32_t mute_control = 0;
    // An endpoint's level, or an audio session's.
    win32::ComPtr<IAudioEndpointVolume> volume;
    win32::ComPtr<ISimpleAudioVolume> session_volume;
    win32::ComPtr<Callbacks> callback;
    uint32_t shown_volume = 0;
    uint32_t shown_mute = 0;

    bool has_controls() const { return volume || session_volume; }
    bool read(uint32_t& level, uint32_t& mute) const
    {
        float scalar = 0;
        BOOL muted = FALSE;
        const bool read = volume
            ? SUCCEEDED(volume->GetMasterVolumeLevelScalar(&scalar)) && SUCCEEDED(volume->GetMute(&muted))
            : session_volume && SUCCEEDED(session_volume->GetMasterVolume(&scalar))
                && SUCCEEDED(session_volume->GetMute(&muted));
        if (!read)
            return false;
        level = fader(scalar);
        mute = muted ? 1 : 0;
        return true;
    }
    HRESULT write(bool mute, uint32_t value) const
    {
        const float scalar = value / 65535.0f;
        if (volume)
            return mute ? volume->SetMute(value != 0, nullptr) : volume->SetMasterVolumeLevelScalar(scalar, nullptr);
        if (session_volume)
            return mute ? session_volume->SetMute(value != 0, nullptr)
                        : session_volume->SetMasterVolume(scalar, nullptr);
        return E_FAIL;
    }
};

namespace {

std::string friendly_name(IMMDevice& device)
{
    win32::ComPtr<IPropertyStore> properties;
    PROPVARIANT name;
    PropVariantInit(&name);
    std::string text;
    if (SUCCEEDED(device.OpenPropertyStore(STGM_READ, properties.put()))
        && SUCCEEDED(properties->GetValue(PKEY_Device_FriendlyName, &name)) && name.vt == VT_LPWSTR)
        text = win32::utf8(name.pwszVal);
    PropVariantClear(&name);
    return text;
}

uint32_t component_type(IMMDevice& device)
{
    win32::ComPtr<IPropertyStore> properties;
    PROPVARIANT form;
    PropVariantInit(&form);
    uint32_t type = MIXERLINE_COMPONENTTYPE_SRC_UNDEFINED;
    if (SUCCEEDED(device.OpenPropertyStore(STGM_READ, properties.put()))
        && SUCCEEDED(properties->GetValue(PKEY_AudioEndpoint_FormFactor, &form)) && form.vt == VT_UI4) {
        if (form.ulVal == Microphone || form.ulVal == Headset)
            type = MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE;
        else if (form.ulVal == LineLevel)
            type = MIXERLINE_COMPONENTTYPE_SRC_LINE;
    }
    PropVariantClear(&form);
    return type;
}

// What a session calls itself, or else the name of the program that plays it.
std::string session_name(IAudioSessionControl2& session)
{
    std::string name;
    wchar_t* display = nullptr;
    if (SUCCEEDED(session.GetDisplayName(&display)) && display) {
        name = win32::utf8(display);
        CoTaskMemFree(display);
    }
    DWORD process = 0;
    if (name.empty() && SUCCEEDED(session.GetProcessId(&process))) {
        if (HANDLE handle = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process)) {
            wchar_t path[MAX_PATH];
            DWORD length = MAX_PATH;
            if (QueryFullProcessImageNameW(handle, 0, path, &length)) {
                std::wstring file(path, length);
                file = file.substr(file.find_last_of(L"\\/") + 1);
                name = win32::utf8(file.substr(0, file.rfind(L'.')));
            }
            CloseHandle(handle);
        }
    }
    return name;
}

} // namespace

CoreAudioMixerDevice::CoreAudioMixerDevice(Dispatcher& dispatcher,
                                           std::function<void(const std::string&)> choose_record_source)
    : dispatcher_(dispatcher), choose_record_source_(std::move(choose_record_source)),
      alive_(std::make_shared<CoreAudioMixerDevice*>(this))
{
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

bool CoreAudioMixerDevice::open(uint32_t mixer_id, MixerListener& listener)
{
    close();
    if (mixer_id != 0 || !enumerator_)
        return false;
    auto make = [this](IMMDevice& device, size_t index) {
        auto endpoint = std::make_unique<Endpoint>();
        endpoint->name = friendly_name(device).substr(0, 64);
        endpoint->component_type = component_type(device);
        if (SUCCEEDED(
                device.Activate(__uuidof(IAudioEndpointVolume), CLSCTX_ALL, nullptr, endpoint->volume.put_void()))) {
            *endpoint->callback.put() = new Callbacks(dispatcher_, alive_, index);
            endpoint->volume->RegisterControlChangeNotify(endpoint->callback.get());
            endpoint->read(endpoint->shown_volume, endpoint->shown_mute);
        }
        return endpoint;
    };

    win32::ComPtr<IMMDeviceCollection> inputs;
    UINT count = 0;
    if (FAILED(enumerator_->EnumAudioEndpoints(eCapture, DEVICE_STATE_ACTIVE, inputs.put()))
        || FAILED(inputs->GetCount(&count)))
        return false;
    for (UINT i = 0; i < count; ++i) {
        win32::ComPtr<IMMDevice> device;
        if (FAILED(inputs->Item(i, device.put())))
            continue;
        auto endpoint = make(*device.get(), captures_.size());
        const auto n = static_cast<uint32_t>(captures_.size());
        endpoint->line_id = kFirstCaptureLine + n;
        endpoint->volume_control = kFirstCaptureControl + 2 * n;
        endpoint->mute_control = kFirstCaptureControl + 2 * n + 1;
        captures_.push_back(std::move(endpoint));
    }
    win32::ComPtr<IMMDevice> output;
    if (SUCCEEDED(enumerator_->GetDefaultAudioEndpoint(eRender, eConsole, output.put()))) {
        output_ = make(*output.get(), SIZE_MAX);
        output_->line_id = kSpeakersLine;
        output_->volume_control = kOutputVolume;
        output_->mute_control = kOutputMute;
        read_sessions(*output.get());
    }
    *device_events_.put() = new Callbacks(dispatcher_, alive_, SIZE_MAX);
    enumerator_->RegisterEndpointNotificationCallback(device_events_.get());
    listener_ = &listener;
    return true;
}

void CoreAudioMixerDevice::close()
{
    if (device_events_) {
        enumerator_->UnregisterEndpointNotificationCallback(device_events_.get());
        device_events_.reset();
    }
    if (output_ && output_->callback)
        output_->volume->UnregisterControlChangeNotify(output_->callback.get());
    for (const auto& endpoint : captures_)
        if (endpoint->callback)
            endpoint->volume->UnregisterControlChangeNotify(endpoint->callback.get());
    captures_.clear();
    sessions_.clear();
    output_.reset();
    listener_ = nullptr;
}

// The output's audio sessions as they are now, expired ones left out; each
// is a source line of the speakers.
void CoreAudioMixerDevice::read_sessions(IMMDevice& output)
{
    win32::ComPtr<IAudioSessionManager2> manager;
    win32::ComPtr<IAudioSessionEnumerator> sessions;
    int count = 0;
    if (FAILED(output.Activate(__uuidof(IAudioSessionManager2), CLSCTX_ALL, nullptr, manager.put_void()))
        || FAILED(manager->GetSessionEnumerator(sessions.put())) || FAILED(sessions->GetCount(&count)))
        return;
    for (int i = 0; i < count; ++i) {
        win32::ComPtr<IAudioSessionControl> control;
        win32::ComPtr<IAudioSessionControl2> control2;
        AudioSessionState state = AudioSessionStateExpired;
        if (FAILED(sessions->GetSession(i, control.put()))
            || FAILED(control->QueryInterface(__uuidof(IAudioSessionControl2), control2.put_void()))
            || FAILED(control->GetState(&state)) || state == AudioSessionStateExpired)
            continue;
        auto session = std::make_unique<Endpoint>();
        session->name = session_name(*control2.get()).substr(0, 64);
        session->component_type = MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT;
        control->QueryInterface(__uuidof(ISimpleAudioVolume), session->session_volume.put_void());
        const auto n = static_cast<uint32_t>(sessions_.size());
        session->line_id = kFirstSessionLine + n;
        session->volume_control = kFirstSessionControl + 2 * n;
        session->mute_control = kFirstSessionControl + 2 * n + 1;
        session->read(session->shown_volume, session->shown_mute);
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
        items.push_back(MuxItem{endpoint->line_id, endpoint->component_type, endpoint->name});
    return true;
}

bool CoreAudioMixerDevice::mux_values(uint32_t control_id, std::vector<uint32_t>& values)
{
    if (control_id != kMuxControl || !listener_)
        return false;
    values.clear();
    for (const auto& endpoint : captures_)
        values.push_back(!chosen_.empty() && endpoint->name == chosen_ ? 1 : 0);
    return true;
}

bool CoreAudioMixerDevice::set_mux_values(uint32_t control_id, const std::vector<uint32_t>& values)
{
    if (control_id != kMuxControl || !listener_ || values.size() != captures_.size())
        return false;
    for (size_t i = 0; i < values.size(); ++i)
        if (values[i] != 0) {
            if (captures_[i]->name != chosen_) {
                chosen_ = captures_[i]->name;
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

bool CoreAudioMixerDevice::set_value(uint32_t control_id, uint32_t value)
{
    bool mute = false;
    Endpoint* endpoint = endpoint_of_control(control_id, mute);
    uint32_t level = 0, muted = 0;
    if (!endpoint || !endpoint->read(level, muted))
        return false;
    if ((mute ? muted : level) == value)
        return true;
    return SUCCEEDED(endpoint->write(mute, value));
}

// Raised only for a value that differs from the one the mixer showed.
void CoreAudioMixerDevice::endpoint_changed(size_t index)
{
    Endpoint* endpoint = index < captures_.size() ? captures_[index].get() : output_.get();
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
