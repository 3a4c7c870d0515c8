#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace ornavox {

// A timer that calls once, on the GUI thread, when its delay has passed.
// Starting it while it runs starts it anew; destroying it stops it.
class OneShotTimer {
public:
    virtual ~OneShotTimer() = default;
    virtual void start(std::chrono::milliseconds delay, std::function<void()> fired) = 0;
    virtual bool running() const = 0;
};

// Makes the timers of one event loop, and tells the time they go by. GUI
// thread.
class TimerFactory {
public:
    virtual ~TimerFactory() = default;
    virtual std::unique_ptr<OneShotTimer> make_timer() = 0;
    virtual std::chrono::steady_clock::time_point now() const { return std::chrono::steady_clock::now(); }
};

} // namespace ornavox
