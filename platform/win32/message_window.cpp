#include "platform/win32/message_window.h"

namespace ornavox::win32 {

namespace {

constexpr const wchar_t* kClassName = L"OrnavoxMessageWindow";

void register_class(WNDPROC procedure)
{
    static const bool registered = [procedure] {
        WNDCLASSEXW window_class{};
        window_class.cbSize = sizeof window_class;
        window_class.lpfnWndProc = procedure;
        window_class.hInstance = GetModuleHandleW(nullptr);
        window_class.lpszClassName = kClassName;
        return RegisterClassExW(&window_class) != 0;
    }();
    static_cast<void>(registered);
}

} // namespace

MessageWindow::MessageWindow(Handler handler) : handler_(std::move(handler))
{
    register_class(&MessageWindow::procedure);
    window_ =
        CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), this);
}

MessageWindow::~MessageWindow()
{
    if (window_)
        DestroyWindow(window_);
}

LRESULT CALLBACK MessageWindow::procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<MessageWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && self->handler_ && message != WM_NCCREATE && message != WM_NCDESTROY)
        return self->handler_(window, message, wparam, lparam);
    return DefWindowProcW(window, message, wparam, lparam);
}

} // namespace ornavox::win32
