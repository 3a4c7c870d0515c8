#include "ui/qt/qt_key_codes.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace ornavox {

namespace {

using KeyCode = std::pair<int, uint8_t>;

// Qt reports the character a key produced, so a shifted key arrives as its
// shifted symbol; both symbols of a US-layout key map to that key's code.
// Modifier and lock keys are left out: they never form a hot key on their own.
constexpr KeyCode kMainKeys[] = {
    {Qt::Key_Backspace, 0x08},
    {Qt::Key_Tab, 0x09},
    {Qt::Key_Backtab, 0x09},
    {Qt::Key_Clear, 0x0C},
    {Qt::Key_Return, 0x0D},
    {Qt::Key_Enter, 0x0D},
    {Qt::Key_Pause, 0x13},
    {Qt::Key_Escape, 0x1B},
    {Qt::Key_Space, 0x20},
    {Qt::Key_PageUp, 0x21},
    {Qt::Key_PageDown, 0x22},
    {Qt::Key_End, 0x23},
    {Qt::Key_Home, 0x24},
    {Qt::Key_Left, 0x25},
    {Qt::Key_Up, 0x26},
    {Qt::Key_Right, 0x27},
    {Qt::Key_Down, 0x28},
    {Qt::Key_Print, 0x2C},
    {Qt::Key_Insert, 0x2D},
    {Qt::Key_Delete, 0x2E},
    {Qt::Key_Menu, 0x5D},
    // Digit row with its shifted symbols.
    {Qt::Key_ParenRight, '0'},
    {Qt::Key_Exclam, '1'},
    {Qt::Key_At, '2'},
    {Qt::Key_NumberSign, '3'},
    {Qt::Key_Dollar, '4'},
    {Qt::Key_Percent, '5'},
    {Qt::Key_AsciiCircum, '6'},
    {Qt::Key_Ampersand, '7'},
    {Qt::Key_Asterisk, '8'},
    {Qt::Key_ParenLeft, '9'},
    // Punctuation keys (the OEM codes of a US keyboard).
    {Qt::Key_Semicolon, 0xBA},
    {Qt::Key_Colon, 0xBA},
    {Qt::Key_Equal, 0xBB},
    {Qt::Key_Plus, 0xBB},
    {Qt::Key_Comma, 0xBC},
    {Qt::Key_Less, 0xBC},
    {Qt::Key_Minus, 0xBD},
    {Qt::Key_Underscore, 0xBD},
    {Qt::Key_Period, 0xBE},
    {Qt::Key_Greater, 0xBE},
    {Qt::Key_Slash, 0xBF},
    {Qt::Key_Question, 0xBF},
    {Qt::Key_QuoteLeft, 0xC0},
    {Qt::Key_AsciiTilde, 0xC0},
    {Qt::Key_BracketLeft, 0xDB},
    {Qt::Key_BraceLeft, 0xDB},
    {Qt::Key_Backslash, 0xDC},
    {Qt::Key_Bar, 0xDC},
    {Qt::Key_BracketRight, 0xDD},
    {Qt::Key_BraceRight, 0xDD},
    {Qt::Key_Apostrophe, 0xDE},
    {Qt::Key_QuoteDbl, 0xDE},
};

// Number-pad keys that differ from their main-keyboard namesakes. With Num
// Lock off the pad sends navigation keys, which map as in kMainKeys.
constexpr KeyCode kPadKeys[] = {
    {Qt::Key_Asterisk, 0x6A}, {Qt::Key_Plus, 0x6B},  {Qt::Key_Minus, 0x6D},
    {Qt::Key_Period, 0x6E},   {Qt::Key_Comma, 0x6E}, {Qt::Key_Slash, 0x6F},
};

uint8_t find_code(const KeyCode* begin, const KeyCode* end, int qt_key)
{
    const auto* found = std::find_if(begin, end, [qt_key](const KeyCode& entry) { return entry.first == qt_key; });
    return found == end ? 0 : found->second;
}

} // namespace

uint8_t qt_key_to_virtual_key(int qt_key, bool keypad)
{
    if (qt_key >= Qt::Key_A && qt_key <= Qt::Key_Z)
        return static_cast<uint8_t>('A' + (qt_key - Qt::Key_A));
    if (qt_key >= Qt::Key_0 && qt_key <= Qt::Key_9)
        return static_cast<uint8_t>(keypad ? 0x60 + (qt_key - Qt::Key_0) : '0' + (qt_key - Qt::Key_0));
    if (qt_key >= Qt::Key_F1 && qt_key <= Qt::Key_F24)
        return static_cast<uint8_t>(0x70 + (qt_key - Qt::Key_F1));
    if (keypad) {
        if (const uint8_t code = find_code(std::begin(kPadKeys), std::end(kPadKeys), qt_key))
            return code;
    }
    return find_code(std::begin(kMainKeys), std::end(kMainKeys), qt_key);
}

TShortCut qt_modifiers_to_shortcut(Qt::KeyboardModifiers modifiers)
{
    TShortCut bits = 0;
    if (modifiers & Qt::ShiftModifier)
        bits |= kShortcutShift;
    if (modifiers & Qt::ControlModifier)
        bits |= kShortcutCtrl;
    if (modifiers & Qt::AltModifier)
        bits |= kShortcutAlt;
    return bits;
}

} // namespace ornavox
