// "What you hear" and calls on a private sound server: the backend's capture
// device following the default output, and mixing a source with it.
#include "platform/call_capture_device.h"
#include "platform/fake/queue_dispatcher.h"
#include "platform/pulse/pulse_record_device.h"
#include "platform/pulse/pulse_session.h"
#include "platform/record_source_id.h"
#include "tests/support/capture_events.h"
#include "tests/support/pulse_server.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <optional>

namespace ornavox::test {
namespace {

using namespace std::chrono_literals;

constexpr long kRate = 44100;

// The amplitude of `frequency` in one channel of `pcm` from frame `from` on,
// by the Goertzel filter.
double tone_level(const std::vector<int16_t>& pcm, double frequency, size_t from, int channel = 0)
{
    const double w = 2 * std::numbers::pi * frequency / kRate;
    double s1 = 0, s2 = 0;
    size_t count = 0;
    for (size_t n = from; n < pcm.size() / 2; ++n, ++count) {
        const double s = pcm[2 * n + channel] + 2 * std::cos(w) * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    const double power = s1 * s1 + s2 * s2 - 2 * std::cos(w) * s1 * s2;
    return count ? 2 * std::sqrt(std::max(power, 0.0)) / static_cast<double>(count) : 0;
}

// The longest run of near silence in both channels between the first sound
// and the last.
double longest_quiet_ms(const std::vector<int16_t>& pcm)
{
    size_t first = 0, last = 0, run = 0, longest = 0;
    for (size_t n = 0; n < pcm.size() / 2; ++n)
        if (std::abs(pcm[2 * n]) > 100 || std::abs(pcm[2 * n + 1]) > 100) {
            first = first ? first : n + 1;
            last = n;
        }
    for (size_t n = first; n < last; ++n) {
        const bool quiet = std::abs(pcm[2 * n]) <= 100 && std::abs(pcm[2 * n + 1]) <= 100;
        run = quiet ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest * 1000.0 / kRate;
}

class PulseCallTest : public ::testing::Test {
protected:
    PulseCallTest()
    {
        server.pactl("load-module module-null-sink sink_name=ornavox_headset norewinds=1");
        server.add_tone_source("ornavox_mic", 440, "Headset Microphone", true, 0.25);
    }

    void start(const std::string& source, const std::string& description)
    {
        session.set_record_source(source, description);
        std::string error;
        ASSERT_TRUE(device.open(stereo16(kRate), log, error)) << error;
        ring.queue_all(device);
        device.start();
    }
    // Records until `frames` more frames came, or the device failed.
    void record(uint64_t frames)
    {
        const uint64_t until = captured.frames() + frames;
        ASSERT_TRUE(capture_until(device, dispatcher, log, captured, [&] { return captured.frames() >= until; }));
    }
    // Records until the first sound came in.
    void record_until_sound()
    {
        ASSERT_TRUE(capture_until(device, dispatcher, log, captured, [&] {
            return std::any_of(captured.pcm.begin(), captured.pcm.end(), [](int16_t s) { return std::abs(s) > 1000; });
        }));
    }
    void stop() { finish(device, dispatcher, log, captured); }
    std::string stream_source()
    {
        auto lock = session.lock();
        return session.record_stream().source;
    }
    // What a desktop's policy does when the default output changes.
    void change_default_output(const std::string& sink, std::initializer_list<const PlaybackStream*> players)
    {
        server.pactl("set-default-sink " + sink);
        for (const PlaybackStream* player : players)
            server.pactl("move-sink-input " + std::to_string(player->index()) + " " + sink);
    }

    PulseServer server;
    QueueDispatcher dispatcher;
    PulseSession session{dispatcher};
    PulseRecordDevice device{session, dispatcher};
    CaptureEventLog log;
    BufferRing ring{4, 4 * 4410};
    CapturedPcm captured;
};

TEST_F(PulseCallTest, WhatYouHearFollowsTheDefaultOutputWithoutAGap)
{
    PlaybackStream music(server, "ornavox-music", "Music", 440, PulseServer::kNullSink);
    start(kWhatYouHear, kWhatYouHear);
    record_until_sound();
    record(kRate);
    EXPECT_EQ(stream_source(), std::string(PulseServer::kNullSink) + ".monitor");

    change_default_output("ornavox_headset", {&music});
    record(kRate * 3 / 2);
    EXPECT_EQ(stream_source(), "ornavox_headset.monitor");
    stop();
    EXPECT_EQ(log.count(CaptureEvent::Failed), 0u);
    EXPECT_LE(longest_quiet_ms(captured.pcm), 100.0);
    EXPECT_NEAR(tone_level(captured.pcm, 440, captured.frames() - kRate / 2), 16384, 3000) << "the tone at the end";
}

TEST_F(PulseCallTest, ACallHoldsBothSidesAtTheirLevels)
{
    PlaybackStream other_side(server, "ornavox-call", "Call", 660, PulseServer::kNullSink);
    start(call_source_id("ornavox_mic"), std::string("Headset Microphone") + kCallSuffix);
    record_until_sound();
    record(2 * kRate);
    stop();
    ASSERT_EQ(log.count(CaptureEvent::Failed), 0u) << log.events.back().reason;
    const size_t last_second = captured.frames() - kRate;
    for (int channel : {0, 1}) {
        EXPECT_NEAR(tone_level(captured.pcm, 440, last_second, channel), 0.25 * 32768, 0.05 * 32768) << "the voice";
        EXPECT_NEAR(tone_level(captured.pcm, 660, last_second, channel), 0.5 * 32768, 0.08 * 32768) << "the other side";
    }
}

TEST_F(PulseCallTest, AnUnpluggedMicrophoneEndsTheCallNamingItAndKeepsBothSides)
{
    PlaybackStream other_side(server, "ornavox-call", "Call", 660, PulseServer::kNullSink);
    start(call_source_id("ornavox_mic"), std::string("Headset Microphone") + kCallSuffix);
    record_until_sound();
    record(kRate * 3 / 2);
    server.remove_source("ornavox_mic");
    ASSERT_TRUE(capture_until(device, dispatcher, log, captured, [] { return false; }));
    stop();
    ASSERT_EQ(log.count(CaptureEvent::Failed), 1u);
    const auto failed = std::find_if(log.events.begin(), log.events.end(),
                                     [](const CaptureEvent& e) { return e.kind == CaptureEvent::Failed; });
    EXPECT_NE(failed->reason.find("Headset Microphone"), std::string::npos) << failed->reason;
    const size_t second = captured.frames() > 2 * kRate ? captured.frames() - 2 * kRate : 0;
    EXPECT_GT(tone_level(captured.pcm, 440, second), 0.1 * 32768);
    EXPECT_GT(tone_level(captured.pcm, 660, second), 0.2 * 32768);
}

TEST_F(PulseCallTest, TheCallsOtherSideFollowsTheDefaultOutputAndLeavesTheOldOne)
{
    PlaybackStream other_side(server, "ornavox-call", "Call", 660, PulseServer::kNullSink);
    start(call_source_id("ornavox_mic"), std::string("Headset Microphone") + kCallSuffix);
    record_until_sound();
    record(kRate);
    change_default_output("ornavox_headset", {&other_side});
    // What the old output plays from now on is not the call's.
    PlaybackStream elsewhere(server, "ornavox-elsewhere", "Elsewhere", 1000, PulseServer::kNullSink);
    record(2 * kRate);
    stop();
    ASSERT_EQ(log.count(CaptureEvent::Failed), 0u) << log.events.back().reason;
    const size_t last_second = captured.frames() - kRate;
    EXPECT_GT(tone_level(captured.pcm, 440, last_second), 0.2 * 32768);
    // PipeWire takes a moment over the move: most of the second, not all.
    EXPECT_GT(tone_level(captured.pcm, 660, last_second), 0.25 * 32768);
    EXPECT_LT(tone_level(captured.pcm, 1000, last_second), 0.01 * 32768);
}

} // namespace
} // namespace ornavox::test
