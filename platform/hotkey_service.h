#pragma once

#include <cstdint>
#include <functional>

namespace ornavox {

// System-wide hotkeys: a shortcut value (virtual key in the low byte, 0x2000
// Shift, 0x4000 Ctrl, 0x8000 Alt) registered under an identifier. Every call
// on the GUI thread; activations reach the handler there too, through the
// dispatcher or the toolkit's event loop, one per key press.
class HotkeyService {
public:
    virtual ~HotkeyService() = default;

    // Where activations go: the identifier of the key pressed.
    virtual void set_handler(std::function<void(int id)> handler) = 0;
    // Registers `id` for `shortcut`, replacing the combination `id` had, so
    // that only the newest one fires. False when the key cannot fire: no key,
    // another program holds the combination, or no hotkeys on this desktop.
    virtual bool register_hotkey(int id, uint16_t shortcut) = 0;
    virtual void unregister_hotkey(int id) = 0;
    // Whether `id` fires now. A desktop that asks the user may grant a key
    // later than register_hotkey() returns.
    virtual bool active(int id) const = 0;
    // The combination that fires `id`, which a desktop may have chosen other
    // than the one asked for; 0 while `id` is inactive.
    virtual uint16_t granted_shortcut(int id) const = 0;
    // Told when grants change later than register_hotkey() returned.
    virtual void set_grants_handler(std::function<void()> handler) { (void)handler; }
};

} // namespace ornavox
