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

} // namespace ornavox::win32
