// First: the property keys of the headers below are defined here, not only
// declared.
#include <initguid.h>

#include "platform/win32/core_audio_endpoint.h"

#include "base/utf16.h"
#include "platform/win32/core_audio_callbacks.h"
#include "platform/win32/win32_handles.h"

#include <functiondiscoverykeys_devpkey.h>
#include <propvarutil.h>

#include <algorithm>
#include <cmath>

namespace ornavox {

namespace {

uint32_t fader(float scalar)
{
    return static_cast<uint32_t>(std::lround(std::clamp(scalar, 0.0f, 1.0f) * 65535.0f));
}

} // namespace

bool CoreAudioMixerDevice::Endpoint::read(uint32_t& level, uint32_t& mute) const
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

// The master level: Windows keeps the balance of the channels.
HRESULT CoreAudioMixerDevice::Endpoint::write(bool mute, uint32_t value) const
{
    const float scalar = value / 65535.0f;
    if (volume)
        return mute ? volume->SetMute(value != 0, nullptr) : volume->SetMasterVolumeLevelScalar(scalar, nullptr);
    if (session_volume)
        return mute ? session_volume->SetMute(value != 0, nullptr) : session_volume->SetMasterVolume(scalar, nullptr);
    return E_FAIL;
}

void CoreAudioMixerDevice::Endpoint::listen(const win32::ComPtr<Callbacks>& events)
{
    const HRESULT result = volume ? volume->RegisterControlChangeNotify(events.get())
        : session                 ? session->RegisterAudioSessionNotification(events.get())
                                  : E_FAIL;
    if (SUCCEEDED(result))
        callback = events;
}

void CoreAudioMixerDevice::Endpoint::stop_listening()
{
    if (!callback)
        return;
    if (volume)
        volume->UnregisterControlChangeNotify(callback.get());
    else if (session)
        session->UnregisterAudioSessionNotification(callback.get());
    callback.reset();
}

std::string friendly_name(IMMDevice& device)
{
    win32::ComPtr<IPropertyStore> properties;
    win32::PropVariant name;
    std::string text;
    if (SUCCEEDED(device.OpenPropertyStore(STGM_READ, properties.put()))
        && SUCCEEDED(properties->GetValue(PKEY_Device_FriendlyName, name.put())) && name->vt == VT_LPWSTR)
        text = win32::utf8(name->pwszVal);
    return text;
}

std::string endpoint_id(IMMDevice& device)
{
    wchar_t* raw = nullptr;
    const HRESULT got = device.GetId(&raw);
    const win32::CoTaskMem<wchar_t> id(raw);
    return SUCCEEDED(got) && id ? win32::utf8(id.get()) : std::string();
}

uint32_t component_type(IMMDevice& device)
{
    win32::ComPtr<IPropertyStore> properties;
    win32::PropVariant form;
    uint32_t type = MIXERLINE_COMPONENTTYPE_SRC_UNDEFINED;
    if (SUCCEEDED(device.OpenPropertyStore(STGM_READ, properties.put()))
        && SUCCEEDED(properties->GetValue(PKEY_AudioEndpoint_FormFactor, form.put())) && form->vt == VT_UI4) {
        if (form->ulVal == Microphone || form->ulVal == Headset)
            type = MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE;
        else if (form->ulVal == LineLevel)
            type = MIXERLINE_COMPONENTTYPE_SRC_LINE;
    }
    return type;
}

std::string session_name(IAudioSessionControl2& session)
{
    std::string name;
    wchar_t* raw = nullptr;
    const HRESULT got = session.GetDisplayName(&raw);
    if (const win32::CoTaskMem<wchar_t> display(raw); SUCCEEDED(got) && display)
        name = win32::utf8(display.get());
    DWORD process = 0;
    if (name.empty() && SUCCEEDED(session.GetProcessId(&process))) {
        if (const win32::KernelHandle handle{OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process)}) {
            wchar_t path[MAX_PATH];
            DWORD length = MAX_PATH;
            if (QueryFullProcessImageNameW(handle.get(), 0, path, &length)) {
                std::wstring file(path, length);
                file = file.substr(file.find_last_of(L"\\/") + 1);
                name = win32::utf8(file.substr(0, file.rfind(L'.')));
            }
        }
    }
    return name;
}

} // namespace ornavox
