#pragma once

#include "platform/one_shot_timer.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace ornavox {

// A timer that fires when the test says so.
class FakeOneShotTimer final : public OneShotTimer {
public:
    explicit FakeOneShotTimer(std::function<void(FakeOneShotTimer*)> destroyed = nullptr)
        : destroyed_(std::move(destroyed))
    {
    }
    ~FakeOneShotTimer() override
    {
        if (destroyed_)
            destroyed_(this);
    }

    void start(std::chrono::milliseconds delay, std::function<void()> fired) override
    {
        delay_ = delay;
        fired_ = std::move(fired);
    }
    bool running() const override { return static_cast<bool>(fired_); }

    // The delay of the last start.
    std::chrono::milliseconds delay() const { return delay_; }
    // Its delay has passed: it calls once.
    void fire()
    {
        if (auto fired = std::exchange(fired_, nullptr))
            fired();
    }

private:
    std::function<void(FakeOneShotTimer*)> destroyed_;
    std::chrono::milliseconds delay_{0};
    std::function<void()> fired_;
};

// Every timer it made, for the test to fire. Must outlive them.
class FakeTimers final : public TimerFactory {
public:
    std::unique_ptr<OneShotTimer> make_timer() override
    {
        auto timer = std::make_unique<FakeOneShotTimer>([this](FakeOneShotTimer* gone) { std::erase(timers_, gone); });
        timers_.push_back(timer.get());
        return timer;
    }

    // Fires each timer that was running with this delay when called, in the
    // order they were made; a timer one of them starts waits for the next call.
    void fire(std::chrono::milliseconds delay)
    {
        std::vector<FakeOneShotTimer*> due;
        for (FakeOneShotTimer* timer : timers_)
            if (timer->running() && timer->delay() == delay)
                due.push_back(timer);
        for (FakeOneShotTimer* timer : due)
            if (std::find(timers_.begin(), timers_.end(), timer) != timers_.end())
                timer->fire();
    }
    // The time stands still until the test moves it.
    std::chrono::steady_clock::time_point now() const override { return now_; }
    void advance(std::chrono::steady_clock::duration by) { now_ += by; }

    size_t running(std::chrono::milliseconds delay) const
    {
        return std::count_if(timers_.begin(), timers_.end(),
                             [delay](const FakeOneShotTimer* t) { return t->running() && t->delay() == delay; });
    }

private:
    std::vector<FakeOneShotTimer*> timers_;
    std::chrono::steady_clock::time_point now_{};
};

} // namespace ornavox
