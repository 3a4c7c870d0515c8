#include "tests/support/virtual_display.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <thread>

#include <xcb/xcb.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace ornavox::test {

namespace {

bool answers(const std::string& display)
{
    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    const bool ok = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return ok;
}

} // namespace

// Takes the first display number from 90 on that nobody holds, and waits
// until the server answers there.
VirtualDisplay::VirtualDisplay()
{
    for (int number = 90; number < 190; ++number) {
        if (::access(("/tmp/.X" + std::to_string(number) + "-lock").c_str(), F_OK) == 0)
            continue;
        name_ = ":" + std::to_string(number);
        std::string program = "Xvfb", screen = "-screen", zero = "0", size = "1280x1024x24", nolisten = "-nolisten",
                    tcp = "tcp";
        char* argv[] = {program.data(), name_.data(),    screen.data(), zero.data(),
                        size.data(),    nolisten.data(), tcp.data(),    nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        const int spawned = posix_spawnp(&pid_, "Xvfb", &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0)
            throw std::runtime_error("cannot start Xvfb: " + std::string(std::strerror(spawned)));
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            if (waitpid(pid_, nullptr, WNOHANG) == pid_)
                break; // the number was taken after all: try the next
            if (answers(name_)) {
                setenv("DISPLAY", name_.c_str(), 1);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ::kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    throw std::runtime_error("Xvfb did not start");
}

VirtualDisplay::~VirtualDisplay()
{
    unsetenv("DISPLAY");
    ::kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
}

int run_command(const std::string& command)
{
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace ornavox::test
