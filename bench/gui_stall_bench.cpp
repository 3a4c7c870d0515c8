// How long the GUI thread stalls on each action of a user: the window's logic
// with the real PulseAudio devices on a private sound server, driven through
// record, pause, resume, stop, play, stop and quit. A probe posted every
// 10 ms through the dispatcher from a thread of its own measures the longest
// delay until the GUI thread ran it, per action. Run once on a server that
// answers and once on one stopped with SIGSTOP. ORNAVOX_TEST_SERVER=pipewire
// runs it on PipeWire. It also prints the time from the record press
// (the append question answered) to the first filled buffer.
//
//   gui_stall_bench [hours]   with hours > 0, play also opens a file of that
//                             many hours, made by repeating one take's frames

#include "platform/fake/fake_hotkey_service.h"
#include "platform/fake/fake_one_shot_timer.h"
#include "platform/fake/fake_user_locale.h"
#include "platform/fake/queue_dispatcher.h"
#include "platform/fake/recording_message_sink.h"
#include "platform/fake/recording_shell.h"
#include "platform/pulse/pulse_capture_device.h"
#include "platform/pulse/pulse_media_player.h"
#include "platform/pulse/pulse_mixer_device.h"
#include "platform/pulse/pulse_session.h"
#include "platform/sound_devices.h"
#include "tests/support/pulse_server.h"
#include "tests/ui/always_append_dialogs.h"
#include "tests/ui/fake_skin_view.h"
#include "tests/ui/program_folder.h"
#include "ui/skinform.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using namespace ornavox;

double ms(Clock::duration time)
{
    return std::chrono::duration<double, std::milli>(time).count();
}

// Posts a probe every 10 ms; each notes how late the GUI thread ran it.
class StallProbe {
public:
    explicit StallProbe(Dispatcher& dispatcher)
        : thread_([this, &dispatcher] {
              while (!stop_) {
                  const auto posted = Clock::now();
                  dispatcher.post([this, posted] {
                      const double late = ms(Clock::now() - posted);
                      worst_ = std::max(worst_, late);
                  });
                  std::this_thread::sleep_for(10ms);
              }
          })
    {
    }
    ~StallProbe()
    {
        stop_ = true;
        thread_.join();
    }
    // The worst delay since the last call; GUI thread.
    double take_worst() { return std::exchange(worst_, 0.0); }

private:
    std::atomic<bool> stop_{false};
    double worst_ = 0; // GUI thread
    std::thread thread_;
};

// Notes when the window was hidden.
class TimedView : public test::FakeSkinView {
public:
    Clock::time_point hidden;
    void hide_window() override
    {
        hidden = Clock::now();
        FakeSkinView::hide_window();
    }
};

struct Window {
    QueueDispatcher dispatcher;
    PulseSession session{dispatcher};
    PulseCaptureDevice device{session, dispatcher};
    PulseMixerDevice mixer{session, dispatcher};
    PulseMediaPlayer player{session, dispatcher};
    SoundDevices sound{device, mixer, player};
    FakeHotkeyService hotkeys;
    RecordingMessageSink messages;
    AlwaysAppend dialogs;
    RecordingShell shell;
    FakeUserLocale locale;
    FakeTimers timers;
    test::ProgramFolder folder;
    TimedView view;
    TskinForm form{
        SkinFormServices{sound, hotkeys, dispatcher, messages, dialogs, shell, folder.path(), locale, timers}, view};
};

// Runs one action on the GUI thread, then the event loop for `settle`; the
// worst probe delay over both.
double stall(Window& window, StallProbe& probe, const std::function<void()>& action, Clock::duration settle)
{
    window.dispatcher.run_pending();
    probe.take_worst();
    action();
    window.dispatcher.run_until([] { return false; }, std::chrono::duration_cast<std::chrono::milliseconds>(settle));
    return probe.take_worst();
}

// A file of `hours` hours: the frames of one take, again and again.
void make_long_file(const std::string& take, const std::string& path, int hours)
{
    std::ifstream in(take, std::ios::binary);
    const std::vector<char> frames{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    // 128 kbit/s, the format boxes' default.
    const double take_seconds = static_cast<double>(frames.size()) / 16000;
    if (frames.empty())
        return;
    std::ofstream out(path, std::ios::binary);
    for (long i = 0; i < static_cast<long>(hours * 3600 / take_seconds); ++i)
        out.write(frames.data(), static_cast<std::streamsize>(frames.size()));
}

void run(test::PulseServer& server, bool frozen, int hours)
{
    Window window;
    window.form.finish_start();
    window.dispatcher.run_until([&] { return window.form.mixer->is_open(); }, 10s);
    StallProbe probe(window.dispatcher);
    Clock::time_point pressed;
    Clock::time_point first_buffer;
    window.form.audiorec1->ondata = [&](Taudiorec*) {
        if (first_buffer == Clock::time_point())
            first_buffer = Clock::now();
    };
    const auto record = [&] {
        pressed = Clock::now();
        window.form.hotlinkbutton3Click(ControlId::hotlinkbutton3);
    };
    const auto press = [&](ControlId button) {
        return [&window, button] {
            if (button == ControlId::hotlinkbutton1)
                window.form.hotlinkbutton1Click(button);
            else if (button == ControlId::hotlinkbutton3)
                window.form.hotlinkbutton3Click(button);
            else
                window.form.hotlinkbutton4Click(button);
        };
    };

    if (frozen)
        server.freeze();
    const char* server_state = frozen ? "stopped server" : "answering server";
    std::printf("%s: record %.1f ms", server_state, stall(window, probe, record, 1s));
    const double first_sound = first_buffer == Clock::time_point() ? -1 : ms(first_buffer - pressed);
    std::printf(", pause %.1f ms", stall(window, probe, press(ControlId::hotlinkbutton3), 500ms));
    std::printf(", resume %.1f ms", stall(window, probe, press(ControlId::hotlinkbutton3), 1s));
    std::printf(", stop %.1f ms", stall(window, probe, press(ControlId::hotlinkbutton4), 500ms));
    std::printf(", play %.1f ms", stall(window, probe, press(ControlId::hotlinkbutton1), 1s));
    std::printf(", stop play %.1f ms", stall(window, probe, press(ControlId::hotlinkbutton4), 500ms));
    if (hours > 0) {
        const std::string take = window.form.program.SaveFile;
        const std::string long_file = window.folder.path() + "long.mp3";
        make_long_file(take, long_file, hours);
        window.form.program.SaveFile = long_file;
        const auto play_pressed = Clock::now();
        Clock::time_point heard;
        const double play_stall = stall(
            window, probe,
            [&] {
                press(ControlId::hotlinkbutton1)();
                window.dispatcher.run_until([&] { return window.player.position_ms().value_or(0) > 0; }, 5s);
                heard = Clock::now();
            },
            1s);
        std::printf(", play %d h %.1f ms (heard after %.1f ms, length %s after 1 s)", hours, play_stall,
                    ms(heard - play_pressed), window.player.length_ms() ? "known" : "not known");
        stall(window, probe, press(ControlId::hotlinkbutton4), 500ms);
        window.form.program.SaveFile = take;
    }
    // Quit while recording: the window is hidden first, then the file and
    // the settings are finished on the GUI thread.
    record();
    window.dispatcher.run_until([] { return false; }, 1000ms);
    const auto quit = Clock::now();
    const double quit_stall = stall(
        window, probe, [&] { window.form.close(); }, 100ms);
    if (frozen)
        server.thaw();
    std::printf(", quit: hidden after %.1f ms, finished in %.1f ms; first buffer %.1f ms after the record press\n",
                ms(window.view.hidden - quit), quit_stall, first_sound);
}

} // namespace

int main(int argc, char** argv)
{
    const int hours = argc > 1 ? std::atoi(argv[1]) : 0;
    test::PulseServer server;
    run(server, false, hours);
    run(server, true, hours);
    return 0;
}
