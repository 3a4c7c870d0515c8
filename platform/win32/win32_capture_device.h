#pragma once

#include "platform/win32/loopback_capture_device.h"
#include "platform/win32/record_source.h"
#include "platform/win32/wave_in_capture_device.h"

namespace ornavox {

// The program's capture device on Windows: the wave-in device named after the
// chosen record source, or the loopback capture of the default output when
// the user chose what it plays. A choice takes effect at the next open.
// GUI thread only.
class Win32CaptureDevice final : public CaptureDevice {
public:
    explicit Win32CaptureDevice(Dispatcher& dispatcher) : loopback_(dispatcher) {}

    void choose(const RecordSource& source)
    {
        wave_in_.set_record_source(source.what_you_hear ? std::string() : source.name);
        what_you_hear_ = source.what_you_hear;
    }

    bool open(const WaveFormat& format, CaptureListener& listener, std::string& error) override
    {
        if (!active_->position_samples())
            active_ = what_you_hear_ ? static_cast<CaptureDevice*>(&loopback_) : &wave_in_;
        return active_->open(format, listener, error);
    }
    void add_buffer(CaptureBuffer& buffer) override { active_->add_buffer(buffer); }
    void start() override { active_->start(); }
    void reset() override { active_->reset(); }
    void close() override { active_->close(); }
    std::optional<uint64_t> position_samples() const override { return active_->position_samples(); }
    uint64_t overruns() const override { return active_->overruns(); }
    uint64_t undelivered_bytes() const override { return active_->undelivered_bytes(); }
    std::string close_failure() const override { return active_->close_failure(); }

private:
    WaveInCaptureDevice wave_in_;
    LoopbackCaptureDevice loopback_;
    CaptureDevice* active_ = &wave_in_;
    bool what_you_hear_ = false;
};

} // namespace ornavox
