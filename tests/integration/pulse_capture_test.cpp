#include "platform/fake/queue_dispatcher.h"
#include "platform/pulse/pulse_capture_device.h"
#include "platform/pulse/pulse_session.h"
#include "tests/support/mp3_decode.h"
#include "tests/support/pulse_server.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <thread>

namespace ornavox {
namespace {

using namespace std::chrono_literals;
using test::PulseServer;

// Long enough never to end a healthy test; a hang ends it instead.
constexpr auto kPatience = 30s;

struct Event {
    enum Kind { Opened, Filled, Closed } kind;
    CaptureBuffer* buffer = nullptr;
    uint32_t bytes = 0;
};

class EventLog : public CaptureListener {
public:
    std::vector<Event> events;

    void device_opened() override { events.push_back({Event::Opened}); }
    void buffer_filled(CaptureBuffer& buffer) override
    {
        events.push_back({Event::Filled, &buffer, buffer.bytes_recorded});
    }
    void device_closed() override { events.push_back({Event::Closed}); }

    size_t count(Event::Kind kind) const
    {
        return std::count_if(events.begin(), events.end(), [&](const Event& e) { return e.kind == kind; });
    }
};

WaveFormat stereo16(uint32_t rate)
{
    WaveFormat format;
    format.samples_per_sec = rate;
    format.avg_bytes_per_sec = 4 * rate;
    return format;
}

// A ring of caller-owned buffers, as the recording component keeps them.
struct Ring {
    std::vector<std::vector<uint8_t>> memory;
    std::vector<CaptureBuffer> buffers;

    Ring(size_t count, uint32_t bytes) : memory(count, std::vector<uint8_t>(bytes)), buffers(count)
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
struct Captured {
    std::vector<int16_t> pcm;
    uint64_t frames() const { return pcm.size() / 2; }
    void append(const Event& event)
    {
        auto* samples = reinterpret_cast<const int16_t*>(event.buffer->data);
        pcm.insert(pcm.end(), samples, samples + event.bytes / 2);
    }
    double frequency(long rate, int channel) const
    {
        test::DecodedMp3 decoded;
        decoded.rate = rate;
        decoded.channels = 2;
        decoded.pcm = pcm;
        return test::tone_frequency(decoded, channel);
    }
};

// Runs the dispatcher, appending and re-queueing every filled buffer, until
// `frames` were captured.
void capture(CaptureDevice& device, QueueDispatcher& dispatcher, EventLog& log, Captured& captured, uint64_t frames)
{
    size_t seen = log.events.size();
    while (captured.frames() < frames) {
        ASSERT_TRUE(dispatcher.run_until([&] { return log.events.size() > seen; }, kPatience));
        for (; seen < log.events.size(); ++seen) {
            const Event& event = log.events[seen];
            ASSERT_EQ(event.kind, Event::Filled);
            captured.append(event);
            device.add_buffer(*event.buffer);
        }
    }
}

// Largest deviation from the sine recurrence s[n+1] + s[n-1] = 2 cos(w) s[n]
// in one channel: a few units for an unbroken sine, far more where samples
// went missing.
double sine_break(const std::vector<int16_t>& pcm, double frequency, long rate, int channel)
{
    const double twice_cos = 2 * std::cos(2 * std::numbers::pi * frequency / rate);
    double worst = 0;
    for (size_t n = 1; n + 1 < pcm.size() / 2; ++n) {
        const double s = pcm[2 * n + channel];
        const double deviation = pcm[2 * (n + 1) + channel] + pcm[2 * (n - 1) + channel] - twice_cos * s;
        worst = std::max(worst, std::abs(deviation));
    }
    return worst;
}

// A private sound server with a capture device on it.
class PulseCapture : public ::testing::Test {
protected:
    PulseServer server;
    PulseSession session;
    QueueDispatcher dispatcher;
    std::unique_ptr<PulseCaptureDevice> device = std::make_unique<PulseCaptureDevice>(session, dispatcher);
    EventLog log;
    std::string error;
};

TEST_F(PulseCapture, FillsQueuedBuffersInOrderThenResetHandsBackAllThenCloses)
{
    EXPECT_FALSE(device->position_samples());
    ASSERT_TRUE(device->open(stereo16(44100), log, error)) << error;
    Ring ring(4, 4 * 4410);
    ring.queue_all(*device);

    // Opened, and corked until start(): nothing arrives meanwhile.
    std::this_thread::sleep_for(300ms);
    dispatcher.run_pending();
    ASSERT_EQ(log.events.size(), 1u);
    EXPECT_EQ(log.events[0].kind, Event::Opened);
    EXPECT_EQ(device->position_samples(), 0u);

    device->start();
    Captured captured;
    capture(*device, dispatcher, log, captured, 44100);

    // Full buffers, in the order they were queued, round the ring.
    for (size_t i = 1; i < log.events.size(); ++i) {
        EXPECT_EQ(log.events[i].bytes, 4u * 4410);
        EXPECT_EQ(ring.index_of(log.events[i].buffer), (i - 1) % 4);
    }
    EXPECT_NEAR(captured.frequency(44100, 0), PulseServer::kSineFrequency, 2);
    EXPECT_NEAR(captured.frequency(44100, 1), PulseServer::kSineFrequency, 2);
    EXPECT_LT(sine_break(captured.pcm, PulseServer::kSineFrequency, 44100, 0), 8);

    // Reset: every queued buffer comes back in queue order, full ones with
    // what the server had sent, then the one partly filled, then the empty
    // rest; close's notification after all of them.
    const size_t before_reset = log.events.size();
    const size_t head = ring.index_of(log.events.back().buffer) + 1;
    device->reset();
    const uint64_t position = *device->position_samples();
    device->close();
    dispatcher.run_pending();
    ASSERT_EQ(log.events.size(), before_reset + 5);
    bool short_seen = false;
    for (size_t i = 0; i < 4; ++i) {
        const Event& event = log.events[before_reset + i];
        ASSERT_EQ(event.kind, Event::Filled);
        EXPECT_EQ(ring.index_of(event.buffer), (head + i) % 4);
        if (short_seen) {
            EXPECT_EQ(event.bytes, 0u);
        }
        short_seen = short_seen || event.bytes < event.buffer->buffer_length;
        captured.append(event);
    }
    EXPECT_EQ(log.events.back().kind, Event::Closed);

    // The position is exactly what the buffers received.
    EXPECT_EQ(position, captured.frames());
    EXPECT_FALSE(device->position_samples());
    EXPECT_EQ(device->overruns(), 0u);
}

TEST_F(PulseCapture, DataHeldWhileTheGuiIsBusyIsDeliveredLaterWithoutLoss)
{
    ASSERT_TRUE(device->open(stereo16(44100), log, error)) << error;
    Ring ring(4, 4 * 4410);
    ring.queue_all(*device);
    device->start();

    // All four buffers fill; the GUI thread then keeps them for two seconds.
    ASSERT_TRUE(dispatcher.run_until([&] { return log.count(Event::Filled) == 4; }, kPatience));
    std::this_thread::sleep_for(2s);
    EXPECT_EQ(device->position_samples(), 4u * 4410);

    Captured captured;
    for (size_t i = 1; i < log.events.size(); ++i)
        captured.append(log.events[i]);
    for (size_t i = 1; i < log.events.size(); ++i)
        device->add_buffer(*log.events[i].buffer);
    capture(*device, dispatcher, log, captured, 3 * 44100);
    device->reset();
    const uint64_t position = *device->position_samples();
    const size_t before_close = log.events.size();
    device->close();
    dispatcher.run_pending();
    for (size_t i = before_close; i + 1 < log.events.size(); ++i)
        captured.append(log.events[i]);

    EXPECT_EQ(device->overruns(), 0u);
    EXPECT_EQ(position, captured.frames());
    EXPECT_LT(sine_break(captured.pcm, PulseServer::kSineFrequency, 44100, 0), 8);
    EXPECT_LT(sine_break(captured.pcm, PulseServer::kSineFrequency, 44100, 1), 8);
}

TEST_F(PulseCapture, DataLostBeyondTheBacklogIsCounted)
{
    device = std::make_unique<PulseCaptureDevice>(session, dispatcher, 300ms);
    ASSERT_TRUE(device->open(stereo16(44100), log, error)) << error;
    Ring ring(1, 4 * 4410);
    ring.queue_all(*device);
    device->start();
    ASSERT_TRUE(dispatcher.run_until([&] { return log.count(Event::Filled) == 1; }, kPatience));
    // The source delivers in blocks; wait until one no longer fits.
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (device->overruns() == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(50ms);
    EXPECT_GT(device->overruns(), 0u);

    device->add_buffer(ring.buffers[0]);
    device->reset();
    const uint64_t position = *device->position_samples();
    device->close();
    dispatcher.run_pending();
    ASSERT_EQ(log.events.size(), 4u);
    // What was lost is not in the position either.
    EXPECT_EQ(log.events[2].bytes / 4 + 4410, position);
}

TEST_F(PulseCapture, CloseWithoutResetStillHandsBackEveryBufferFirst)
{
    ASSERT_TRUE(device->open(stereo16(44100), log, error)) << error;
    Ring ring(2, 4 * 4410);
    ring.queue_all(*device);
    device->close();
    dispatcher.run_pending();
    ASSERT_EQ(log.events.size(), 4u);
    EXPECT_EQ(log.events[1].buffer, &ring.buffers[0]);
    EXPECT_EQ(log.events[2].buffer, &ring.buffers[1]);
    EXPECT_EQ(log.events[3].kind, Event::Closed);

    // The session serves the next recording as well.
    EventLog again;
    ASSERT_TRUE(device->open(stereo16(44100), again, error)) << error;
    ring.queue_all(*device);
    device->start();
    ASSERT_TRUE(dispatcher.run_until([&] { return again.count(Event::Filled) == 1; }, kPatience));
    device->reset();
    device->close();
    dispatcher.run_pending();
    EXPECT_EQ(again.events.back().kind, Event::Closed);
}

class PulseCaptureRate : public PulseCapture, public testing::WithParamInterface<uint32_t> {};

TEST_P(PulseCaptureRate, TheSourceIsResampledToTheRequestedRate)
{
    const uint32_t rate = GetParam();
    ASSERT_TRUE(device->open(stereo16(rate), log, error)) << error;
    dispatcher.run_pending();
    Ring ring(4, rate / 10 * 4);
    ring.queue_all(*device);
    device->start();
    Captured captured;
    capture(*device, dispatcher, log, captured, rate);
    device->reset();
    device->close();
    dispatcher.run_pending();
    EXPECT_NEAR(captured.frequency(rate, 0), PulseServer::kSineFrequency, 2);
}

INSTANTIATE_TEST_SUITE_P(Rates, PulseCaptureRate, testing::Values(32000u, 48000u));

TEST(PulseCaptureOpen, FailuresGiveAReasonAndPostNothing)
{
    QueueDispatcher dispatcher;
    EventLog log;
    std::string error;
    {
        test::NoPulseServer nothing;
        PulseSession session;
        PulseCaptureDevice device(session, dispatcher);
        EXPECT_FALSE(device.open(stereo16(44100), log, error));
        EXPECT_EQ(error.rfind("Cannot connect to the sound server: ", 0), 0u) << error;
        EXPECT_FALSE(device.position_samples());
    }
    {
        PulseServer server;
        PulseSession session;
        PulseCaptureDevice device(session, dispatcher);
        session.set_record_source("no_such_source");
        error.clear();
        EXPECT_FALSE(device.open(stereo16(44100), log, error));
        EXPECT_NE(error.find("no_such_source"), std::string::npos) << error;

        WaveFormat eight_bit = stereo16(44100);
        eight_bit.bits_per_sample = 8;
        error.clear();
        EXPECT_FALSE(device.open(eight_bit, log, error));
        EXPECT_NE(error.find("Unsupported capture format"), std::string::npos) << error;
        EXPECT_FALSE(device.position_samples());
    }
    EXPECT_EQ(dispatcher.pending(), 0u);
    EXPECT_TRUE(log.events.empty());
}

} // namespace
} // namespace ornavox
