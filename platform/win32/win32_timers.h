#pragma once

#include "platform/one_shot_timer.h"

#include <memory>

namespace ornavox {

// One-shot timers over SetTimer on one message-only window of the GUI
// thread. The factory outlives its timers. GUI thread only.
class Win32TimerFactory final : public TimerFactory {
public:
    Win32TimerFactory();
    ~Win32TimerFactory() override;

    std::unique_ptr<OneShotTimer> make_timer() override;

    struct Shared;

private:
    std::shared_ptr<Shared> shared_;
};

} // namespace ornavox
