#pragma once

#include "platform/capture_buffer_queue.h"
#include "platform/capture_device.h"
#include "platform/dispatcher.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ornavox {

// A capture device that records nothing by itself: the test feeds it PCM with
// fill(). It behaves like a real backend towards its listener: every
// notification goes through the dispatcher given to it, so nothing reaches the
// listener until the test runs the dispatcher, and the order is opened, each
// filled buffer, at most one failure, closed.
//
// Thread contract: every call, the test's and the listener's, on one thread.
class FakeCaptureDevice : public CaptureDevice {
public:
    explicit FakeCaptureDevice(Dispatcher& dispatcher) : dispatcher_(dispatcher) {}

    bool open(const WaveFormat& format, CaptureListener& listener, std::string& error) override;
    void add_buffer(CaptureBuffer& buffer) override;
    void start() override;
    void reset() override;
    void close() override;
    std::optional<uint64_t> position_samples() const override;
    uint64_t overruns() const override { return overruns_; }
    uint64_t undelivered_bytes() const override { return undelivered_; }
    std::string close_failure() const override { return close_failure_; }

    // The next open() fails with `reason`.
    void fail_next_open(std::string reason) { open_failure_ = std::move(reason); }
    // The next close() cannot release the device, for `reason`.
    void fail_next_close(std::string reason) { next_close_failure_ = std::move(reason); }
    // The open device fails as when its server goes away: the failure
    // notification follows the buffers filled so far, and nothing more is
    // captured. Queued buffers stay queued until reset() or close().
    void fail(std::string reason);

    // Copies captured bytes into the queued buffers in queue order; each buffer
    // that becomes full leaves the queue with a filled notification. Bytes
    // that find no queued buffer wait in the backlog while it has room, as a
    // server holds what nobody read yet, and fill the next buffers queued;
    // beyond it they are dropped and count as one overrun per call. Nothing
    // is captured before start() or after reset(). Returns the bytes that
    // went into buffers.
    size_t fill(std::span<const uint8_t> bytes);
    size_t fill(std::span<const int16_t> samples);
    // Captures `frames` stereo frames of a sine tone (both channels alike),
    // continuing the phase of earlier calls.
    size_t fill_sine(size_t frames, double hz, int16_t amplitude = 12000);

    // How many bytes the device holds for buffers yet to come; 0 at first.
    void set_backlog(size_t bytes) { backlog_ = bytes; }
    size_t held() const { return held_.size() - held_read_; }

    // Replaces the position count while open (nullopt: the query fails).
    void set_position(std::optional<uint64_t> samples) { position_override_ = samples; }
    void set_overruns(uint64_t count) { overruns_ = count; }

    bool is_open() const { return listener_ != nullptr; }
    bool started() const { return started_; }
    const WaveFormat& format() const { return format_; }
    const std::deque<CaptureBuffer*>& queued() const { return queue_.buffers(); }

    // Every call made on the device, in order: "open", "add_buffer", "start",
    // "reset", "close" (a failed open is logged too).
    const std::vector<std::string>& calls() const { return calls_; }
    // Empties the call log, for long runs that must not grow.
    void forget_calls() { calls_.clear(); }
    // Buffers queued at the moment close() was called; a real device refuses
    // to close then.
    size_t queued_at_close() const { return queued_at_close_; }

private:
    void hand_back(CaptureBuffer& buffer);
    void feed_held();
    void drop_held();

    Dispatcher& dispatcher_;
    CaptureListener* listener_ = nullptr;
    WaveFormat format_;
    std::optional<std::string> open_failure_;
    CaptureBufferQueue queue_;
    bool started_ = false;
    bool after_reset_ = false;
    bool failed_ = false;
    size_t backlog_ = 0;
    std::vector<uint8_t> held_; // the backlog, read from held_read_ on
    size_t held_read_ = 0;
    uint64_t undelivered_ = 0;
    std::string next_close_failure_;
    std::string close_failure_;
    uint64_t captured_bytes_ = 0;
    uint64_t sine_frames_ = 0;
    std::optional<std::optional<uint64_t>> position_override_;
    uint64_t overruns_ = 0;
    size_t queued_at_close_ = 0;
    std::vector<std::string> calls_;
};

// `frames` interleaved stereo frames of a sine tone at `rate`, starting at
// frame `first_frame` of the tone.
std::vector<int16_t> sine_pcm(size_t frames, double hz, uint32_t rate, int16_t amplitude, uint64_t first_frame = 0);

} // namespace ornavox
