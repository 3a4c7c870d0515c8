#include "base/shortcut_text.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace ornavox {

namespace {

// Names the US keyboard layout gives to the keys that have no fixed name.
constexpr std::pair<uint8_t, const char*> kLayoutNames[] = {
    {0x03, "Break"},
    {0x0C, "Num 5"},
    {0x10, "Shift"},
    {0x11, "Ctrl"},
    {0x12, "Alt"},
    {0x13, "Pause"},
    {0x14, "Caps Lock"},
    {0x2C, "Prnt Scrn"},
    {0x5B, "Left Windows"},
    {0x5C, "Right Windows"},
    {0x5D, "Application"},
    {0x6A, "Num *"},
    {0x6B, "Num +"},
    {0x6D, "Num -"},
    {0x6E, "Num Del"},
    {0x6F, "Num /"},
    {0x90, "Num Lock"},
    {0x91, "Scroll Lock"},
    {0xA0, "Shift"},
    {0xA1, "Right Shift"},
    {0xA2, "Ctrl"},
    {0xA3, "Right Ctrl"},
    {0xA4, "Alt"},
    {0xA5, "Right Alt"},
    {0xBA, ";"},
    {0xBB, "="},
    {0xBC, ","},
    {0xBD, "-"},
    {0xBE, "."},
    {0xBF, "/"},
    {0xC0, "`"},
    {0xDB, "["},
    {0xDC, "\\"},
    {0xDD, "]"},
    {0xDE, "'"},
};

bool starts_with_nocase(const std::string& text, size_t at, const char* prefix)
{
    for (size_t i = 0; prefix[i]; ++i) {
        if (at + i >= text.size()
            || std::tolower(static_cast<unsigned char>(text[at + i]))
                != std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    }
    return true;
}

bool equal_nocase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && starts_with_nocase(a, 0, b.c_str());
}

} // namespace

std::string key_name(uint8_t key)
{
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
        return std::string(1, static_cast<char>(key));
    if (key >= 0x60 && key <= 0x69)
        return std::string(1, static_cast<char>('0' + key - 0x60));
    if (key >= 0x70 && key <= 0x87) {
        // Not "F" + std::to_string(...), which GCC 12 warns about wrongly
        // (-Wrestrict) in optimised builds.
        std::string name = std::to_string(key - 0x70 + 1);
        name.insert(name.begin(), 'F');
        return name;
    }
    switch (key) {
    case 0x08:
        return "BkSp";
    case 0x09:
        return "Tab";
    case 0x0D:
        return "Enter";
    case 0x1B:
        return "Esc";
    case 0x20:
        return "Space";
    case 0x21:
        return "PgUp";
    case 0x22:
        return "PgDn";
    case 0x23:
        return "End";
    case 0x24:
        return "Home";
    case 0x25:
        return "Left";
    case 0x26:
        return "Up";
    case 0x27:
        return "Right";
    case 0x28:
        return "Down";
    case 0x2D:
        return "Ins";
    case 0x2E:
        return "Del";
    default:
        break;
    }
    const auto* found = std::find_if(std::begin(kLayoutNames), std::end(kLayoutNames),
                                     [key](const auto& entry) { return entry.first == key; });
    return found == std::end(kLayoutNames) ? std::string() : std::string(found->second);
}

std::string ShortCutToText(TShortCut shortcut)
{
    const std::string name = key_name(static_cast<uint8_t>(shortcut & 0xFF));
    if (name.empty())
        return {};
    std::string text;
    if (shortcut & kShortcutShift)
        text += "Shift+";
    if (shortcut & kShortcutCtrl)
        text += "Ctrl+";
    if (shortcut & kShortcutAlt)
        text += "Alt+";
    return text + name;
}

TShortCut TextToShortCut(const std::string& text)
{
    TShortCut modifiers = 0;
    size_t at = 0;
    for (;;) {
        if (starts_with_nocase(text, at, "Shift+")) {
            modifiers |= kShortcutShift;
            at += 6;
        } else if (starts_with_nocase(text, at, "Ctrl+")) {
            modifiers |= kShortcutCtrl;
            at += 5;
        } else if (starts_with_nocase(text, at, "^")) {
            modifiers |= kShortcutCtrl;
            at += 1;
        } else if (starts_with_nocase(text, at, "Alt+")) {
            modifiers |= kShortcutAlt;
            at += 4;
        } else {
            break;
        }
    }
    const std::string rest = text.substr(at);
    for (int key = 8; key <= 255; ++key) {
        const std::string name = key_name(static_cast<uint8_t>(key));
        if (!name.empty() && equal_nocase(name, rest))
            return static_cast<TShortCut>(modifiers | key);
    }
    return 0;
}

} // namespace ornavox
