#include "ui/throttled_write.h"

namespace ornavox {

ThrottledWrite::ThrottledWrite(std::function<void(int)> write, std::chrono::milliseconds interval,
                               std::unique_ptr<OneShotTimer> timer)
    : write_(std::move(write)), interval_(interval), timer_(std::move(timer))
{
}

void ThrottledWrite::set(int value)
{
    if (timer_->running()) {
        pending_ = value;
        return;
    }
    write_(value);
    timer_->start(interval_, [this] { interval_over(); });
}

void ThrottledWrite::interval_over()
{
    if (!pending_)
        return;
    const int value = *pending_;
    pending_.reset();
    write_(value);
    timer_->start(interval_, [this] { interval_over(); });
}

} // namespace ornavox
