// Encoding speed and memory of the recording component against the `lame`
// command. Generated stereo music (ten minutes, or as many as the first
// argument says) goes through Taudiorec on the fake capture device as fast as
// the encoder takes them. Prints the time taken, the resident memory after 1,
// 10 and 60 minutes of audio, the recorder's byte count against the file's
// length and its time text at the end. For runs of up to ten minutes the same
// PCM then goes through `lame` with the plug-in's settings, to compare times
// and sizes.

#include "bench/elapsed.h"
#include "platform/fake/fake_capture_device.h"
#include "platform/fake/queue_dispatcher.h"
#include "platform/fake/recording_message_sink.h"
#include "recording/audiorec.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <span>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using namespace ornavox::bench;
namespace fs = std::filesystem;

constexpr uint32_t kRate = 44100;
constexpr uint32_t kDefaultMinutes = 10;
constexpr uint32_t kLongestCompared = 10;
// Thirty seconds of music, played over and over: long enough that the
// encoder sees changing material, small enough not to hide in the memory figures.
constexpr uint32_t kPhraseSeconds = 30;
// Frames the device delivers at once, about 93 ms.
constexpr size_t kFillFrames = 4096;

// A chord progression with a melody, a bass line, some harmonics and a little
// noise, so the encoder has real work to do.
std::vector<int16_t> make_phrase()
{
    static constexpr double kChords[][3] = {
        {261.63, 329.63, 392.00}, {220.00, 261.63, 329.63}, {174.61, 220.00, 261.63}, {196.00, 246.94, 293.66}};
    static constexpr double kMelody[] = {523.25, 587.33, 659.25, 783.99, 659.25, 587.33, 523.25, 493.88};
    const size_t frames = size_t{kRate} * kPhraseSeconds;
    std::vector<int16_t> pcm(2 * frames);
    uint32_t noise = 12345;
    for (size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const auto& chord = kChords[static_cast<size_t>(t / 2) % 4];
        const double note = kMelody[static_cast<size_t>(t * 4) % 8];
        const double beat = std::fmod(t * 4, 1.0);
        const double envelope = std::exp(-3 * beat);
        double left = 0, right = 0;
        for (int k = 0; k < 3; ++k) {
            const double tone =
                std::sin(2 * std::numbers::pi * chord[k] * t) + 0.3 * std::sin(2 * std::numbers::pi * 2 * chord[k] * t);
            left += (k == 0 ? 0.25 : 0.15) * tone;
            right += (k == 2 ? 0.25 : 0.15) * tone;
        }
        const double melody = envelope
            * (std::sin(2 * std::numbers::pi * note * t) + 0.4 * std::sin(2 * std::numbers::pi * 3 * note * t));
        const double bass = 0.3 * std::sin(2 * std::numbers::pi * chord[0] / 2 * t);
        noise = noise * 1664525u + 1013904223u;
        const double hiss = 0.01 * (static_cast<double>(noise >> 8) / (1u << 24) - 0.5);
        left += 0.35 * melody + bass + hiss;
        right += 0.25 * melody + bass - hiss;
        pcm[2 * i] = static_cast<int16_t>(std::lround(7000 * left));
        pcm[2 * i + 1] = static_cast<int16_t>(std::lround(7000 * right));
    }
    return pcm;
}

std::string read_text(const fs::path& path)
{
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

long rss_kib()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

// Runs a command with its diagnostics going to `log`; its exit code, or -1.
int run(const std::vector<std::string>& args, const fs::path& log)
{
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace ornavox;
    const uint32_t minutes = argc > 1 ? static_cast<uint32_t>(std::atoi(argv[1])) : kDefaultMinutes;
    if (minutes == 0) {
        std::fprintf(stderr, "usage: record_bench [minutes of audio, default %u]\n", kDefaultMinutes);
        return 2;
    }
    std::string pattern = (fs::temp_directory_path() / "record_bench.XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path dir = pattern;
    const std::vector<int16_t> phrase = make_phrase();
    const size_t phrase_frames = phrase.size() / 2;
    const size_t total_frames = size_t{kRate} * 60 * minutes;

    QueueDispatcher dispatcher;
    FakeCaptureDevice device(dispatcher);
    RecordingMessageSink messages;
    std::vector<std::pair<uint32_t, long>> rss_at{{1, 0}, {10, 0}, {60, 0}};
    std::string time_text;
    uint32_t mp3size = 0;
    const fs::path mp3 = dir / "taudiorec.mp3";
    Elapsed engine;
    {
        Taudiorec recorder(AudiorecServices{device, dispatcher, messages, ORNAVOX_PROGRAM_DIR, "HH:mm:ss"});
        recorder.samples = kRate;
        recorder.bps = 128;
        recorder.filename = mp3.string();
        const Times start = Times::now(RUSAGE_SELF);
        recorder.rec();
        size_t done = 0;
        while (done < total_frames) {
            const size_t at = done % phrase_frames;
            const size_t frames = std::min({kFillFrames, phrase_frames - at, total_frames - done});
            device.fill(std::span<const int16_t>(phrase.data() + 2 * at, 2 * frames));
            dispatcher.run_pending();
            device.forget_calls();
            done += frames;
            for (auto& [minute, rss] : rss_at)
                if (rss == 0 && done >= size_t{kRate} * 60 * minute)
                    rss = rss_kib();
        }
        recorder.position(time_text);
        recorder.stop();
        dispatcher.run_pending();
        engine = since(start, RUSAGE_SELF);
        if (device.overruns() != 0 || !messages.messages.empty()) {
            std::fprintf(stderr, "recording did not run cleanly: %s\n",
                         messages.messages.empty() ? "overruns" : messages.messages.front().c_str());
            return 1;
        }
        mp3size = recorder.mp3size;
    }

    std::printf("audio:               %u min of 16-bit stereo at %u Hz, 128 kbit/s CBR\n", minutes, kRate);
    std::printf("Taudiorec:           %.3f s wall, %.3f s processor\n", engine.wall, engine.cpu);
    for (const auto& [minute, rss] : rss_at)
        if (rss != 0)
            std::printf("RSS after %2u min:    %ld KiB\n", minute, rss);
    std::printf("mp3size:             %u bytes, file %ju bytes\n", mp3size, static_cast<uintmax_t>(fs::file_size(mp3)));
    std::printf("time text at end:    %s\n", time_text.c_str());
    if (minutes > kLongestCompared) {
        fs::remove_all(dir);
        return 0;
    }

    const fs::path raw = dir / "in.raw";
    {
        std::ofstream out(raw, std::ios::binary);
        for (size_t done = 0; done < total_frames; done += phrase_frames)
            out.write(reinterpret_cast<const char*>(phrase.data()),
                      static_cast<std::streamsize>(2 * std::min(phrase_frames, total_frames - done) * sizeof(int16_t)));
    }
    // The plug-in's settings: CBR stereo (not joint), no LAME tag, not marked
    // original, LAME's default quality.
    const Times lame_start = Times::now(RUSAGE_CHILDREN);
    const int lame_status =
        run({"lame", "-r", "-s", "44.1", "--bitwidth", "16", "--signed", "--little-endian", "-m", "s", "-b", "128",
             "--cbr", "-t", "-o", "--quiet", raw.string(), (dir / "lame.mp3").string()},
            dir / "lame.log");
    const Elapsed lame = since(lame_start, RUSAGE_CHILDREN);
    if (lame_status != 0) {
        std::fprintf(stderr, "lame failed (%d):\n%s", lame_status, read_text(dir / "lame.log").c_str());
        return 1;
    }

    std::printf("lame command:        %.3f s wall, %.3f s processor\n", lame.wall, lame.cpu);
    std::printf("ratio:               %.3f wall, %.3f processor\n", engine.wall / lame.wall, engine.cpu / lame.cpu);
    std::printf("lame output:         %ju bytes\n", static_cast<uintmax_t>(fs::file_size(dir / "lame.mp3")));
    fs::remove_all(dir);
    return 0;
}
