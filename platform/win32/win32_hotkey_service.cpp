#include "platform/win32/win32_hotkey_service.h"

#include "base/shortcut_text.h"

namespace ornavox {

Win32HotkeyService::Win32HotkeyService()
    : window_([this](HWND window, UINT message, WPARAM wparam, LPARAM lparam) -> LRESULT {
          if (message == WM_HOTKEY && handler_) {
              handler_(static_cast<int>(wparam));
              return 0;
          }
          return DefWindowProcW(window, message, wparam, lparam);
      })
{
}

Win32HotkeyService::~Win32HotkeyService()
{
    for (const auto& [id, shortcut] : registered_)
        UnregisterHotKey(window_.handle(), id);
}

bool Win32HotkeyService::register_hotkey(int id, uint16_t shortcut)
{
    unregister_hotkey(id);
    const UINT key = shortcut & 0xFF;
    if (key == 0)
        return false;
    const UINT modifiers = MOD_NOREPEAT | modifier_flags<UINT>(shortcut, MOD_SHIFT, MOD_CONTROL, MOD_ALT);
    if (!RegisterHotKey(window_.handle(), id, modifiers, key))
        return false;
    registered_[id] = shortcut;
    return true;
}

void Win32HotkeyService::unregister_hotkey(int id)
{
    if (registered_.erase(id) > 0)
        UnregisterHotKey(window_.handle(), id);
}

uint16_t Win32HotkeyService::granted_shortcut(int id) const
{
    const auto it = registered_.find(id);
    return it == registered_.end() ? 0 : it->second;
}

} // namespace ornavox
