// The recording component on the fake capture device, with the real encoder
// plug-in from the program folder and real files in a temporary folder that
// is also the current directory (where "save.raw" goes).

#include "recording/audiorec.h"

#include "platform/fake/fake_capture_device.h"
#include "platform/fake/queue_dispatcher.h"
#include "platform/fake/recording_message_sink.h"
#include "tests/support/file_lock.h"
#include "tests/support/mp3_decode.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace ornavox {
namespace {

namespace fs = std::filesystem;

constexpr double kTone = 440.0;

std::vector<uint8_t> read_bytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_bytes(const fs::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The file decodes whole, to at least `frames` stereo frames.
void expect_decodes_to_at_least(const fs::path& file, size_t frames)
{
    const test::DecodedMp3 decoded = test::decode_mp3_file(file.string());
    EXPECT_TRUE(decoded.ok()) << decoded.error;
    EXPECT_GE(decoded.frames(), frames);
}

// Whether another writer could take the file's lock now.
bool lockable(const fs::path& path)
{
    return test::file_is_free(path.string());
}

// Bit rate in kbit/s from the first MPEG-1 Layer III frame header.
int first_frame_kbps(const std::vector<uint8_t>& mp3)
{
    static constexpr int kTable[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
    if (mp3.size() < 4 || mp3[0] != 0xFF || (mp3[1] & 0xFE) != 0xFA)
        return -1;
    return kTable[mp3[2] >> 4];
}

class AudiorecTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = test::make_temporary_folder("audiorec_test.");
        old_cwd_ = fs::current_path();
        fs::current_path(dir_);
    }

    void TearDown() override
    {
        component_.reset();
        fs::current_path(old_cwd_);
        fs::remove_all(dir_);
    }

    Taudiorec& make(const std::string& program_dir = ORNAVOX_PROGRAM_DIR)
    {
        component_ =
            std::make_unique<Taudiorec>(AudiorecServices{device_, dispatcher_, sink_, program_dir, "HH:mm:ss"});
        component_->samples = 44100;
        component_->bps = 128;
        component_->filename = path("out.mp3");
        return *component_;
    }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    // Captures a tone in steps of at most one buffer, letting the component
    // hand each filled buffer back, so nothing overruns.
    void capture(size_t frames, double hz = kTone)
    {
        while (frames > 0) {
            const size_t step = std::min<size_t>(frames, 1000);
            device_.fill_sine(step, hz);
            dispatcher_.run_pending();
            frames -= step;
        }
    }

    void stop_and_close()
    {
        component_->stop();
        dispatcher_.run_pending();
    }

    fs::path dir_;
    fs::path old_cwd_;
    QueueDispatcher dispatcher_;
    FakeCaptureDevice device_{dispatcher_};
    RecordingMessageSink sink_;
    std::unique_ptr<Taudiorec> component_;
};

// What rec() raised; "no error" when it started.
std::string rec_error(Taudiorec& rec)
{
    try {
        rec.rec();
    } catch (const AudiorecError& error) {
        return error.what();
    }
    return "no error";
}

const EncoderEntryPoints& encoder()
{
    static RecordingMessageSink sink;
    static const EncoderEntryPoints* entries = load_encoder_plugin(ORNAVOX_PROGRAM_DIR, sink);
    return *entries;
}

// Opens and closes a stream of 44100 Hz stereo at 128 kbit/s; its chunk count
// and handle. Handles count up, so the next stream opened gets handle + 1.
std::pair<BE_DWORD, HBE_STREAM> probe_stream()
{
    BE_CONFIG config{};
    config.format.mp3.dwSampleRate = 44100;
    config.format.mp3.wBitrate = 128;
    BE_DWORD chunk = 0, output_size = 0;
    HBE_STREAM stream = 0;
    EXPECT_EQ(encoder().beInitStream(&config, &chunk, &output_size, &stream), 0u);
    encoder().beCloseStream(stream);
    return {chunk, stream};
}

// Whether the `count` streams opened after `probe` were all closed again.
bool streams_closed_after(HBE_STREAM probe, int count)
{
    for (int i = 1; i <= count; ++i) {
        if (encoder().beCloseStream(probe + i) != BE_ERR_INVALID_HANDLE)
            return false;
    }
    return probe_stream().second == probe + count + 1;
}

TEST_F(AudiorecTest, FourBuffersCycleWhileRecordingAndReturnAfterStop)
{
    Taudiorec& rec = make();
    int ondata = 0;
    rec.ondata = [&](Taudiorec* sender) {
        EXPECT_EQ(sender, &rec);
        ++ondata;
    };
    rec.rec();
    EXPECT_EQ(rec.state, 1);
    EXPECT_EQ(device_.calls(),
              (std::vector<std::string>{"open", "add_buffer", "add_buffer", "add_buffer", "add_buffer", "start"}));
    ASSERT_EQ(device_.queued().size(), 4u);
    for (const CaptureBuffer* buffer : device_.queued())
        EXPECT_EQ(buffer->buffer_length, 4 * probe_stream().first);
    EXPECT_EQ(device_.format().samples_per_sec, 44100u);
    EXPECT_EQ(device_.format().avg_bytes_per_sec, 4 * 44100u);

    const uint32_t buffer_frames = device_.queued().front()->buffer_length / 4;
    capture(10 * buffer_frames);
    EXPECT_EQ(ondata, 10);
    EXPECT_EQ(device_.queued().size(), 4u) << "every filled buffer goes back to the device";
    EXPECT_EQ(rec.mp3size, fs::file_size(path("out.mp3")));

    rec.stop();
    EXPECT_EQ(rec.state, 0);
    EXPECT_TRUE(rec.closing());
    const std::vector<std::string>& calls = device_.calls();
    EXPECT_EQ(calls.back(), "reset") << "the device closes once it handed over what it held";
    EXPECT_FALSE(lockable(path("out.mp3"))) << "the file stays open until the device closed";

    const size_t adds_before = std::count(calls.begin(), calls.end(), "add_buffer");
    dispatcher_.run_pending();
    EXPECT_EQ(calls.back(), "close");
    EXPECT_EQ(device_.queued_at_close(), 0u);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "add_buffer"), static_cast<long>(adds_before))
        << "buffers that came back empty after stop are not queued again";
    EXPECT_EQ(ondata, 14) << "ondata follows every returned buffer, empty ones too";
    EXPECT_FALSE(rec.closing());
    EXPECT_TRUE(lockable(path("out.mp3")));
    EXPECT_EQ(rec.mp3size, fs::file_size(path("out.mp3"))) << "the encoder's tail is counted too";

    const test::DecodedMp3 decoded = test::decode_mp3_file(path("out.mp3"));
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    EXPECT_EQ(decoded.rate, 44100);
    EXPECT_GE(decoded.frames(), 10u * buffer_frames);
    EXPECT_LE(decoded.frames(), 10u * buffer_frames + 3 * 1152);
    EXPECT_NEAR(test::tone_frequency(decoded, 0), kTone, 2.0);
    EXPECT_TRUE(sink_.messages.empty());
}

TEST_F(AudiorecTest, PartlyFilledLastBufferIsWritten)
{
    Taudiorec& rec = make();
    rec.rec();
    const uint32_t buffer_frames = device_.queued().front()->buffer_length / 4;
    const std::vector<int16_t> silence(2 * 3 * buffer_frames, 0);
    device_.fill(std::span<const int16_t>(silence));
    dispatcher_.run_pending();
    // Only the partly filled buffer after the silence holds the tone.
    device_.fill(std::span<const int16_t>(sine_pcm(buffer_frames / 2, kTone, 44100, 20000)));
    stop_and_close();

    const test::DecodedMp3 decoded = test::decode_mp3_file(path("out.mp3"));
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    const auto loudest = std::max_element(decoded.pcm.begin(), decoded.pcm.end(),
                                          [](int16_t a, int16_t b) { return std::abs(a) < std::abs(b); });
    EXPECT_GT(std::abs(*loudest), 10000);
}

TEST_F(AudiorecTest, AppendContinuesAnExistingFileAndCreatesAMissingOne)
{
    Taudiorec& rec = make();
    rec.rec();
    capture(20000);
    stop_and_close();
    const std::vector<uint8_t> existing = read_bytes(path("out.mp3"));

    rec.append = true;
    rec.rec();
    dispatcher_.run_pending();
    EXPECT_EQ(rec.mp3size, existing.size());
    capture(44100);
    stop_and_close();
    const std::vector<uint8_t> after = read_bytes(path("out.mp3"));
    ASSERT_GT(after.size(), existing.size());
    EXPECT_TRUE(std::equal(existing.begin(), existing.end(), after.begin()));
    EXPECT_EQ(rec.mp3size, after.size());

    rec.filename = path("new.mp3");
    rec.rec();
    dispatcher_.run_pending();
    EXPECT_EQ(rec.mp3size, 0u);
    EXPECT_TRUE(fs::exists(path("new.mp3")));
    stop_and_close();

    // Written anew, but only once sound comes: a recording that got none
    // leaves the old file as it was, and a new file goes again.
    rec.append = false;
    rec.filename = path("out.mp3");
    rec.rec();
    dispatcher_.run_pending();
    EXPECT_EQ(rec.mp3size, 0u);
    stop_and_close();
    EXPECT_EQ(read_bytes(path("out.mp3")), after);
    rec.filename = path("newer.mp3");
    rec.rec();
    stop_and_close();
    EXPECT_FALSE(fs::exists(path("newer.mp3")));

    rec.filename = path("out.mp3");
    rec.rec();
    capture(4410);
    stop_and_close();
    EXPECT_LT(fs::file_size(path("out.mp3")), existing.size()) << "created anew";
    expect_decodes_to_at_least(path("out.mp3"), 4410u);
}

TEST_F(AudiorecTest, PauseAndResumeMakeOneStreamWithTimeCarriedOver)
{
    Taudiorec& rec = make();
    std::string text;
    rec.position(text);
    EXPECT_EQ(text, "Error get position");

    rec.rec();
    capture(44100);
    rec.position(text);
    EXPECT_EQ(text, "00:00:01");
    rec.pause();
    EXPECT_TRUE(rec.append);
    dispatcher_.run_pending();

    rec.rec();
    capture(2 * 44100);
    rec.position(text);
    EXPECT_EQ(text, "00:00:03");
    rec.pause();
    dispatcher_.run_pending();

    rec.rec();
    device_.set_position(std::nullopt);
    rec.position(text);
    EXPECT_EQ(text, "Error get position");
    rec.pause();
    EXPECT_EQ(rec.state, 0) << "a failed position query still stops";
    dispatcher_.run_pending();

    rec.rec();
    capture(44100);
    rec.position(text);
    EXPECT_EQ(text, "00:00:04");
    stop_and_close();

    const test::DecodedMp3 decoded = test::decode_mp3_file(path("out.mp3"));
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    EXPECT_GE(decoded.frames(), 4u * 44100);
    EXPECT_LE(decoded.frames(), 4u * 44100 + 4 * 3 * 1152);

    rec.append = false;
    rec.rec();
    capture(2 * 44100);
    rec.position(text);
    EXPECT_EQ(text, "00:00:02") << "a new file starts the time again";
    device_.set_position(uint64_t{25} * 3600 * 44100);
    rec.position(text);
    EXPECT_EQ(text, "25:00:00") << "an elapsed time, no time of day";
    stop_and_close();
}

// The longest run of digital silence in both channels, in frames, between
// `from` and `to` frames of the decoded sound.
size_t longest_silence(const test::DecodedMp3& decoded, size_t from, size_t to)
{
    size_t longest = 0;
    size_t run = 0;
    for (size_t frame = from; frame < std::min(to, decoded.frames()); ++frame) {
        const bool silent = decoded.pcm[2 * frame] == 0 && decoded.pcm[2 * frame + 1] == 0;
        run = silent ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

// The GUI thread was held while the device went on capturing: the stop hands
// over what the device kept beyond the four buffers, and so does a pause.
TEST_F(AudiorecTest, StopAndPauseKeepEverythingTheDeviceHeld)
{
    Taudiorec& rec = make();
    device_.set_backlog(20 * 4 * 44100);
    rec.rec();
    dispatcher_.run_pending();
    device_.fill_sine(3 * 44100, kTone); // nobody reads meanwhile
    EXPECT_GT(device_.held(), 0u);
    rec.pause();
    dispatcher_.run_pending();
    EXPECT_FALSE(rec.closing());
    EXPECT_TRUE(rec.paused());

    rec.rec();
    dispatcher_.run_pending();
    device_.fill_sine(2 * 44100, kTone);
    rec.stop();
    dispatcher_.run_pending();
    EXPECT_FALSE(rec.closing());
    EXPECT_EQ(device_.undelivered_bytes(), 0u);
    EXPECT_TRUE(sink_.messages.empty()) << sink_.messages.front();

    const test::DecodedMp3 decoded = test::decode_mp3_file(path("out.mp3"));
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    EXPECT_GE(decoded.frames(), 5u * 44100);
    EXPECT_LE(decoded.frames(), 5u * 44100 + 576 + 529 + 1152) << "one encoder delay and padding, not two";
}

// Five pauses, each resumed into the same encoder stream: the tone goes on
// without a hole, and a server's leading silence at a resume is left out.
TEST_F(AudiorecTest, PausesAreGaplessAndAResumeLeavesOutTheServersLeadingSilence)
{
    Taudiorec& rec = make();
    rec.rec();
    capture(22050);
    for (int i = 0; i < 5; ++i) {
        rec.pause();
        dispatcher_.run_pending();
        rec.samples = 48000; // typed while paused: the file keeps its rate
        rec.rec();
        EXPECT_EQ(device_.format().samples_per_sec, 44100u);
        const std::vector<int16_t> quantum(2 * 2048, 0);
        device_.fill(std::span<const int16_t>(quantum));
        capture(22050);
    }
    std::string text;
    rec.position(text);
    EXPECT_EQ(text, "00:00:03") << "the left-out silence is no recorded time";
    rec.stop();
    dispatcher_.run_pending();

    const test::DecodedMp3 decoded = test::decode_mp3_file(path("out.mp3"));
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    EXPECT_EQ(decoded.rate, 44100);
    EXPECT_GE(decoded.frames(), 6u * 22050);
    EXPECT_LE(decoded.frames(), 6u * 22050 + 576 + 529 + 1152);
    EXPECT_LT(longest_silence(decoded, 2000, decoded.frames() - 2000), 220u) << "no hole of 5 ms";

    // A new bit rate while paused starts a new stream in the same file.
    rec.rec();
    capture(10000);
    rec.pause();
    dispatcher_.run_pending();
    const size_t before = read_bytes(path("out.mp3")).size();
    rec.bps = 192;
    rec.rec();
    capture(10000);
    rec.stop();
    dispatcher_.run_pending();
    const std::vector<uint8_t> after = read_bytes(path("out.mp3"));
    ASSERT_GT(after.size(), before);
    // The old stream's tail comes first, then frames at the new bit rate.
    bool new_rate = false;
    for (size_t at = before; at + 4 < after.size() && !new_rate; ++at)
        new_rate =
            first_frame_kbps({after.begin() + static_cast<long>(at), after.begin() + static_cast<long>(at) + 4}) == 192;
    EXPECT_TRUE(new_rate);
    EXPECT_TRUE(test::decode_mp3(after).ok()) << "one rate, bit rates as the frames say";
}

// A finished pause leaves no stream open: stopping while paused, and the
// component going away while paused, both write the encoder's tail.
TEST_F(AudiorecTest, APausedRecordingIsFinishedByStopOrByTheComponentsEnd)
{
    Taudiorec& rec = make();
    rec.rec();
    capture(30000);
    rec.pause();
    dispatcher_.run_pending();
    EXPECT_FALSE(lockable(path("out.mp3"))) << "a paused recording keeps its file";
    EXPECT_EQ(rec.mp3size, fs::file_size(path("out.mp3")));
    const size_t paused_size = fs::file_size(path("out.mp3"));
    rec.finish();
    EXPECT_FALSE(rec.paused());
    EXPECT_TRUE(lockable(path("out.mp3")));
    EXPECT_GT(fs::file_size(path("out.mp3")), paused_size) << "the encoder's tail";
    EXPECT_EQ(rec.mp3size, fs::file_size(path("out.mp3")));

    rec.append = false;
    rec.filename = path("second.mp3");
    rec.rec();
    capture(30000);
    rec.pause();
    dispatcher_.run_pending();
    component_.reset();
    EXPECT_TRUE(lockable(path("second.mp3")));
    expect_decodes_to_at_least(path("second.mp3"), 30000u);
}

// A device that cannot let go of its buffers: the recording ends all the same,
// complete and told, and the buffers stay alive for the device to write into.
TEST_F(AudiorecTest, ADeviceThatCannotCloseEndsTheRecordingAndKeepsItsBuffers)
{
    Taudiorec& rec = make();
    int failures = 0;
    rec.onfailure = [&](Taudiorec*) { ++failures; };
    rec.rec();
    capture(30000);
    CaptureBuffer* held = device_.queued().front();
    device_.fail_next_close("waveInClose: the device is still playing");
    stop_and_close();
    EXPECT_FALSE(rec.closing());
    EXPECT_EQ(failures, 1);
    ASSERT_EQ(sink_.messages.size(), 1u);
    EXPECT_EQ(sink_.messages[0],
              "The sound card could not be closed (waveInClose: the device is still playing).\n"
              "Everything recorded up to that moment is saved in "
                  + path("out.mp3") + ".");
    EXPECT_TRUE(lockable(path("out.mp3")));
    expect_decodes_to_at_least(path("out.mp3"), 30000u);

    rec.append = false;
    rec.rec();
    for (const CaptureBuffer* buffer : device_.queued())
        EXPECT_NE(buffer, held) << "the next recording has buffers of its own";
    held->data[0] = 1; // still the component's memory: no sanitizer stops this
    stop_and_close();
}

// Appending continues the file at its own rate; a file of something else
// than MP3 frames is left alone.
TEST_F(AudiorecTest, AppendingKeepsTheFilesRateAndRefusesFilesThatAreNoMp3)
{
    Taudiorec& rec = make();
    rec.samples = 48000;
    rec.rec();
    capture(24000);
    stop_and_close();

    rec.samples = 44100;
    rec.append = true;
    rec.rec();
    EXPECT_EQ(device_.format().samples_per_sec, 48000u);
    EXPECT_EQ(rec.rate(), 48000u);
    EXPECT_EQ(rec.samples, 44100) << "the user's choice stays for the next new file";
    capture(24000);
    stop_and_close();
    const test::DecodedMp3 decoded = test::decode_mp3_file(path("out.mp3"));
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    EXPECT_EQ(decoded.rate, 48000);

    // A tag before the frames is no reason to refuse.
    std::vector<uint8_t> tagged = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 20};
    tagged.resize(30, 0);
    const std::vector<uint8_t> frames = read_bytes(path("out.mp3"));
    tagged.insert(tagged.end(), frames.begin(), frames.end());
    write_bytes(path("tagged.mp3"), tagged);
    rec.filename = path("tagged.mp3");
    rec.rec();
    EXPECT_EQ(device_.format().samples_per_sec, 48000u);
    stop_and_close();

    std::vector<uint8_t> wave = {'R', 'I', 'F', 'F', 36, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
    wave.resize(44, 0);
    const std::vector<uint8_t> text = {'n', 'o', 't', 'e', 's', '\n'};
    for (const auto& [name, bytes] : {std::pair{"side.wav", wave}, std::pair{"notes.txt", text}}) {
        write_bytes(path(name), bytes);
        rec.filename = path(name);
        const size_t opens = device_.calls().size();
        EXPECT_EQ(rec_error(rec),
                  "Cannot append to " + path(name)
                      + ": the file does not hold MP3 sound. Nothing was recorded and the file is "
                        "left as it was; choose another file to record to.");
        EXPECT_EQ(rec.state, 0);
        EXPECT_EQ(device_.calls().size(), opens) << "the device is not opened";
        EXPECT_EQ(read_bytes(path(name)), bytes);
    }

    rec.filename = path("empty.mp3");
    write_bytes(path("empty.mp3"), {});
    rec.rec();
    EXPECT_EQ(device_.format().samples_per_sec, 44100u) << "an empty file is a new one";
    stop_and_close();
}

#ifndef _WIN32
// A file deleted while it is recorded stops the recording within two
// seconds and comes back under its name with everything recorded.
TEST_F(AudiorecTest, AFileDeletedWhileRecordingIsSavedAgainUnderItsName)
{
    Taudiorec& rec = make();
    int failures = 0;
    rec.onfailure = [&](Taudiorec*) { ++failures; };
    rec.rec();
    capture(44100);
    fs::remove(path("out.mp3"));
    const auto deleted = std::chrono::steady_clock::now();
    while (rec.state == 1 && std::chrono::steady_clock::now() - deleted < std::chrono::seconds(3)) {
        capture(2205);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(rec.state, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - deleted, std::chrono::seconds(2));
    dispatcher_.run_pending();
    EXPECT_EQ(failures, 1);
    ASSERT_EQ(sink_.messages.size(), 1u);
    EXPECT_EQ(sink_.messages[0],
              "The recording file " + path("out.mp3")
                  + " was deleted while it was recorded, and the recording was stopped.\n"
                    "Everything recorded is saved again in "
                  + path("out.mp3") + ".");
    expect_decodes_to_at_least(path("out.mp3"), 44100u);
    EXPECT_EQ(rec.mp3size, fs::file_size(path("out.mp3")));
}
#endif

TEST_F(AudiorecTest, RateAndBitRateOutsideTheListsAreReplacedAndWrittenBack)
{
    Taudiorec& rec = make();
    struct Case {
        int32_t samples, bps, want_samples, want_bps;
    };
    for (const Case c : {Case{0, 0, 44100, 128}, Case{22050, 64, 44100, 128}, Case{48000, 256, 48000, 256},
                         Case{32000, 96, 32000, 96}}) {
        SCOPED_TRACE(std::to_string(c.samples) + " Hz, " + std::to_string(c.bps) + " kbit/s");
        rec.samples = c.samples;
        rec.bps = c.bps;
        rec.rec();
        EXPECT_EQ(rec.samples, c.want_samples);
        EXPECT_EQ(rec.bps, c.want_bps);
        EXPECT_EQ(device_.format().samples_per_sec, static_cast<uint32_t>(c.want_samples));
        capture(static_cast<size_t>(c.want_samples) / 2);
        stop_and_close();
        const std::vector<uint8_t> mp3 = read_bytes(path("out.mp3"));
        EXPECT_EQ(first_frame_kbps(mp3), c.want_bps);
        EXPECT_EQ(test::decode_mp3(mp3).rate, c.want_samples);
    }
}

TEST_F(AudiorecTest, WithoutThePluginRawSamplesGoToSaveRawAndResumeContinuesIt)
{
    Taudiorec& rec = make(dir_.string() + "/");
    ASSERT_EQ(sink_.messages.size(), 1u);
    EXPECT_EQ(sink_.messages[0], std::string("MP3 Encode plugin is not installed!\n\r") + kEncoderPluginFileName);
    EXPECT_FALSE(rec.encoder_available());

    rec.rec();
    ASSERT_EQ(device_.queued().size(), 4u);
    EXPECT_EQ(device_.queued().front()->buffer_length, 44100u);
    const std::vector<int16_t> first = sine_pcm(30000, kTone, 44100, 9000);
    device_.fill(std::span<const int16_t>(first));
    rec.pause();
    dispatcher_.run_pending();
    EXPECT_EQ(rec.mp3size, 0u);
    EXPECT_FALSE(fs::exists(path("out.mp3")));
    std::vector<uint8_t> raw = read_bytes(path("save.raw"));
    ASSERT_EQ(raw.size(), 4 * 30000u) << "four bytes per stereo sample";
    EXPECT_EQ(0, std::memcmp(raw.data(), first.data(), raw.size()));

    rec.rec();
    const std::vector<int16_t> second = sine_pcm(100, 1000.0, 44100, 9000);
    device_.fill(std::span<const int16_t>(second));
    stop_and_close();
    raw = read_bytes(path("save.raw"));
    ASSERT_EQ(raw.size(), 4 * 30100u) << "the resumed recording continues save.raw";
    EXPECT_EQ(0, std::memcmp(raw.data() + 4 * 30000, second.data(), 4 * 100));
    EXPECT_EQ(rec.mp3size, 0u);

    rec.append = false;
    rec.rec();
    device_.fill(std::span<const int16_t>(second));
    stop_and_close();
    EXPECT_EQ(read_bytes(path("save.raw")).size(), 4 * 100u) << "a new recording creates save.raw anew";
}

TEST_F(AudiorecTest, FileErrorsAreRaisedBeforeTheDeviceOpens)
{
    Taudiorec& rec = make();
    const HBE_STREAM probe = probe_stream().second;
    rec.filename = path("missing/out.mp3");
    EXPECT_EQ(rec_error(rec), "Cannot create file " + path("missing/out.mp3"));

    // Another writer holds the file.
    const std::vector<uint8_t> theirs(100, 0x77);
    write_bytes(path("held.mp3"), theirs);
    {
        const test::HeldFile holder(path("held.mp3"));
        ASSERT_TRUE(holder.held());
        rec.filename = path("held.mp3");
        rec.append = true;
        EXPECT_EQ(rec_error(rec), "Cannot open file " + path("held.mp3"));
        rec.append = false;
        EXPECT_EQ(rec_error(rec), "Cannot create file " + path("held.mp3"));
    }
    EXPECT_EQ(read_bytes(path("held.mp3")), theirs);
    EXPECT_TRUE(streams_closed_after(probe, 2)) << "a file held by another opens no stream";

    EXPECT_EQ(rec.state, 0);
    EXPECT_TRUE(device_.calls().empty());
    EXPECT_EQ(dispatcher_.pending(), 0u);
}

TEST_F(AudiorecTest, DeviceOpenFailureReleasesEverything)
{
    Taudiorec& rec = make();
    const std::vector<uint8_t> old(500, 0x11);
    write_bytes(path("out.mp3"), old);
    const HBE_STREAM probe = probe_stream().second;

    for (const char* name : {"out.mp3", "fresh.mp3"}) {
        rec.filename = path(name);
        device_.fail_next_open("Connection refused");
        EXPECT_EQ(rec_error(rec), "Connection refused");
        EXPECT_EQ(rec.state, 0);
        EXPECT_FALSE(rec.closing());
    }
    EXPECT_TRUE(streams_closed_after(probe, 2));
    EXPECT_EQ(read_bytes(path("out.mp3")), old) << "a recording that never started truncates nothing";
    EXPECT_FALSE(fs::exists(path("fresh.mp3")));
    EXPECT_TRUE(device_.queued().empty());

    rec.rec();
    EXPECT_EQ(rec.state, 1) << "the next rec works";
    stop_and_close();
}

// A press while the last capture still closes returns at once; the new one
// starts when the old one is done, also when it cannot start.
TEST_F(AudiorecTest, RecWhileClosingStartsOnceTheCloseIsDone)
{
    Taudiorec& rec = make();
    rec.rec();
    capture(20000);
    rec.stop();
    ASSERT_TRUE(rec.closing());

    rec.filename = path("second.mp3");
    rec.rec();
    EXPECT_EQ(rec.state, 1);
    EXPECT_EQ(device_.calls().back(), "reset") << "nothing opened yet";
    dispatcher_.run_pending();
    EXPECT_TRUE(lockable(path("out.mp3")));
    expect_decodes_to_at_least(path("out.mp3"), 20000u);
    EXPECT_EQ(device_.calls().back(), "start");
    capture(4410);
    stop_and_close();
    expect_decodes_to_at_least(path("second.mp3"), 4410u);

    // Stopped before the close was done: nothing starts.
    rec.rec();
    capture(4410);
    rec.stop();
    rec.rec();
    rec.stop();
    dispatcher_.run_pending();
    EXPECT_EQ(rec.state, 0);
    EXPECT_EQ(device_.calls().back(), "close");

    int failures = 0;
    rec.onfailure = [&failures](Taudiorec*) { ++failures; };
    rec.rec();
    capture(4410);
    rec.stop();
    device_.fail_next_open("no such device");
    rec.rec();
    dispatcher_.run_pending();
    EXPECT_EQ(rec.state, 0);
    EXPECT_EQ(failures, 1);
    ASSERT_FALSE(sink_.messages.empty());
    EXPECT_NE(sink_.messages.back().find("no such device"), std::string::npos) << sink_.messages.back();
}

TEST_F(AudiorecTest, DestructorStopsAndWaitsForTheClose)
{
    make().rec();
    capture(30000);
    component_.reset();
    EXPECT_EQ(device_.calls().back(), "close");
    EXPECT_EQ(dispatcher_.pending(), 0u);
    EXPECT_TRUE(lockable(path("out.mp3")));
    expect_decodes_to_at_least(path("out.mp3"), 30000u);
}

TEST_F(AudiorecTest, LostSoundIsReportedWhenTheRecordingEnds)
{
    Taudiorec& rec = make();
    rec.rec();
    capture(10000);
    stop_and_close();
    EXPECT_TRUE(sink_.messages.empty());

    rec.rec();
    const uint32_t ring_frames = 4 * device_.queued().front()->buffer_length / 4;
    device_.fill_sine(ring_frames + 100, kTone); // nobody took the buffers in time
    device_.fill_sine(100, kTone);
    device_.fill_sine(100, kTone);
    stop_and_close();
    ASSERT_EQ(sink_.messages.size(), 1u);
    EXPECT_EQ(sink_.messages[0],
              "Captured sound was lost 3 times during the recording because it could not be saved fast enough.");
}

// Windows has no file size limit of a process to stand for a full disk.
#ifndef _WIN32
// A full disk is made with the file size limit: a write that crosses it is cut
// short, the next fails with EFBIG. The limit applies to this process only and
// is restored afterwards; SIGXFSZ is ignored meanwhile so the write fails
// instead of ending the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &old_limit_);
        old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = old_limit_;
        limited.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &old_limit_);
        std::signal(SIGXFSZ, old_handler_);
    }

private:
    rlimit old_limit_{};
    void (*old_handler_)(int) = nullptr;
};

TEST_F(AudiorecTest, WriteFailureStopsAndKeepsAValidFile)
{
    Taudiorec& rec = make();
    size_t shown_before_failure = 0;
    int failures = 0;
    rec.onfailure = [&](Taudiorec*) {
        shown_before_failure = sink_.messages.size();
        ++failures;
    };
    constexpr rlim_t kLimit = 30001; // not on a frame boundary
    {
        FileSizeLimit limit(kLimit);
        rec.rec();
        for (int i = 0; i < 100 && rec.state == 1; ++i)
            capture(10000);
        EXPECT_EQ(rec.state, 0) << "the recording stopped itself";
        dispatcher_.run_pending();
    }
    EXPECT_FALSE(rec.closing());
    ASSERT_EQ(failures, 1);
    ASSERT_EQ(sink_.messages.size(), 1u);
    EXPECT_EQ(shown_before_failure, 1u) << "onfailure comes after the message";
    EXPECT_EQ(sink_.messages[0].rfind("Cannot write file " + path("out.mp3") + ": File too large", 0), 0u)
        << sink_.messages[0];

    const std::vector<uint8_t> mp3 = read_bytes(path("out.mp3"));
    EXPECT_LT(mp3.size(), kLimit);
    EXPECT_EQ(rec.mp3size, mp3.size());
    const test::DecodedMp3 decoded = test::decode_mp3(mp3);
    EXPECT_TRUE(decoded.ok()) << decoded.error;
    EXPECT_GT(decoded.frames(), 44100u);
}
#endif

// The server goes away mid-recording: what was captured, the partly filled
// buffer included, and the encoder's tail reach the file; the user is told
// once, with the path; the owner hears of it; the next recording works.
TEST_F(AudiorecTest, ADeviceFailureSavesEverythingCapturedAndTellsTheUserOnce)
{
    Taudiorec& rec = make();
    int failures = 0;
    rec.onfailure = [&](Taudiorec*) { ++failures; };
    rec.rec();
    dispatcher_.run_pending();
    capture(44100 + 300);
    device_.fail("the sound server went away (Connection terminated)");
    dispatcher_.run_pending();

    EXPECT_EQ(rec.state, 0);
    EXPECT_FALSE(rec.closing());
    EXPECT_EQ(failures, 1);
    ASSERT_EQ(sink_.messages.size(), 1u);
    EXPECT_EQ(sink_.messages[0],
              "The recording stopped because the sound server went away (Connection terminated).\n"
              "Everything recorded up to that moment is saved in "
                  + path("out.mp3") + ".");
    const std::vector<uint8_t> mp3 = read_bytes(path("out.mp3"));
    EXPECT_EQ(rec.mp3size, mp3.size());
    const test::DecodedMp3 decoded = test::decode_mp3(mp3);
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    // The encoder's delay and padding come on top of what was captured.
    EXPECT_GE(decoded.frames(), 44100u + 300);
    EXPECT_LE(decoded.frames(), 44100u + 300 + 576 + 529 + 1152);

    // A failure that comes after the user's stop changes nothing.
    rec.append = true;
    rec.rec();
    capture(4410);
    rec.stop();
    device_.fail("late");
    dispatcher_.run_pending();
    EXPECT_EQ(sink_.messages.size(), 1u);
    EXPECT_EQ(failures, 1);
    EXPECT_GT(read_bytes(path("out.mp3")).size(), mp3.size());
}

} // namespace
} // namespace ornavox
