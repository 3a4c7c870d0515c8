// Recording a call on fakes: the mix of the two sides, their timing over an
// hour of drifting clocks, and the call device's failures.
#include "platform/call_capture_device.h"
#include "platform/call_mix.h"
#include "platform/fake/fake_capture_device.h"
#include "platform/fake/queue_dispatcher.h"
#include "tests/support/call_clocks.h"
#include "tests/support/capture_events.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace ornavox::test {
namespace {

TEST(CallMix, TheSumHoldsAtFullScaleAndNeverWraps)
{
    CallMix mix(8000, 2);
    for (const int16_t sign : {1, -1}) {
        mix.restart();
        std::vector<int16_t> other(2 * 8000, static_cast<int16_t>(sign * 12000));
        mix.add_other(other);
        std::vector<int16_t> voice(2 * 4000, static_cast<int16_t>(sign * 30000));
        mix.mix_into(voice);
        // Past the resampler's first few samples, which rise from silence.
        EXPECT_TRUE(
            std::all_of(voice.begin() + 200, voice.end(), [&](int16_t s) { return s == (sign > 0 ? 32767 : -32768); }))
            << "sign " << sign;
    }
}

TEST(CallMix, TheVoiceAloneUntilTheOtherSideSendsAndSilenceWhereItRunsShort)
{
    CallMix mix(8000, 1);
    std::vector<int16_t> voice(416, 1000);
    mix.mix_into(voice);
    EXPECT_TRUE(std::all_of(voice.begin(), voice.end(), [](int16_t s) { return s == 1000; }));
    EXPECT_EQ(mix.missing_frames(), 416u);

    mix.add_other(std::vector<int16_t>(100, 500));
    std::fill(voice.begin(), voice.end(), 1000);
    mix.mix_into(voice);
    EXPECT_EQ(voice.back(), 1000) << "nothing is made up where the other side had nothing";
    EXPECT_GT(mix.missing_frames(), 416u + 300);
}

TEST(CallMix, TwoHundredPpmOfDriftForAnHourStayWithinTwentyMilliseconds)
{
    for (const double ppm : {200.0, -200.0}) {
        CallClocks clocks;
        clocks.ppm = ppm;
        const CallTiming timing = run_call_clocks(clocks);
        ASSERT_GT(timing.offsets.size(), 3500u) << ppm;
        EXPECT_LT(timing.worst_change, 0.020) << ppm << " ppm";
        EXPECT_LT(std::abs(timing.last_change), 0.010) << ppm << " ppm: settled where it began";
        EXPECT_LT(timing.missing_frames, clocks.rate / 10) << "the other side ran short only at the start";
    }
}

TEST(CallMix, SilenceAndAStallOnTheOtherSideKeepItsTime)
{
    CallClocks clocks;
    clocks.seconds = 600;
    clocks.silent_from = 100;
    clocks.silent_to = 160;
    clocks.stall_at = 300;
    clocks.stall_for = 3;
    const CallTiming timing = run_call_clocks(clocks);
    // A click a second but for the silent minute, and the stall's clicks,
    // late by the stall, which are dropped.
    EXPECT_GT(timing.offsets.size(), 600u - 60 - 5);
    EXPECT_LT(timing.worst_change, 0.020);
    EXPECT_LT(std::abs(timing.last_change), 0.010);
}

// The call device over two fakes, as the window's recording uses it.
class CallDevice : public ::testing::Test {
protected:
    QueueDispatcher dispatcher;
    FakeCaptureDevice voice{dispatcher};
    FakeCaptureDevice other{dispatcher};
    CaptureEventLog log;
    BufferRing ring{4, 4 * 4410};
    CallCaptureDevice call{voice, other};
    std::string error;

    void record(size_t frames, int16_t voice_level, int16_t other_level)
    {
        for (size_t done = 0; done < frames; done += 441) {
            other.fill(std::vector<int16_t>(2 * 441, other_level));
            voice.fill(std::vector<int16_t>(2 * 441, voice_level));
            const size_t seen = log.events.size();
            dispatcher.run_pending();
            for (size_t i = seen; i < log.events.size(); ++i)
                if (log.events[i].kind == CaptureEvent::Filled)
                    call.add_buffer(*log.events[i].buffer);
        }
    }
    void open_and_start()
    {
        ASSERT_TRUE(call.open(stereo16(44100), log, error)) << error;
        ring.queue_all(call);
        call.start();
    }
};

TEST_F(CallDevice, TheCallersBuffersCarryBothSides)
{
    open_and_start();
    EXPECT_TRUE(voice.started() && other.started());
    record(44100, 1000, 2000);
    ASSERT_GE(log.count(CaptureEvent::Filled), 4u);
    const CaptureEvent& last = log.events.back();
    const auto* samples = reinterpret_cast<const int16_t*>(last.buffer->data);
    EXPECT_NEAR(samples[last.bytes / 2 - 1], 3000, 2);
    EXPECT_EQ(call.position_samples(), voice.position_samples()) << "the voice's clock is the recording's";
}

TEST_F(CallDevice, EachSidesFailureNamesItAndTheRecordingKeepsWhatCameBefore)
{
    for (const bool other_fails : {true, false}) {
        SCOPED_TRACE(other_fails ? "other side" : "voice");
        log.events.clear();
        open_and_start();
        record(8820, 1000, 2000);
        const size_t filled = log.count(CaptureEvent::Filled);
        if (other_fails)
            other.fail("the sound output went away");
        else
            voice.fail("the record source \"Headset\" went away");
        dispatcher.run_pending();
        ASSERT_EQ(log.count(CaptureEvent::Failed), 1u);
        const std::string& reason = log.events.back().reason;
        EXPECT_EQ(reason,
                  other_fails ? "what you hear could not be recorded any more: the sound output went away"
                              : "the record source \"Headset\" went away");
        EXPECT_EQ(log.count(CaptureEvent::Filled), filled) << "the voice's buffers wait for the reset";
        EXPECT_FALSE(voice.started() && other.started()) << "the side left stops";
        call.reset();
        call.close();
        dispatcher.run_pending();
        EXPECT_EQ(log.count(CaptureEvent::Filled), filled + 4);
        EXPECT_EQ(log.events.back().kind, CaptureEvent::Closed);
    }
}

TEST_F(CallDevice, AnOtherSideThatCannotOpenFailsTheOpenAndClosesTheVoice)
{
    other.fail_next_open("no output");
    EXPECT_FALSE(call.open(stereo16(44100), log, error));
    EXPECT_EQ(error, "What you hear cannot be recorded: no output");
    EXPECT_FALSE(voice.is_open());
    dispatcher.run_pending();
    EXPECT_TRUE(log.events.empty());
}

} // namespace
} // namespace ornavox::test
