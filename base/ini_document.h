#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ornavox {

// `text` without the blanks (spaces, tabs, line ends) around it, as the
// settings document trims its lines, names and values.
std::string trimmed(const std::string& text);

// The in-memory settings document: an INI text kept line by line so that a
// rewrite keeps every line it did not change. Sections and keys match without
// regard to letter case. Lines before the first section are dropped.
class IniDocument {
public:
    // A file that does not exist reads as an empty document.
    static IniDocument load(const std::string& path);
    static IniDocument parse(const std::string& text);

    // The whole document as CRLF text: each section's header, its lines, one
    // empty line.
    std::string text() const;
    // Replaces the whole file, or on failure leaves the old one as it was and
    // gives a reason for the user.
    bool save(const std::string& path, std::string& error) const;

    // A section is present when it holds at least one line.
    bool section_exists(const std::string& section) const;
    std::string read_string(const std::string& section, const std::string& key, const std::string& default_value) const;
    // Decimal, or hexadecimal after "0x"/"0X"; text that does not convert
    // gives the default.
    int32_t read_integer(const std::string& section, const std::string& key, int32_t default_value) const;

    // Replaces the key's line in place, or adds it at the end of its section;
    // a new section goes after the last one.
    void write_string(const std::string& section, const std::string& key, const std::string& value);
    void write_integer(const std::string& section, const std::string& key, int32_t value);

private:
    struct Line {
        std::string text; // the line as it is written back
        std::string key;  // empty when the line holds no "="
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Line> lines;
    };
    Section* find_section(const std::string& name);
    const Section* find_section(const std::string& name) const;
    const Line* find_key(const std::string& section, const std::string& key) const;

    std::vector<Section> sections_;
};

} // namespace ornavox
