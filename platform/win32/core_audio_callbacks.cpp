#include "platform/win32/core_audio_callbacks.h"

#include <utility>

namespace ornavox {

CoreAudioMixerDevice::Callbacks::Callbacks(Dispatcher& dispatcher, PostedGuard<CoreAudioMixerDevice>::Ref device,
                                           uint32_t line_id)
    : dispatcher_(dispatcher), device_(std::move(device)), line_id_(line_id)
{
}

ULONG STDMETHODCALLTYPE CoreAudioMixerDevice::Callbacks::AddRef()
{
    return InterlockedIncrement(&references_);
}

ULONG STDMETHODCALLTYPE CoreAudioMixerDevice::Callbacks::Release()
{
    const ULONG left = InterlockedDecrement(&references_);
    if (left == 0)
        delete this;
    return left;
}

HRESULT STDMETHODCALLTYPE CoreAudioMixerDevice::Callbacks::QueryInterface(REFIID iid, void** object)
{
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IAudioEndpointVolumeCallback))
        *object = static_cast<IAudioEndpointVolumeCallback*>(this);
    else if (iid == __uuidof(IMMNotificationClient))
        *object = static_cast<IMMNotificationClient*>(this);
    else if (iid == __uuidof(IAudioSessionNotification))
        *object = static_cast<IAudioSessionNotification*>(this);
    else if (iid == __uuidof(IAudioSessionEvents))
        *object = static_cast<IAudioSessionEvents*>(this);
    else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CoreAudioMixerDevice::Callbacks::OnNotify(PAUDIO_VOLUME_NOTIFICATION_DATA)
{
    return values_changed();
}

HRESULT STDMETHODCALLTYPE CoreAudioMixerDevice::Callbacks::OnDeviceStateChanged(LPCWSTR, DWORD)
{
    return lines_changed();
}

HRESULT STDMETHODCALLTYPE CoreAudioMixerDevice::Callbacks::OnDeviceAdded(LPCWSTR)
{
    return lines_changed();
}

HRESULT STDMETHODCALLTYPE CoreAudioMixerDevice::Callbacks::OnDeviceRemoved(LPCWSTR)
{
    return lines_changed();
}

// The console role is the one the mixer shows; the others follow it or
// belong to calls.
HRESULT STDMETHODCALLTYPE CoreAudioMixerDevice::Callbacks::OnDefaultDeviceChanged(EDataFlow, ERole role, LPCWSTR)
{
    return role == eConsole ? lines_changed() : S_OK;
}

HRESULT STDMETHODCALLTYPE CoreAudioMixerDevice::Callbacks::OnPropertyValueChanged(LPCWSTR, const PROPERTYKEY)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CoreAudioMixerDevice::Callbacks::OnSessionCreated(IAudioSessionControl*)
{
    return lines_changed();
}

HRESULT STDMETHODCALLTYPE CoreAudioMixerDevice::Callbacks::OnDisplayNameChanged(LPCWSTR, LPCGUID)
{
    return lines_changed();
}

HRESULT STDMETHODCALLTYPE CoreAudioMixerDevice::Callbacks::OnIconPathChanged(LPCWSTR, LPCGUID)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CoreAudioMixerDevice::Callbacks::OnSimpleVolumeChanged(float, BOOL, LPCGUID)
{
    return values_changed();
}

HRESULT STDMETHODCALLTYPE CoreAudioMixerDevice::Callbacks::OnChannelVolumeChanged(DWORD, float[], DWORD, LPCGUID)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CoreAudioMixerDevice::Callbacks::OnGroupingParamChanged(LPCGUID, LPCGUID)
{
    return S_OK;
}

// A session that ends leaves the speakers' lines.
HRESULT STDMETHODCALLTYPE CoreAudioMixerDevice::Callbacks::OnStateChanged(AudioSessionState state)
{
    return state == AudioSessionStateExpired ? lines_changed() : S_OK;
}

HRESULT STDMETHODCALLTYPE CoreAudioMixerDevice::Callbacks::OnSessionDisconnected(AudioSessionDisconnectReason)
{
    return lines_changed();
}

HRESULT CoreAudioMixerDevice::Callbacks::values_changed()
{
    post([line_id = line_id_](CoreAudioMixerDevice& device) { device.endpoint_changed(line_id); });
    return S_OK;
}

HRESULT CoreAudioMixerDevice::Callbacks::lines_changed()
{
    post([](CoreAudioMixerDevice& device) {
        if (device.listener_)
            device.listener_->lines_changed();
    });
    return S_OK;
}

void CoreAudioMixerDevice::Callbacks::post(std::function<void(CoreAudioMixerDevice&)> call)
{
    dispatcher_.post([device = device_, call = std::move(call)] {
        if (CoreAudioMixerDevice* alive = device.get())
            call(*alive);
    });
}

} // namespace ornavox
