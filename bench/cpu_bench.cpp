// The processor share of one core that recording and playing take, on a
// private sound server: 30 s recorded from its 440 Hz source at 44.1 kHz and
// 128 kbit/s through the recording component, the PulseAudio capture device
// and the encoder plug-in, then the file played back to its end. The share is
// this process's processor time (every thread, libpulse's included) over the
// wall time. The window is not part of it.

#include "bench/elapsed.h"
#include "platform/fake/queue_dispatcher.h"
#include "platform/fake/recording_message_sink.h"
#include "platform/pulse/pulse_capture_device.h"
#include "platform/pulse/pulse_media_player.h"
#include "platform/pulse/pulse_session.h"
#include "recording/audiorec.h"
#include "tests/support/pulse_server.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

using namespace std::chrono_literals;
using namespace ornavox::bench;
namespace fs = std::filesystem;

constexpr auto kRecording = 30s;

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

    Elapsed recording;
    {
        Taudiorec recorder(AudiorecServices{device, dispatcher, messages, ORNAVOX_PROGRAM_DIR, "HH:mm:ss"});
        recorder.samples = 44100;
        recorder.bps = 128;
        recorder.filename = path;
        const Times start = Times::now(RUSAGE_SELF);
        recorder.rec();
        dispatcher.run_until([] { return false; }, kRecording);
        recorder.stop();
        recorder.finish_closing();
        recording = since(start, RUSAGE_SELF);
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
    const Times start = Times::now(RUSAGE_SELF);
    player.play(end);
    dispatcher.run_until([&] { return end->ended; }, kRecording + 30s);
    const Elapsed playing = since(start, RUSAGE_SELF);
    player.close();
    if (end->code != MCI_NOTIFY_SUCCESSFUL) {
        std::fprintf(stderr, "playing did not reach the end (code %u)\n", end->code);
        return 1;
    }

    std::printf("recording: %.1f s at 44.1 kHz, 128 kbit/s: %.2f %% of one core\n", recording.wall,
                100 * recording.cpu / recording.wall);
    std::printf("playing:   %.1f s to the end:             %.2f %% of one core\n", playing.wall,
                100 * playing.cpu / playing.wall);
    fs::remove_all(folder);
    return 0;
}
