// Start-up time of the recorder against a bare Qt window, as on a desktop: a
// private X server, session bus and sound server, so nothing of the user's is
// touched and neither program waits for a bus to be launched. For each run,
// alternating, the time from exec until the program's first top-level window
// is mapped, and until its first frame went to the screen (each program
// reports that on its standard error under ORNAVOX_REPORT_FIRST_PAINT).
// Then the recorder's first frame while the sound server is stopped
// (SIGSTOP). The recorder runs from a copy of the program folder. Prints
// medians and ratios.

#include "tests/support/pulse_server.h"
#include "tests/support/session_bus.h"
#include "tests/support/virtual_display.h"

#include <xcb/xcb.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

extern char** environ;

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr int kRuns = 21;
constexpr auto kPatience = 20s;

template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply>
ReplyPtr<Reply> take(Reply* reply)
{
    return ReplyPtr<Reply>(reply, &std::free);
}

// The private display, told of every top-level window that is mapped, so
// that waiting for one costs no time of the two cores the programs need.
class Display {
public:
    Display() : connection_(xcb_connect(nullptr, nullptr), &xcb_disconnect)
    {
        xcb_connection_t* c = connection_.get();
        if (xcb_connection_has_error(c))
            throw std::runtime_error("cannot connect to the private display");
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        const uint32_t events = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &events);
        static constexpr std::string_view kPid = "_NET_WM_PID";
        const auto atom = take(xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, kPid.size(), kPid.data()), nullptr));
        pid_atom_ = atom ? atom->atom : xcb_atom_t{XCB_ATOM_NONE};
    }

    int fd() const { return xcb_get_file_descriptor(connection_.get()); }

    // Takes the events that came: true when one of them mapped a top-level
    // window of `pid`.
    bool mapped_window_of(pid_t pid) const
    {
        xcb_connection_t* c = connection_.get();
        bool mapped = false;
        while (const auto event = take(xcb_poll_for_event(c))) {
            if ((event->response_type & 0x7f) != XCB_MAP_NOTIFY)
                continue;
            const xcb_window_t window = reinterpret_cast<const xcb_map_notify_event_t*>(event.get())->window;
            const auto property = take(
                xcb_get_property_reply(c, xcb_get_property(c, 0, window, pid_atom_, XCB_ATOM_CARDINAL, 0, 1), nullptr));
            mapped = mapped
                || (property && xcb_get_property_value_length(property.get()) == 4
                    && *static_cast<uint32_t*>(xcb_get_property_value(property.get())) == static_cast<uint32_t>(pid));
        }
        return mapped;
    }

private:
    std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection_;
    xcb_atom_t pid_atom_ = XCB_ATOM_NONE;
};

struct Start {
    double map_ms = 0;
    double paint_ms = 0;
};

// Reads what the program wrote to its standard error so far, and finds the
// time of its first frame on the shared monotonic clock.
class PaintReport {
public:
    explicit PaintReport(int fd) : fd_(fd) {}

    std::optional<Clock::time_point> poll()
    {
        char chunk[4096];
        ssize_t got = 0;
        while ((got = read(fd_, chunk, sizeof chunk)) > 0)
            text_.append(chunk, static_cast<size_t>(got));
        static constexpr std::string_view kReport = "first paint ";
        const size_t at = text_.find(kReport);
        const size_t end = at == std::string::npos ? at : text_.find('\n', at);
        if (end == std::string::npos)
            return std::nullopt;
        const long long ns = std::atoll(text_.c_str() + at + kReport.size());
        return Clock::time_point(std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(ns)));
    }

private:
    int fd_;
    std::string text_;
};

// From exec to the first mapped window and to the first frame, or nullopt
// when either did not come in time. The program is killed afterwards.
std::optional<Start> start_of(const Display& display, const std::string& program)
{
    int pipe_fds[2];
    if (pipe2(pipe_fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return std::nullopt;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDERR_FILENO);
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    const Clock::time_point start = Clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipe_fds[1]);
    if (spawned != 0) {
        close(pipe_fds[0]);
        return std::nullopt;
    }
    const auto ms = [start](Clock::time_point then) {
        return std::chrono::duration<double, std::milli>(then - start).count();
    };
    PaintReport report(pipe_fds[0]);
    std::optional<double> mapped, painted;
    while (Clock::now() - start < kPatience && !(mapped && painted)) {
        pollfd watched[] = {{display.fd(), POLLIN, 0}, {pipe_fds[0], POLLIN, 0}};
        poll(watched, 2, 100);
        if (!mapped && display.mapped_window_of(pid))
            mapped = ms(Clock::now());
        if (!painted)
            if (const auto when = report.poll())
                painted = ms(*when);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    close(pipe_fds[0]);
    if (!mapped || !painted)
        return std::nullopt;
    return Start{*mapped, *painted};
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double median_of(const std::vector<Start>& starts, double Start::*figure)
{
    std::vector<double> values;
    for (const Start& start : starts)
        values.push_back(start.*figure);
    return median(values);
}

} // namespace

int main()
{
    unsetenv("QT_QPA_PLATFORM");
    const ornavox::test::SessionBus session_bus;
    ornavox::test::VirtualDisplay x_server;
    ornavox::test::PulseServer sound_server;
    const Display display;
    setenv("ORNAVOX_REPORT_FIRST_PAINT", "1", 1);

    std::string pattern = (fs::temp_directory_path() / "startup_bench.XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path folder = pattern;
    fs::copy(ORNAVOX_PROGRAM_DIR, folder, fs::copy_options::recursive);
    fs::remove(folder / "Config.ini");
    const std::string recorder = (folder / "ornavox").string();

    const auto measure = [&](const std::string& program, const char* name, std::vector<Start>& into) {
        const std::optional<Start> start = start_of(display, program);
        if (!start)
            std::fprintf(stderr, "%s showed no window or reported no first frame within %lld s\n", name,
                         static_cast<long long>(kPatience.count()));
        else
            into.push_back(*start);
        return start.has_value();
    };
    std::vector<Start> recorder_starts, bare_starts, frozen_starts;
    for (int run = 0; run < kRuns; ++run)
        if (!measure(BARE_WINDOW, "the bare window", bare_starts)
            || !measure(recorder, "the recorder", recorder_starts))
            return 1;
    sound_server.freeze();
    for (int run = 0; run < kRuns; ++run)
        if (!measure(recorder, "the recorder against a stopped sound server", frozen_starts))
            break;
    sound_server.thaw();
    fs::remove_all(folder);
    if (frozen_starts.size() != static_cast<size_t>(kRuns))
        return 1;

    const double map = median_of(recorder_starts, &Start::map_ms), bare_map = median_of(bare_starts, &Start::map_ms);
    const double paint = median_of(recorder_starts, &Start::paint_ms);
    const double bare_paint = median_of(bare_starts, &Start::paint_ms);
    std::printf("medians of %d runs, milliseconds from exec\n", kRuns);
    std::printf("                 map     first paint\n");
    std::printf("recorder:    %7.1f     %7.1f\n", map, paint);
    std::printf("bare window: %7.1f     %7.1f\n", bare_map, bare_paint);
    std::printf("ratio:       %7.2f     %7.2f     (targets: 1.6 and 1.5)\n", map / bare_map, paint / bare_paint);
    std::printf("recorder against a stopped sound server: first paint %.1f ms, map %.1f ms (target: 150 ms)\n",
                median_of(frozen_starts, &Start::paint_ms), median_of(frozen_starts, &Start::map_ms));
    return 0;
}
