// The processor share of one core that recording and playing take, on a
// private sound server: 30 s recorded from its 440 Hz source at 44.1 kHz and
// 128 kbit/s through the recording component, the PulseAudio capture device
// and the encoder plug-in, then the file played back to its end. The share is
// this process's processor time (every thread, libpulse's included) over the
// wall time. The window is not part of it.

#include "platform/fake/queue_dispatcher.h"
#include "platform/fake/recording_message_sink.h"
#include "platform/pulse/pulse_capture_device.h"
#include "platform/pulse/pulse_media_player.h"
#include "platform/pulse/pulse_session.h"
#include "recording/audiorec.h"
#include "tests/support/pulse_server.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr auto kRecording = 30s;

double processor_seconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& tv) { return static_cast<double>(tv.tv_sec) + tv.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Processor time over wall time between construction and share().
class Meter {
public:
    double share() const
    {
        const double wall = std::chrono::duration<double>(Clock::now() - wall_).count();
        return (processor_seconds() - cpu_) / wall;
    }
    double wall_seconds() const { return std::chrono::duration<double>(Clock::now() - wall_).count(); }

private:
    Clock::time_point wall_ = Clock::now();
    double cpu_ = processor_seconds();
};

class EndOfPlay : public ornavox::PlayNotifyTarget {
public:
    bool ended = false;
    uint32_t code = 0;
    void play_notify(uint32_t c, const std::string&) override
    {
        ended = true;
        code = c;
    }
};

} // namespace

int main()
{
    using namespace ornavox;
    ornavox::test::PulseServer server;
    std::string pattern = (fs::temp_directory_path() / "cpu_bench.XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path folder = pattern;
    const std::string path = (folder / "take.mp3").string();

    QueueDispatcher dispatcher;
    PulseSession session(dispatcher);
    PulseCaptureDevice device(session, dispatcher);
    PulseMediaPlayer player(session, dispatcher);
    RecordingMessageSink messages;

    double recording_share = 0;
    double recorded_seconds = 0;
    {
        Taudiorec recorder(AudiorecServices{device, dispatcher, messages, ORNAVOX_PROGRAM_DIR, "HH:mm:ss"});
        recorder.samples = 44100;
        recorder.bps = 128;
        recorder.filename = path;
        const Meter meter;
        recorder.rec();
        dispatcher.run_until([] { return false; }, kRecording);
        recorder.stop();
        recorder.finish_closing();
        recording_share = meter.share();
        recorded_seconds = meter.wall_seconds();
        if (!messages.messages.empty() || recorder.mp3size == 0) {
            std::fprintf(stderr, "recording failed: %s\n",
                         messages.messages.empty() ? "nothing written" : messages.messages.front().c_str());
            return 1;
        }
    }

    std::string error;
    if (!player.open(path, error)) {
        std::fprintf(stderr, "cannot open the recording: %s\n", error.c_str());
        return 1;
    }
    const auto end = std::make_shared<EndOfPlay>();
    const Meter meter;
    player.play(end);
    dispatcher.run_until([&] { return end->ended; }, kRecording + 30s);
    const double playing_share = meter.share();
    const double played_seconds = meter.wall_seconds();
    player.close();
    if (end->code != MCI_NOTIFY_SUCCESSFUL) {
        std::fprintf(stderr, "playing did not reach the end (code %u)\n", end->code);
        return 1;
    }

    std::printf("recording: %.1f s at 44.1 kHz, 128 kbit/s: %.2f %% of one core\n", recorded_seconds,
                100 * recording_share);
    std::printf("playing:   %.1f s to the end:             %.2f %% of one core\n", played_seconds, 100 * playing_share);
    fs::remove_all(folder);
    return 0;
}
