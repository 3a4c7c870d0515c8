#include "platform/fake/queue_dispatcher.h"

namespace ornavox {

void QueueDispatcher::post(std::function<void()> call)
{
    {
        std::lock_guard lock(mutex_);
        calls_.push_back(std::move(call));
    }
    posted_.notify_one();
}

bool QueueDispatcher::pop(std::function<void()>& call, std::unique_lock<std::mutex>& lock,
                          std::chrono::steady_clock::time_point deadline)
{
    if (!posted_.wait_until(lock, deadline, [this] { return !calls_.empty(); }))
        return false;
    call = std::move(calls_.front());
    calls_.pop_front();
    return true;
}

bool QueueDispatcher::run_until(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        std::function<void()> call;
        {
            std::unique_lock lock(mutex_);
            if (!pop(call, lock, deadline))
                return done();
        }
        call();
    }
    return true;
}

size_t QueueDispatcher::run_pending()
{
    size_t ran = 0;
    for (;;) {
        std::function<void()> call;
        {
            std::unique_lock lock(mutex_);
            if (calls_.empty())
                return ran;
            call = std::move(calls_.front());
            calls_.pop_front();
        }
        call();
        ++ran;
    }
}

size_t QueueDispatcher::pending() const
{
    std::lock_guard lock(mutex_);
    return calls_.size();
}

} // namespace ornavox
