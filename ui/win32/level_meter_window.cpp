#include "ui/win32/level_meter_window.h"

#include "platform/win32/window_class.h"
#include "ui/win32/gdi_handles.h"

namespace ornavox {

namespace {

constexpr wchar_t kClassName[] = L"OrnavoxLevelMeter";

} // namespace

LevelMeterWindow::LevelMeterWindow(HWND parent, const RECT& place)
{
    win32::register_window_class(kClassName, &LevelMeterWindow::procedure);
    CreateWindowExW(0, kClassName, L"Level meter", WS_CHILD | WS_CLIPSIBLINGS, place.left, place.top,
                    place.right - place.left, place.bottom - place.top, parent, nullptr, GetModuleHandleW(nullptr),
                    this);
    SetWindowPos(window_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

LevelMeterWindow::~LevelMeterWindow()
{
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
}

void LevelMeterWindow::show_reading(const MeterReading& reading)
{
    if (reading != reading_ || !visible())
        InvalidateRect(window_, nullptr, FALSE);
    reading_ = reading;
    if (!visible())
        ShowWindow(window_, SW_SHOWNA);
}

void LevelMeterWindow::hide()
{
    ShowWindow(window_, SW_HIDE);
}

bool LevelMeterWindow::visible() const
{
    return (GetWindowLongPtrW(window_, GWL_STYLE) & WS_VISIBLE) != 0;
}

// Drawn off the screen first, so that a falling bar does not flicker.
void LevelMeterWindow::paint()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window_, &ps);
    RECT client;
    GetClientRect(window_, &client);
    const win32::MemoryDc buffer(CreateCompatibleDC(dc));
    const win32::Bitmap picture(CreateCompatibleBitmap(dc, client.right, client.bottom));
    {
        const win32::Selection drawn_in(buffer.get(), picture.get());
        draw(buffer.get(), client.right, client.bottom);
    }
    win32::blit(dc, {0, 0}, client.right, client.bottom, picture.get(), {0, 0});
    EndPaint(window_, &ps);
}

void LevelMeterWindow::draw(HDC dc, int width, int height) const
{
    for (const MeterRect& r : meter_picture(reading_, width, height)) {
        const win32::Brush brush(CreateSolidBrush(win32::colour_ref(r.colour)));
        const RECT area{r.left, r.top, r.left + r.width, r.top + r.height};
        FillRect(dc, &area, brush.get());
    }
}

LRESULT CALLBACK LevelMeterWindow::procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    LevelMeterWindow* self = win32::window_owner<LevelMeterWindow>(window, message, lparam);
    switch (message) {
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        if (self) {
            self->paint();
            return 0;
        }
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

} // namespace ornavox
