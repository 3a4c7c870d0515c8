#include "platform/qt/qt_one_shot_timer.h"

#include <utility>

namespace ornavox {

QtOneShotTimer::QtOneShotTimer()
{
    timer_.setSingleShot(true);
    // Taken out before the call: the call may start the timer again.
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        if (auto fired = std::exchange(fired_, nullptr))
            fired();
    });
}

void QtOneShotTimer::start(std::chrono::milliseconds delay, std::function<void()> fired)
{
    fired_ = std::move(fired);
    timer_.start(delay);
}

} // namespace ornavox
