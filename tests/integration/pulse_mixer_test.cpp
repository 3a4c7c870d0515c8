// The mixer component over the sound server, recording through the capture
// device, on a private server with two null sinks, sine sources of three
// pitches, one of them a microphone.
#include "mixer/mixer.h"

#include "platform/fake/queue_dispatcher.h"
#include "platform/fake/recording_message_sink.h"
#include "platform/pulse/pulse_capture_device.h"
#include "platform/pulse/pulse_mixer_device.h"
#include "platform/pulse/pulse_session.h"
#include "platform/record_source_id.h"
#include "tests/support/capture_events.h"
#include "tests/support/pulse_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <thread>
#include <utility>

namespace ornavox::test {
namespace {

using namespace std::chrono_literals;

constexpr auto kPatience = 30s;

class PulseMixerTest : public ::testing::Test {
protected:
    PulseMixerTest()
    {
        server.pactl("load-module module-null-sink sink_name=ornavox_other norewinds=1");
        server.add_tone_source("ornavox_high", 880);
        server.add_tone_source("ornavox_mic", 660, "", true);
        mixer.onmixeropen = [](const std::vector<line>&, const std::vector<control>&) {};
        mixer.onlineschange = [this](tmixer*) { lines_changed = true; };
    }

    // The device reads the server in the background: the mixer opens again
    // once it has.
    void SetUp() override
    {
        mixer.open();
        ASSERT_TRUE(dispatcher.run_until(
            [&] {
                if (std::exchange(lines_changed, false))
                    mixer.open();
                return mixer.is_open();
            },
            kPatience));
    }

    // The record_lines entry of a source, by its server name.
    int32_t entry(const std::string& name) const
    {
        for (size_t i = 0; i < mixer.record_lines().size(); ++i)
            if (mixer_device.mux_source_name(static_cast<uint32_t>(mixer.record_lines()[i].mux_index)) == name)
                return static_cast<int32_t>(i);
        return -1;
    }

    std::string stream_source()
    {
        auto lock = session.lock();
        return session.record_stream().source;
    }
    uint32_t stream_index()
    {
        auto lock = session.lock();
        return session.record_stream().index;
    }

    // Opens the capture device on the selected source and keeps its buffers
    // going until `done` holds.
    void record_until(const std::function<bool()>& done)
    {
        ASSERT_TRUE(capture_until(device, dispatcher, log, captured, done));
    }
    void start_recording()
    {
        std::string error;
        ASSERT_TRUE(device.open(stereo16(44100), log, error)) << error;
        ring.queue_all(device);
        device.start();
    }
    void stop_recording() { finish(device, dispatcher, log, captured); }
    void record_for(std::chrono::milliseconds time)
    {
        const auto end = std::chrono::steady_clock::now() + time;
        record_until([&] { return std::chrono::steady_clock::now() > end; });
    }

    PulseServer server;
    QueueDispatcher dispatcher;
    PulseSession session{dispatcher};
    PulseMixerDevice mixer_device{session, dispatcher};
    PulseCaptureDevice device{session, dispatcher};
    RecordingMessageSink messages;
    tmixer mixer{mixer_device, messages};
    CaptureEventLog log;
    BufferRing ring{4, 4 * 1000};
    CapturedPcm captured;
    bool lines_changed = false;
};

// After the sources, "What you hear" and a call item for each source that
// is not a monitor, with its voice's level.
TEST_F(PulseMixerTest, EverySourceIsListedWithItsKindAndWhatIsPlayedIsDetected)
{
    EXPECT_TRUE(messages.messages.empty()) << messages.messages[0];
    ASSERT_EQ(mixer.record_lines().size(), 3u + 2 * server.sources_per_tone() + 1 + 3);
    const std::string mic_call = call_source_id("ornavox_mic");
    const struct {
        std::string name;
        uint32_t type;
    } expected[] = {
        {"ornavox_null.monitor", MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT},
        {"ornavox_sine", MIXERLINE_COMPONENTTYPE_SRC_UNDEFINED},
        {"ornavox_other.monitor", MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT},
        {"ornavox_high", MIXERLINE_COMPONENTTYPE_SRC_UNDEFINED},
        {"ornavox_mic", MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE},
        {kWhatYouHear, MIXERLINE_COMPONENTTYPE_SRC_ANALOG},
        {call_source_id("ornavox_sine"), MIXERLINE_COMPONENTTYPE_SRC_TELEPHONE},
        {mic_call, MIXERLINE_COMPONENTTYPE_SRC_TELEPHONE},
    };
    for (const auto& e : expected) {
        const int32_t i = entry(e.name);
        ASSERT_GE(i, 0) << e.name;
        EXPECT_EQ(mixer.record_lines()[i].component_type, e.type) << e.name;
        EXPECT_FALSE(mixer.record_lines()[i].name.empty());
    }
    EXPECT_EQ(mixer.record_lines()[entry(kWhatYouHear)].name, kWhatYouHear);
    EXPECT_EQ(mixer.record_lines()[entry(mic_call)].name,
              mixer.record_lines()[entry("ornavox_mic")].name + " + what you hear");
    EXPECT_EQ(mixer.autodetect(), entry(kWhatYouHear));
    // A call's level is its voice's; a microphone's kind still picks the
    // microphone itself.
    MixerControl voice, call;
    ASSERT_TRUE(mixer_device.control_by_type(mixer.record_lines()[entry("ornavox_mic")].line_id,
                                             MixerControlType::Volume, voice));
    ASSERT_TRUE(
        mixer_device.control_by_type(mixer.record_lines()[entry(mic_call)].line_id, MixerControlType::Volume, call));
    EXPECT_EQ(call.control_id, voice.control_id);
    mixer.select_mux(2, 0);
    EXPECT_EQ(mixer_device.mux_source_name(mixer.mux_selected), "ornavox_mic");
    ASSERT_FALSE(mixer.playback_ctls().empty());
    EXPECT_EQ(mixer.playback_ctls()[0].name, "Null Output");
    // A kind without a line of its own keeps what was selected at open: the
    // server's default source.
    mixer.select_mux(4, 0);
    EXPECT_EQ(mixer.mux_selected, static_cast<uint32_t>(mixer.record_lines()[entry("ornavox_sine")].mux_index));
}

TEST_F(PulseMixerTest, TheSelectedSourceIsRecordedAndTheServerDefaultStaysAsItWas)
{
    const struct {
        int32_t kind;
        const char* name;
        double pitch;
    } choices[] = {{0, "ornavox_high", 880}, {0, "ornavox_sine", 440}, {2, "ornavox_mic", 660}};
    for (const auto& c : choices) {
        SCOPED_TRACE(c.name);
        mixer.select_mux(c.kind, c.kind == 0 ? entry(c.name) : 0);
        captured = {};
        log.events.clear();
        start_recording();
        record_for(500ms);
        stop_recording();
        EXPECT_NEAR(captured.frequency(44100, 0), c.pitch, 2);
        EXPECT_LT(sine_break(captured.pcm, c.pitch, 44100, 0), 8);
    }
    EXPECT_NE(server.pactl("get-default-source").find("ornavox_sine"), std::string::npos);
}

// Samples of one channel in the longest run of digital silence, once the
// sound settled.
size_t longest_silence(const std::vector<int16_t>& pcm, int channel)
{
    size_t longest = 0, run = 0;
    for (size_t n = settled_start(pcm, channel); n < pcm.size() / 2; ++n) {
        run = pcm[2 * n + channel] == 0 ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

// Another program moves our stream (PulseAudio refuses, since the stream
// asked not to be moved; PipeWire moves it), then the default source changes
// under it: the stream stays on or comes back to the chosen source, and
// nothing from elsewhere, nor silence for the time away, is kept.
TEST_F(PulseMixerTest, MovesOfOurStreamAreUndoneAndLeaveNoForeignSound)
{
    mixer.select_mux(0, entry("ornavox_sine"));
    start_recording();
    record_for(300ms);

    try {
        server.pactl("move-source-output " + std::to_string(stream_index()) + " ornavox_high");
    } catch (const std::runtime_error& refused) {
        std::printf("the server refused the move: %s\n", refused.what());
    }
    record_for(700ms);
    EXPECT_EQ(stream_source(), "ornavox_sine");

    server.pactl("set-default-source ornavox_mic");
    record_for(500ms);
    EXPECT_EQ(stream_source(), "ornavox_sine");
    stop_recording();

    EXPECT_NEAR(captured.frequency(44100, 0), 440, 2);
    // The time away is cut out, which breaks the tone at two places.
    EXPECT_LE(sine_breaks(captured.pcm, 440, 44100, 0), 8u) << "sound from a source we did not choose";
    EXPECT_LT(longest_silence(captured.pcm, 0), 4u) << "silence for the time away";
    EXPECT_NE(server.pactl("get-default-source").find("ornavox_mic"), std::string::npos)
        << "the server's default is the user's";
}

// A new choice while recording goes on from the new source: the sound of each
// source in its turn, no failure, and the gap between them not counted as
// lost sound.
TEST_F(PulseMixerTest, ANewChoiceWhileRecordingGoesOnFromTheNewSource)
{
    mixer.select_mux(0, entry("ornavox_high"));
    start_recording();
    record_for(600ms);
    const size_t switched = captured.frames();
    mixer.select_mux(0, entry("ornavox_mic"));
    record_until([&] { return stream_source() == "ornavox_mic"; });
    record_for(600ms);
    stop_recording();

    for (const auto& event : log.events)
        EXPECT_NE(event.kind, CaptureEvent::Failed) << event.reason;
    EXPECT_EQ(device.overruns(), 0u);
    CapturedPcm before, after;
    before.pcm.assign(captured.pcm.begin(), captured.pcm.begin() + 2 * switched);
    after.pcm.assign(captured.pcm.begin() + 2 * (switched + 44100 / 5), captured.pcm.end());
    EXPECT_NEAR(before.frequency(44100, 0), 880, 2);
    EXPECT_NEAR(after.frequency(44100, 0), 660, 2);
}

// The server's default source, chosen, stays chosen when the default changes.
TEST_F(PulseMixerTest, AChosenDefaultSourceIsHeldWhenTheDefaultChanges)
{
    mixer.select_mux(0, entry("ornavox_sine"));
    server.pactl("set-default-source ornavox_high");
    ASSERT_TRUE(dispatcher.run_until(
        [&] { return server.pactl("get-default-source").find("ornavox_high") != std::string::npos; }, kPatience));
    mixer.open();
    EXPECT_EQ(mixer.selected_line(), entry("ornavox_sine"));
    start_recording();
    record_for(500ms);
    stop_recording();
    EXPECT_NEAR(captured.frequency(44100, 0), 440, 2);
}

// What desktop mixers show of us, and of a playback stream whose name is
// longer than a line name may be.
TEST_F(PulseMixerTest, OurStreamIsNamedForDesktopMixersAndLongNamesAreCut)
{
    start_recording();
    record_for(200ms);
    const std::string outputs = server.pactl("list source-outputs");
    EXPECT_NE(outputs.find("application.id = \"ornavox\""), std::string::npos) << outputs;
    EXPECT_NE(outputs.find("application.icon_name = \"ornavox\""), std::string::npos) << outputs;
    EXPECT_NE(outputs.find("media.role = \"production\""), std::string::npos) << outputs;
    stop_recording();

    const std::string client(40, 'c'), stream(40, 's');
    PlaybackStream radio(server, client, stream);
    // Listed once the server put it on the default output.
    const auto found_in = [&] {
        return std::find_if(mixer.playback_ctls().begin(), mixer.playback_ctls().end(),
                            [&](const control& c) { return c.name.rfind(client, 0) == 0; });
    };
    ASSERT_TRUE(dispatcher.run_until(
        [&] {
            mixer.open();
            return found_in() != mixer.playback_ctls().end();
        },
        kPatience));
    const auto found = found_in();
    EXPECT_EQ(found->name, (client + ": " + stream).substr(0, 64));
}

TEST_F(PulseMixerTest, LevelsFollowTheServerAndWritesKeepTheBalance)
{
    std::vector<std::pair<uint32_t, uint32_t>> volumes;
    mixer.onvolumechange = [&](uint32_t sort, uint32_t volume) { volumes.emplace_back(sort, volume); };
    mixer.select_mux(0, entry("ornavox_high"));
    server.pactl("set-source-volume ornavox_high 50%");
    ASSERT_TRUE(dispatcher.run_until(
        [&] { return !volumes.empty() && volumes.back() == std::make_pair(kRecordLevel, 32768u); }, kPatience));

    // The loudest channel is the sink's level, and a new level keeps the
    // balance.
    const auto last_is = [&](uint32_t sort, uint32_t volume) {
        return !volumes.empty() && volumes.back() == std::make_pair(sort, volume);
    };
    server.pactl("set-sink-volume ornavox_null 25% 50%");
    ASSERT_TRUE(dispatcher.run_until([&] { return last_is(0, 32768); }, kPatience));
    mixer.setvolume(0, 65535);
    ASSERT_TRUE(dispatcher.run_until([&] { return last_is(0, 65535); }, kPatience));
    EXPECT_EQ(channel_volumes(server.pactl("get-sink-volume ornavox_null")), (std::vector<uint32_t>{32768, 65536}));
}

} // namespace
} // namespace ornavox::test
