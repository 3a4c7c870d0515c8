// Start-up time of the recorder against a bare Qt window: from exec until the
// program's first top-level window is mapped on a private X server, five runs
// of each, alternating. The recorder runs from a copy of the program folder and
// talks to a private sound server, so nothing of the user's is touched. Prints
// both medians and their ratio.

#include "tests/support/pulse_server.h"
#include "tests/support/virtual_display.h"

#include <xcb/xcb.h>

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
#include <thread>
#include <vector>

extern char** environ;

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr int kRuns = 5;
constexpr auto kPatience = 20s;

template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply>
ReplyPtr<Reply> take(Reply* reply)
{
    return ReplyPtr<Reply>(reply, &std::free);
}

class Display {
public:
    Display() : connection_(xcb_connect(nullptr, nullptr), &xcb_disconnect)
    {
        if (xcb_connection_has_error(connection_.get()))
            throw std::runtime_error("cannot connect to the private display");
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_.get())).data->root;
        static constexpr std::string_view kPid = "_NET_WM_PID";
        const auto atom = take(xcb_intern_atom_reply(
            connection_.get(), xcb_intern_atom(connection_.get(), 0, kPid.size(), kPid.data()), nullptr));
        pid_atom_ = atom ? atom->atom : xcb_atom_t{XCB_ATOM_NONE};
    }

    // Whether a top-level window of `pid` is mapped.
    bool shows_window_of(pid_t pid) const
    {
        xcb_connection_t* c = connection_.get();
        const auto tree = take(xcb_query_tree_reply(c, xcb_query_tree(c, root_), nullptr));
        if (!tree)
            return false;
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
            const auto attributes =
                take(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, children[i]), nullptr));
            if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
                continue;
            const auto property = take(xcb_get_property_reply(
                c, xcb_get_property(c, 0, children[i], pid_atom_, XCB_ATOM_CARDINAL, 0, 1), nullptr));
            if (property && xcb_get_property_value_length(property.get()) == 4
                && *static_cast<uint32_t*>(xcb_get_property_value(property.get())) == static_cast<uint32_t>(pid))
                return true;
        }
        return false;
    }

private:
    std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection_;
    xcb_window_t root_ = XCB_WINDOW_NONE;
    xcb_atom_t pid_atom_ = XCB_ATOM_NONE;
};

// Milliseconds from exec to the first mapped window, or nullopt when none
// came in time. The program is killed afterwards.
std::optional<double> time_to_window(const Display& display, const std::string& program)
{
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    const Clock::time_point start = Clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0)
        return std::nullopt;
    std::optional<double> shown;
    while (Clock::now() - start < kPatience) {
        if (display.shows_window_of(pid)) {
            shown = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            break;
        }
        std::this_thread::sleep_for(200us);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return shown;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main()
{
    unsetenv("QT_QPA_PLATFORM");
    ornavox::test::VirtualDisplay x_server;
    ornavox::test::PulseServer sound_server;
    const Display display;

    std::string pattern = (fs::temp_directory_path() / "startup_bench.XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path folder = pattern;
    fs::copy(ORNAVOX_PROGRAM_DIR, folder, fs::copy_options::recursive);
    fs::remove(folder / "Config.ini");
    const std::string recorder = (folder / "ornavox").string();

    std::vector<double> recorder_ms, bare_ms;
    for (int run = 0; run < kRuns; ++run) {
        const auto bare = time_to_window(display, BARE_WINDOW);
        const auto ornavox = time_to_window(display, recorder);
        if (!bare || !ornavox) {
            std::fprintf(stderr, "%s showed no window within %lld s\n", bare ? "the recorder" : "the bare window",
                         static_cast<long long>(kPatience.count()));
            return 1;
        }
        bare_ms.push_back(*bare);
        recorder_ms.push_back(*ornavox);
    }
    fs::remove_all(folder);

    const double ours = median(recorder_ms), yardstick = median(bare_ms);
    std::printf("recorder:    median %.1f ms from exec to a shown window (%d runs)\n", ours, kRuns);
    std::printf("bare window: median %.1f ms\n", yardstick);
    std::printf("ratio:       %.2f\n", ours / yardstick);
    return 0;
}
