// The mixer panel below the skin and the options panel to its right, as
// native controls, and the routing of their notifications to the logic.
#include "ui/win32/skin_window.h"

#include "base/utf16.h"

#include <algorithm>
#include <string_view>

namespace ornavox {

namespace {

constexpr int kRowHeight = 16;
// The rows' controls: mute box 2n, volume bar 2n + 1, above the fixed ids.
constexpr int kFirstRowId = 0x4000;
constexpr wchar_t kRowsClass[] = L"OrnavoxScrollBox";

void setup_volume_bar(HWND bar)
{
    SendMessageW(bar, TBM_SETRANGEMIN, FALSE, 0);
    SendMessageW(bar, TBM_SETRANGEMAX, FALSE, 65535);
    SendMessageW(bar, TBM_SETLINESIZE, 0, 256);
    SendMessageW(bar, TBM_SETPAGESIZE, 0, 4096);
    SendMessageW(bar, TBM_SETTICFREQ, 4096, 0);
    SendMessageW(bar, TBM_SETTHUMBLENGTH, 10, 0);
}

} // namespace

HWND Win32SkinWindow::make(const wchar_t* type, ControlId id, const char* text, DWORD style, int left, int top,
                           int width, int height, HWND parent)
{
    HWND control = CreateWindowExW(0, type, win32::utf16(text).c_str(), WS_CHILD | WS_VISIBLE | style, left, top, width,
                                   height, parent ? parent : window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleW(nullptr), nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_of(SkinFont::MsSansSerif)), FALSE);
    // A group box paints its frame only: the window beneath paints its inside.
    if ((style & BS_TYPEMASK) == BS_GROUPBOX && type == std::wstring_view(WC_BUTTONW))
        SetWindowLongPtrW(control, GWL_EXSTYLE, GetWindowLongPtrW(control, GWL_EXSTYLE) | WS_EX_TRANSPARENT);
    // Panel labels never change their text: sized to it once.
    if (type == std::wstring_view(WC_STATICW)) {
        const SIZE size = text_size(font_of(SkinFont::MsSansSerif), text);
        SetWindowPos(control, nullptr, 0, 0, size.cx, std::max<int>(height, size.cy),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    controls_[id] = control;
    return control;
}

// The panels lie outside the compact window, so the first frame does without
// them. Group boxes hold nothing on Windows: their controls are the window's,
// placed where the group box puts them.
void Win32SkinWindow::build_panels()
{
    const DWORD tab = WS_TABSTOP;
    // The mixer panel, uncovered when the window is 314 high: the group box at
    // 1, 125.
    const int x1 = 1, y1 = 125;
    make(WC_BUTTONW, ControlId::GroupBox1, "Select the record source", BS_GROUPBOX, x1, y1, 349, 52);
    make(WC_STATICW, ControlId::Label10, "Recording level", SS_LEFT, x1 + 8, y1 + 32, 74, 13);
    add_tooltip(make(WC_BUTTONW, ControlId::SpeedButton3, "<--", BS_PUSHBUTTON | BS_FLAT, x1 + 320, y1 + 11, 25, 22),
                "Auto detect sound card source");
    make(WC_BUTTONW, ControlId::RadioButton1, "Line in", BS_AUTORADIOBUTTON | WS_GROUP | tab, x1 + 8, y1 + 13, 73, 17);
    make(WC_BUTTONW, ControlId::RadioButton2, "Microphone", BS_AUTORADIOBUTTON | tab, x1 + 64, y1 + 13, 81, 17);
    make(WC_BUTTONW, ControlId::RadioButton3, "CD audio", BS_AUTORADIOBUTTON | tab, x1 + 144, y1 + 13, 81, 17);
    make(WC_BUTTONW, ControlId::RadioButton4, "", BS_AUTORADIOBUTTON | tab, x1 + 216, y1 + 13, 33, 17);
    make(WC_COMBOBOXW, ControlId::ComboBox1, "", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_GROUP | tab, x1 + 232,
         y1 + 11, 85, 200);
    setup_volume_bar(make(TRACKBAR_CLASSW, ControlId::TrackBar1, "",
                          TBS_HORZ | TBS_AUTOTICKS | TBS_BOTTOM | TBS_FIXEDLENGTH | tab, x1 + 123, y1 + 32, 196, 17));

    // The scrolling box at 0, 176: a window of its own whose inside holds the
    // rows and scrolls them.
    win32::register_window_class(kRowsClass, &Win32SkinWindow::rows_procedure);
    rows_ = CreateWindowExW(WS_EX_CLIENTEDGE, kRowsClass, L"",
                            WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_CLIPCHILDREN | WS_TABSTOP, 0, 176, 350, 137,
                            window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId::ScrollBox1)),
                            GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(rows_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    controls_[ControlId::ScrollBox1] = rows_;
    rows_scrolled_ = 0;

    // The options panel, uncovered when the window is 632 wide: the group box
    // at 352, 0.
    const int x2 = 352, y2 = 0;
    make(WC_BUTTONW, ControlId::GroupBox2, "Save to mp3 file", BS_GROUPBOX, x2, y2, 279, 124);
    make(WC_EDITW, ControlId::Edit1, "", ES_AUTOHSCROLL | WS_BORDER | tab, x2 + 8, y2 + 16, 241, 21);
    add_tooltip(make(WC_BUTTONW, ControlId::SpeedButton1, "...", BS_PUSHBUTTON, x2 + 252, y2 + 16, 23, 22),
                "chang save file name");
    make(WC_COMBOBOXW, ControlId::ComboBox2, "", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | tab, x2 + 8, y2 + 40, 57,
         200);
    make(WC_STATICW, ControlId::Label8, "Hz", SS_LEFT, x2 + 64, y2 + 44, 13, 13);
    make(WC_COMBOBOXW, ControlId::ComboBox3, "", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | tab, x2 + 80, y2 + 40,
         57, 200);
    make(WC_STATICW, ControlId::Label9, "kbps", SS_LEFT, x2 + 136, y2 + 44, 23, 13);
    make(WC_STATICW, ControlId::Label11, "Stereo Mp3 CBR", SS_LEFT, x2 + 160, y2 + 44, 80, 13);
    make(WC_STATICW, ControlId::Label12, "Record/Pause", SS_LEFT, x2 + 8, y2 + 64, 70, 13);
    make(HOTKEY_CLASSW, ControlId::HotKey1, "", tab, x2 + 80, y2 + 62, 89, 19);
    make(WC_STATICW, ControlId::Label13, "Stop record", SS_LEFT, x2 + 8, y2 + 84, 55, 13);
    make(HOTKEY_CLASSW, ControlId::HotKey2, "", tab, x2 + 80, y2 + 82, 89, 19);
    make(WC_STATICW, ControlId::Label14, "Show me", SS_LEFT, x2 + 8, y2 + 104, 44, 13);
    make(HOTKEY_CLASSW, ControlId::HotKey3, "", tab, x2 + 80, y2 + 102, 89, 19);
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
        const int top = kRowHeight * n - rows_scrolled_;
        HWND box = CreateWindowExW(0, WC_BUTTONW, win32::utf16(name).c_str(),
                                   WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX | BS_LEFTTEXT, 6, top, 113, 17,
                                   rows_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstRowId + 2 * n)),
                                   GetModuleHandleW(nullptr), nullptr);
        SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(font_of(SkinFont::MsSansSerif)), FALSE);
        add_tooltip(box, "Mute " + name);
        HWND bar = CreateWindowExW(
            0, TRACKBAR_CLASSW, L"",
            WS_CHILD | WS_VISIBLE | WS_TABSTOP | TBS_HORZ | TBS_AUTOTICKS | TBS_BOTTOM | TBS_FIXEDLENGTH, 123, top, 196,
            17, rows_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstRowId + 2 * n + 1)),
            GetModuleHandleW(nullptr), nullptr);
        setup_volume_bar(bar);
        add_tooltip(bar, "Volume " + std::to_string(n) + " :" + name);
        mute_boxes_.push_back(box);
        volume_bars_.push_back(bar);
        bar_positions_[bar] = 0;
    }
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE;
    info.nMax = kRowHeight * static_cast<int>(mute_boxes_.size()) + 1;
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
        FillRect(reinterpret_cast<HDC>(wparam), &inside, self->peach_.get());
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

// Only what the user does reaches a handler: what the view sets is dropped.
void Win32SkinWindow::command(int id, int code, HWND control)
{
    if (setting_ || form_->closed())
        return;
    TskinForm& form = *form_;
    if (id >= kFirstRowId) {
        const int n = (id - kFirstRowId) / 2;
        if ((id - kFirstRowId) % 2 == 0 && code == BN_CLICKED)
            form.mutechange({ControlId::MuteBox, n});
        return;
    }
    const auto sender = static_cast<ControlId>(id);
    switch (sender) {
    case ControlId::RadioButton1:
    case ControlId::RadioButton2:
    case ControlId::RadioButton3:
    case ControlId::RadioButton4:
        if (code == BN_CLICKED && SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED)
            form.RadioButton1Click(sender);
        break;
    case ControlId::SpeedButton1:
        if (code == BN_CLICKED)
            form.SpeedButton1Click(sender);
        break;
    case ControlId::SpeedButton3:
        if (code == BN_CLICKED)
            form.SpeedButton3Click(sender);
        break;
    case ControlId::ComboBox1:
    case ControlId::ComboBox2:
    case ControlId::ComboBox3: {
        if (code == CBN_SETFOCUS && sender == ControlId::ComboBox1)
            form.ComboBox1Enter(sender);
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
        if (sender == ControlId::ComboBox1)
            form.ComboBox1Change(sender);
        else
            form.ComboBox2Change(sender);
        break;
    }
    case ControlId::HotKey1:
    case ControlId::HotKey2:
    case ControlId::HotKey3:
        if (code == EN_CHANGE)
            form.HotKey3Change(sender);
        break;
    default:
        break;
    }
}

// A track bar's position changed by the user: reported once per change.
void Win32SkinWindow::scrolled(HWND bar)
{
    const int now = static_cast<int>(SendMessageW(bar, TBM_GETPOS, 0, 0));
    const auto last = bar_positions_.find(bar);
    if (setting_ || form_->closed() || (last != bar_positions_.end() && last->second == now))
        return;
    bar_positions_[bar] = now;
    if (bar == controls_.at(ControlId::TrackBar1)) {
        form_->TrackBar1Change(ControlId::TrackBar1);
        return;
    }
    for (size_t n = 0; n < volume_bars_.size(); ++n)
        if (volume_bars_[n] == bar)
            form_->volumechange({ControlId::VolumeBar, static_cast<int>(n)});
}

} // namespace ornavox
