#pragma once

#include <cstdint>

namespace ornavox {

// The X keysym of a virtual key on a US layout: letters, digits, keypad
// digits and operators, F1 to F24, the named keys (BkSp, Tab, Enter, Esc,
// Space, PgUp, PgDn, End, Home, the arrows, Ins, Del) and the punctuation
// keys. 0 for a virtual key without one.
uint32_t keysym_for_virtual_key(uint8_t virtual_key);

} // namespace ornavox
