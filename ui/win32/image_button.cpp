#include "ui/win32/image_button.h"

#include "base/utf16.h"
#include "ui/win32/gdi_handles.h"

#include <windowsx.h>

namespace ornavox {

namespace {

constexpr wchar_t kClassName[] = L"OrnavoxImageButton";

} // namespace

ImageButton::ImageButton(HWND parent, int id, const RECT& place, HIMAGELIST list, HBITMAP background, int imageid,
                         const std::string& hint)
    : list_(list), background_(background), origin_{place.left, place.top}, hint_(hint)
{
    // Double-clicks: the second press of one is no press.
    win32::register_window_class(kClassName, &ImageButton::procedure, CS_DBLCLKS);
    face_.set_imageid(imageid);
    window_ = CreateWindowExW(0, kClassName, win32::utf16(hint).c_str(), WS_CHILD | WS_VISIBLE, place.left, place.top,
                              place.right - place.left, place.bottom - place.top, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), this);
    redraw();
}

ImageButton::~ImageButton()
{
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
}

void ImageButton::set_face(int imageid, const std::string& hint)
{
    if (hint != hint_) {
        hint_ = hint;
        SetWindowTextW(window_, win32::utf16(hint).c_str());
    }
    face_.set_imageid(imageid);
    redraw();
}

void ImageButton::show_normal_face()
{
    face_.pointer_left();
    face_.set_buttonstate(0);
    redraw();
}

void ImageButton::redraw()
{
    if (const std::optional<int> image = face_.image(list_ ? ImageList_GetImageCount(list_) : 0))
        shown_ = image;
    InvalidateRect(window_, nullptr, FALSE);
}

// The background beneath, then the face: its masked pixels let the
// background show through.
void ImageButton::paint()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window_, &ps);
    RECT client;
    GetClientRect(window_, &client);
    {
        const win32::Bitmap canvas(CreateCompatibleBitmap(dc, client.right, client.bottom));
        const win32::MemoryDc buffer(CreateCompatibleDC(dc));
        const win32::Selection drawn_on(buffer.get(), canvas.get());
        FillRect(buffer.get(), &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        if (background_)
            win32::blit(buffer.get(), {0, 0}, client.right, client.bottom, background_, origin_);
        if (shown_)
            ImageList_Draw(list_, *shown_, buffer.get(), 0, 0, ILD_TRANSPARENT);
        BitBlt(dc, 0, 0, client.right, client.bottom, buffer.get(), 0, 0, SRCCOPY);
    }
    EndPaint(window_, &ps);
}

// Entry and exit, also while the button holds the pointer after a press.
void ImageButton::pointer_at(POINT client)
{
    RECT area;
    GetClientRect(window_, &area);
    if (PtInRect(&area, client)) {
        if (!tracking_) {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window_, 0};
            tracking_ = TrackMouseEvent(&track);
        }
        if (face_.pointer_entered()) {
            redraw();
            if (on_enter)
                on_enter();
        }
    } else if (face_.pointer_left()) {
        redraw();
        if (on_leave)
            on_leave();
    }
}

LRESULT CALLBACK ImageButton::procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    auto* button = win32::window_owner<ImageButton>(window, message, lparam);
    return button ? button->handle(message, wparam, lparam) : DefWindowProcW(window, message, wparam, lparam);
}

LRESULT ImageButton::handle(UINT message, WPARAM wparam, LPARAM lparam)
{
    const POINT point{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
    switch (message) {
    case WM_PAINT:
        paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEMOVE:
        pointer_at(point);
        return 0;
    case WM_MOUSELEAVE:
        tracking_ = false;
        if (GetCapture() != window_ && face_.pointer_left()) {
            redraw();
            if (on_leave)
                on_leave();
        }
        return 0;
    case WM_LBUTTONDOWN:
        SetCapture(window_);
        face_.pressed();
        redraw();
        UpdateWindow(window_);
        return 0;
    case WM_LBUTTONUP: {
        RECT area;
        GetClientRect(window_, &area);
        const bool over = PtInRect(&area, point) != FALSE;
        if (GetCapture() == window_)
            ReleaseCapture();
        // The click runs while the pressed face shows; it may write imageid.
        if (face_.released(over) && on_click)
            on_click();
        if (!IsWindow(window_))
            return 0;
        face_.release_done();
        redraw();
        if (!over && face_.pointer_left() && on_leave)
            on_leave();
        return 0;
    }
    case WM_RBUTTONUP: {
        POINT screen = point;
        ClientToScreen(window_, &screen);
        if (on_context)
            on_context(screen);
        return 0;
    }
    default:
        return DefWindowProcW(window_, message, wparam, lparam);
    }
}

} // namespace ornavox
