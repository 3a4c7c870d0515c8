#include "platform/qt/qt_one_shot_timer.h"

namespace ornavox {

QtOneShotTimer::QtOneShotTimer()
{
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        if (fired_)
            fired_();
    });
}

void QtOneShotTimer::start(std::chrono::milliseconds delay, std::function<void()> fired)
{
    fired_ = std::move(fired);
    timer_.start(delay);
}

} // namespace ornavox
