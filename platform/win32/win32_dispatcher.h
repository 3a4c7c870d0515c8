#pragma once

#include "platform/dispatcher.h"
#include "platform/win32/message_window.h"

#include <deque>
#include <mutex>

namespace ornavox {

// Runs posted calls on the GUI thread through a message-only window: each
// post is a message to the window, never to the thread, since modal loops
// (message boxes, the save dialog, a menu) drop thread messages.
class Win32Dispatcher : public Dispatcher {
public:
    Win32Dispatcher();

    void post(std::function<void()> call) override;
    bool run_until(const std::function<bool()>& done, std::chrono::milliseconds timeout) override;

private:
    void run_one();

    std::mutex mutex_;
    std::deque<std::function<void()>> calls_;
    win32::MessageWindow window_;
};

} // namespace ornavox
