#include "ui/throttled_write.h"

namespace ornavox {

ThrottledWrite::ThrottledWrite(std::function<void(int)> write, std::chrono::milliseconds interval, QObject* parent)
    : QObject(parent), write_(std::move(write))
{
    timer_.setSingleShot(true);
    timer_.setInterval(interval);
    connect(&timer_, &QTimer::timeout, this, &ThrottledWrite::interval_over);
}

void ThrottledWrite::set(int value)
{
    if (timer_.isActive()) {
        pending_ = value;
        return;
    }
    write_(value);
    timer_.start();
}

void ThrottledWrite::interval_over()
{
    if (!pending_)
        return;
    const int value = *pending_;
    pending_.reset();
    write_(value);
    timer_.start();
}

} // namespace ornavox
