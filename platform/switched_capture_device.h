#pragma once

#include "platform/capture_device.h"

namespace ornavox {

// A capture device that is one of several, picked at each open from the
// record source chosen then: a choice made while one is open takes effect at
// the next open. GUI thread only.
class SwitchedCaptureDevice : public CaptureDevice {
public:
    // `first` answers until the first open.
    explicit SwitchedCaptureDevice(CaptureDevice& first) : active_(&first) {}

    bool open(const WaveFormat& format, CaptureListener& listener, std::string& error) override
    {
        if (!active_->position_samples())
            active_ = &device_to_open();
        return active_->open(format, listener, error);
    }
    void add_buffer(CaptureBuffer& buffer) override { active_->add_buffer(buffer); }
    void start() override { active_->start(); }
    void reset() override { active_->reset(); }
    void close() override { active_->close(); }
    // The one opened last answers until the next open: its counters stay
    // readable after a recording.
    std::optional<uint64_t> position_samples() const override { return active_->position_samples(); }
    uint64_t overruns() const override { return active_->overruns(); }
    uint64_t undelivered_bytes() const override { return active_->undelivered_bytes(); }
    std::string close_failure() const override { return active_->close_failure(); }

protected:
    // The device for the source chosen now.
    virtual CaptureDevice& device_to_open() = 0;

private:
    CaptureDevice* active_;
};

} // namespace ornavox
