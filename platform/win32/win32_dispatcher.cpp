#include "platform/win32/win32_dispatcher.h"

namespace ornavox {

Win32Dispatcher::Win32Dispatcher()
    : window_([this](HWND window, UINT message, WPARAM wparam, LPARAM lparam) -> LRESULT {
          if (message == win32::kRunPostedCall) {
              run_one();
              return 0;
          }
          return DefWindowProcW(window, message, wparam, lparam);
      })
{
}

// One message per call, so that the calls keep their order among the other
// messages of the thread (a device's notifications included).
void Win32Dispatcher::post(std::function<void()> call)
{
    {
        const std::lock_guard lock(mutex_);
        calls_.push_back(std::move(call));
    }
    PostMessageW(window_.handle(), win32::kRunPostedCall, 0, 0);
}

void Win32Dispatcher::run_one()
{
    std::function<void()> call;
    {
        const std::lock_guard lock(mutex_);
        if (calls_.empty())
            return;
        call = std::move(calls_.front());
        calls_.pop_front();
    }
    call();
}

// Runs the thread's messages, whoever they are for, as the main loop would.
bool Win32Dispatcher::run_until(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeout.count());
    for (;;) {
        MSG message;
        while (!done() && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (done())
            return true;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
    }
}

} // namespace ornavox
