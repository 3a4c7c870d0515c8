#include "platform/win32/message_window.h"

namespace ornavox::win32 {

namespace {

constexpr const wchar_t* kClassName = L"OrnavoxMessageWindow";

} // namespace

MessageWindow::MessageWindow(Handler handler) : handler_(std::move(handler))
{
    register_window_class(kClassName, &MessageWindow::procedure);
    CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), this);
}

MessageWindow::~MessageWindow()
{
    if (window_)
        DestroyWindow(window_);
}

LRESULT CALLBACK MessageWindow::procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    auto* self = window_owner<MessageWindow>(window, message, lparam);
    if (self && self->handler_ && message != WM_NCCREATE && message != WM_NCDESTROY)
        return self->handler_(window, message, wparam, lparam);
    return DefWindowProcW(window, message, wparam, lparam);
}

} // namespace ornavox::win32
