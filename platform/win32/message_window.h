#pragma once

#include "platform/win32/window_class.h"

#include <windows.h>

#include <functional>

namespace ornavox::win32 {

// A message-only window: it receives posted messages and the notifications
// that Windows sends to a window (waveIn, MCI), with or without a display.
// Its handler runs on the thread that made it, the GUI thread.
class MessageWindow {
public:
    // Gets every message but the first and last of the window's life.
    using Handler = std::function<LRESULT(HWND window, UINT message, WPARAM wparam, LPARAM lparam)>;

    explicit MessageWindow(Handler handler);
    ~MessageWindow();
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;

    HWND handle() const { return window_; }

private:
    template <class Owner>
    friend Owner* window_owner(HWND, UINT, LPARAM);
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

    Handler handler_;
    HWND window_ = nullptr;
};

// The messages the program posts to its own windows.
inline constexpr UINT kRunPostedCall = WM_APP + 1;

} // namespace ornavox::win32
