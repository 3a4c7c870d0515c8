#pragma once

#include <windows.h>

namespace ornavox::win32 {

// A window class of the program, with the arrow cursor and no background
// brush: its windows paint all of themselves. Registering a name again
// changes nothing.
inline void register_window_class(const wchar_t* name, WNDPROC procedure, UINT style = 0)
{
    WNDCLASSEXW type{};
    type.cbSize = sizeof type;
    type.style = style;
    type.lpfnWndProc = procedure;
    type.hInstance = GetModuleHandleW(nullptr);
    type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    type.lpszClassName = name;
    RegisterClassExW(&type);
}

// The object that a window of the program belongs to: handed to
// CreateWindowExW as its creation parameter, kept in the window's user data,
// and told its window handle as the window is made. Null before that.
template <class Owner>
Owner* window_owner(HWND window, UINT message, LPARAM lparam)
{
    if (message == WM_NCCREATE) {
        auto* owner = static_cast<Owner*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
        owner->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    }
    return reinterpret_cast<Owner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

} // namespace ornavox::win32
