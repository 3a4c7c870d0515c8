#pragma once

#include "platform/hotkey_service.h"
#include "platform/win32/message_window.h"

#include <map>

namespace ornavox {

// System-wide hotkeys through RegisterHotKey on a window of the program's
// own; each press arrives there as WM_HOTKEY with its identifier, on the GUI
// thread. A held key does not repeat. GUI thread only.
class Win32HotkeyService final : public HotkeyService {
public:
    Win32HotkeyService();
    ~Win32HotkeyService() override;

    void set_handler(std::function<void(int id)> handler) override { handler_ = std::move(handler); }
    bool register_hotkey(int id, uint16_t shortcut) override;
    void unregister_hotkey(int id) override;
    bool active(int id) const override { return registered_.count(id) > 0; }
    uint16_t granted_shortcut(int id) const override;

private:
    std::function<void(int id)> handler_;
    std::map<int, uint16_t> registered_;
    win32::MessageWindow window_;
};

} // namespace ornavox
