#pragma once

#include "platform/hotkey_service.h"

namespace ornavox {

// For desktops with neither X11 grabs nor the global-shortcuts portal: every
// key is inactive, and the window knows it.
class NoopHotkeyService : public HotkeyService {
public:
    void set_handler(std::function<void(int)>) override {}
    bool register_hotkey(int, uint16_t) override { return false; }
    void unregister_hotkey(int) override {}
    bool active(int) const override { return false; }
    uint16_t granted_shortcut(int) const override { return 0; }
};

} // namespace ornavox
