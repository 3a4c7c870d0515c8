#include "ui/win32/skin_window.h"

#include "base/utf16.h"
#include "platform/message_sink.h"

#include <windowsx.h>

namespace ornavox {

namespace {

constexpr wchar_t kClassName[] = L"OrnavoxSkinWindow";
// Start-up goes on once the first frame is on the screen.
constexpr UINT kFinishStart = WM_APP + 10;

} // namespace

int skin_window_hit_test(POINT client)
{
    // The image buttons are windows that answer for themselves: what reaches
    // the window in the skin area is the background, a label or bare area.
    return client.x >= 0 && client.x < kCompactWidth && client.y >= 0 && client.y < kCompactHeight ? HTCAPTION
                                                                                                   : HTCLIENT;
}

Win32SkinWindow::Win32SkinWindow(SkinFormServices services)
{
    build_skin(services);
    form_ = std::make_unique<TskinForm>(std::move(services), *this);
    for (auto& [id, button] : buttons_) {
        const ControlId sender = id;
        button->on_enter = [this, sender] { form_->handle(sender, ControlEvent::PointerIn); };
        button->on_leave = [this, sender] { form_->handle(sender, ControlEvent::PointerOut); };
        button->on_click = [this, sender] { form_->handle(sender, ControlEvent::Click); };
    }
    buttons_.at(kMenuButton)->on_context = [this](POINT at) {
        if (!form_->closed())
            run_menu(at);
    };
}

Win32SkinWindow::~Win32SkinWindow()
{
    form_.reset();
    buttons_.clear();
    if (!destroyed_)
        DestroyWindow(window_);
}

HFONT Win32SkinWindow::font_of(SkinFont font) const
{
    return fonts_.at(font).get();
}

void Win32SkinWindow::build_skin(const SkinFormServices& services)
{
    win32::register_window_class(kClassName, &Win32SkinWindow::procedure);
    art_ = read_skin_artwork(services.program_dir);
    for (const SkinFont font : {SkinFont::MsSansSerif, SkinFont::ArialBlack37Bold, SkinFont::Arial13}) {
        const FontFace face = font_face(font);
        fonts_[font] =
            win32::Font(CreateFontW(-face.pixels, 0, 0, 0, face.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                                    DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                    DEFAULT_PITCH | FF_DONTCARE, win32::utf16(face.family).c_str()));
    }
    panel_brush_.reset(CreateSolidBrush(win32::colour_ref(kPanelColour)));

    window_ = CreateWindowExW(WS_EX_TOPMOST, kClassName, win32::utf16(control_name(ControlId::skinForm)).c_str(),
                              WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX, kStartLeft, kStartTop,
                              kOptionsWidth, kMixerHeight, nullptr, nullptr, GetModuleHandleW(nullptr), this);
    if (art_.icon) {
        SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(art_.icon.get()));
        SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(art_.icon.get()));
    }
    tooltip_ =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, GetModuleHandleW(nullptr), nullptr);
    for (const SkinControl& c : skin_area()) {
        if (const SkinLabel* l = c.label) {
            set_label(l->id, l->text);
            continue;
        }
        const SkinButton& b = *c.button;
        const RECT place{b.left, b.top, b.left + b.width, b.top + b.height};
        auto button = std::make_unique<ImageButton>(window_, static_cast<int>(b.id), place,
                                                    art_.image_lists[static_cast<size_t>(b.image_list - 1)].get(),
                                                    art_.background.get(), b.imageid, b.hint);
        tooltip(TTM_ADDTOOLW, button->handle(), b.hint);
        buttons_[b.id] = std::move(button);
    }
    // A broken installation is said plainly instead of showing a blank face.
    if (!art_.errors.empty()) {
        std::string text;
        for (const std::string& error : art_.errors)
            text += (text.empty() ? "" : "\n") + error;
        services.messages.show_message(text);
    }
}

// TTM_ADDTOOLW gives the control its tooltip, TTM_UPDATETIPTEXTW a new text.
void Win32SkinWindow::tooltip(UINT message, HWND control, const std::string& text)
{
    const std::wstring wide = win32::utf16(text);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<wchar_t*>(wide.c_str());
    SendMessageW(tooltip_, message, 0, reinterpret_cast<LPARAM>(&tool));
}

HWND Win32SkinWindow::control_window(Control control) const
{
    if (control.id == ControlId::skinForm)
        return window_;
    if (control.row >= 0) {
        const auto& row = control.id == ControlId::MuteBox ? mute_boxes_ : volume_bars_;
        return static_cast<size_t>(control.row) < row.size() ? row[static_cast<size_t>(control.row)] : nullptr;
    }
    if (const auto it = buttons_.find(control.id); it != buttons_.end())
        return it->second->handle();
    const auto it = controls_.find(control.id);
    return it == controls_.end() ? nullptr : it->second;
}

const ImageButton* Win32SkinWindow::button(ControlId id) const
{
    const auto it = buttons_.find(id);
    return it == buttons_.end() ? nullptr : it->second.get();
}

std::string Win32SkinWindow::label_text(ControlId label) const
{
    const auto it = labels_.find(label);
    return it == labels_.end() ? std::string() : it->second.text;
}

SIZE Win32SkinWindow::text_size(HFONT font, const std::string& text)
{
    const win32::ScreenDc dc;
    const win32::Selection measured_in(dc.get(), font);
    const std::wstring wide = win32::utf16(text);
    SIZE size{};
    GetTextExtentPoint32W(dc.get(), wide.c_str(), static_cast<int>(wide.size()), &size);
    return size;
}

// A label that grows with its text is measured once per text; what it
// covered before and covers now is painted anew. A panel control not built
// yet keeps nothing.
void Win32SkinWindow::set_label(ControlId id, const std::string& text)
{
    const SkinLabel* found = skin_label(id);
    if (!found)
        return;
    const SkinLabel& l = *found;
    RECT rect{l.left, l.top, l.left + l.width, l.top + l.height};
    if (l.grows) {
        const SIZE size = text_size(font_of(l.font), text);
        rect.right = l.left + size.cx;
        rect.bottom = l.top + size.cy;
    }
    PaintedLabel& label = labels_[id];
    InvalidateRect(window_, &label.rect, FALSE);
    InvalidateRect(window_, &rect, FALSE);
    label = PaintedLabel{text, rect};
}

RECT Win32SkinWindow::control_rect(Control control) const
{
    RECT rect{};
    if (const auto it = labels_.find(control.id); it != labels_.end())
        return it->second.rect;
    if (HWND control_handle = control_window(control)) {
        GetWindowRect(control_handle, &rect);
        MapWindowPoints(HWND_DESKTOP, window_, reinterpret_cast<POINT*>(&rect), 2);
    }
    return rect;
}

// The background, the display labels back to front, and the panels' peach.
void Win32SkinWindow::paint()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window_, &ps);
    RECT client;
    GetClientRect(window_, &client);
    FillRect(dc, &client, panel_brush_.get());
    if (art_.background)
        win32::blit(dc, {0, 0}, kCompactWidth, kCompactHeight, art_.background.get(), {0, 0});
    SetBkMode(dc, TRANSPARENT);
    for (const SkinControl& c : skin_area()) {
        const SkinLabel* l = c.label;
        if (!l)
            continue;
        PaintedLabel& label = labels_.at(l->id);
        const std::wstring text = win32::utf16(label.text);
        const win32::Selection written_in(dc, font_of(l->font));
        SetTextColor(dc, win32::colour_ref(l->colour));
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &label.rect, DT_SINGLELINE | DT_NOPREFIX | DT_LEFT);
    }
    EndPaint(window_, &ps);
    if (!painted_) {
        painted_ = true;
        PostMessageW(window_, kFinishStart, 0, 0);
    }
}

// The display labels get no pointer events of their own: the window follows
// the pointer over them, in its caption area, and tells the hint line.
void Win32SkinWindow::pointer_over_labels(std::optional<POINT> client)
{
    ControlId over = ControlId::None;
    if (client)
        for (const SkinControl& c : skin_area())
            if (c.label && c.label->hover_hint && PtInRect(&labels_.at(c.label->id).rect, *client))
                over = c.label->id;
    if (over == pointer_label_ || form_->closed())
        return;
    if (pointer_label_ != ControlId::None)
        form_->handle(pointer_label_, ControlEvent::PointerOut);
    pointer_label_ = over;
    if (over != ControlId::None)
        form_->handle(over, ControlEvent::PointerIn);
}

void Win32SkinWindow::run_menu(POINT screen)
{
    HMENU menu = CreatePopupMenu();
    for (const MenuEntry& entry : popup_menu_entries())
        AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(entry.id), win32::utf16(entry.text).c_str());
    const auto chosen = static_cast<ControlId>(TrackPopupMenu(
        menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, screen.x, screen.y, 0, window_, nullptr));
    DestroyMenu(menu);
    if (chosen != ControlId::None)
        form_->handle(chosen, ControlEvent::Click);
}

LRESULT CALLBACK Win32SkinWindow::procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    auto* self = win32::window_owner<Win32SkinWindow>(window, message, lparam);
    return self && self->form_ ? self->handle(message, wparam, lparam)
                               : DefWindowProcW(window, message, wparam, lparam);
}

LRESULT Win32SkinWindow::handle(UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_PAINT:
        paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case kFinishStart:
        form_->finish_start();
        return 0;
    case WM_NCHITTEST: {
        POINT point{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
        ScreenToClient(window_, &point);
        return skin_window_hit_test(point);
    }
    case WM_NCLBUTTONDBLCLK:
        return 0; // the face is no title bar to maximise by
    case WM_NCMOUSEMOVE: {
        POINT point{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
        ScreenToClient(window_, &point);
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE | TME_NONCLIENT, window_, 0};
        TrackMouseEvent(&track);
        pointer_over_labels(point);
        return 0;
    }
    case WM_NCMOUSELEAVE:
    case WM_MOUSEMOVE:
        pointer_over_labels(std::nullopt);
        return 0;
    case WM_COMMAND:
        command(LOWORD(wparam), HIWORD(wparam), reinterpret_cast<HWND>(lparam));
        return 0;
    case WM_HSCROLL:
        if (lparam)
            scrolled(reinterpret_cast<HWND>(lparam), LOWORD(wparam));
        return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        SetBkColor(reinterpret_cast<HDC>(wparam), win32::colour_ref(kPanelColour));
        return reinterpret_cast<LRESULT>(panel_brush_.get());
    case WM_CLOSE:
        form_->close();
        return 0;
    case WM_ENDSESSION:
        // Windows ends the program after this: the recording and the
        // settings are finished first.
        if (wparam)
            form_->close();
        return 0;
    case WM_DESTROY:
        destroyed_ = true;
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window_, message, wparam, lparam);
    }
}

} // namespace ornavox
