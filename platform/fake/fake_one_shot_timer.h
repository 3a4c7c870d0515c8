#pragma once

#include "platform/one_shot_timer.h"

#include <utility>

namespace ornavox {

// A timer that fires when the test says so.
class FakeOneShotTimer final : public OneShotTimer {
public:
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
    std::chrono::milliseconds delay_{0};
    std::function<void()> fired_;
};

} // namespace ornavox
