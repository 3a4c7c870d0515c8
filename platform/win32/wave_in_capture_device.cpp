#include "platform/win32/wave_in_capture_device.h"

#include "base/utf16.h"

#include <algorithm>
#include <utility>

namespace ornavox {

namespace {

// While capturing, the device is asked this often whether it is still there:
// one that went away sends no buffer that could tell.
constexpr UINT_PTR kHealthTimer = 1;
constexpr UINT kHealthPeriodMs = 500;

std::string wave_error(MMRESULT result)
{
    wchar_t text[MAXERRORLENGTH] = {};
    if (waveInGetErrorTextW(result, text, MAXERRORLENGTH) != MMSYSERR_NOERROR)
        return "error " + std::to_string(result);
    return win32::utf8(text);
}

} // namespace

WaveInCaptureDevice::WaveInCaptureDevice()
    : window_([this](HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
          return notified(window, message, wparam, lparam);
      })
{
}

WaveInCaptureDevice::~WaveInCaptureDevice()
{
    close();
}

// A device's name holds at most 31 characters: a longer source name matches
// by its beginning.
std::optional<UINT> WaveInCaptureDevice::device_id() const
{
    if (source_.empty())
        return WAVE_MAPPER;
    const std::wstring wanted = win32::utf16(source_).substr(0, MAXPNAMELEN - 1);
    const UINT count = waveInGetNumDevs();
    for (UINT id = 0; id < count; ++id) {
        WAVEINCAPSW caps{};
        if (waveInGetDevCapsW(id, &caps, sizeof caps) == MMSYSERR_NOERROR && wanted == caps.szPname)
            return id;
    }
    return std::nullopt;
}

bool WaveInCaptureDevice::open(const WaveFormat& format, CaptureListener& listener, std::string& error)
{
    if (wave_in_) {
        error = "the sound card is open already";
        return false;
    }
    const std::optional<UINT> id = device_id();
    if (!id) {
        error = "there is no sound card named " + source_;
        return false;
    }
    WAVEFORMATEX wave{};
    wave.wFormatTag = format.format_tag;
    wave.nChannels = format.channels;
    wave.nSamplesPerSec = format.samples_per_sec;
    wave.nAvgBytesPerSec = format.avg_bytes_per_sec;
    wave.nBlockAlign = format.block_align;
    wave.wBitsPerSample = format.bits_per_sample;
    const MMRESULT result =
        waveInOpen(&wave_in_, *id, &wave, reinterpret_cast<DWORD_PTR>(window_.handle()), 0, CALLBACK_WINDOW);
    if (result != MMSYSERR_NOERROR) {
        wave_in_ = nullptr;
        error = wave_error(result);
        return false;
    }
    listener_ = &listener;
    failed_ = false;
    running_ = false;
    reset_ = false;
    close_failure_.clear();
    block_align_ = format.block_align ? format.block_align : 4;
    frames_handed_back_ = 0;
    return true;
}

void WaveInCaptureDevice::add_buffer(CaptureBuffer& buffer)
{
    if (!wave_in_)
        return;
    auto queued = std::make_unique<Queued>();
    queued->buffer = &buffer;
    queued->header.lpData = reinterpret_cast<LPSTR>(buffer.data);
    queued->header.dwBufferLength = buffer.buffer_length;
    WAVEHDR* header = &queued->header;
    if (waveInPrepareHeader(wave_in_, header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR)
        return;
    const MMRESULT result = waveInAddBuffer(wave_in_, header, sizeof(WAVEHDR));
    if (result != MMSYSERR_NOERROR) {
        waveInUnprepareHeader(wave_in_, header, sizeof(WAVEHDR));
        fail(result, "waveInAddBuffer");
        return;
    }
    queued_.emplace(header, std::move(queued));
    // Stopped, the device holds nothing more: a reset sends the buffer back.
    if (reset_)
        waveInReset(wave_in_);
}

void WaveInCaptureDevice::start()
{
    if (!wave_in_)
        return;
    if (const MMRESULT result = waveInStart(wave_in_); result != MMSYSERR_NOERROR)
        fail(result, "waveInStart");
    else {
        running_ = true;
        reset_ = false;
        SetTimer(window_.handle(), kHealthTimer, kHealthPeriodMs, nullptr);
    }
}

// The device marks every queued buffer done and sends each back.
void WaveInCaptureDevice::reset()
{
    if (wave_in_)
        waveInReset(wave_in_);
    running_ = false;
    reset_ = wave_in_ != nullptr;
    KillTimer(window_.handle(), kHealthTimer);
}

// Buffers come back before the close notification: the device sends them as
// it resets, and the close after.
void WaveInCaptureDevice::close()
{
    if (!wave_in_)
        return;
    waveInReset(wave_in_);
    running_ = false;
    reset_ = false;
    KillTimer(window_.handle(), kHealthTimer);
    for (auto& [header, queued] : queued_)
        waveInUnprepareHeader(wave_in_, &queued->header, sizeof(WAVEHDR));
    const MMRESULT result = waveInClose(wave_in_);
    const HWAVEIN closed = std::exchange(wave_in_, nullptr);
    if (result == MMSYSERR_NOERROR)
        return;
    abandoned_devices_.push_back(closed);
    // The device keeps its handle and what it was given; the recording ends
    // without the device's own notification.
    close_failure_ = "waveInClose: " + wave_error(result);
    for (auto& [header, queued] : queued_)
        abandoned_.push_back(std::move(queued));
    queued_.clear();
    PostMessageW(window_.handle(), MM_WIM_CLOSE, 0, 0);
}

std::optional<uint64_t> WaveInCaptureDevice::position_samples() const
{
    if (!wave_in_)
        return std::nullopt;
    if (!running_) {
        uint64_t frames = frames_handed_back_;
        for (const auto& [header, queued] : queued_)
            if (header->dwFlags & WHDR_DONE)
                frames += header->dwBytesRecorded / block_align_;
        return frames;
    }
    MMTIME time{};
    time.wType = TIME_SAMPLES;
    if (waveInGetPosition(wave_in_, &time, sizeof time) != MMSYSERR_NOERROR || time.wType != TIME_SAMPLES)
        return 0;
    return time.u.sample;
}

// A device that went away (its driver gone, the sound server lost) says so
// once; the buffers it still holds come back with reset or close.
void WaveInCaptureDevice::fail(MMRESULT result, const char* what)
{
    if (failed_ || !listener_)
        return;
    failed_ = true;
    listener_->device_failed("the sound card stopped (" + std::string(what) + ": " + wave_error(result) + ")");
}

LRESULT WaveInCaptureDevice::notified(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case MM_WIM_OPEN:
        if (listener_)
            listener_->device_opened();
        return 0;
    case MM_WIM_DATA: {
        const auto it = queued_.find(reinterpret_cast<const WAVEHDR*>(lparam));
        if (it == queued_.end())
            return 0;
        const std::unique_ptr<Queued> queued = std::move(it->second);
        queued_.erase(it);
        if (wave_in_)
            waveInUnprepareHeader(wave_in_, &queued->header, sizeof(WAVEHDR));
        queued->buffer->bytes_recorded = queued->header.dwBytesRecorded;
        frames_handed_back_ += queued->header.dwBytesRecorded / block_align_;
        if (listener_)
            listener_->buffer_filled(*queued->buffer);
        return 0;
    }
    case WM_TIMER: {
        MMTIME time{};
        time.wType = TIME_SAMPLES;
        if (wparam != kHealthTimer || !wave_in_ || !running_)
            return 0;
        if (const MMRESULT result = waveInGetPosition(wave_in_, &time, sizeof time); result != MMSYSERR_NOERROR) {
            KillTimer(window, kHealthTimer);
            fail(result, "waveInGetPosition");
        }
        return 0;
    }
    case MM_WIM_CLOSE: {
        // One that closed after all, late, was told closed already.
        const auto device = reinterpret_cast<HWAVEIN>(wparam);
        if (device
            && std::find(abandoned_devices_.begin(), abandoned_devices_.end(), device) != abandoned_devices_.end())
            return 0;
        CaptureListener* listener = std::exchange(listener_, nullptr);
        if (listener)
            listener->device_closed();
        return 0;
    }
    default:
        return DefWindowProcW(window, message, wparam, lparam);
    }
}

} // namespace ornavox
