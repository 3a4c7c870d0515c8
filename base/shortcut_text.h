#pragma once

#include <cstdint>
#include <string>

namespace ornavox {

// A shortcut value: virtual-key code in the low byte, modifiers above.
using TShortCut = uint16_t;
inline constexpr TShortCut kShortcutShift = 0x2000;
inline constexpr TShortCut kShortcutCtrl = 0x4000;
inline constexpr TShortCut kShortcutAlt = 0x8000;
inline constexpr TShortCut kShortcutModifiers = kShortcutShift | kShortcutCtrl | kShortcutAlt;

// A shortcut's modifiers as another API's flags for Shift, Ctrl and Alt.
template <class Flags>
constexpr Flags modifier_flags(TShortCut shortcut, Flags shift, Flags ctrl, Flags alt)
{
    return static_cast<Flags>((shortcut & kShortcutShift ? shift : 0) | (shortcut & kShortcutCtrl ? ctrl : 0)
                              | (shortcut & kShortcutAlt ? alt : 0));
}

// "Shift+", "Ctrl+", "Alt+" as set, then the key's name (Shift+Ctrl+F9).
// A value whose key has no name gives empty text.
std::string ShortCutToText(TShortCut shortcut);

// Takes modifier prefixes off the front in any order and case ("^" is Ctrl),
// then finds the lowest key code 8..255 whose name matches the rest; 0 when
// none does.
TShortCut TextToShortCut(const std::string& text);

// The name of a virtual key (no modifiers), as ShortCutToText writes it.
std::string key_name(uint8_t virtual_key);

} // namespace ornavox
