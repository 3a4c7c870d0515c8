// The window's logic's view operations on the Win32 controls. What they set
// raises no handler (setting_ drops the notifications Windows sends anyway).
#include "ui/win32/skin_window.h"

#include "base/shortcut_text.h"
#include "base/utf16.h"

namespace ornavox {

namespace {

std::string window_text(HWND control)
{
    const int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    return win32::utf8(text);
}

// A shortcut value and the hot-key control's own: the key with
// HOTKEYF_SHIFT, _CONTROL and _ALT in the byte above.
WORD to_hotkey_control(uint16_t shortcut)
{
    return MAKEWORD(shortcut & 0xFF, modifier_flags<BYTE>(shortcut, HOTKEYF_SHIFT, HOTKEYF_CONTROL, HOTKEYF_ALT));
}

uint16_t from_hotkey_control(WORD value)
{
    const BYTE modifiers = HIBYTE(value);
    uint16_t shortcut = LOBYTE(value);
    if (shortcut == 0)
        return 0;
    if (modifiers & HOTKEYF_SHIFT)
        shortcut |= kShortcutShift;
    if (modifiers & HOTKEYF_CONTROL)
        shortcut |= kShortcutCtrl;
    if (modifiers & HOTKEYF_ALT)
        shortcut |= kShortcutAlt;
    return shortcut;
}

} // namespace

void Win32SkinWindow::set_text(ControlId control, const std::string& text)
{
    if (HWND edit = control_window(control)) {
        setting_ = true;
        SetWindowTextW(edit, win32::utf16(text).c_str());
        setting_ = false;
        return;
    }
    set_label(control, text);
}

void Win32SkinWindow::set_button(ControlId id, int imageid, const std::string& hint)
{
    ImageButton& b = *buttons_.at(id);
    const bool hint_changed = hint != b.hint();
    b.set_face(imageid, hint);
    if (hint_changed)
        tooltip(TTM_UPDATETIPTEXTW, b.handle(), hint);
}

void Win32SkinWindow::show_normal_face(ControlId id)
{
    buttons_.at(id)->show_normal_face();
}

void Win32SkinWindow::set_items(ControlId box, const std::vector<std::string>& items)
{
    HWND list = controls_.at(box);
    const std::string text = window_text(list);
    setting_ = true;
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    for (const std::string& item : items)
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win32::utf16(item).c_str()));
    SetWindowTextW(list, win32::utf16(text).c_str());
    setting_ = false;
}

void Win32SkinWindow::select_item(ControlId box, int index)
{
    setting_ = true;
    SendMessageW(controls_.at(box), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    setting_ = false;
}

void Win32SkinWindow::set_edit_text(ControlId box, const std::string& text)
{
    set_text(box, text);
}

int Win32SkinWindow::selected_item(ControlId box) const
{
    return static_cast<int>(SendMessageW(controls_.at(box), CB_GETCURSEL, 0, 0));
}

std::string Win32SkinWindow::edit_text(ControlId box) const
{
    return window_text(controls_.at(box));
}

// Checking a radio button clears the others of its group.
void Win32SkinWindow::set_checked(Control control, bool checked)
{
    setting_ = true;
    if (checked && control.id >= ControlId::RadioButton1 && control.id <= ControlId::RadioButton4)
        CheckRadioButton(window_, static_cast<int>(ControlId::RadioButton1), static_cast<int>(ControlId::RadioButton4),
                         static_cast<int>(control.id));
    else
        SendMessageW(control_window(control), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    setting_ = false;
}

bool Win32SkinWindow::checked(Control control) const
{
    return SendMessageW(control_window(control), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32SkinWindow::set_position(Control bar, int position)
{
    HWND control = control_window(bar);
    setting_ = true;
    SendMessageW(control, TBM_SETPOS, TRUE, position);
    setting_ = false;
    bar_positions_[control] = position;
}

int Win32SkinWindow::position(Control bar) const
{
    return static_cast<int>(SendMessageW(control_window(bar), TBM_GETPOS, 0, 0));
}

void Win32SkinWindow::set_hotkey(ControlId field, uint16_t shortcut)
{
    setting_ = true;
    SendMessageW(controls_.at(field), HKM_SETHOTKEY, to_hotkey_control(shortcut), 0);
    setting_ = false;
}

uint16_t Win32SkinWindow::hotkey(ControlId field) const
{
    return from_hotkey_control(LOWORD(SendMessageW(controls_.at(field), HKM_GETHOTKEY, 0, 0)));
}

// A meter's place is in the window's client area: the panels' controls are
// the window's own, placed where their group box puts them.
void Win32SkinWindow::show_meter(MeterPlace place, const std::optional<MeterReading>& reading)
{
    std::unique_ptr<LevelMeterWindow>& meter = meters_[place];
    if (!meter && reading) {
        const MeterBox& box = meter_box(place);
        POINT origin{0, 0};
        if (const PanelControl* parent = panel_control(box.parent))
            origin = {parent->left, parent->top};
        const RECT rect{origin.x + box.left, origin.y + box.top, origin.x + box.left + box.width,
                        origin.y + box.top + box.height};
        meter = std::make_unique<LevelMeterWindow>(window_, rect);
    }
    if (!meter)
        return;
    if (reading)
        meter->show_reading(*reading);
    else
        meter->hide();
}

const LevelMeterWindow* Win32SkinWindow::meter(MeterPlace place) const
{
    const auto found = meters_.find(place);
    return found != meters_.end() && found->second && found->second->visible() ? found->second.get() : nullptr;
}

// The window has no frame: its size is its client size. Its top-left corner
// stays where it is.
void Win32SkinWindow::set_layout(Layout layout)
{
    SetWindowPos(window_, nullptr, 0, 0, layout_width(layout), layout_height(layout),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32SkinWindow::show_window()
{
    ShowWindow(window_, IsIconic(window_) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(window_);
    SetActiveWindow(window_);
}

void Win32SkinWindow::hide_window()
{
    ShowWindow(window_, SW_HIDE);
}

void Win32SkinWindow::close_window()
{
    if (!destroyed_)
        DestroyWindow(window_);
}

void Win32SkinWindow::popup_menu(ControlId below)
{
    const RECT place = control_rect(below);
    POINT corner{place.left, place.bottom};
    ClientToScreen(window_, &corner);
    run_menu(corner);
}

} // namespace ornavox
