#include "platform/capture_buffer_queue.h"

#include <algorithm>
#include <cstring>

namespace ornavox {

void CaptureBufferQueue::push(CaptureBuffer& buffer)
{
    buffer.bytes_recorded = 0;
    buffers_.push_back(&buffer);
}

size_t CaptureBufferQueue::fill(std::span<const uint8_t> bytes, const HandBack& full)
{
    return fill(bytes.data(), bytes.size(), full);
}

size_t CaptureBufferQueue::fill_silence(size_t count, const HandBack& full)
{
    return fill(nullptr, count, full);
}

size_t CaptureBufferQueue::fill(const uint8_t* bytes, size_t count, const HandBack& full)
{
    size_t taken = 0;
    while (taken < count && !buffers_.empty()) {
        CaptureBuffer& buffer = *buffers_.front();
        const size_t n = std::min<size_t>(buffer.buffer_length - buffer.bytes_recorded, count - taken);
        if (bytes)
            std::memcpy(buffer.data + buffer.bytes_recorded, bytes + taken, n);
        else
            std::memset(buffer.data + buffer.bytes_recorded, 0, n);
        buffer.bytes_recorded += static_cast<uint32_t>(n);
        taken += n;
        if (buffer.bytes_recorded == buffer.buffer_length) {
            buffers_.pop_front();
            full(buffer);
        }
    }
    return taken;
}

void CaptureBufferQueue::hand_back_all(const HandBack& back)
{
    while (!buffers_.empty()) {
        CaptureBuffer& buffer = *buffers_.front();
        buffers_.pop_front();
        back(buffer);
    }
}

} // namespace ornavox
