#pragma once

#include "platform/capture_buffer_queue.h"
#include "platform/capture_device.h"
#include "platform/dispatcher.h"
#include "platform/posted_guard.h"
#include "platform/win32/com_ptr.h"

#include <mmdeviceapi.h>

#include <chrono>
#include <memory>
#include <thread>

namespace ornavox {

// Records what the default output plays, through the audio client's loopback
// capture: most current machines have no "Stereo Mix" input to record it
// from.
//
// Thread contract: every public call on the GUI thread. A capture thread owns
// the audio client, opened in the format asked for (Windows converts): every
// 10 ms it moves what arrived into a staging area and posts one call that
// fills the queued buffers from it on the GUI thread. The staging area holds
// at most `backlog`, so a busy GUI thread loses nothing; what does not fit is
// dropped and counted in overruns(). After reset() what the staging area
// holds goes into the buffers queued next, each handed back at once. Every
// notification is posted, in order.
//
// Opening and closing never wait for the output: the capture thread opens
// it, an output that has not opened within kAnswerLimit fails the device, and
// close() leaves a thread stuck in the output to itself.
//
// The output sends nothing while nothing plays; the device then records
// silence, so that the recording keeps its time. It follows the default
// output: when another becomes the default, or the one recorded goes and
// another is the default, it goes on from that one. It fails, once, when the
// output goes away and none is left; what it sent before is delivered first.
class LoopbackCaptureDevice final : public CaptureDevice {
public:
    static constexpr std::chrono::milliseconds kAnswerLimit{5000};

    // The output is the default of `endpoints`, or of Windows' own when none
    // is given.
    explicit LoopbackCaptureDevice(Dispatcher& dispatcher, std::chrono::milliseconds backlog = std::chrono::seconds(20),
                                   win32::ComPtr<IMMDeviceEnumerator> endpoints = {});
    ~LoopbackCaptureDevice() override;
    LoopbackCaptureDevice(const LoopbackCaptureDevice&) = delete;
    LoopbackCaptureDevice& operator=(const LoopbackCaptureDevice&) = delete;

    bool open(const WaveFormat& format, CaptureListener& listener, std::string& error) override;
    void add_buffer(CaptureBuffer& buffer) override;
    void start() override;
    void reset() override;
    void close() override;
    std::optional<uint64_t> position_samples() const override;
    uint64_t overruns() const override;
    uint64_t undelivered_bytes() const override { return undelivered_; }
    std::string close_failure() const override { return {}; }

    struct Shared;

private:
    void deliver();
    void post_filled(CaptureBuffer& buffer);
    void let_threads_go();

    Dispatcher& dispatcher_;
    std::chrono::milliseconds backlog_;
    win32::ComPtr<IMMDeviceEnumerator> endpoints_;
    CaptureListener* listener_ = nullptr;
    uint32_t block_align_ = 4;
    uint64_t delivered_bytes_ = 0;
    uint64_t undelivered_ = 0;
    bool reset_ = false; // reset and not started again
    CaptureBufferQueue queue_;
    std::shared_ptr<Shared> shared_;
    PostedGuard<LoopbackCaptureDevice> guard_; // a call still queued when the device goes finds it gone
    std::thread thread_;                       // captures
    std::thread watch_;                        // bounds the output's opening
};

// Whether this Windows can capture what `output` plays; Wine cannot.
bool loopback_capture_available(IMMDevice& output);

} // namespace ornavox
