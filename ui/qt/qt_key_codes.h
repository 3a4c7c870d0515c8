#pragma once

#include "base/shortcut_text.h"

#include <QtCore/qnamespace.h>

#include <cstdint>

namespace ornavox {

// The Windows virtual-key code of a Qt key, as a US keyboard produces it;
// keypad tells the number-pad keys apart. 0 when the key has no code or is a
// modifier on its own.
uint8_t qt_key_to_virtual_key(int qt_key, bool keypad);

// Shift, Control and Alt as shortcut modifier bits; other modifiers ignored.
TShortCut qt_modifiers_to_shortcut(Qt::KeyboardModifiers modifiers);

} // namespace ornavox
