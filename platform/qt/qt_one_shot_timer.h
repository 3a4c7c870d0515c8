#pragma once

#include "platform/one_shot_timer.h"

#include <QTimer>

namespace ornavox {

// A one-shot timer on the Qt event loop. GUI thread only.
class QtOneShotTimer final : public OneShotTimer {
public:
    QtOneShotTimer();

    void start(std::chrono::milliseconds delay, std::function<void()> fired) override;
    bool running() const override { return timer_.isActive(); }

private:
    QTimer timer_;
    std::function<void()> fired_;
};

class QtTimerFactory final : public TimerFactory {
public:
    std::unique_ptr<OneShotTimer> make_timer() override { return std::make_unique<QtOneShotTimer>(); }
};

} // namespace ornavox
