// Windows' audio endpoints as a test sets them up: capture endpoints, one
// output with its audio sessions, levels that change "elsewhere", and every
// callback the mixer registers, fired on the test's thread as COM would fire
// it on one of its own.
#pragma once

#include <initguid.h>

#include <audioclient.h>
#include <audiopolicy.h>
#include <endpointvolume.h>
#include <functiondiscoverykeys_devpkey.h>
#include <mmdeviceapi.h>

#include "platform/fake/fake_capture_device.h"
#include "platform/win32/audio_meter_information.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace ornavox::test {

// IUnknown for a fake that answers to `Interfaces`, and to each one's bases
// through `answers()`.
template <class... Interfaces>
class FakeCom : public Interfaces... {
public:
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        *object = answers(iid);
        if (!*object)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }

protected:
    virtual ~FakeCom() = default;
    virtual void* answers(REFIID iid)
    {
        void* found = iid == __uuidof(IUnknown) ? first() : nullptr;
        ((found || !(iid == __uuidof(Interfaces)) || (found = static_cast<Interfaces*>(this))), ...);
        return found;
    }

private:
    void* first() { return static_cast<std::tuple_element_t<0, std::tuple<Interfaces...>>*>(this); }
    std::atomic<ULONG> references_{1};
};

// A level and a mute, with the callbacks registered on every volume object
// activated for it: an endpoint's, or a session's.
struct FakeLevel {
    float scalar = 0.5f;
    BOOL mute = FALSE;
    int writes = 0;
    HRESULT write_answer = S_OK;
    std::vector<IAudioEndpointVolumeCallback*> endpoint_callbacks;
    std::vector<IAudioSessionEvents*> session_callbacks;

    // Another program changes the level: every callback hears of it.
    void change_elsewhere(float level, BOOL muted)
    {
        scalar = level;
        mute = muted;
        AUDIO_VOLUME_NOTIFICATION_DATA data{};
        data.fMasterVolume = level;
        data.bMuted = muted;
        for (auto* callback : endpoint_callbacks)
            callback->OnNotify(&data);
        for (auto* callback : session_callbacks)
            callback->OnSimpleVolumeChanged(level, muted, nullptr);
    }
    size_t listeners() const { return endpoint_callbacks.size() + session_callbacks.size(); }
};

class FakeEndpointVolume final : public FakeCom<IAudioEndpointVolume> {
public:
    explicit FakeEndpointVolume(std::shared_ptr<FakeLevel> level) : level_(std::move(level)) {}

    HRESULT STDMETHODCALLTYPE RegisterControlChangeNotify(IAudioEndpointVolumeCallback* callback) override
    {
        level_->endpoint_callbacks.push_back(callback);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE UnregisterControlChangeNotify(IAudioEndpointVolumeCallback* callback) override
    {
        std::erase(level_->endpoint_callbacks, callback);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetMasterVolumeLevelScalar(float level, LPCGUID) override
    {
        if (FAILED(level_->write_answer))
            return level_->write_answer;
        ++level_->writes;
        level_->scalar = level;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetMasterVolumeLevelScalar(float* level) override
    {
        *level = level_->scalar;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetMute(BOOL mute, LPCGUID) override
    {
        ++level_->writes;
        level_->mute = mute;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetMute(BOOL* mute) override
    {
        *mute = level_->mute;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetChannelCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMasterVolumeLevel(float, LPCGUID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMasterVolumeLevel(float*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetChannelVolumeLevel(UINT, float, LPCGUID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetChannelVolumeLevelScalar(UINT, float, LPCGUID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetChannelVolumeLevel(UINT, float*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetChannelVolumeLevelScalar(UINT, float*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetVolumeStepInfo(UINT*, UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE VolumeStepUp(LPCGUID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE VolumeStepDown(LPCGUID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryHardwareSupport(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetVolumeRange(float*, float*, float*) override { return E_NOTIMPL; }

private:
    std::shared_ptr<FakeLevel> level_;
};

// An audio session of the output: its name (empty: the mixer asks for the
// program), its state and its own level.
class FakeSession final : public FakeCom<IAudioSessionControl2, ISimpleAudioVolume> {
public:
    FakeSession(std::wstring name, AudioSessionState state) : name_(std::move(name)), state_(state) {}

    std::shared_ptr<FakeLevel> level = std::make_shared<FakeLevel>();

    HRESULT STDMETHODCALLTYPE GetState(AudioSessionState* state) override
    {
        *state = state_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDisplayName(LPWSTR* name) override
    {
        const size_t bytes = (name_.size() + 1) * sizeof(wchar_t);
        *name = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
        std::copy_n(name_.c_str(), name_.size() + 1, *name);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetProcessId(DWORD* process) override
    {
        *process = GetCurrentProcessId();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE RegisterAudioSessionNotification(IAudioSessionEvents* events) override
    {
        level->session_callbacks.push_back(events);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE UnregisterAudioSessionNotification(IAudioSessionEvents* events) override
    {
        std::erase(level->session_callbacks, events);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetMasterVolume(float value, LPCGUID) override
    {
        ++level->writes;
        level->scalar = value;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetMasterVolume(float* value) override
    {
        *value = level->scalar;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetMute(BOOL mute, LPCGUID) override
    {
        ++level->writes;
        level->mute = mute;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetMute(BOOL* mute) override
    {
        *mute = level->mute;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetDisplayName(LPCWSTR, LPCGUID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIconPath(LPWSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetIconPath(LPCWSTR, LPCGUID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetGroupingParam(GUID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetGroupingParam(LPCGUID, LPCGUID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSessionIdentifier(LPWSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSessionInstanceIdentifier(LPWSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsSystemSoundsSession() override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE SetDuckingPreference(BOOL) override { return E_NOTIMPL; }

    // The session ends, or its program renames it: its listeners hear of it.
    void expire()
    {
        state_ = AudioSessionStateExpired;
        for (auto* callback : level->session_callbacks)
            callback->OnStateChanged(AudioSessionStateExpired);
    }
    void rename(std::wstring name)
    {
        name_ = std::move(name);
        for (auto* callback : level->session_callbacks)
            callback->OnDisplayNameChanged(name_.c_str(), nullptr);
    }

protected:
    void* answers(REFIID iid) override
    {
        if (iid == __uuidof(IAudioSessionControl))
            return static_cast<IAudioSessionControl*>(static_cast<IAudioSessionControl2*>(this));
        return FakeCom::answers(iid);
    }

private:
    std::wstring name_;
    AudioSessionState state_;
};

class FakeSessionList final : public FakeCom<IAudioSessionEnumerator> {
public:
    explicit FakeSessionList(std::vector<FakeSession*> sessions) : sessions_(std::move(sessions)) {}
    HRESULT STDMETHODCALLTYPE GetCount(int* count) override
    {
        *count = static_cast<int>(sessions_.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSession(int index, IAudioSessionControl** session) override
    {
        sessions_[static_cast<size_t>(index)]->AddRef();
        *session = sessions_[static_cast<size_t>(index)];
        return S_OK;
    }

private:
    std::vector<FakeSession*> sessions_;
};

// The output's sessions; the sessions live as long as the test's fakes.
class FakeSessionManager final : public FakeCom<IAudioSessionManager2> {
public:
    std::vector<FakeSession*> sessions;
    std::vector<IAudioSessionNotification*> listeners;

    HRESULT STDMETHODCALLTYPE GetSessionEnumerator(IAudioSessionEnumerator** list) override
    {
        *list = new FakeSessionList(sessions);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE RegisterSessionNotification(IAudioSessionNotification* listener) override
    {
        listeners.push_back(listener);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE UnregisterSessionNotification(IAudioSessionNotification* listener) override
    {
        std::erase(listeners, listener);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetAudioSessionControl(LPCGUID, DWORD, IAudioSessionControl**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetSimpleAudioVolume(LPCGUID, DWORD, ISimpleAudioVolume**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RegisterDuckNotification(LPCWSTR, IAudioVolumeDuckNotification*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE UnregisterDuckNotification(IAudioVolumeDuckNotification*) override { return E_NOTIMPL; }

protected:
    void* answers(REFIID iid) override
    {
        if (iid == __uuidof(IAudioSessionManager))
            return static_cast<IAudioSessionManager*>(this);
        return FakeCom::answers(iid);
    }
};

// What the fake output plays to a loopback stream: a 440 Hz tone, in real
// time from the stream's start, in the format the stream asked for; nothing
// at all while `silent`, as an output that plays nothing. Shared with the
// capture thread.
struct FakeStream {
    std::atomic<bool> silent{false};
    std::atomic<bool> gone{false};
    // Opening and stopping the stream wait while set, as a hung driver does.
    std::atomic<bool> hung{false};
    std::atomic<int> running{0}; // streams started and not stopped
    void wait_while_hung() const
    {
        while (hung)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
};

class FakeCaptureClient final : public FakeCom<IAudioCaptureClient> {
public:
    FakeCaptureClient(std::shared_ptr<FakeStream> stream, const WAVEFORMATEX& format,
                      const std::chrono::steady_clock::time_point& started)
        : stream_(std::move(stream)), format_(format), started_(started)
    {
    }

    HRESULT STDMETHODCALLTYPE GetNextPacketSize(UINT32* frames) override
    {
        if (stream_->gone)
            return AUDCLNT_E_DEVICE_INVALIDATED;
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started_);
        const uint64_t due = static_cast<uint64_t>(elapsed.count()) * format_.nSamplesPerSec / 1'000'000;
        if (stream_->silent)
            sent_ = due;
        *frames = static_cast<UINT32>(std::min<uint64_t>(due - std::min(due, sent_), 480));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetBuffer(BYTE** data, UINT32* frames, DWORD* flags, UINT64*, UINT64*) override
    {
        GetNextPacketSize(frames);
        packet_ = sine_pcm(*frames, 440, format_.nSamplesPerSec, 12000, sent_);
        *data = reinterpret_cast<BYTE*>(packet_.data());
        *flags = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ReleaseBuffer(UINT32 frames) override
    {
        sent_ += frames;
        return S_OK;
    }

private:
    std::shared_ptr<FakeStream> stream_;
    WAVEFORMATEX format_;
    const std::chrono::steady_clock::time_point& started_;
    uint64_t sent_ = 0;
    std::vector<int16_t> packet_;
};

// An output's audio client: only a loopback stream gives a capture client.
class FakeAudioClient final : public FakeCom<IAudioClient> {
public:
    explicit FakeAudioClient(std::shared_ptr<FakeStream> stream) : stream_(std::move(stream)) {}

    HRESULT STDMETHODCALLTYPE Initialize(AUDCLNT_SHAREMODE, DWORD flags, REFERENCE_TIME, REFERENCE_TIME,
                                         const WAVEFORMATEX* format, LPCGUID) override
    {
        stream_->wait_while_hung();
        loopback_ = (flags & AUDCLNT_STREAMFLAGS_LOOPBACK) != 0;
        format_ = *format;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetMixFormat(WAVEFORMATEX** format) override
    {
        *format = static_cast<WAVEFORMATEX*>(CoTaskMemAlloc(sizeof(WAVEFORMATEX)));
        **format = WAVEFORMATEX{WAVE_FORMAT_PCM, 2, 48000, 192000, 4, 16, 0};
        return S_OK;
    }
    // The capture client lives no longer than the audio client, as the
    // device keeps them.
    HRESULT STDMETHODCALLTYPE GetService(REFIID iid, void** service) override
    {
        if (iid != __uuidof(IAudioCaptureClient) || !loopback_)
            return AUDCLNT_E_WRONG_ENDPOINT_TYPE;
        *service = static_cast<IAudioCaptureClient*>(new FakeCaptureClient(stream_, format_, started_));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Start() override
    {
        started_ = std::chrono::steady_clock::now();
        ++stream_->running;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Stop() override
    {
        stream_->wait_while_hung();
        --stream_->running;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Reset() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetBufferSize(UINT32*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetStreamLatency(REFERENCE_TIME*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCurrentPadding(UINT32*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsFormatSupported(AUDCLNT_SHAREMODE, const WAVEFORMATEX*, WAVEFORMATEX**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetDevicePeriod(REFERENCE_TIME*, REFERENCE_TIME*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetEventHandle(HANDLE) override { return E_NOTIMPL; }

private:
    std::shared_ptr<FakeStream> stream_;
    bool loopback_ = false;
    WAVEFORMATEX format_{};
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
};

class FakePropertyStore final : public FakeCom<IPropertyStore> {
public:
    FakePropertyStore(std::wstring name, DWORD form_factor) : name_(std::move(name)), form_factor_(form_factor) {}

    HRESULT STDMETHODCALLTYPE GetValue(REFPROPERTYKEY key, PROPVARIANT* value) override
    {
        PropVariantInit(value);
        if (key == PKEY_Device_FriendlyName) {
            value->vt = VT_LPWSTR;
            value->pwszVal = static_cast<LPWSTR>(CoTaskMemAlloc((name_.size() + 1) * sizeof(wchar_t)));
            std::copy_n(name_.c_str(), name_.size() + 1, value->pwszVal);
        } else if (key == PKEY_AudioEndpoint_FormFactor) {
            value->vt = VT_UI4;
            value->ulVal = form_factor_;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCount(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAt(DWORD, PROPERTYKEY*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetValue(REFPROPERTYKEY, REFPROPVARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Commit() override { return E_NOTIMPL; }

private:
    std::wstring name_;
    DWORD form_factor_;
};

// An endpoint's peak meter, reading what the test sets.
class FakeMeter final : public FakeCom<IAudioMeterInformation> {
public:
    explicit FakeMeter(std::shared_ptr<std::atomic<float>> peak) : peak_(std::move(peak)) {}
    HRESULT STDMETHODCALLTYPE GetPeakValue(float* peak) override
    {
        *peak = *peak_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetMeteringChannelCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetChannelsPeakValues(UINT32, float*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryHardwareSupport(DWORD*) override { return E_NOTIMPL; }

private:
    std::shared_ptr<std::atomic<float>> peak_;
};

// An endpoint: a capture endpoint, or the output with its sessions and, where
// `loopback`, a capture of what it plays.
class FakeEndpoint final : public FakeCom<IMMDevice> {
public:
    FakeEndpoint(std::wstring name, DWORD form_factor) : name_(std::move(name)), form_factor_(form_factor) {}

    std::shared_ptr<FakeLevel> level = std::make_shared<FakeLevel>();
    std::shared_ptr<FakeStream> stream = std::make_shared<FakeStream>();
    bool has_volume = true;
    bool loopback = false;
    bool records = false;                      // a capture endpoint that opens a stream of its own
    std::shared_ptr<std::atomic<float>> meter; // none: the endpoint has no meter
    FakeSessionManager* sessions = nullptr;

    HRESULT STDMETHODCALLTYPE Activate(REFIID iid, DWORD, PROPVARIANT*, void** object) override
    {
        if (iid == __uuidof(IAudioEndpointVolume) && has_volume)
            *object = static_cast<IAudioEndpointVolume*>(new FakeEndpointVolume(level));
        else if (iid == __uuidof(IAudioSessionManager2) && sessions) {
            sessions->AddRef();
            *object = static_cast<IAudioSessionManager2*>(sessions);
        } else if (iid == __uuidof(IAudioClient))
            *object = static_cast<IAudioClient*>(new FakeAudioClient(stream));
        else if (iid == __uuidof(IAudioMeterInformation) && meter)
            *object = static_cast<IAudioMeterInformation*>(new FakeMeter(meter));
        else
            return E_NOINTERFACE;
        if (iid == __uuidof(IAudioClient) && !loopback && !records) {
            static_cast<IAudioClient*>(*object)->Release();
            *object = nullptr;
            return AUDCLNT_E_UNSUPPORTED_FORMAT;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OpenPropertyStore(DWORD, IPropertyStore** store) override
    {
        *store = new FakePropertyStore(name_, form_factor_);
        return S_OK;
    }
    // The id Windows would give: unique, and not the name.
    HRESULT STDMETHODCALLTYPE GetId(LPWSTR* id) override
    {
        const std::wstring text = L"{0.0.1.00000000}." + name_;
        *id = static_cast<LPWSTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(wchar_t)));
        std::copy(text.c_str(), text.c_str() + text.size() + 1, *id);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetState(DWORD* state) override
    {
        *state = DEVICE_STATE_ACTIVE;
        return S_OK;
    }

private:
    std::wstring name_;
    DWORD form_factor_;
};

class FakeEndpointList final : public FakeCom<IMMDeviceCollection> {
public:
    explicit FakeEndpointList(std::vector<FakeEndpoint*> endpoints) : endpoints_(std::move(endpoints)) {}
    HRESULT STDMETHODCALLTYPE GetCount(UINT* count) override
    {
        *count = static_cast<UINT>(endpoints_.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Item(UINT index, IMMDevice** device) override
    {
        endpoints_[index]->AddRef();
        *device = endpoints_[index];
        return S_OK;
    }

private:
    std::vector<FakeEndpoint*> endpoints_;
};

// The machine's endpoints. The test owns one reference to each fake.
class FakeEndpoints final : public FakeCom<IMMDeviceEnumerator> {
public:
    std::vector<FakeEndpoint*> captures;
    // The default output; a test may change it while a capture thread asks.
    std::atomic<FakeEndpoint*> output{nullptr};
    std::vector<IMMNotificationClient*> listeners;

    HRESULT STDMETHODCALLTYPE EnumAudioEndpoints(EDataFlow flow, DWORD, IMMDeviceCollection** list) override
    {
        *list = new FakeEndpointList(flow == eCapture ? captures : std::vector<FakeEndpoint*>{output.load()});
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDefaultAudioEndpoint(EDataFlow flow, ERole, IMMDevice** device) override
    {
        FakeEndpoint* endpoint = flow == eRender ? output.load() : captures.empty() ? nullptr : captures.front();
        if (!endpoint)
            return E_NOTFOUND;
        endpoint->AddRef();
        *device = endpoint;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE RegisterEndpointNotificationCallback(IMMNotificationClient* listener) override
    {
        listeners.push_back(listener);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE UnregisterEndpointNotificationCallback(IMMNotificationClient* listener) override
    {
        std::erase(listeners, listener);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDevice(LPCWSTR id, IMMDevice** device) override
    {
        std::vector<FakeEndpoint*> all = captures;
        all.push_back(output);
        for (FakeEndpoint* endpoint : all) {
            LPWSTR its = nullptr;
            if (!endpoint || FAILED(endpoint->GetId(&its)))
                continue;
            const bool same = std::wstring(its) == id;
            CoTaskMemFree(its);
            if (same) {
                endpoint->AddRef();
                *device = endpoint;
                return S_OK;
            }
        }
        return E_NOTFOUND;
    }
};

} // namespace ornavox::test
