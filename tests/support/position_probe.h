#pragma once

#include "platform/capture_device.h"

#include <vector>

namespace ornavox::test {

// Passes every call to the real device and notes the position it reports when
// it is closed, once the stop has handed over everything: exactly what
// reached the file.
class PositionProbe : public CaptureDevice {
public:
    explicit PositionProbe(CaptureDevice& device) : device_(device) {}

    std::vector<uint64_t> positions; // one per recording

    bool open(const WaveFormat& format, CaptureListener& listener, std::string& error) override
    {
        return device_.open(format, listener, error);
    }
    void add_buffer(CaptureBuffer& buffer) override { device_.add_buffer(buffer); }
    void start() override { device_.start(); }
    void reset() override { device_.reset(); }
    void close() override
    {
        positions.push_back(device_.position_samples().value_or(0));
        device_.close();
    }
    std::optional<uint64_t> position_samples() const override { return device_.position_samples(); }
    uint64_t overruns() const override { return device_.overruns(); }
    uint64_t undelivered_bytes() const override { return device_.undelivered_bytes(); }
    std::string close_failure() const override { return device_.close_failure(); }

private:
    CaptureDevice& device_;
};

} // namespace ornavox::test
