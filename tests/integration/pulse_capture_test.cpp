#include "platform/fake/queue_dispatcher.h"
#include "platform/pulse/pulse_capture_device.h"
#include "platform/pulse/pulse_session.h"
#include "tests/support/capture_events.h"
#include "tests/support/pulse_server.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <thread>

namespace ornavox {
namespace {

using namespace std::chrono_literals;
using test::BufferRing;
using test::CapturedPcm;
using test::CaptureEvent;
using test::CaptureEventLog;
using test::PulseServer;
using test::sine_break;
using test::stereo16;
using Clock = std::chrono::steady_clock;

// Long enough never to end a healthy test; a hang ends it instead.
constexpr auto kPatience = 30s;

void capture(CaptureDevice& device, QueueDispatcher& dispatcher, CaptureEventLog& log, CapturedPcm& captured,
             uint64_t frames)
{
    ASSERT_TRUE(capture_until(device, dispatcher, log, captured, [&] { return captured.frames() >= frames; }));
}

// A private sound server with a capture device on it.
class PulseCapture : public ::testing::Test {
protected:
    PulseServer server;
    QueueDispatcher dispatcher;
    PulseSession session{dispatcher};
    std::unique_ptr<PulseCaptureDevice> device = std::make_unique<PulseCaptureDevice>(session, dispatcher);
    CaptureEventLog log;
    CapturedPcm captured;
    std::string error;
};

TEST_F(PulseCapture, DataHeldWhileTheGuiIsBusyIsDeliveredLaterWithoutLoss)
{
    ASSERT_TRUE(device->open(stereo16(44100), log, error)) << error;
    // Buffers smaller than the server's fragments: the rest of a fragment
    // waits in the staging area.
    BufferRing ring(4, 4 * 1000);
    ring.queue_all(*device);
    device->start();

    // All four buffers fill; the GUI thread then keeps them for two seconds.
    ASSERT_TRUE(dispatcher.run_until([&] { return log.count(CaptureEvent::Filled) == 4; }, kPatience));
    std::this_thread::sleep_for(2s);
    EXPECT_EQ(device->position_samples(), 4u * 1000);

    for (size_t i = 1; i < log.events.size(); ++i) {
        captured.append(log.events[i]);
        device->add_buffer(*log.events[i].buffer);
    }
    capture(*device, dispatcher, log, captured, 3 * 44100);
    const uint64_t position = finish(*device, dispatcher, log, captured);
    EXPECT_EQ(device->overruns(), 0u);
    EXPECT_EQ(position, captured.frames());
    EXPECT_LT(sine_break(captured.pcm, PulseServer::kSineFrequency, 44100, 0), 8);
    EXPECT_LT(sine_break(captured.pcm, PulseServer::kSineFrequency, 44100, 1), 8);
}

TEST_F(PulseCapture, DataLostBeyondTheBacklogIsCounted)
{
    device = std::make_unique<PulseCaptureDevice>(session, dispatcher, 300ms);
    ASSERT_TRUE(device->open(stereo16(44100), log, error)) << error;
    BufferRing ring(1, 4 * 4410);
    ring.queue_all(*device);
    device->start();
    ASSERT_TRUE(dispatcher.run_until([&] { return log.count(CaptureEvent::Filled) == 1; }, kPatience));
    // The source delivers in blocks; wait until one no longer fits.
    const auto deadline = Clock::now() + kPatience;
    while (device->overruns() == 0 && Clock::now() < deadline)
        std::this_thread::sleep_for(50ms);
    EXPECT_GT(device->overruns(), 0u);

    device->add_buffer(ring.buffers[0]);
    device->reset();
    // The buffer comes back once the server has stopped the stream.
    ASSERT_TRUE(dispatcher.run_until([&] { return log.count(CaptureEvent::Filled) == 2; }, kPatience));
    const uint64_t position = *device->position_samples();
    device->close();
    dispatcher.run_pending();
    ASSERT_EQ(log.events.size(), 4u);
    // What was lost is not in the position either.
    EXPECT_EQ(log.events[2].bytes / 4 + 4410, position);
}

// The server dies while the GUI thread is busy and data waits half copied:
// nothing may hang on the mainloop lock, and the failure is delivered once
// the GUI runs again.
TEST_F(PulseCapture, AServerKilledWhileTheGuiIsBusyFreezesNothing)
{
    ASSERT_TRUE(device->open(stereo16(44100), log, error)) << error;
    BufferRing ring(4, 4 * 1000);
    ring.queue_all(*device);
    device->start();
    ASSERT_TRUE(dispatcher.run_until([&] { return log.count(CaptureEvent::Filled) == 4; }, kPatience));
    for (size_t i = 1; i < log.events.size(); ++i)
        device->add_buffer(*log.events[i].buffer);
    std::this_thread::sleep_for(1s);
    server.kill();
    std::this_thread::sleep_for(2s);

    const auto asked = Clock::now();
    const std::optional<uint64_t> position = device->position_samples();
    const auto answered = Clock::now() - asked;
    EXPECT_LT(answered, 100ms);
    ASSERT_TRUE(position);
    EXPECT_EQ(*position, 8u * 1000);

    ASSERT_TRUE(dispatcher.run_until([&] { return log.count(CaptureEvent::Failed) == 1; }, kPatience));
    EXPECT_EQ(log.events.back().reason.rfind("the sound server went away", 0), 0u) << log.events.back().reason;
    finish(*device, dispatcher, log, captured);
    EXPECT_EQ(log.kinds(), "OFFFFFFFFXC");
}

TEST_F(PulseCapture, AKilledServerIsReportedWithinASecondAndAddsNoSilence)
{
    ASSERT_TRUE(device->open(stereo16(44100), log, error)) << error;
    BufferRing ring(4, 4 * 4410);
    ring.queue_all(*device);
    device->start();
    capture(*device, dispatcher, log, captured, 44100);

    const auto killed = Clock::now();
    server.kill();
    ASSERT_TRUE(capture_until(*device, dispatcher, log, captured, [] { return false; }));
    ASSERT_EQ(log.events.back().kind, CaptureEvent::Failed);
    const auto latency = Clock::now() - killed;
    EXPECT_LT(latency, 1s);
    std::printf("failure reported %.1f ms after the kill\n",
                std::chrono::duration<double, std::milli>(latency).count());

    const uint64_t position = finish(*device, dispatcher, log, captured);
    EXPECT_EQ(position, captured.frames());
    EXPECT_EQ(device->overruns(), 0u);
    EXPECT_LT(sine_break(captured.pcm, PulseServer::kSineFrequency, 44100, 0), 8) << "a gap or invented silence";
}

// An unplugged microphone: the server moves the stream to its default
// source, a 440 Hz tone here. The recording fails naming the microphone and
// holds nothing but the microphone's 880 Hz.
TEST_F(PulseCapture, ASourceThatGoesAwayFailsTheDeviceAndNothingComesFromAnother)
{
    server.add_tone_source("ornavox_mic", 880, "Desk-Microphone");
    session.set_record_source("ornavox_mic");
    ASSERT_TRUE(device->open(stereo16(44100), log, error)) << error;
    BufferRing ring(4, 4 * 1000);
    ring.queue_all(*device);
    device->start();
    capture(*device, dispatcher, log, captured, 44100 / 2);

    server.remove_source("ornavox_mic");
    ASSERT_TRUE(capture_until(*device, dispatcher, log, captured, [] { return false; }));
    ASSERT_EQ(log.events.back().kind, CaptureEvent::Failed);
    EXPECT_EQ(log.events.back().reason, "the record source \"Desk-Microphone\" went away");
    // The stream the server moved delivers nothing more, once what was
    // received before the move is in.
    dispatcher.run_pending();
    std::this_thread::sleep_for(300ms);
    const uint64_t failed_at = *device->position_samples();
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(device->position_samples(), failed_at);

    const uint64_t position = finish(*device, dispatcher, log, captured);
    EXPECT_EQ(position, captured.frames());
    EXPECT_NEAR(captured.frequency(44100, 0), 880, 2);
    // Another sound would break the tone in most of its samples; a tone
    // source of the PulseAudio daemon, a player into a null sink, starts with
    // a few breaks of its own.
    EXPECT_LE(test::sine_breaks(captured.pcm, 880, 44100, 0), 64u) << "sound from another source";
}

class PulseCaptureRate : public PulseCapture, public testing::WithParamInterface<uint32_t> {};

TEST_P(PulseCaptureRate, TheSourceIsResampledToTheRequestedRate)
{
    const uint32_t rate = GetParam();
    ASSERT_TRUE(device->open(stereo16(rate), log, error)) << error;
    dispatcher.run_pending();
    BufferRing ring(4, rate / 10 * 4);
    ring.queue_all(*device);
    device->start();
    capture(*device, dispatcher, log, captured, rate);
    finish(*device, dispatcher, log, captured);
    EXPECT_NEAR(captured.frequency(rate, 0), PulseServer::kSineFrequency, 2);
}

// A server that takes the connection but does not answer it: the open
// returns, and the device records once the server answers, or fails after
// the limit.
TEST(PulseCaptureOpen, AServerThatIsSlowToAnswerTheConnectionIsWaitedForWithinTheLimit)
{
    PulseServer server;
    QueueDispatcher dispatcher;
    std::string error;
    for (const bool answers : {true, false}) {
        SCOPED_TRACE(answers ? "answers after a while" : "never answers");
        PulseSession session(dispatcher);
        PulseCaptureDevice device(session, dispatcher);
        CaptureEventLog log;
        BufferRing ring(4, 4 * 4410);
        server.freeze();
        ASSERT_TRUE(device.open(stereo16(44100), log, error)) << error;
        ring.queue_all(device);
        device.start();
        if (answers) {
            dispatcher.run_until([] { return false; }, 300ms);
            server.thaw();
            ASSERT_TRUE(dispatcher.run_until([&] { return log.count(CaptureEvent::Filled) >= 1; }, kPatience));
            EXPECT_EQ(log.count(CaptureEvent::Failed), 0u);
        } else {
            ASSERT_TRUE(dispatcher.run_until([&] { return log.count(CaptureEvent::Failed) == 1; }, kPatience));
            EXPECT_EQ(log.events[1].reason, "the sound server did not answer within 5 seconds");
        }
        device.reset();
        device.close();
        ASSERT_TRUE(dispatcher.run_until([&] { return log.count(CaptureEvent::Closed) == 1; }, kPatience));
        server.thaw();
    }
}

INSTANTIATE_TEST_SUITE_P(Rates, PulseCaptureRate, testing::Values(32000u, 48000u));

TEST(PulseCaptureOpen, FailuresGiveAReasonAndPostNothing)
{
    QueueDispatcher dispatcher;
    CaptureEventLog log;
    std::string error;
    {
        test::NoPulseServer nothing;
        PulseSession session(dispatcher);
        PulseCaptureDevice device(session, dispatcher);
        EXPECT_FALSE(device.open(stereo16(44100), log, error));
        EXPECT_EQ(error.rfind("Cannot connect to the sound server: ", 0), 0u) << error;
        EXPECT_FALSE(device.position_samples());
    }
    {
        PulseServer server;
        PulseSession session(dispatcher);
        PulseCaptureDevice device(session, dispatcher);
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
