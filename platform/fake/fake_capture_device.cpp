#include "platform/fake/fake_capture_device.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace ornavox {

bool FakeCaptureDevice::open(const WaveFormat& format, CaptureListener& listener, std::string& error)
{
    calls_.push_back("open");
    if (open_failure_) {
        error = std::move(*open_failure_);
        open_failure_.reset();
        return false;
    }
    format_ = format;
    listener_ = &listener;
    failed_ = false;
    captured_bytes_ = 0;
    sine_frames_ = 0;
    position_override_.reset();
    overruns_ = 0;
    undelivered_ = 0;
    drop_held();
    after_reset_ = false;
    dispatcher_.post([&listener] { listener.device_opened(); });
    return true;
}

void FakeCaptureDevice::add_buffer(CaptureBuffer& buffer)
{
    calls_.push_back("add_buffer");
    // Like the real backend: only an open device takes and hands back buffers.
    if (!listener_)
        return;
    queue_.push(buffer);
    feed_held();
    if (after_reset_)
        queue_.hand_back_all([this](CaptureBuffer& returned) { hand_back(returned); });
}

void FakeCaptureDevice::start()
{
    calls_.push_back("start");
    started_ = listener_ != nullptr && !failed_;
    after_reset_ = false;
}

void FakeCaptureDevice::feed_held()
{
    held_read_ += queue_.fill(std::span<const uint8_t>(held_).subspan(held_read_),
                              [this](CaptureBuffer& buffer) { hand_back(buffer); });
    if (held_read_ == held_.size())
        drop_held();
}

void FakeCaptureDevice::drop_held()
{
    held_.clear();
    held_read_ = 0;
}

void FakeCaptureDevice::fail(std::string reason)
{
    if (!listener_ || failed_)
        return;
    failed_ = true;
    started_ = false;
    CaptureListener* listener = listener_;
    dispatcher_.post([listener, reason = std::move(reason)] { listener->device_failed(reason); });
}

void FakeCaptureDevice::hand_back(CaptureBuffer& buffer)
{
    CaptureListener* listener = listener_;
    CaptureBuffer* returned = &buffer;
    dispatcher_.post([listener, returned] { listener->buffer_filled(*returned); });
}

void FakeCaptureDevice::reset()
{
    calls_.push_back("reset");
    started_ = false;
    after_reset_ = listener_ != nullptr;
    feed_held();
    queue_.hand_back_all([this](CaptureBuffer& buffer) { hand_back(buffer); });
}

void FakeCaptureDevice::close()
{
    calls_.push_back("close");
    if (!listener_)
        return;
    queued_at_close_ = queue_.buffers().size();
    queue_.hand_back_all([this](CaptureBuffer& buffer) { hand_back(buffer); });
    undelivered_ = held();
    drop_held();
    after_reset_ = false;
    close_failure_ = std::exchange(next_close_failure_, {});
    CaptureListener* listener = listener_;
    listener_ = nullptr;
    started_ = false;
    dispatcher_.post([listener] { listener->device_closed(); });
}

std::optional<uint64_t> FakeCaptureDevice::position_samples() const
{
    if (!listener_)
        return std::nullopt;
    if (position_override_)
        return *position_override_;
    return captured_bytes_ / format_.block_align;
}

size_t FakeCaptureDevice::fill(std::span<const uint8_t> bytes)
{
    if (!started_)
        return 0;
    const size_t taken = held() == 0 ? queue_.fill(bytes, [this](CaptureBuffer& buffer) { hand_back(buffer); }) : 0;
    const size_t kept = std::min(bytes.size() - taken, backlog_ - std::min(backlog_, held()));
    held_.insert(held_.end(), bytes.begin() + static_cast<std::ptrdiff_t>(taken),
                 bytes.begin() + static_cast<std::ptrdiff_t>(taken + kept));
    if (taken + kept < bytes.size())
        ++overruns_;
    captured_bytes_ += bytes.size();
    return taken;
}

size_t FakeCaptureDevice::fill(std::span<const int16_t> samples)
{
    return fill(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(samples.data()), samples.size_bytes()));
}

size_t FakeCaptureDevice::fill_sine(size_t frames, double hz, int16_t amplitude)
{
    const std::vector<int16_t> pcm = sine_pcm(frames, hz, format_.samples_per_sec, amplitude, sine_frames_);
    sine_frames_ += frames;
    return fill(std::span<const int16_t>(pcm));
}

std::vector<int16_t> sine_pcm(size_t frames, double hz, uint32_t rate, int16_t amplitude, uint64_t first_frame)
{
    std::vector<int16_t> pcm(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        // Reduce the phase first so long tones keep their precision.
        const uint64_t frame = first_frame + i;
        const double phase = std::fmod(static_cast<double>(frame) * hz, static_cast<double>(rate));
        const auto value = static_cast<int16_t>(std::lround(amplitude * std::sin(2 * std::numbers::pi * phase / rate)));
        pcm[2 * i] = value;
        pcm[2 * i + 1] = value;
    }
    return pcm;
}

} // namespace ornavox
