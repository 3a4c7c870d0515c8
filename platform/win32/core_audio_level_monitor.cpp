#include "platform/win32/core_audio_level_monitor.h"

#include "platform/record_source_id.h"

#include "base/utf16.h"
#include "platform/win32/audio_meter_information.h"
#include "platform/win32/core_audio_mixer_device.h"
#include "platform/win32/win32_handles.h"

#include <audioclient.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace ornavox {

namespace {

constexpr std::chrono::milliseconds kReadEvery{40};
constexpr REFERENCE_TIME kStreamBuffer = 10'000'000; // 1 s in 100 ns units

} // namespace

// What a reading thread shares with the monitor. `stopped` is set under the
// lock, and the thread posts only under it while it is clear, so that nothing
// reaches the dispatcher once the monitor let the thread go.
struct CoreAudioLevelMonitor::Reading {
    Reading(Dispatcher& dispatcher, PostedGuard<CoreAudioLevelMonitor>::Ref target)
        : dispatcher(dispatcher), target(std::move(target))
    {
    }

    std::mutex mutex;
    std::condition_variable woken;
    bool stopped = false;
    Dispatcher& dispatcher;
    const PostedGuard<CoreAudioLevelMonitor>::Ref target;

    void stop()
    {
        const std::lock_guard lock(mutex);
        stopped = true;
        woken.notify_all();
    }
    // Waits one reading's time; false once stopped.
    bool wait()
    {
        std::unique_lock lock(mutex);
        return !woken.wait_for(lock, kReadEvery, [this] { return stopped; });
    }
    void post(float peak, const std::shared_ptr<Reading>& self)
    {
        const std::lock_guard lock(mutex);
        if (stopped)
            return;
        dispatcher.post([target = target, self, peak] {
            CoreAudioLevelMonitor* monitor = target.get();
            if (monitor && monitor->reading_ == self && monitor->heard_)
                monitor->heard_(peak);
        });
    }
};

namespace {

win32::ComPtr<IMMDevice> endpoint(IMMDeviceEnumerator& enumerator, const std::string& id)
{
    win32::ComPtr<IMMDevice> device;
    // Of a call, its voice.
    if (id == CoreAudioMixerDevice::kWhatYouHear)
        enumerator.GetDefaultAudioEndpoint(eRender, eConsole, device.put());
    else
        enumerator.GetDevice(win32::utf16(call_voice(id).value_or(id)).c_str(), device.put());
    return device;
}

// A capture endpoint's meter reads nothing unless some stream records from
// it: this one is opened and started, and never read.
win32::ComPtr<IAudioClient> open_stream(IMMDevice& device)
{
    win32::ComPtr<IAudioClient> client;
    if (FAILED(device.Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, client.put_void())))
        return {};
    WAVEFORMATEX* mix = nullptr;
    const HRESULT asked = client->GetMixFormat(&mix);
    const win32::CoTaskMem<WAVEFORMATEX> format(mix);
    if (FAILED(asked) || !format
        || FAILED(client->Initialize(AUDCLNT_SHAREMODE_SHARED, 0, kStreamBuffer, 0, format.get(), nullptr))
        || FAILED(client->Start()))
        return {};
    return client;
}

void read_levels(std::shared_ptr<CoreAudioLevelMonitor::Reading> reading, win32::ComPtr<IMMDeviceEnumerator> given,
                 std::string source_id)
{
    const win32::ComApartment apartment(COINIT_MULTITHREADED);
    win32::ComPtr<IMMDeviceEnumerator> enumerator = std::move(given);
    if (!enumerator
        && FAILED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, __uuidof(IMMDeviceEnumerator),
                                   enumerator.put_void())))
        return;
    const win32::ComPtr<IMMDevice> device = endpoint(*enumerator.get(), source_id);
    if (!device)
        return;
    win32::ComPtr<IAudioMeterInformation> meter;
    if (FAILED(device->Activate(__uuidof(IAudioMeterInformation), CLSCTX_ALL, nullptr, meter.put_void())))
        return;
    win32::ComPtr<IAudioClient> stream;
    if (source_id != CoreAudioMixerDevice::kWhatYouHear) {
        stream = open_stream(*device.get());
        if (!stream)
            return;
    }
    while (reading->wait()) {
        float peak = 0;
        if (FAILED(meter->GetPeakValue(&peak)))
            break;
        reading->post(peak, reading);
    }
    if (stream)
        stream->Stop();
}

} // namespace

CoreAudioLevelMonitor::CoreAudioLevelMonitor(Dispatcher& dispatcher, win32::ComPtr<IMMDeviceEnumerator> enumerator)
    : dispatcher_(dispatcher), enumerator_(std::move(enumerator)), guard_(this)
{
}

CoreAudioLevelMonitor::~CoreAudioLevelMonitor()
{
    stop();
}

void CoreAudioLevelMonitor::watch(const std::string& source_id, std::function<void(float)> heard)
{
    stop();
    heard_ = std::move(heard);
    reading_ = std::make_shared<Reading>(dispatcher_, guard_.ref());
    std::thread(read_levels, reading_, enumerator_, source_id).detach();
}

void CoreAudioLevelMonitor::stop()
{
    if (reading_)
        reading_->stop();
    reading_.reset();
    heard_ = nullptr;
}

} // namespace ornavox
