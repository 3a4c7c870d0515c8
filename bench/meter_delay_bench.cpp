// The level meter's delay from sound to screen: the Qt window (offscreen)
// records the monitor of a private sound server's null sink, into which a
// player of ours writes silence and then a click. Printed: the time from the
// click's write to the first paint of the skin's meter above -20 dB, per
// click, and their median and worst. The player's own buffer (20 ms) is part
// of it, as any program's sound passes one.
//
//   meter_delay_bench [clicks]   10 unless given

#include "platform/fake/fake_hotkey_service.h"
#include "platform/fake/recording_message_sink.h"
#include "platform/fake/recording_shell.h"
#include "platform/pulse/pulse_capture_device.h"
#include "platform/pulse/pulse_media_player.h"
#include "platform/pulse/pulse_mixer_device.h"
#include "platform/pulse/pulse_session.h"
#include "platform/qt/qt_dispatcher.h"
#include "platform/qt/qt_one_shot_timer.h"
#include "platform/qt/qt_user_locale.h"
#include "platform/sound_devices.h"
#include "tests/support/pulse_server.h"
#include "tests/ui/always_append_dialogs.h"
#include "tests/ui/program_folder.h"
#include "ui/qt/level_meter_widget.h"
#include "ui/qt/skin_window.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <QApplication>
#include <QComboBox>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <optional>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using namespace ornavox;

constexpr uint32_t kRate = 44100;
constexpr double kShownDb = -20.0;

double ms(Clock::duration time)
{
    return std::chrono::duration<double, std::milli>(time).count();
}

// Writes silence into the sink in 10 ms pieces, keeping 20 ms ahead, and a
// 100 ms tone at -6 dB when asked; tells when the click went in.
class ClickPlayer {
public:
    explicit ClickPlayer(const std::string& server)
    {
        const pa_sample_spec spec{PA_SAMPLE_S16LE, kRate, 2};
        pa_buffer_attr attr{};
        attr.maxlength = static_cast<uint32_t>(-1);
        attr.tlength = static_cast<uint32_t>(pa_usec_to_bytes(20'000, &spec));
        attr.prebuf = static_cast<uint32_t>(-1);
        attr.minreq = static_cast<uint32_t>(-1);
        attr.fragsize = static_cast<uint32_t>(-1);
        int error = 0;
        stream_ = pa_simple_new(server.c_str(), "meter_delay_bench", PA_STREAM_PLAYBACK, test::PulseServer::kNullSink,
                                "click", &spec, nullptr, &attr, &error);
        if (!stream_)
            throw std::runtime_error(std::string("cannot play: ") + pa_strerror(error));
        thread_ = std::thread([this] { play(); });
    }
    ~ClickPlayer()
    {
        stop_ = true;
        thread_.join();
        pa_simple_free(stream_);
    }

    void click() { wanted_ = true; }
    std::optional<Clock::time_point> clicked_at()
    {
        if (!written_)
            return std::nullopt;
        return Clock::time_point(Clock::duration(written_at_.load()));
    }
    void reset() { written_ = false; }

private:
    void play()
    {
        std::vector<int16_t> silence(2 * kRate / 100, 0);
        std::vector<int16_t> tone(2 * kRate / 10);
        for (size_t i = 0; i < tone.size() / 2; ++i)
            tone[2 * i] = tone[2 * i + 1] =
                static_cast<int16_t>(16384 * std::sin(2 * std::numbers::pi * 1000 * i / kRate));
        int error = 0;
        while (!stop_) {
            if (wanted_.exchange(false)) {
                written_at_ = Clock::now().time_since_epoch().count();
                written_ = true;
                pa_simple_write(stream_, tone.data(), tone.size() * 2, &error);
            } else {
                pa_simple_write(stream_, silence.data(), silence.size() * 2, &error);
            }
        }
    }

    pa_simple* stream_ = nullptr;
    std::atomic<bool> stop_{false};
    std::atomic<bool> wanted_{false};
    std::atomic<bool> written_{false};
    std::atomic<Clock::rep> written_at_{0};
    std::thread thread_;
};

// Notes the first paint of the meter that shows the click.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(LevelMeterWidget& meter) : meter_(meter) { meter.installEventFilter(this); }
    std::optional<Clock::time_point> shown;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint && !shown && meter_.reading().channels[0].level_db > kShownDb)
            shown = Clock::now();
        return false;
    }

private:
    LevelMeterWidget& meter_;
};

} // namespace

int main(int argc, char** argv)
{
    const int clicks = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    test::PulseServer server;
    QtDispatcher dispatcher;
    PulseSession session{dispatcher};
    PulseCaptureDevice device{session, dispatcher};
    PulseMixerDevice mixer{session, dispatcher};
    PulseMediaPlayer player{session, dispatcher};
    SoundDevices sound{device, mixer, player};
    FakeHotkeyService hotkeys;
    RecordingMessageSink messages;
    AlwaysAppend dialogs;
    RecordingShell shell;
    QtUserLocale locale{"HH:mm:ss"};
    QtTimerFactory timers;
    test::ProgramFolder folder{test::ProgramFolder::Skin::With};
    ClickPlayer clicker(server.address());

    SkinWindow window(
        SkinFormServices{sound, hotkeys, dispatcher, messages, dialogs, shell, folder.path(), locale, timers});
    window.show();
    if (!QTest::qWaitFor([&] { return window.form().started() && window.form().mixer->is_open(); }, 10000)) {
        std::fprintf(stderr, "the mixer did not open\n");
        return 1;
    }
    auto* sources = window.find<QComboBox>(ControlId::ComboBox1);
    const int monitor = sources->findText("Monitor of Null Output", Qt::MatchContains);
    if (monitor < 0) {
        std::fprintf(stderr, "the null sink's monitor is not listed\n");
        return 1;
    }
    sources->setCurrentIndex(monitor);
    window.form().ComboBox1Change(ControlId::ComboBox1);
    window.form().hotlinkbutton3Click(ControlId::hotlinkbutton3);
    if (window.form().taskstate != TaskState::Recording
        || !QTest::qWaitFor([&] { return window.meter(MeterPlace::Skin) != nullptr; }, 5000)) {
        std::fprintf(stderr, "recording did not start: %s\n",
                     messages.messages.empty() ? "no meter" : messages.messages.back().c_str());
        return 1;
    }
    LevelMeterWidget& meter = *window.meter(MeterPlace::Skin);

    std::vector<double> delays;
    for (int i = 0; i < clicks; ++i) {
        // The last click has fallen off the meter.
        (void)QTest::qWaitFor([&] { return meter.reading().channels[0].level_db < -50; }, 5000);
        QTest::qWait(200);
        PaintWatch watch(meter);
        clicker.reset();
        clicker.click();
        if (!QTest::qWaitFor([&] { return watch.shown.has_value(); }, 3000) || !clicker.clicked_at()) {
            std::fprintf(stderr, "click %d did not show\n", i + 1);
            return 1;
        }
        delays.push_back(ms(*watch.shown - *clicker.clicked_at()));
        std::printf("click %2d: %.1f ms from its write to the meter's paint\n", i + 1, delays.back());
    }
    window.form().hotlinkbutton4Click(ControlId::hotlinkbutton4);
    window.form().audiorec1->finish_closing();
    std::sort(delays.begin(), delays.end());
    std::printf("meter delay over %d clicks: median %.1f ms, worst %.1f ms (target 100 ms)\n", clicks,
                delays[delays.size() / 2], delays.back());
    return 0;
}
