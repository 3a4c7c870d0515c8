#include "platform/call_capture_device.h"

#include <algorithm>
#include <utility>

namespace ornavox {

class CallCaptureDevice::VoiceSide final : public CaptureListener {
public:
    explicit VoiceSide(CallCaptureDevice& call) : call_(call) {}
    void device_opened() override
    {
        if (call_.listener_)
            call_.listener_->device_opened();
    }
    void buffer_filled(CaptureBuffer& buffer) override { call_.voice_filled(buffer); }
    void device_failed(const std::string& reason) override { call_.fail(reason, false); }
    void device_closed() override { call_.side_closed(); }

private:
    CallCaptureDevice& call_;
};

class CallCaptureDevice::OtherSide final : public CaptureListener {
public:
    explicit OtherSide(CallCaptureDevice& call) : call_(call) {}
    void device_opened() override {}
    void buffer_filled(CaptureBuffer& buffer) override { call_.other_filled(buffer); }
    void device_failed(const std::string& reason) override { call_.fail(other_side_failure(reason), true); }
    void device_closed() override { call_.side_closed(); }

private:
    CallCaptureDevice& call_;
};

std::string CallCaptureDevice::other_side_failure(const std::string& reason)
{
    return "what you hear could not be recorded any more: " + reason;
}

CallCaptureDevice::CallCaptureDevice(CaptureDevice& voice, CaptureDevice& other)
    : voice_(voice), other_(other), voice_side_(std::make_unique<VoiceSide>(*this)),
      other_side_(std::make_unique<OtherSide>(*this))
{
}

CallCaptureDevice::~CallCaptureDevice()
{
    close();
}

bool CallCaptureDevice::open(const WaveFormat& format, CaptureListener& listener, std::string& error)
{
    if (listener_) {
        error = "The capture device is already open";
        return false;
    }
    if (!voice_.open(format, *voice_side_, error))
        return false;
    std::string other_error;
    if (!other_.open(format, *other_side_, other_error)) {
        voice_.close();
        error = "What you hear cannot be recorded: " + other_error;
        return false;
    }
    listener_ = &listener;
    mix_ = std::make_unique<CallMix>(format.samples_per_sec, format.channels);
    const uint32_t align = format.block_align ? format.block_align : 4;
    const uint32_t bytes = std::max<uint32_t>(format.samples_per_sec / 10, 1) * align;
    other_data_.assign(size_t{bytes} * kOtherBuffers, 0);
    for (size_t i = 0; i < kOtherBuffers; ++i) {
        other_buffers_[i] = CaptureBuffer{other_data_.data() + i * bytes, bytes, 0};
        other_.add_buffer(other_buffers_[i]);
    }
    open_sides_ = 2;
    running_ = false;
    failed_ = false;
    holding_ = false;
    return true;
}

void CallCaptureDevice::add_buffer(CaptureBuffer& buffer)
{
    if (!listener_)
        return;
    voice_.add_buffer(buffer);
}

// The other side first, so that its sound is there when the voice's comes.
void CallCaptureDevice::start()
{
    if (!listener_)
        return;
    if (!running_)
        mix_->restart();
    running_ = true;
    other_.start();
    voice_.start();
}

void CallCaptureDevice::reset()
{
    if (!listener_)
        return;
    running_ = false;
    voice_.reset();
    other_.reset();
    release_held();
}

void CallCaptureDevice::close()
{
    if (!listener_)
        return;
    running_ = false;
    voice_.close();
    other_.close();
    release_held();
}

void CallCaptureDevice::release_held()
{
    holding_ = false;
    for (CaptureBuffer* buffer : std::exchange(held_, {}))
        listener_->buffer_filled(*buffer);
}

std::string CallCaptureDevice::close_failure() const
{
    const std::string voice = voice_.close_failure();
    return voice.empty() ? other_.close_failure() : voice;
}

void CallCaptureDevice::voice_filled(CaptureBuffer& buffer)
{
    if (!listener_)
        return;
    const uint32_t bytes = std::min(buffer.bytes_recorded, buffer.buffer_length);
    // The samples of a buffer are aligned as the caller allocated them.
    mix_->mix_into(std::span(reinterpret_cast<int16_t*>(buffer.data), bytes / sizeof(int16_t)));
    if (holding_)
        held_.push_back(&buffer);
    else
        listener_->buffer_filled(buffer);
}

void CallCaptureDevice::other_filled(CaptureBuffer& buffer)
{
    if (!listener_)
        return;
    const uint32_t bytes = std::min(buffer.bytes_recorded, buffer.buffer_length);
    mix_->add_other(std::span(reinterpret_cast<const int16_t*>(buffer.data), bytes / sizeof(int16_t)));
    if (running_ && !failed_)
        other_.add_buffer(buffer);
}

// A voice that failed has stopped by itself. One whose other side failed is
// stopped here, and what it hands back waits for the caller's own reset or
// close, as the buffers of a failed device do.
void CallCaptureDevice::fail(const std::string& reason, bool other_side)
{
    if (!listener_ || failed_)
        return;
    failed_ = true;
    listener_->device_failed(reason);
    if (other_side) {
        holding_ = true;
        voice_.reset();
    }
    other_.reset();
}

void CallCaptureDevice::side_closed()
{
    if (!listener_ || --open_sides_ > 0)
        return;
    CaptureListener* listener = std::exchange(listener_, nullptr);
    mix_.reset();
    listener->device_closed();
}

} // namespace ornavox
