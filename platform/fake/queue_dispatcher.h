#pragma once

#include "platform/dispatcher.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>

namespace ornavox {

// A dispatcher whose calls wait in a FIFO until the owning thread drains it.
// post() may come from any thread (a real device backend posts from its own
// thread); run_pending() and run_until() run the calls on the calling thread.
class QueueDispatcher : public Dispatcher {
public:
    void post(std::function<void()> call) override;
    bool run_until(const std::function<bool()>& done, std::chrono::milliseconds timeout) override;

    // Runs calls until the queue is empty, including calls that they post.
    // Returns how many ran.
    size_t run_pending();

    size_t pending() const;

private:
    bool pop(std::function<void()>& call, std::unique_lock<std::mutex>& lock,
             std::chrono::steady_clock::time_point deadline);

    mutable std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> calls_;
};

} // namespace ornavox
