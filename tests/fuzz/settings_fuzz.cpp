// The settings document on arbitrary bytes: every key of every section reads
// as text and as a number, the program's own keys are written, and the
// document saved and loaded again reads every key the same.

#include "base/ini_document.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

using ornavox::IniDocument;
using ornavox::trimmed;

namespace {

struct Key {
    std::string section;
    std::string name;
};

// The keys the program writes; the first four take numbers.
const Key kProgramKeys[] = {{"audio", "audioline"}, {"audio", "source"},   {"mp3", "samples"},
                            {"mp3", "bps"},         {"path", "savepath"},  {"path", "savefile"},
                            {"hotkey", "hotkey1"},  {"hotkey", "hotkey2"}, {"hotkey", "hotkey3"}};
constexpr size_t kNumberKeys = 4;

// Every section and key the text names, found the plain way: a line in
// brackets opens a section, a line with "=" names a key.
std::vector<Key> keys_named_in(const std::string& text, std::vector<std::string>& lines)
{
    std::vector<Key> keys;
    std::istringstream in(text);
    std::string raw;
    std::string section;
    bool in_section = false;
    while (std::getline(in, raw)) {
        const std::string line = trimmed(raw);
        lines.push_back(line);
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            section = trimmed(line.substr(1, line.size() - 2));
            in_section = true;
        } else if (const size_t equals = line.find('='); in_section && equals != std::string::npos) {
            keys.push_back({section, trimmed(line.substr(0, equals))});
        }
    }
    return keys;
}

// What the program can store: one line of text.
std::string one_line(std::string value)
{
    for (char& c : value)
        if (c == '\r' || c == '\n')
            c = ' ';
    return value;
}

void expect(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "settings round trip broken: %s\n", what);
        std::abort();
    }
}

const std::string& scratch_path()
{
    static const std::string path = (std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp")
        + std::string("/ornavox-settings-fuzz-") + std::to_string(getpid()) + ".ini";
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    IniDocument document = IniDocument::parse(text);
    std::vector<std::string> lines;
    std::vector<Key> keys = keys_named_in(text, lines);
    for (const Key& key : keys) {
        document.read_string(key.section, key.name, "default");
        document.read_integer(key.section, key.name, -7);
        document.section_exists(key.section);
    }

    // The values written come from the input's lines, so the fuzzer steers them.
    for (size_t i = 0; i < std::size(kProgramKeys); ++i) {
        const Key& key = kProgramKeys[i];
        const std::string line = i < lines.size() ? lines[lines.size() - 1 - i] : std::string();
        if (i < kNumberKeys) {
            uint32_t bits = 0;
            for (const char c : line)
                bits = bits * 31 + static_cast<uint8_t>(c);
            const auto number = static_cast<int32_t>(bits);
            document.write_integer(key.section, key.name, number);
            expect(document.read_integer(key.section, key.name, ~number) == number, "a written number");
        } else {
            const std::string value = one_line(line);
            document.write_string(key.section, key.name, value);
            expect(document.read_string(key.section, key.name, "") == trimmed(value), "a written text");
        }
        keys.push_back(key);
    }

    std::string error;
    expect(document.save(scratch_path(), error), error.c_str());
    const IniDocument reloaded = IniDocument::load(scratch_path());
    for (const Key& key : keys) {
        expect(reloaded.read_string(key.section, key.name, "\x01")
                   == document.read_string(key.section, key.name, "\x01"),
               "a text");
        expect(reloaded.read_integer(key.section, key.name, -7) == document.read_integer(key.section, key.name, -7),
               "a number");
        expect(reloaded.section_exists(key.section) == document.section_exists(key.section), "a section");
    }
    expect(reloaded.text() == document.text(), "the file's text");
    return 0;
}
