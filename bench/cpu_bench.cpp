// The processor share of one core that recording and playing take, on a
// private sound server: 30 s recorded from its 440 Hz source at 44.1 kHz and
// 128 kbit/s through the recording component, the PulseAudio capture device
// and the encoder plug-in, in two halves, each followed by the same with the
// level meter's work (the meter and the sound's warnings fed with every
// buffer, the display's meter painted into a picture of its size whenever it
// changed, as the compact window does); the mixer panel's level stream for
// 30 s, with its meter fed and painted; a 440 Hz microphone alone and a call
// of it with a 660 Hz tone played into the default output, in turns; then the
// last take played back to its end. The share is this process's processor
// time (every thread, libpulse's included) over the wall time. The window's
// toolkit is not part of it, beyond the painting.

#include "bench/elapsed.h"
#include "platform/fake/queue_dispatcher.h"
#include "platform/fake/recording_message_sink.h"
#include "platform/pulse/pulse_level_monitor.h"
#include "platform/pulse/pulse_media_player.h"
#include "platform/pulse/pulse_record_device.h"
#include "platform/pulse/pulse_session.h"
#include "platform/record_source_id.h"
#include "recording/audiorec.h"
#include "tests/support/pulse_server.h"
#include "ui/level_meter.h"
#include "ui/meter_layout.h"
#include "ui/sound_watch.h"

#include <QColor>
#include <QImage>
#include <QPainter>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <utility>
#include <vector>

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

// What the window does for its meters, less the toolkit's own work: feeds
// the meter and the warnings, and paints both meters while they move.
class MeterWork {
public:
    // Counts the processor time spent in it, on the calling thread.
    class Timed {
    public:
        explicit Timed(double& total) : total_(total), start_(thread_seconds()) {}
        ~Timed() { total_ += thread_seconds() - start_; }

    private:
        static double thread_seconds()
        {
            timespec now{};
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
            return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
        }
        double& total_;
        double start_;
    };

    void recorded(const ornavox::Taudiorec& recorder)
    {
        const Timed timed(cpu_);
        fed_ = std::chrono::steady_clock::now();
        meter_.feed(recorder.data(), fed_);
        watch_.feed(recorder.data(), recorder.rate());
        paint();
    }
    void heard(float peak)
    {
        const Timed timed(cpu_);
        fed_ = std::chrono::steady_clock::now();
        meter_.feed_peak(peak, fed_);
        paint();
    }
    // Where the window shows it: in the display while recording (the window
    // is compact), in the mixer panel before.
    void show_in(ornavox::MeterPlace place) { shown_in_ = place == ornavox::MeterPlace::Skin ? &skin_ : &panel_; }

    // As the window does: a meter is painted only when its picture changed.
    void paint()
    {
        const ornavox::MeterReading reading = meter_.reading(std::chrono::steady_clock::now());
        for (Meter* meter : {shown_in_}) {
            std::vector<ornavox::MeterRect> picture =
                ornavox::meter_picture(reading, meter->image.width(), meter->image.height());
            if (picture == meter->shown)
                continue;
            meter->shown = std::move(picture);
            QPainter painter(&meter->image);
            for (const ornavox::MeterRect& r : meter->shown)
                painter.fillRect(r.left, r.top, r.width, r.height, QColor::fromRgb(r.colour));
            ++paints_;
        }
    }
    // Runs the dispatcher for `time`, painting a frame every kMeterFrame
    // while the meter moves.
    void run(ornavox::QueueDispatcher& dispatcher, std::chrono::milliseconds time)
    {
        const auto end = std::chrono::steady_clock::now() + time;
        while (std::chrono::steady_clock::now() < end) {
            dispatcher.run_until([] { return false; }, ornavox::kMeterFrame);
            const Timed timed(cpu_);
            const auto now = std::chrono::steady_clock::now();
            if (meter_.moving(now) && now - fed_ >= ornavox::kMeterFrame)
                paint();
        }
    }
    // What the warnings say of the recorded sound; empty for nothing.
    const char* warning() const { return watch_.silent() ? "silence" : watch_.clipping() ? "clipping" : ""; }
    size_t take_paints() { return std::exchange(paints_, 0); }
    // Its own processor time since the last call, in seconds.
    double take_cpu() { return std::exchange(cpu_, 0.0); }

private:
    struct Meter {
        QImage image;
        std::vector<ornavox::MeterRect> shown;
    };
    ornavox::LevelMeter meter_;
    ornavox::SoundWatch watch_;
    std::chrono::steady_clock::time_point fed_{};
    Meter skin_{QImage(ornavox::kSkinMeter.width, ornavox::kSkinMeter.height, QImage::Format_RGB32), {}};
    Meter panel_{QImage(ornavox::kPanelMeter.width, ornavox::kPanelMeter.height, QImage::Format_RGB32), {}};
    Meter* shown_in_ = &skin_;
    size_t paints_ = 0;
    double cpu_ = 0;
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
    PulseRecordDevice device(session, dispatcher);
    PulseMediaPlayer player(session, dispatcher);
    RecordingMessageSink messages;

    MeterWork meters;
    const auto record = [&](bool metered, Elapsed& took) {
        Taudiorec recorder(AudiorecServices{device, dispatcher, messages, ORNAVOX_PROGRAM_DIR, "HH:mm:ss"});
        recorder.samples = 44100;
        recorder.bps = 128;
        recorder.filename = path;
        if (metered)
            recorder.ondata = [&](Taudiorec* r) { meters.recorded(*r); };
        const Times start = Times::now(RUSAGE_SELF);
        recorder.rec();
        if (metered)
            meters.run(dispatcher, kRecording / 2);
        else
            dispatcher.run_until([] { return false; }, kRecording / 2);
        recorder.stop();
        recorder.finish_closing();
        took = since(start, RUSAGE_SELF);
        if (!messages.messages.empty() || recorder.mp3size == 0) {
            std::fprintf(stderr, "recording failed: %s\n",
                         messages.messages.empty() ? "nothing written" : messages.messages.front().c_str());
            return false;
        }
        return true;
    };
    // Taken in turns, so that neither gets the server's start or a quieter
    // moment of the machine alone.
    Elapsed recording, metered;
    for (int turn = 0; turn < 2; ++turn) {
        Elapsed plain, with_meter;
        if (!record(false, plain) || !record(true, with_meter))
            return 1;
        recording.wall += plain.wall, recording.cpu += plain.cpu;
        metered.wall += with_meter.wall, metered.cpu += with_meter.cpu;
    }
    const size_t recording_paints = meters.take_paints();
    const double recording_meter_cpu = meters.take_cpu();
    if (*meters.warning()) {
        std::fprintf(stderr, "a steady tone was taken for %s\n", meters.warning());
        return 1;
    }

    // A call: the same source and what the default output plays.
    Elapsed voice, call;
    {
        // A microphone that sends as a real one does: the server's own
        // sine source hands out two seconds at a time.
        server.add_tone_source("ornavox_voice", 440, "Voice", true);
        server.play_tone_into(ornavox::test::PulseServer::kNullSink, 660);
        // In turns, the microphone alone and the call.
        for (int turn = 0; turn < 2; ++turn) {
            Elapsed alone, half;
            session.set_record_source("ornavox_voice");
            if (!record(false, alone))
                return 1;
            session.set_record_source(call_source_id("ornavox_voice"));
            if (!record(false, half))
                return 1;
            voice.wall += alone.wall, voice.cpu += alone.cpu;
            call.wall += half.wall, call.cpu += half.cpu;
        }
        session.set_record_source(ornavox::test::PulseServer::kSineSource);
    }

    Elapsed watching;
    {
        PulseLevelMonitor levels(session, dispatcher);
        meters.show_in(MeterPlace::Panel);
        size_t peaks = 0;
        const Times start = Times::now(RUSAGE_SELF);
        levels.watch(ornavox::test::PulseServer::kSineSource, [&](float peak) {
            ++peaks;
            meters.heard(peak);
        });
        meters.run(dispatcher, kRecording);
        levels.stop();
        watching = since(start, RUSAGE_SELF);
        std::printf("level stream: %.1f peaks a second, %.1f meter paints a second\n", peaks / watching.wall,
                    meters.take_paints() / watching.wall);
        std::printf("recording: %.1f meter paints a second\n", recording_paints / metered.wall);
        std::printf("the meter's own work: %.3f %% of one core while recording, %.3f %% with the level stream\n",
                    100 * recording_meter_cpu / metered.wall, 100 * meters.take_cpu() / watching.wall);
        if (peaks == 0) {
            std::fprintf(stderr, "the level stream sent nothing\n");
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
    std::printf("recording with the meter: %.1f s:         %.2f %% of one core (%+.2f)\n", metered.wall,
                100 * metered.cpu / metered.wall, 100 * (metered.cpu / metered.wall - recording.cpu / recording.wall));
    std::printf("recording a microphone: %.1f s:           %.2f %% of one core\n", voice.wall,
                100 * voice.cpu / voice.wall);
    std::printf("recording a call of it: %.1f s:           %.2f %% of one core (%+.2f against it alone)\n", call.wall,
                100 * call.cpu / call.wall, 100 * (call.cpu / call.wall - voice.cpu / voice.wall));
    std::printf("panel's level stream: %.1f s:             %.2f %% of one core\n", watching.wall,
                100 * watching.cpu / watching.wall);
    std::printf("playing:   %.1f s to the end:             %.2f %% of one core\n", playing.wall,
                100 * playing.cpu / playing.wall);
    fs::remove_all(folder);
    return 0;
}
