#include "platform/win32/win32_timers.h"

#include "platform/win32/message_window.h"

#include <map>
#include <utility>

namespace ornavox {

struct Win32TimerFactory::Shared {
    std::map<UINT_PTR, std::function<void()>> due; // the running timers' calls, by id
    UINT_PTR next_id = 1;
    win32::MessageWindow window{[this](HWND window, UINT message, WPARAM wparam, LPARAM lparam) -> LRESULT {
        if (message != WM_TIMER)
            return DefWindowProcW(window, message, wparam, lparam);
        KillTimer(window, wparam);
        // Taken out first: the call may start its timer again.
        const auto it = due.find(wparam);
        if (it == due.end())
            return 0;
        const std::function<void()> fired = std::move(it->second);
        due.erase(it);
        fired();
        return 0;
    }};
};

namespace {

class Win32OneShotTimer final : public OneShotTimer {
public:
    explicit Win32OneShotTimer(std::shared_ptr<Win32TimerFactory::Shared> shared)
        : shared_(std::move(shared)), id_(shared_->next_id++)
    {
    }
    ~Win32OneShotTimer() override
    {
        KillTimer(shared_->window.handle(), id_);
        shared_->due.erase(id_);
    }

    void start(std::chrono::milliseconds delay, std::function<void()> fired) override
    {
        shared_->due[id_] = std::move(fired);
        SetTimer(shared_->window.handle(), id_,
                 static_cast<UINT>(std::max<long long>(delay.count(), USER_TIMER_MINIMUM)), nullptr);
    }
    bool running() const override { return shared_->due.count(id_) > 0; }

private:
    std::shared_ptr<Win32TimerFactory::Shared> shared_;
    UINT_PTR id_;
};

} // namespace

Win32TimerFactory::Win32TimerFactory() : shared_(std::make_shared<Shared>())
{
}

Win32TimerFactory::~Win32TimerFactory() = default;

std::unique_ptr<OneShotTimer> Win32TimerFactory::make_timer()
{
    return std::make_unique<Win32OneShotTimer>(shared_);
}

} // namespace ornavox
