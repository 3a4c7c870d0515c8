#pragma once

#include "platform/capture_device.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <span>

namespace ornavox {

// The caller's buffers that a capture device holds, filled in the order they
// were queued. Every capture device whose data arrives as a stream of bytes
// keeps its buffers here. Used by one thread at a time (the device's lock,
// where it has one); a buffer handed back goes to the GUI thread through the
// dispatcher.
class CaptureBufferQueue {
public:
    using HandBack = std::function<void(CaptureBuffer&)>;

    // The buffer starts empty.
    void push(CaptureBuffer& buffer);

    // Copies as much of `bytes` as the queued buffers take; each buffer that
    // becomes full leaves the queue through `full`, in order. Returns the
    // bytes taken.
    size_t fill(std::span<const uint8_t> bytes, const HandBack& full);
    // The same with `count` bytes of silence.
    size_t fill_silence(size_t count, const HandBack& full);

    // Every queued buffer leaves through `back`, the partly filled one first
    // with what it holds.
    void hand_back_all(const HandBack& back);

    bool empty() const { return buffers_.empty(); }
    const std::deque<CaptureBuffer*>& buffers() const { return buffers_; }

private:
    size_t fill(const uint8_t* bytes, size_t count, const HandBack& full); // bytes nullptr: silence

    std::deque<CaptureBuffer*> buffers_;
};

} // namespace ornavox
