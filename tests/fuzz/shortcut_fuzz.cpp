// The shortcut text on arbitrary bytes: the text of what was read reads back
// to the same shortcut, and writing that again gives the same text. The first
// two bytes also go in as a shortcut value, whose text must read back to it
// when its key code is one that reading knows (8 to 255).

#include "base/shortcut_text.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace ornavox;

namespace {

void expect(bool holds, const char* what, const std::string& text)
{
    if (!holds) {
        std::fprintf(stderr, "shortcut text unstable: %s (\"%s\")\n", what, text.c_str());
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const TShortCut read = TextToShortCut(text);
    if (read != 0) {
        const std::string written = ShortCutToText(read);
        expect(!written.empty(), "a shortcut that was read has no text", text);
        expect(TextToShortCut(written) == read, "the written text reads differently", written);
        expect(ShortCutToText(TextToShortCut(written)) == written, "writing again changes the text", written);
    }
    if (size >= 2) {
        const auto value = static_cast<TShortCut>(data[0] | data[1] << 8);
        const std::string written = (value & 0xFF) >= 8 ? ShortCutToText(value) : std::string();
        // Codes that share a name (the two Shift keys, keypad and top-row
        // digits) read back as the lowest; the text stays the same.
        if (!written.empty())
            expect(ShortCutToText(TextToShortCut(written)) == written, "a value's text does not read back", written);
    }
    return 0;
}
