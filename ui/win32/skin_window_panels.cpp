// The mixer panel below the skin and the options panel to its right, as
// native controls, and the routing of their notifications to the logic.
#include "ui/win32/skin_window.h"

#include "base/utf16.h"

#include <algorithm>
#include <map>

namespace ornavox {

namespace {

// The rows' controls: mute box 2n, volume bar 2n + 1, above the fixed ids.
constexpr int kFirstRowId = 0x4000;
constexpr wchar_t kRowsClass[] = L"OrnavoxScrollBox";
// A drop-down list's window is as high as its list when it is open.
constexpr int kDropDownHeight = 200;
constexpr DWORD kTrackBarStyle = TBS_HORZ | TBS_AUTOTICKS | TBS_BOTTOM | TBS_FIXEDLENGTH;

void setup_volume_bar(HWND bar)
{
    SendMessageW(bar, TBM_SETRANGEMIN, FALSE, kVolumeScale.minimum);
    SendMessageW(bar, TBM_SETRANGEMAX, FALSE, kVolumeScale.maximum);
    SendMessageW(bar, TBM_SETLINESIZE, 0, kVolumeScale.line_step);
    SendMessageW(bar, TBM_SETPAGESIZE, 0, kVolumeScale.page_step);
    SendMessageW(bar, TBM_SETTICFREQ, kVolumeScale.tick_every, 0);
    SendMessageW(bar, TBM_SETTHUMBLENGTH, 10, 0);
}

struct NativeKind {
    const wchar_t* type;
    DWORD style;
};

NativeKind native_kind(const PanelControl& c)
{
    switch (c.kind) {
    case PanelKind::GroupBox:
        return {WC_BUTTONW, BS_GROUPBOX};
    case PanelKind::Label:
        return {WC_STATICW, SS_LEFT};
    case PanelKind::PushButton:
        return {WC_BUTTONW, static_cast<DWORD>(BS_PUSHBUTTON | (c.flat ? BS_FLAT : 0))};
    case PanelKind::RadioButton:
        return {WC_BUTTONW, BS_AUTORADIOBUTTON};
    case PanelKind::ComboBox:
        return {WC_COMBOBOXW, CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL};
    case PanelKind::TrackBar:
        return {TRACKBAR_CLASSW, kTrackBarStyle};
    case PanelKind::Edit:
        return {WC_EDITW, ES_AUTOHSCROLL | WS_BORDER};
    case PanelKind::HotKey:
        return {HOTKEY_CLASSW, 0};
    case PanelKind::CheckBox:
        return {WC_BUTTONW, BS_AUTOCHECKBOX | BS_LEFTTEXT};
    case PanelKind::ScrollBox:
        break;
    }
    return {kRowsClass, WS_VSCROLL | WS_CLIPCHILDREN};
}

} // namespace

HWND Win32SkinWindow::make(const PanelControl& c, POINT origin, HWND parent, int menu_id, const std::string& caption,
                           DWORD group)
{
    const NativeKind native = native_kind(c);
    const DWORD style = WS_CHILD | WS_VISIBLE | native.style | (c.tab > 0 ? WS_TABSTOP : 0) | group;
    const int height = c.kind == PanelKind::ComboBox ? kDropDownHeight : c.height;
    HWND control = CreateWindowExW(c.kind == PanelKind::ScrollBox ? WS_EX_CLIENTEDGE : 0, native.type,
                                   win32::utf16(caption).c_str(), style, origin.x + c.left, origin.y + c.top, c.width,
                                   height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(menu_id)),
                                   GetModuleHandleW(nullptr), nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_of(SkinFont::MsSansSerif)), FALSE);
    // A group box paints its frame only: the window beneath paints its inside.
    if (c.kind == PanelKind::GroupBox)
        SetWindowLongPtrW(control, GWL_EXSTYLE, GetWindowLongPtrW(control, GWL_EXSTYLE) | WS_EX_TRANSPARENT);
    // Panel labels never change their text: sized to it once.
    if (c.kind == PanelKind::Label) {
        const SIZE size = text_size(font_of(SkinFont::MsSansSerif), caption);
        SetWindowPos(control, nullptr, 0, 0, size.cx, std::max<int>(c.height, size.cy),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (c.kind == PanelKind::TrackBar)
        setup_volume_bar(control);
    if (*c.tooltip)
        tooltip(TTM_ADDTOOLW, control, c.tooltip);
    return control;
}

// The panels lie outside the compact window, so the first frame does without
// them. Group boxes hold nothing on Windows: their controls are the window's,
// placed where the group box puts them. Keyboard focus follows the window
// order.
void Win32SkinWindow::build_panels()
{
    win32::register_window_class(kRowsClass, &Win32SkinWindow::rows_procedure);
    std::map<ControlId, POINT> origins{{ControlId::skinForm, {0, 0}}};
    std::vector<std::pair<int, HWND>> tab_order;
    bool after_radio = false;
    for (const PanelControl& c : panel_controls()) {
        const POINT parent = origins.at(c.parent);
        origins[c.id] = {parent.x + c.left, parent.y + c.top};
        // A radio group, and the control after it, start a group of their own.
        const bool radio = c.kind == PanelKind::RadioButton;
        HWND control = make(c, parent, window_, static_cast<int>(c.id), c.caption, radio != after_radio ? WS_GROUP : 0);
        after_radio = radio;
        controls_[c.id] = control;
        if (c.tab > 0)
            tab_order.emplace_back(c.tab, control);
    }
    // A control that comes earlier in the tab order than it was made moves
    // up to just before the next one; the rest keep their places, and so
    // the order in which overlapping controls paint.
    std::sort(tab_order.begin(), tab_order.end());
    for (size_t i = tab_order.size() - 1; i-- > 0;) {
        HWND control = tab_order[i].second;
        HWND next = tab_order[i + 1].second;
        HWND later = control;
        while (later && later != next)
            later = GetWindow(later, GW_HWNDNEXT);
        if (later)
            continue;
        HWND above = GetWindow(next, GW_HWNDPREV);
        SetWindowPos(control, above ? above : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }

    rows_ = controls_.at(ControlId::ScrollBox1);
    SetWindowLongPtrW(rows_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    rows_scrolled_ = 0;
    // The control's own rule is the program's: a key without modifier, or
    // with Shift alone, gets Shift+Ctrl.
    for (ControlId field : {ControlId::HotKey1, ControlId::HotKey2, ControlId::HotKey3})
        SendMessageW(controls_.at(field), HKM_SETRULES, HKCOMB_NONE | HKCOMB_S,
                     MAKELPARAM(HOTKEYF_SHIFT | HOTKEYF_CONTROL, 0));
}

void Win32SkinWindow::add_rows(const std::vector<std::string>& names)
{
    for (const std::string& name : names) {
        const int n = static_cast<int>(mute_boxes_.size());
        const POINT origin{0, row_top(n) - rows_scrolled_};
        HWND box = make(kMuteBoxTemplate, origin, rows_, kFirstRowId + 2 * n, name);
        tooltip(TTM_ADDTOOLW, box, mute_tooltip(name));
        HWND bar = make(kVolumeBarTemplate, origin, rows_, kFirstRowId + 2 * n + 1, "");
        tooltip(TTM_ADDTOOLW, bar, volume_tooltip(n, name));
        mute_boxes_.push_back(box);
        volume_bars_.push_back(bar);
        bar_positions_[bar] = 0;
    }
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE;
    info.nMax = rows_extent(static_cast<int>(mute_boxes_.size()));
    RECT inside;
    GetClientRect(rows_, &inside);
    info.nPage = static_cast<UINT>(inside.bottom);
    SetScrollInfo(rows_, SB_VERT, &info, TRUE);
}

void Win32SkinWindow::clear_rows()
{
    for (HWND bar : volume_bars_) {
        bar_positions_.erase(bar);
        DestroyWindow(bar);
    }
    for (HWND box : mute_boxes_)
        DestroyWindow(box);
    mute_boxes_.clear();
    volume_bars_.clear();
    ScrollWindowEx(rows_, 0, rows_scrolled_, nullptr, nullptr, nullptr, nullptr, SW_SCROLLCHILDREN | SW_INVALIDATE);
    rows_scrolled_ = 0;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_POS;
    SetScrollInfo(rows_, SB_VERT, &info, TRUE);
}

// The scroll box follows the thumb while it is dragged.
void Win32SkinWindow::scroll_rows(int code)
{
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(rows_, SB_VERT, &info);
    int position = info.nPos;
    switch (code) {
    case SB_LINEUP:
        position -= kRowHeight;
        break;
    case SB_LINEDOWN:
        position += kRowHeight;
        break;
    case SB_PAGEUP:
        position -= static_cast<int>(info.nPage);
        break;
    case SB_PAGEDOWN:
        position += static_cast<int>(info.nPage);
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        position = info.nTrackPos;
        break;
    default:
        return;
    }
    position = std::max(0, std::min(position, info.nMax - static_cast<int>(info.nPage) + 1));
    if (position == rows_scrolled_)
        return;
    ScrollWindowEx(rows_, 0, rows_scrolled_ - position, nullptr, nullptr, nullptr, nullptr,
                   SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
    rows_scrolled_ = position;
    info.fMask = SIF_POS;
    info.nPos = position;
    SetScrollInfo(rows_, SB_VERT, &info, TRUE);
}

// The scroll box's inside: its rows' notifications go to the window's.
LRESULT CALLBACK Win32SkinWindow::rows_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    auto* self = reinterpret_cast<Win32SkinWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(window, message, wparam, lparam);
    switch (message) {
    case WM_VSCROLL:
        self->scroll_rows(LOWORD(wparam));
        return 0;
    case WM_MOUSEWHEEL:
        self->scroll_rows(GET_WHEEL_DELTA_WPARAM(wparam) > 0 ? SB_LINEUP : SB_LINEDOWN);
        return 0;
    case WM_ERASEBKGND: {
        RECT inside;
        GetClientRect(window, &inside);
        FillRect(reinterpret_cast<HDC>(wparam), &inside, self->panel_brush_.get());
        return 1;
    }
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return self->handle(message, wparam, lparam);
    default:
        return DefWindowProcW(window, message, wparam, lparam);
    }
}

// Only what the user does is reported: what the view sets is dropped.
void Win32SkinWindow::command(int id, int code, HWND control)
{
    if (setting_)
        return;
    if (id >= kFirstRowId) {
        const int n = (id - kFirstRowId) / 2;
        if ((id - kFirstRowId) % 2 == 0 && code == BN_CLICKED)
            form_->handle({ControlId::MuteBox, n}, ControlEvent::Click);
        return;
    }
    const auto sender = static_cast<ControlId>(id);
    const PanelControl* described = panel_control(sender);
    if (!described)
        return;
    switch (described->kind) {
    case PanelKind::PushButton:
    case PanelKind::RadioButton:
        if (code == BN_CLICKED)
            form_->handle(sender, ControlEvent::Click);
        break;
    case PanelKind::ComboBox:
        if (code == CBN_SETFOCUS)
            form_->handle(sender, ControlEvent::Focus);
        if (code != CBN_SELCHANGE && code != CBN_EDITCHANGE)
            break;
        // A chosen item reaches the box's text only after this notification:
        // it is put there first, so that the handler reads it.
        if (code == CBN_SELCHANGE) {
            const int item = static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0));
            const int length = static_cast<int>(SendMessageW(control, CB_GETLBTEXTLEN, item, 0));
            if (item >= 0 && length >= 0) {
                std::wstring text(static_cast<size_t>(length) + 1, L'\0');
                SendMessageW(control, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(text.data()));
                setting_ = true;
                SetWindowTextW(control, text.c_str());
                setting_ = false;
            }
        }
        form_->handle(sender, ControlEvent::Change);
        break;
    case PanelKind::HotKey:
        if (code == EN_CHANGE)
            form_->handle(sender, ControlEvent::Change);
        break;
    default:
        break;
    }
}

// A track bar moved by the user, reported once per change of position; the
// thumb is held from the first drag until the drag ends.
void Win32SkinWindow::scrolled(HWND bar, int code)
{
    if (setting_)
        return;
    Control sender = ControlId::TrackBar1;
    if (bar != controls_.at(ControlId::TrackBar1)) {
        const auto row = std::find(volume_bars_.begin(), volume_bars_.end(), bar);
        if (row == volume_bars_.end())
            return;
        sender = {ControlId::VolumeBar, static_cast<int>(row - volume_bars_.begin())};
    }
    if (code == TB_THUMBTRACK)
        form_->handle(sender, ControlEvent::ThumbHeld);
    const int now = static_cast<int>(SendMessageW(bar, TBM_GETPOS, 0, 0));
    if (int& last = bar_positions_[bar]; last != now) {
        last = now;
        form_->handle(sender, ControlEvent::Change);
    }
    if (code == TB_ENDTRACK || code == TB_THUMBPOSITION)
        form_->handle(sender, ControlEvent::ThumbReleased);
}

} // namespace ornavox
