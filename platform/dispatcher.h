#pragma once

#include <chrono>
#include <functional>

namespace ornavox {

// Runs calls on the GUI thread. post() may be called from any thread; the
// posted calls run one at a time, in the order they were posted.
class Dispatcher {
public:
    virtual ~Dispatcher() = default;

    virtual void post(std::function<void()> call) = 0;

    // GUI thread only. Runs posted calls until done() holds or the timeout
    // passes; true when done() held. For shut-down paths that must not go on
    // before a device has delivered its last notification.
    virtual bool run_until(const std::function<bool()>& done, std::chrono::milliseconds timeout) = 0;
};

} // namespace ornavox
