#include "tests/support/virtual_display.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace ornavox::test {

VirtualDisplay::VirtualDisplay()
{
    int pipe_fds[2];
    if (pipe(pipe_fds) != 0)
        throw std::runtime_error("cannot make a pipe for Xvfb");
    const std::string fd = std::to_string(pipe_fds[1]);
    std::string program = "Xvfb", displayfd = "-displayfd", screen = "-screen", zero = "0", size = "1280x1024x24",
                nolisten = "-nolisten", tcp = "tcp";
    char* argv[] = {program.data(),  displayfd.data(), const_cast<char*>(fd.c_str()),
                    screen.data(),   zero.data(),      size.data(),
                    nolisten.data(), tcp.data(),       nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, pipe_fds[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const int spawned = posix_spawnp(&pid_, "Xvfb", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipe_fds[1]);
    if (spawned != 0) {
        ::close(pipe_fds[0]);
        throw std::runtime_error("cannot start Xvfb: " + std::string(std::strerror(spawned)));
    }
    // Xvfb writes its display number once it accepts clients.
    pollfd ready{pipe_fds[0], POLLIN, 0};
    char number[16] = {};
    const bool answered = poll(&ready, 1, 20000) > 0 && read(pipe_fds[0], number, sizeof number - 1) > 0;
    ::close(pipe_fds[0]);
    if (!answered) {
        ::kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        throw std::runtime_error("Xvfb did not start");
    }
    name_ = ":" + std::to_string(std::atoi(number));
    setenv("DISPLAY", name_.c_str(), 1);
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
