#include "platform/qt/qt_termination.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace ornavox {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
// The handler's end of the pair, and the GUI thread's.
int pipe_ends[2] = {-1, -1};

// Async-signal-safe: one byte into the pair, nothing else.
void caught(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(pipe_ends[0], &byte, 1);
}

} // namespace

QtTermination::QtTermination(std::function<void()> requested) : requested_(std::move(requested))
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pipe_ends) != 0)
        return;
    notifier_ = new QSocketNotifier(pipe_ends[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(pipe_ends[1], bytes, sizeof bytes) > 0) {}
        if (requested_)
            requested_();
    });
    struct sigaction action {};
    action.sa_handler = caught;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const int signal : kSignals)
        ::sigaction(signal, &action, nullptr);
}

QtTermination::~QtTermination()
{
    if (!notifier_)
        return;
    for (const int signal : kSignals)
        std::signal(signal, SIG_DFL);
    delete notifier_;
    ::close(pipe_ends[0]);
    ::close(pipe_ends[1]);
    pipe_ends[0] = pipe_ends[1] = -1;
}

} // namespace ornavox
