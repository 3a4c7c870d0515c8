#include "platform/x11/x11_keysyms.h"

namespace ornavox {

namespace {

struct Named {
    uint8_t virtual_key;
    uint32_t keysym;
};

constexpr Named kNamed[] = {
    {0x08, 0xff08}, // BackSpace
    {0x09, 0xff09}, // Tab
    {0x0D, 0xff0d}, // Return
    {0x1B, 0xff1b}, // Escape
    {0x20, 0x0020}, // space
    {0x21, 0xff55}, // Prior
    {0x22, 0xff56}, // Next
    {0x23, 0xff57}, // End
    {0x24, 0xff50}, // Home
    {0x25, 0xff51}, // Left
    {0x26, 0xff52}, // Up
    {0x27, 0xff53}, // Right
    {0x28, 0xff54}, // Down
    {0x2D, 0xff63}, // Insert
    {0x2E, 0xffff}, // Delete
    {0x6A, 0xffaa}, // KP_Multiply
    {0x6B, 0xffab}, // KP_Add
    {0x6D, 0xffad}, // KP_Subtract
    {0x6E, 0xffae}, // KP_Decimal
    {0x6F, 0xffaf}, // KP_Divide
    {0xBA, 0x003b}, // semicolon
    {0xBB, 0x003d}, // equal
    {0xBC, 0x002c}, // comma
    {0xBD, 0x002d}, // minus
    {0xBE, 0x002e}, // period
    {0xBF, 0x002f}, // slash
    {0xC0, 0x0060}, // grave
    {0xDB, 0x005b}, // bracketleft
    {0xDC, 0x005c}, // backslash
    {0xDD, 0x005d}, // bracketright
    {0xDE, 0x0027}, // apostrophe
};

} // namespace

uint32_t keysym_for_virtual_key(uint8_t virtual_key)
{
    if (virtual_key >= 'A' && virtual_key <= 'Z')
        return virtual_key - 'A' + 'a'; // the keysyms of the lower-case letters
    if (virtual_key >= '0' && virtual_key <= '9')
        return virtual_key;
    if (virtual_key >= 0x60 && virtual_key <= 0x69)
        return 0xffb0 + (virtual_key - 0x60u); // KP_0 .. KP_9
    if (virtual_key >= 0x70 && virtual_key <= 0x87)
        return 0xffbe + (virtual_key - 0x70u); // F1 .. F24
    for (const Named& named : kNamed)
        if (named.virtual_key == virtual_key)
            return named.keysym;
    return 0;
}

} // namespace ornavox
