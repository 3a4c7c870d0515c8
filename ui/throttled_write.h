#pragma once

#include "platform/one_shot_timer.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace ornavox {

// Passes values on at most once per interval while they keep coming, as a
// slider being dragged sends them; the last value always goes out. GUI thread.
class ThrottledWrite {
public:
    ThrottledWrite(std::function<void(int)> write, std::chrono::milliseconds interval,
                   std::unique_ptr<OneShotTimer> timer);

    void set(int value);

private:
    void interval_over();

    std::function<void(int)> write_;
    std::chrono::milliseconds interval_;
    std::unique_ptr<OneShotTimer> timer_;
    std::optional<int> pending_;
};

} // namespace ornavox
