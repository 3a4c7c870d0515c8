#pragma once

#include "platform/capture_device.h"
#include "platform/fake/queue_dispatcher.h"
#include "tests/support/mp3_decode.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

namespace ornavox::test {

struct CaptureEvent {
    enum Kind { Opened, Filled, Failed, Closed } kind;
    CaptureBuffer* buffer = nullptr;
    uint32_t bytes = 0;
    std::string reason;
};

// Notes every notification of a capture device, in the order it came.
class CaptureEventLog : public CaptureListener {
public:
    std::vector<CaptureEvent> events;

    void device_opened() override { events.push_back({CaptureEvent::Opened, nullptr, 0, {}}); }
    void buffer_filled(CaptureBuffer& buffer) override
    {
        events.push_back({CaptureEvent::Filled, &buffer, buffer.bytes_recorded, {}});
    }
    void device_failed(const std::string& reason) override
    {
        events.push_back({CaptureEvent::Failed, nullptr, 0, reason});
    }
    void device_closed() override { events.push_back({CaptureEvent::Closed, nullptr, 0, {}}); }

    size_t count(CaptureEvent::Kind kind) const
    {
        return std::count_if(events.begin(), events.end(), [&](const CaptureEvent& e) { return e.kind == kind; });
    }
    // The notifications' kinds as letters: "O", "F", "X" (failed), "C".
    std::string kinds() const
    {
        std::string text;
        for (const CaptureEvent& event : events)
            text += "OFXC"[event.kind];
        return text;
    }
};

inline WaveFormat stereo16(uint32_t rate)
{
    WaveFormat format;
    format.samples_per_sec = rate;
    format.avg_bytes_per_sec = 4 * rate;
    return format;
}

// A ring of caller-owned buffers, as the recording component keeps them.
struct BufferRing {
    std::vector<std::vector<uint8_t>> memory;
    std::vector<CaptureBuffer> buffers;

    BufferRing(size_t count, uint32_t bytes) : memory(count, std::vector<uint8_t>(bytes)), buffers(count)
    {
        for (size_t i = 0; i < count; ++i)
            buffers[i] = {memory[i].data(), bytes, 0};
    }
    void queue_all(CaptureDevice& device)
    {
        for (auto& buffer : buffers)
            device.add_buffer(buffer);
    }
    size_t index_of(const CaptureBuffer* buffer) const { return buffer - buffers.data(); }
};

// What came back in filled buffers, in order, as the file would get it.
struct CapturedPcm {
    std::vector<int16_t> pcm;

    uint64_t frames() const { return pcm.size() / 2; }
    void append(const CaptureEvent& event)
    {
        auto* samples = reinterpret_cast<const int16_t*>(event.buffer->data);
        pcm.insert(pcm.end(), samples, samples + event.bytes / 2);
    }
    double frequency(long rate, int channel) const
    {
        DecodedMp3 decoded;
        decoded.rate = rate;
        decoded.channels = 2;
        decoded.pcm = pcm;
        return tone_frequency(decoded, channel);
    }
};

// Where the sound of one channel settled: past the silence a recording may
// begin with (PipeWire starts a stream with one quantum of it) and the few
// samples of the server's resampler taking up the sound.
inline size_t settled_start(const std::vector<int16_t>& pcm, int channel)
{
    size_t n = 0;
    while (n < pcm.size() / 2 && pcm[2 * n + channel] == 0)
        ++n;
    return n == 0 ? 1 : n + 64;
}

// Largest deviation from the sine recurrence s[n+1] + s[n-1] = 2 cos(w) s[n]
// in one channel of stereo `pcm`: a few units for an unbroken sine of
// `frequency`, far more where samples went missing or another sound came in.
inline double sine_break(const std::vector<int16_t>& pcm, double frequency, long rate, int channel)
{
    const double twice_cos = 2 * std::cos(2 * std::numbers::pi * frequency / rate);
    double worst = 0;
    for (size_t n = settled_start(pcm, channel); n + 1 < pcm.size() / 2; ++n) {
        const double s = pcm[2 * n + channel];
        const double deviation = pcm[2 * (n + 1) + channel] + pcm[2 * (n - 1) + channel] - twice_cos * s;
        worst = std::max(worst, std::abs(deviation));
    }
    return worst;
}

// Samples of one channel that break the sine recurrence: none in an unbroken
// sine, a few at each place where time was cut out, and most of them where
// another sound came in.
inline size_t sine_breaks(const std::vector<int16_t>& pcm, double frequency, long rate, int channel)
{
    const double twice_cos = 2 * std::cos(2 * std::numbers::pi * frequency / rate);
    size_t breaks = 0;
    for (size_t n = settled_start(pcm, channel); n + 1 < pcm.size() / 2; ++n) {
        const double deviation =
            pcm[2 * (n + 1) + channel] + pcm[2 * (n - 1) + channel] - twice_cos * pcm[2 * n + channel];
        breaks += std::abs(deviation) >= 8 ? 1 : 0;
    }
    return breaks;
}

// Runs the dispatcher, appending and re-queueing every filled buffer, until
// `done` holds. A failure or close is noted and ends the wait.
inline bool capture_until(CaptureDevice& device, Dispatcher& dispatcher, CaptureEventLog& log, CapturedPcm& captured,
                          const std::function<bool()>& done)
{
    size_t seen = log.events.size();
    return dispatcher.run_until(
        [&] {
            for (; seen < log.events.size(); ++seen) {
                const CaptureEvent& event = log.events[seen];
                if (event.kind == CaptureEvent::Opened)
                    continue;
                if (event.kind != CaptureEvent::Filled)
                    return true;
                captured.append(event);
                device.add_buffer(*event.buffer);
            }
            return done();
        },
        std::chrono::seconds(30));
}

// Resets and closes the device and appends what the returned buffers held.
// Returns the position after the reset.
template <class PumpedDispatcher>
uint64_t finish(CaptureDevice& device, PumpedDispatcher& dispatcher, CaptureEventLog& log, CapturedPcm& captured)
{
    device.reset();
    const uint64_t position = device.position_samples().value_or(0);
    const size_t before = log.events.size();
    device.close();
    dispatcher.run_pending();
    for (size_t i = before; i < log.events.size(); ++i)
        if (log.events[i].kind == CaptureEvent::Filled)
            captured.append(log.events[i]);
    return position;
}

} // namespace ornavox::test
