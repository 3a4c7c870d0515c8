#include "platform/win32/loopback_capture_device.h"

#include "base/utf16.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/win32_handles.h"

#include <audioclient.h>

#include <condition_variable>
#include <mutex>
#include <utility>
#include <vector>

namespace ornavox {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct LoopbackCaptureDevice::Shared {
    std::mutex mutex;
    std::condition_variable wake;
    bool stop = false;
    bool capturing = false;
    // A call to deliver() is on its way to the GUI thread.
    bool posted = false;
    std::vector<uint8_t> staging;
    size_t staging_limit = 0;
    uint64_t overruns = 0;
    // Since the last start(), for the silence the output does not send.
    Clock::time_point started_at;
    uint64_t frames_since_start = 0;
    std::string failure;
    bool answered = false; // the output opened, or failed to
    bool finished = false; // the capture thread is done with the output
};

namespace {

struct LoopbackClient {
    win32::ComPtr<IAudioClient> audio;
    win32::ComPtr<IAudioCaptureClient> capture;
};

// In `format`, converted by Windows, or else in the output's own.
HRESULT open_loopback(IMMDevice& output, const WAVEFORMATEX* format, LoopbackClient& client)
{
    HRESULT result = output.Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, client.audio.put_void());
    if (FAILED(result))
        return result;
    WAVEFORMATEX* mix = nullptr;
    if (!format && FAILED(result = client.audio->GetMixFormat(&mix)))
        return result;
    const win32::CoTaskMem<WAVEFORMATEX> own(mix);
    const DWORD convert = format ? AUDCLNT_STREAMFLAGS_AUTOCONVERTPCM | AUDCLNT_STREAMFLAGS_SRC_DEFAULT_QUALITY : 0;
    constexpr REFERENCE_TIME kOneSecond = 10'000'000;
    result = client.audio->Initialize(AUDCLNT_SHAREMODE_SHARED, AUDCLNT_STREAMFLAGS_LOOPBACK | convert, kOneSecond, 0,
                                      format ? format : own.get(), nullptr);
    if (SUCCEEDED(result))
        result = client.audio->GetService(__uuidof(IAudioCaptureClient), client.capture.put_void());
    return result;
}

// The default output's id, empty when there is none.
std::wstring default_output(IMMDeviceEnumerator& enumerator)
{
    win32::ComPtr<IMMDevice> output;
    LPWSTR id = nullptr;
    if (FAILED(enumerator.GetDefaultAudioEndpoint(eRender, eConsole, output.put())) || FAILED(output->GetId(&id)))
        return {};
    const win32::CoTaskMem<WCHAR> owned(id);
    return id;
}

HRESULT open_default_loopback(IMMDeviceEnumerator& enumerator, const WAVEFORMATEX& format, LoopbackClient& client)
{
    win32::ComPtr<IMMDevice> output;
    HRESULT result = enumerator.GetDefaultAudioEndpoint(eRender, eConsole, output.put());
    if (SUCCEEDED(result))
        result = open_loopback(*output.get(), &format, client);
    if (SUCCEEDED(result))
        result = client.audio->Start();
    return result;
}

// Moves what the output sent since the last call into the staging area,
// while capturing; a failure once the output went away.
HRESULT take_packets(IAudioCaptureClient& capture, uint32_t block_align, LoopbackCaptureDevice::Shared& shared,
                     bool& arrived)
{
    UINT32 frames = 0;
    HRESULT result = S_OK;
    while (SUCCEEDED(result = capture.GetNextPacketSize(&frames)) && frames > 0) {
        BYTE* data = nullptr;
        DWORD flags = 0;
        if (FAILED(result = capture.GetBuffer(&data, &frames, &flags, nullptr, nullptr)))
            break;
        const size_t bytes = size_t{frames} * block_align;
        {
            const std::lock_guard lock(shared.mutex);
            if (shared.capturing) {
                if (shared.staging.size() + bytes > shared.staging_limit)
                    ++shared.overruns;
                else if (flags & AUDCLNT_BUFFERFLAGS_SILENT)
                    shared.staging.resize(shared.staging.size() + bytes, 0);
                else
                    shared.staging.insert(shared.staging.end(), data, data + bytes);
                shared.frames_since_start += frames;
                arrived = true;
            }
        }
        capture.ReleaseBuffer(frames);
    }
    return result;
}

void tell_stopped(HRESULT result, LoopbackCaptureDevice::Shared& shared)
{
    const std::lock_guard lock(shared.mutex);
    shared.failure = result == AUDCLNT_E_DEVICE_INVALIDATED
        ? "the sound output went away"
        : "the sound output stopped (" + win32::result_text(result) + ")";
}

// Another output became the default, or the one recorded went and another
// is the default now: the recording goes on from it. False when there is
// none to go on from.
bool follow_default(IMMDeviceEnumerator& enumerator, const WAVEFORMATEX& format, std::wstring& output,
                    LoopbackClient& client)
{
    const std::wstring now = default_output(enumerator);
    if (now.empty() || now == output)
        return false;
    LoopbackClient next;
    if (FAILED(open_default_loopback(enumerator, format, next)))
        return false;
    client.audio->Stop();
    client = std::move(next);
    output = now;
    return true;
}

// While nothing plays the output sends nothing: after 100 ms without a
// packet, silence fills the recording up to the time that passed.
void fill_silence(const WAVEFORMATEX& format, LoopbackCaptureDevice::Shared& shared)
{
    const std::lock_guard lock(shared.mutex);
    if (!shared.capturing)
        return;
    const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - shared.started_at);
    const auto due = static_cast<uint64_t>(elapsed.count()) * format.nSamplesPerSec / 1'000'000;
    if (due <= shared.frames_since_start)
        return;
    const size_t bytes = (due - shared.frames_since_start) * format.nBlockAlign;
    shared.frames_since_start = due;
    if (shared.staging.size() + bytes > shared.staging_limit)
        ++shared.overruns;
    else
        shared.staging.resize(shared.staging.size() + bytes, 0);
}

// Under the mutex. Nothing is posted once the device was told to stop: the
// device, and the dispatcher with it, may be gone.
void post_once(LoopbackCaptureDevice::Shared& shared, const std::function<void()>& post_deliver)
{
    if (shared.posted || shared.stop)
        return;
    shared.posted = true;
    post_deliver();
}

void capture(std::shared_ptr<LoopbackCaptureDevice::Shared> shared, win32::ComPtr<IMMDeviceEnumerator> endpoints,
             WAVEFORMATEX format, std::function<void()> post_deliver)
{
    win32::ComApartment apartment(COINIT_MULTITHREADED);
    LoopbackClient client;
    HRESULT result = endpoints ? S_OK
                               : CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                                                  __uuidof(IMMDeviceEnumerator), endpoints.put_void());
    std::wstring output;
    if (SUCCEEDED(result)) {
        output = default_output(*endpoints.get());
        result = open_default_loopback(*endpoints.get(), format, client);
    }
    std::unique_lock lock(shared->mutex);
    shared->answered = true;
    shared->wake.notify_all();
    if (FAILED(result)) {
        shared->failure = "Windows cannot record what the output plays here (" + win32::result_text(result) + ")";
        post_once(*shared, post_deliver);
        shared->finished = true;
        return;
    }
    auto last_packet = Clock::now();
    auto last_look = Clock::now();
    while (!shared->wake.wait_for(lock, 10ms, [&] { return shared->stop; })) {
        lock.unlock();
        bool arrived = false;
        HRESULT taken = take_packets(*client.capture.get(), format.nBlockAlign, *shared, arrived);
        // The default output is looked at 20 times a second; the silence
        // filled in keeps the time of a change.
        if (FAILED(taken) || Clock::now() - last_look >= 50ms) {
            last_look = Clock::now();
            if (follow_default(*endpoints.get(), format, output, client))
                taken = S_OK;
        }
        const bool healthy = SUCCEEDED(taken);
        if (!healthy)
            tell_stopped(taken, *shared);
        if (arrived)
            last_packet = Clock::now();
        else if (healthy && Clock::now() - last_packet > 100ms)
            fill_silence(format, *shared);
        lock.lock();
        if (!shared->staging.empty() || !healthy)
            post_once(*shared, post_deliver);
        if (!healthy)
            break;
    }
    lock.unlock();
    client.audio->Stop();
    client = {};
    lock.lock();
    shared->finished = true;
}

// An output that does not open within the limit fails the device; should it
// open later, the capture thread finds itself told to stop.
void watch_opening(std::shared_ptr<LoopbackCaptureDevice::Shared> shared, std::function<void()> post_deliver)
{
    std::unique_lock lock(shared->mutex);
    if (shared->wake.wait_for(lock, LoopbackCaptureDevice::kAnswerLimit,
                              [&] { return shared->answered || shared->stop; }))
        return;
    shared->failure = "the sound output did not answer within "
        + std::to_string(LoopbackCaptureDevice::kAnswerLimit.count() / 1000) + " seconds";
    post_once(*shared, post_deliver);
    shared->stop = true;
}

} // namespace

bool loopback_capture_available(IMMDevice& output)
{
    LoopbackClient client;
    return SUCCEEDED(open_loopback(output, nullptr, client));
}

LoopbackCaptureDevice::LoopbackCaptureDevice(Dispatcher& dispatcher, std::chrono::milliseconds backlog,
                                             win32::ComPtr<IMMDeviceEnumerator> endpoints)
    : dispatcher_(dispatcher), backlog_(backlog), endpoints_(std::move(endpoints)), guard_(this)
{
}

LoopbackCaptureDevice::~LoopbackCaptureDevice()
{
    close();
    guard_.point_at(nullptr);
    let_threads_go();
}

// The watch ends at once once told to stop. The capture thread is waited for
// only when it is done: one stuck in the output is left to itself, since it
// posts nothing more and owns everything it still uses.
void LoopbackCaptureDevice::let_threads_go()
{
    bool finished = true;
    if (shared_) {
        const std::lock_guard lock(shared_->mutex);
        shared_->stop = true;
        finished = shared_->finished;
    }
    if (shared_)
        shared_->wake.notify_all();
    if (watch_.joinable())
        watch_.join();
    if (thread_.joinable()) {
        if (finished)
            thread_.join();
        else
            thread_.detach();
    }
}

// Returns at once: the capture thread opens the output, and a failure there
// comes as device_failed.
bool LoopbackCaptureDevice::open(const WaveFormat& format, CaptureListener& listener, std::string& error)
{
    if (listener_) {
        error = "the sound output is open already";
        return false;
    }
    let_threads_go();
    WAVEFORMATEX wave{};
    wave.wFormatTag = format.format_tag;
    wave.nChannels = format.channels;
    wave.nSamplesPerSec = format.samples_per_sec;
    wave.nAvgBytesPerSec = format.avg_bytes_per_sec;
    wave.nBlockAlign = format.block_align ? format.block_align : 4;
    wave.wBitsPerSample = format.bits_per_sample;
    shared_ = std::make_shared<Shared>();
    shared_->staging_limit =
        static_cast<size_t>(uint64_t{format.avg_bytes_per_sec} * backlog_.count() / 1000 / wave.nBlockAlign)
        * wave.nBlockAlign;
    auto post_deliver = [&dispatcher = dispatcher_, device = guard_.ref()] {
        dispatcher.post([device] {
            if (LoopbackCaptureDevice* alive = device.get())
                alive->deliver();
        });
    };
    listener_ = &listener;
    block_align_ = wave.nBlockAlign;
    delivered_bytes_ = 0;
    undelivered_ = 0;
    reset_ = false;
    dispatcher_.post([&listener, alive = guard_.ref()] {
        if (alive.get())
            listener.device_opened();
    });
    thread_ = std::thread(capture, shared_, endpoints_, wave, post_deliver);
    watch_ = std::thread(watch_opening, shared_, post_deliver);
    return true;
}

void LoopbackCaptureDevice::add_buffer(CaptureBuffer& buffer)
{
    if (!listener_)
        return;
    queue_.push(buffer);
    deliver();
    if (reset_)
        queue_.hand_back_all([this](CaptureBuffer& returned) { post_filled(returned); });
}

void LoopbackCaptureDevice::start()
{
    if (!listener_)
        return;
    reset_ = false;
    const std::lock_guard lock(shared_->mutex);
    shared_->capturing = true;
    shared_->started_at = Clock::now();
    shared_->frames_since_start = 0;
}

void LoopbackCaptureDevice::post_filled(CaptureBuffer& buffer)
{
    dispatcher_.post([listener = listener_, &buffer, alive = guard_.ref()] {
        if (alive.get())
            listener->buffer_filled(buffer);
    });
}

// What arrived goes into the queued buffers; what finds none waits for the
// next buffer. A failure is told after the buffers that what came before it
// filled.
void LoopbackCaptureDevice::deliver()
{
    if (!listener_)
        return;
    std::vector<uint8_t> arrived;
    {
        const std::lock_guard lock(shared_->mutex);
        arrived.swap(shared_->staging);
        shared_->posted = false;
    }
    const size_t taken = queue_.fill(arrived, [this](CaptureBuffer& buffer) { post_filled(buffer); });
    delivered_bytes_ += taken;
    const std::lock_guard lock(shared_->mutex);
    shared_->staging.insert(shared_->staging.begin(), arrived.begin() + static_cast<ptrdiff_t>(taken), arrived.end());
    if (!shared_->failure.empty()) {
        dispatcher_.post([listener = listener_, reason = std::exchange(shared_->failure, {}), alive = guard_.ref()] {
            if (alive.get())
                listener->device_failed(reason);
        });
    }
}

void LoopbackCaptureDevice::reset()
{
    if (!listener_)
        return;
    {
        const std::lock_guard lock(shared_->mutex);
        shared_->capturing = false;
    }
    reset_ = true;
    deliver();
    queue_.hand_back_all([this](CaptureBuffer& buffer) { post_filled(buffer); });
}

void LoopbackCaptureDevice::close()
{
    if (!listener_)
        return;
    reset();
    {
        const std::lock_guard lock(shared_->mutex);
        undelivered_ = shared_->staging.size();
        shared_->staging.clear();
    }
    reset_ = false;
    let_threads_go();
    dispatcher_.post([listener = std::exchange(listener_, nullptr), alive = guard_.ref()] {
        if (alive.get())
            listener->device_closed();
    });
}

std::optional<uint64_t> LoopbackCaptureDevice::position_samples() const
{
    if (!listener_)
        return std::nullopt;
    const std::lock_guard lock(shared_->mutex);
    return (delivered_bytes_ + shared_->staging.size()) / block_align_;
}

uint64_t LoopbackCaptureDevice::overruns() const
{
    if (!shared_)
        return 0;
    const std::lock_guard lock(shared_->mutex);
    return shared_->overruns;
}

} // namespace ornavox
