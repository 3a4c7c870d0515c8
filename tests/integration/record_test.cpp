#include "platform/fake/queue_dispatcher.h"
#include "platform/fake/recording_message_sink.h"
#include "platform/pulse/pulse_capture_device.h"
#include "platform/pulse/pulse_session.h"
#include "recording/audiorec.h"
#include "tests/support/mp3_decode.h"
#include "tests/support/position_probe.h"
#include "tests/support/pulse_server.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <numeric>
#include <thread>

namespace ornavox {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::PositionProbe;
using test::PulseServer;

constexpr auto kPatience = 30s;
// The most that the encoder adds around the captured samples: its delay, the
// decoder's delay and the padding of the last frame.
constexpr uint64_t kEncoderSlack = 576 + 529 + 1152;

// Works in a fresh temporary folder, which also is the current directory
// ("save.raw" goes there).
class TemporaryFolder {
public:
    TemporaryFolder()
        : previous_(fs::current_path()),
          path_(fs::temp_directory_path()
                / ("ornavox-record-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-"
                   + ::testing::UnitTest::GetInstance()->current_test_info()->name()))
    {
        fs::remove_all(path_);
        fs::create_directories(path_);
        fs::current_path(path_);
    }
    ~TemporaryFolder()
    {
        fs::current_path(previous_);
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    fs::path previous_;
    fs::path path_;
};

std::vector<uint8_t> read_bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The real recording stack on the real sound server.
class Recorder {
public:
    explicit Recorder(const std::string& program_dir)
        : device_(session_, dispatcher_), probe_(device_),
          audiorec_(AudiorecServices{probe_, dispatcher_, messages_, program_dir, "HH:mm:ss.zzz"})
    {
        audiorec_.samples = 44100;
        audiorec_.bps = 128;
    }

    Taudiorec& audiorec() { return audiorec_; }
    const std::vector<uint64_t>& positions() const { return probe_.positions; }
    const std::vector<std::string>& messages() const { return messages_.messages; }
    QueueDispatcher& dispatcher() { return dispatcher_; }

    // Records until the device has captured `frames`, then stops or pauses
    // and waits until the file is closed.
    void record(uint64_t frames, bool pause)
    {
        audiorec_.rec();
        ASSERT_TRUE(dispatcher_.run_until([&] { return probe_.position_samples().value_or(0) >= frames; }, kPatience));
        if (pause)
            audiorec_.pause();
        else
            audiorec_.stop();
        audiorec_.finish_closing();
        EXPECT_FALSE(audiorec_.closing());
    }

private:
    QueueDispatcher dispatcher_;
    PulseSession session_{dispatcher_};
    RecordingMessageSink messages_;
    PulseCaptureDevice device_;
    PositionProbe probe_;
    Taudiorec audiorec_;
};

TEST(RecordIntegration, RecordedMp3HoldsWhatWasCaptured)
{
    PulseServer server;
    TemporaryFolder folder;
    Recorder recorder(ORNAVOX_PROGRAM_DIR);
    ASSERT_TRUE(recorder.audiorec().encoder_available());
    recorder.audiorec().filename = folder.file("take.mp3");

    recorder.record(2 * 44100, false);

    ASSERT_EQ(recorder.positions().size(), 1u);
    const uint64_t captured = recorder.positions()[0];
    const auto bytes = read_bytes(folder.file("take.mp3"));
    EXPECT_EQ(recorder.audiorec().mp3size, bytes.size());
    const test::DecodedMp3 decoded = test::decode_mp3(bytes);
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    EXPECT_EQ(decoded.rate, 44100);
    EXPECT_EQ(decoded.channels, 2);
    EXPECT_GE(decoded.frames(), captured);
    EXPECT_LE(decoded.frames(), captured + kEncoderSlack);
    EXPECT_NEAR(test::tone_frequency(decoded, 0), PulseServer::kSineFrequency, 2);
    EXPECT_NEAR(test::tone_frequency(decoded, 1), PulseServer::kSineFrequency, 2);
    EXPECT_TRUE(recorder.messages().empty());
}

// The longest run of digital silence in both channels, in frames, away from
// the encoder's delay at the start and its padding at the end.
uint64_t longest_inner_silence(const test::DecodedMp3& decoded)
{
    uint64_t longest = 0;
    uint64_t run = 0;
    for (uint64_t frame = kEncoderSlack; frame + kEncoderSlack < decoded.frames(); ++frame) {
        run = decoded.pcm[2 * frame] == 0 && decoded.pcm[2 * frame + 1] == 0 ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

// Five pauses in the tone: one stream without holes, as long as the parts,
// less the server's leading silence at each resume (at most 100 ms).
TEST(RecordIntegration, PausesLeaveNoHoleInTheTone)
{
    PulseServer server;
    TemporaryFolder folder;
    Recorder recorder(ORNAVOX_PROGRAM_DIR);
    recorder.audiorec().filename = folder.file("take.mp3");

    constexpr int kPauses = 5;
    for (int i = 0; i < kPauses; ++i) {
        recorder.record(22050, true);
        ASSERT_TRUE(recorder.audiorec().paused());
        // A pause as long as a user's: on PipeWire a record stream made at
        // once after the last one closed may get only silence for a while.
        recorder.dispatcher().run_until([] { return false; }, 300ms);
    }
    recorder.record(22050, false);
    EXPECT_TRUE(recorder.messages().empty());

    ASSERT_EQ(recorder.positions().size(), kPauses + 1u);
    const uint64_t captured = std::accumulate(recorder.positions().begin(), recorder.positions().end(), uint64_t{0});
    const auto bytes = read_bytes(folder.file("take.mp3"));
    EXPECT_EQ(recorder.audiorec().mp3size, bytes.size());
    const test::DecodedMp3 decoded = test::decode_mp3(bytes);
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    EXPECT_EQ(decoded.rate, 44100);
    const uint64_t longest = longest_inner_silence(decoded);
    EXPECT_LT(longest, 220u) << "a hole of over 5 ms";
    EXPECT_LE(decoded.frames(), captured + kEncoderSlack) << "one encoder delay and padding in all";
    EXPECT_GE(decoded.frames() + kPauses * 4410, captured);
    std::cout << "[ figures  ] " << kPauses << " resumes: " << captured << " frames captured, " << decoded.frames()
              << " decoded ("
              << (static_cast<double>(decoded.frames()) - static_cast<double>(captured)) / 44.1 / kPauses
              << " ms per resume), longest silence " << longest << " frames\n";
    EXPECT_NEAR(test::tone_frequency(decoded, 0), PulseServer::kSineFrequency, 2);
}

// The GUI thread is held for two seconds (a slow disk, a loaded machine)
// while the server goes on sending: the stop still saves all of it.
TEST(RecordIntegration, AStopAfterABusyMomentKeepsWhatTheServerSent)
{
    PulseServer server;
    TemporaryFolder folder;
    Recorder recorder(ORNAVOX_PROGRAM_DIR);
    Taudiorec& audiorec = recorder.audiorec();
    audiorec.filename = folder.file("take.mp3");
    audiorec.rec();
    QueueDispatcher& dispatcher = recorder.dispatcher();
    std::string text;
    ASSERT_TRUE(dispatcher.run_until(
        [&] {
            audiorec.position(text);
            return text >= "00:00:00.500";
        },
        kPatience));
    audiorec.position(text);
    const auto held_from = std::chrono::steady_clock::now();
    const std::string before = text;
    std::this_thread::sleep_for(2s);
    const double held = std::chrono::duration<double>(std::chrono::steady_clock::now() - held_from).count();
    audiorec.stop();
    audiorec.finish_closing();
    ASSERT_FALSE(audiorec.closing());

    ASSERT_EQ(recorder.positions().size(), 1u);
    const double seconds_before = std::stod(before.substr(6));
    const double kept = static_cast<double>(recorder.positions()[0]) / 44100 - seconds_before;
    std::cout << "[ figures  ] held " << held << " s, then stop: " << kept << " s after the hold began were saved\n";
    EXPECT_GE(kept, held - 0.1);
    const test::DecodedMp3 decoded = test::decode_mp3(read_bytes(folder.file("take.mp3")));
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    EXPECT_GE(decoded.frames(), recorder.positions()[0]);
    EXPECT_TRUE(recorder.messages().empty()) << recorder.messages().front();
}

TEST(RecordIntegration, WithoutThePluginRawFileHoldsExactlyTheCapturedSamples)
{
    PulseServer server;
    TemporaryFolder folder;
    fs::create_directories(folder.file("program"));
    Recorder recorder(folder.file("program") + "/");
    ASSERT_FALSE(recorder.audiorec().encoder_available());
    ASSERT_EQ(recorder.messages().size(), 1u);
    EXPECT_EQ(recorder.messages()[0].rfind("MP3 Encode plugin is not installed!", 0), 0u);
    recorder.audiorec().filename = folder.file("take.mp3");

    recorder.record(44100, false);

    ASSERT_EQ(recorder.positions().size(), 1u);
    const auto bytes = read_bytes(folder.file("save.raw"));
    EXPECT_EQ(bytes.size(), 4 * recorder.positions()[0]);
    EXPECT_EQ(recorder.audiorec().mp3size, 0u);
    EXPECT_FALSE(fs::exists(folder.file("take.mp3")));

    test::DecodedMp3 pcm;
    pcm.rate = 44100;
    pcm.channels = 2;
    pcm.pcm.resize(bytes.size() / 2);
    std::memcpy(pcm.pcm.data(), bytes.data(), pcm.pcm.size() * 2);
    EXPECT_NEAR(test::tone_frequency(pcm, 0), PulseServer::kSineFrequency, 2);
}

// The device is opened after the output file, so a failing open must leave
// the file system as it was.
TEST(RecordIntegration, RecWithoutServerThrowsAndLeavesNoFileBehind)
{
    test::NoPulseServer nothing;
    TemporaryFolder folder;
    Recorder recorder(ORNAVOX_PROGRAM_DIR);

    recorder.audiorec().filename = folder.file("new.mp3");
    try {
        recorder.audiorec().rec();
        ADD_FAILURE() << "rec() did not throw";
    } catch (const AudiorecError& error) {
        EXPECT_EQ(std::string(error.what()).rfind("Cannot connect to the sound server: ", 0), 0u) << error.what();
    }
    EXPECT_EQ(recorder.audiorec().state, 0);
    EXPECT_FALSE(fs::exists(folder.file("new.mp3")));

    {
        std::ofstream(folder.file("old.mp3"), std::ios::binary) << "earlier take";
    }
    recorder.audiorec().filename = folder.file("old.mp3");
    EXPECT_THROW(recorder.audiorec().rec(), AudiorecError);
    EXPECT_EQ(recorder.audiorec().state, 0);
    const auto kept = read_bytes(folder.file("old.mp3"));
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "earlier take");

    EXPECT_FALSE(recorder.audiorec().closing());
    EXPECT_EQ(recorder.dispatcher().pending(), 0u);
    std::string text;
    recorder.audiorec().position(text);
    EXPECT_EQ(text, "Error get position");
}

} // namespace
} // namespace ornavox
