#pragma once

#include "platform/call_mix.h"
#include "platform/capture_device.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ornavox {

// Records a call: the voice (a microphone, a line input) and the other side
// (what the output plays) together, as one stream in the voice's buffers and
// on its clock. The caller's buffers go to the voice's device; each one that
// comes back has the other side added in (CallMix) before the caller gets
// it. The other side fills buffers of this device's own, which go back to it
// at once.
//
// If either side fails, the recording fails once, and the reason names the
// side: the voice's device names its source, the other side's failure says
// it was what you hear. Both sides then stop, and the buffers the voice
// still holds come back at the caller's reset() or close().
//
// Thread contract: the devices' own, every call and notification on the GUI
// thread; the two devices must outlive this one.
class CallCaptureDevice final : public CaptureDevice {
public:
    // How the other side's failure completes "The recording stopped because ...".
    static std::string other_side_failure(const std::string& reason);

    CallCaptureDevice(CaptureDevice& voice, CaptureDevice& other);
    ~CallCaptureDevice() override;
    CallCaptureDevice(const CallCaptureDevice&) = delete;
    CallCaptureDevice& operator=(const CallCaptureDevice&) = delete;

    bool open(const WaveFormat& format, CaptureListener& listener, std::string& error) override;
    void add_buffer(CaptureBuffer& buffer) override;
    void start() override;
    void reset() override;
    void close() override;
    std::optional<uint64_t> position_samples() const override { return voice_.position_samples(); }
    uint64_t overruns() const override { return voice_.overruns() + other_.overruns(); }
    uint64_t undelivered_bytes() const override { return voice_.undelivered_bytes(); }
    std::string close_failure() const override;

private:
    class VoiceSide;
    class OtherSide;
    friend class VoiceSide;
    friend class OtherSide;

    // A tenth of a second each: few wakeups, and the other side's latency
    // stays short.
    static constexpr size_t kOtherBuffers = 8;

    void voice_filled(CaptureBuffer& buffer);
    void other_filled(CaptureBuffer& buffer);
    void fail(const std::string& reason, bool other_side);
    void release_held();
    void side_closed();

    CaptureDevice& voice_;
    CaptureDevice& other_;
    std::unique_ptr<VoiceSide> voice_side_;
    std::unique_ptr<OtherSide> other_side_;
    CaptureListener* listener_ = nullptr;
    std::unique_ptr<CallMix> mix_;
    std::vector<uint8_t> other_data_;
    std::array<CaptureBuffer, kOtherBuffers> other_buffers_{};
    int open_sides_ = 0; // sides whose closed notification is still to come
    bool running_ = false;
    bool failed_ = false;
    bool holding_ = false;             // the voice's buffers wait for the caller's reset
    std::vector<CaptureBuffer*> held_; // in the order the voice gave them back
};

} // namespace ornavox
