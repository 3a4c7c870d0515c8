// The player on a private sound server: MP3 files made with the lame command,
// what the null sink plays captured from its monitor by a stream of the
// test's own.
#include "platform/fake/queue_dispatcher.h"
#include "platform/pulse/pulse_capture_device.h"
#include "platform/pulse/pulse_media_player.h"
#include "platform/pulse/pulse_session.h"
#include "tests/support/capture_events.h"
#include "tests/support/mp3_decode.h"
#include "tests/support/pulse_server.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <thread>

namespace ornavox::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kPatience = 30s;

class EndLog : public PlayNotifyTarget {
public:
    std::vector<std::pair<uint32_t, std::string>> ends;
    void play_notify(uint32_t code, const std::string& reason) override { ends.emplace_back(code, reason); }
};

// Encodes `seconds` of a sine tone with the lame command, under a plain name
// that is then given to the file.
void make_mp3(const std::string& path, int rate, int channels, double seconds, double hz)
{
    const std::string plain = std::filesystem::path(path).parent_path() / "encoding.mp3";
    const std::string raw = plain + ".raw";
    {
        std::ofstream out(raw, std::ios::binary);
        const auto frames = static_cast<size_t>(seconds * rate);
        for (size_t i = 0; i < frames; ++i) {
            const auto value = static_cast<int16_t>(12000 * std::sin(2 * std::numbers::pi * hz * i / rate));
            for (int c = 0; c < channels; ++c)
                out.write(reinterpret_cast<const char*>(&value), 2);
        }
    }
    char khz[16];
    std::snprintf(khz, sizeof khz, "%g", rate / 1000.0);
    const std::string command = std::string("lame --quiet -r -s ") + khz + " --bitwidth 16 --signed --little-endian -m "
        + (channels == 1 ? "m" : "s") + " -b 128 '" + raw + "' '" + plain + "' 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    std::remove(raw.c_str());
    std::filesystem::rename(plain, path);
}

class PulsePlayer : public ::testing::Test {
protected:
    PulsePlayer() { session.set_record_source(std::string(PulseServer::kNullSink) + ".monitor"); }

    std::string file(const std::string& name) const
    {
        return folder.filePath(QString::fromStdString(name)).toStdString();
    }

    // Starts playing `path` while capturing what the sink plays.
    void start_playing_and_listening(const std::string& path)
    {
        std::string error;
        ASSERT_TRUE(player.open(path, error)) << error;
        ASSERT_TRUE(monitor.open(stereo16(44100), heard_log, error)) << error;
        ring.queue_all(monitor);
        monitor.start();
        // The monitor's stream is ready before the sound starts, so that the
        // server sets the sink's timing up for it first, as a recording does.
        ASSERT_TRUE(dispatcher.run_until(
            [this] {
                auto lock = session.lock();
                return session.record_stream().index != PA_INVALID_INDEX;
            },
            kPatience));
        ASSERT_TRUE(player.play(ends));
    }

    // Plays `path` to its end while capturing what the sink plays.
    void play_and_listen(const std::string& path)
    {
        start_playing_and_listening(path);
        ASSERT_TRUE(capture_until(monitor, dispatcher, heard_log, heard, [&] { return !ends->ends.empty(); }));
        // The sink's last samples reach its monitor a little later.
        const auto after = Clock::now() + 300ms;
        ASSERT_TRUE(capture_until(monitor, dispatcher, heard_log, heard, [&] { return Clock::now() > after; }));
        finish(monitor, dispatcher, heard_log, heard);
    }

    // Seconds from the first to the last sample of the heard sound.
    double heard_seconds() const
    {
        size_t first = heard.frames(), last = 0;
        for (size_t i = 0; i < heard.frames(); ++i)
            if (std::abs(heard.pcm[2 * i]) > 300) {
                first = std::min(first, i);
                last = i;
            }
        return last > first ? static_cast<double>(last - first) / 44100 : 0;
    }

    // The player reads the length in the background.
    uint64_t known_length()
    {
        dispatcher.run_until([this] { return player.length_ms().has_value(); }, kPatience);
        return player.length_ms().value_or(0);
    }

    QTemporaryDir folder;
    PulseServer server;
    QueueDispatcher dispatcher;
    PulseSession session{dispatcher};
    PulseMediaPlayer player{session, dispatcher};
    PulseCaptureDevice monitor{session, dispatcher};
    std::shared_ptr<EndLog> ends = std::make_shared<EndLog>();
    CaptureEventLog heard_log;
    BufferRing ring{4, 4 * 1000};
    CapturedPcm heard;
};

TEST_F(PulsePlayer, TheFileIsHeardWholeWithItsPitchAndEndsWhenDrained)
{
    const std::string path = file("tone.mp3");
    make_mp3(path, 44100, 2, 2.0, 440);
    const DecodedMp3 decoded = decode_mp3_file(path);
    ASSERT_TRUE(decoded.ok());
    std::string error;
    ASSERT_TRUE(player.open(path, error)) << error;
    const double decoded_ms = 1000.0 * decoded.frames() / decoded.rate;
    std::printf("length %llu ms, decoded %.1f ms\n", static_cast<unsigned long long>(known_length()), decoded_ms);
    EXPECT_NEAR(static_cast<double>(known_length()), decoded_ms, 1000.0 * 1152 / 44100);

    play_and_listen(path);
    ASSERT_EQ(ends->ends.size(), 1u);
    EXPECT_EQ(ends->ends[0].first, MCI_NOTIFY_SUCCESSFUL);
    EXPECT_NEAR(heard.frequency(44100, 0), 440, 3);
    std::printf("heard %.3f s of a %.3f s file\n", heard_seconds(), decoded_ms / 1000);
    EXPECT_NEAR(heard_seconds(), decoded_ms / 1000, 0.1);
}

TEST_F(PulsePlayer, ThePositionRisesAndEndsNearTheLength)
{
    const std::string path = file("tone.mp3");
    make_mp3(path, 44100, 2, 3.0, 440);
    std::string error;
    ASSERT_TRUE(player.open(path, error)) << error;
    const uint64_t length = known_length();
    ASSERT_TRUE(player.play(ends));
    std::vector<uint64_t> positions;
    std::string streams;
    while (ends->ends.empty()) {
        dispatcher.run_until([&] { return !ends->ends.empty(); }, 1s);
        positions.push_back(*player.position_ms());
        if (streams.empty())
            streams = server.pactl("list sink-inputs");
    }
    EXPECT_NE(streams.find("media.role = \"music\""), std::string::npos) << "for desktop mixers: " << streams;
    ASSERT_EQ(ends->ends[0].first, MCI_NOTIFY_SUCCESSFUL);
    ASSERT_GE(positions.size(), 3u);
    for (size_t i = 1; i < positions.size(); ++i)
        EXPECT_GT(positions[i], positions[i - 1]) << i;
    EXPECT_LE(positions.back(), length);
    std::printf("positions once a second:");
    for (uint64_t p : positions)
        std::printf(" %llu", static_cast<unsigned long long>(p));
    std::printf(" of %llu ms\n", static_cast<unsigned long long>(length));
    EXPECT_GE(positions.back(), length - 150) << "the last position is taken right at the end";
}

TEST_F(PulsePlayer, StopSilencesTheSinkAtOnce)
{
    const std::string path = file("long.mp3");
    make_mp3(path, 44100, 2, 5.0, 440);
    start_playing_and_listening(path);
    const auto playing = Clock::now() + 1s;
    ASSERT_TRUE(capture_until(monitor, dispatcher, heard_log, heard, [&] { return Clock::now() > playing; }));
    player.stop();
    const uint64_t stopped_at = *monitor.position_samples();
    const auto after = Clock::now() + 600ms;
    ASSERT_TRUE(capture_until(monitor, dispatcher, heard_log, heard, [&] { return Clock::now() > after; }));
    finish(monitor, dispatcher, heard_log, heard);

    size_t last = 0;
    for (size_t i = 0; i < heard.frames(); ++i)
        if (std::abs(heard.pcm[2 * i]) > 300)
            last = i;
    const double tail_ms = 1000.0 * (static_cast<double>(last) - static_cast<double>(stopped_at)) / 44100;
    std::printf("sound went on %.1f ms past the stop\n", tail_ms);
    EXPECT_LT(tail_ms, 200);
    dispatcher.run_pending();
    ASSERT_EQ(ends->ends.size(), 1u);
    EXPECT_EQ(ends->ends[0].first, MCI_NOTIFY_ABORTED);
}

TEST_F(PulsePlayer, EveryRateMonoOrStereoAndAnAwkwardPathPlay)
{
    const struct {
        int rate, channels;
        const char* name;
    } files[] = {{32000, 1, "mono 32k.mp3"}, {48000, 2, "it's 48k.mp3"}, {44100, 1, "\"quoted\" mono.mp3"}};
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        const std::string path = file(f.name);
        make_mp3(path, f.rate, f.channels, 0.5, 660);
        std::string error;
        ASSERT_TRUE(player.open(path, error)) << error;
        EXPECT_NEAR(static_cast<double>(known_length()), 500, 60);
        ends->ends.clear();
        ASSERT_TRUE(player.play(ends));
        ASSERT_TRUE(dispatcher.run_until([&] { return !ends->ends.empty(); }, kPatience));
        EXPECT_EQ(ends->ends[0].first, MCI_NOTIFY_SUCCESSFUL);
        player.close();
    }
}

// The length of a long file comes from a scan in the background: a file
// opened while the last one's scan runs gets its own length, never the other's.
TEST_F(PulsePlayer, TheLengthIsTheOpenFilesOwnEvenWhileAnotherIsScanned)
{
    const std::string take = file("take.mp3");
    make_mp3(take, 44100, 2, 2.0, 440);
    const std::string long_file = file("long.mp3");
    {
        std::ifstream in(take, std::ios::binary);
        const std::string frames{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        std::ofstream out(long_file, std::ios::binary);
        for (int i = 0; i < 600; ++i)
            out << frames;
    }
    const std::string short_file = file("short.mp3");
    make_mp3(short_file, 44100, 2, 0.5, 440);
    std::string error;
    ASSERT_TRUE(player.open(long_file, error)) << error;
    ASSERT_TRUE(player.play(ends));
    ASSERT_TRUE(player.open(short_file, error)) << error;
    EXPECT_NEAR(static_cast<double>(known_length()), 500, 60);
    dispatcher.run_until([] { return false; }, 200ms);
    EXPECT_NEAR(static_cast<double>(*player.length_ms()), 500, 60);

    ASSERT_TRUE(player.open(long_file, error)) << error;
    // Each take brings its encoder's delay and padding.
    const uint64_t length = known_length();
    EXPECT_GE(length, 600u * 2000);
    EXPECT_LE(length, 600u * 2100);
    player.close();
    EXPECT_FALSE(player.length_ms());
}

TEST_F(PulsePlayer, AFileThatHoldsNoMp3DoesNotOpen)
{
    const std::string text = file("notes.mp3");
    std::ofstream(text) << "This is a shopping list, not a recording.\n";
    std::string error;
    EXPECT_FALSE(player.open(text, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(player.open(file("missing.mp3"), error));
    EXPECT_FALSE(player.length_ms());
    EXPECT_FALSE(player.position_ms());
}

TEST_F(PulsePlayer, AServerThatDiesMidPlayEndsThePlayWithAReason)
{
    const std::string path = file("long.mp3");
    make_mp3(path, 44100, 2, 5.0, 440);
    std::string error;
    ASSERT_TRUE(player.open(path, error)) << error;
    ASSERT_TRUE(player.play(ends));
    dispatcher.run_until([] { return false; }, 500ms);
    server.kill();
    ASSERT_TRUE(dispatcher.run_until([&] { return !ends->ends.empty(); }, kPatience));
    EXPECT_EQ(ends->ends[0].first, MCI_NOTIFY_FAILURE);
    EXPECT_EQ(ends->ends[0].second.rfind("the sound server went away", 0), 0u) << ends->ends[0].second;
    player.close();
}

} // namespace
} // namespace ornavox::test
