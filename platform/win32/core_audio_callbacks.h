#pragma once

#include "platform/dispatcher.h"
#include "platform/win32/core_audio_mixer_device.h"

#include <audiopolicy.h>

#include <functional>
#include <memory>

namespace ornavox {

// What changes under the mixer, told on one of COM's threads and posted to
// the GUI thread: a level or a mute of the line `line_id`, an endpoint or a
// session that came, went or was renamed, a new default output.
class CoreAudioMixerDevice::Callbacks final : public IAudioEndpointVolumeCallback,
                                              public IMMNotificationClient,
                                              public IAudioSessionNotification,
                                              public IAudioSessionEvents {
public:
    Callbacks(Dispatcher& dispatcher, PostedGuard<CoreAudioMixerDevice>::Ref device, uint32_t line_id);

    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;

    // IAudioEndpointVolumeCallback
    HRESULT STDMETHODCALLTYPE OnNotify(PAUDIO_VOLUME_NOTIFICATION_DATA) override;
    // IMMNotificationClient
    HRESULT STDMETHODCALLTYPE OnDeviceStateChanged(LPCWSTR, DWORD) override;
    HRESULT STDMETHODCALLTYPE OnDeviceAdded(LPCWSTR) override;
    HRESULT STDMETHODCALLTYPE OnDeviceRemoved(LPCWSTR) override;
    HRESULT STDMETHODCALLTYPE OnDefaultDeviceChanged(EDataFlow, ERole role, LPCWSTR) override;
    HRESULT STDMETHODCALLTYPE OnPropertyValueChanged(LPCWSTR, const PROPERTYKEY) override;
    // IAudioSessionNotification
    HRESULT STDMETHODCALLTYPE OnSessionCreated(IAudioSessionControl*) override;
    // IAudioSessionEvents
    HRESULT STDMETHODCALLTYPE OnDisplayNameChanged(LPCWSTR, LPCGUID) override;
    HRESULT STDMETHODCALLTYPE OnIconPathChanged(LPCWSTR, LPCGUID) override;
    HRESULT STDMETHODCALLTYPE OnSimpleVolumeChanged(float, BOOL, LPCGUID) override;
    HRESULT STDMETHODCALLTYPE OnChannelVolumeChanged(DWORD, float[], DWORD, LPCGUID) override;
    HRESULT STDMETHODCALLTYPE OnGroupingParamChanged(LPCGUID, LPCGUID) override;
    HRESULT STDMETHODCALLTYPE OnStateChanged(AudioSessionState state) override;
    HRESULT STDMETHODCALLTYPE OnSessionDisconnected(AudioSessionDisconnectReason) override;

private:
    HRESULT values_changed();
    HRESULT lines_changed();
    void post(std::function<void(CoreAudioMixerDevice&)> call);

    LONG references_ = 1;
    Dispatcher& dispatcher_;
    PostedGuard<CoreAudioMixerDevice>::Ref device_;
    uint32_t line_id_;
};

} // namespace ornavox
