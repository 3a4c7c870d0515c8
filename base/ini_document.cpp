#include "base/ini_document.h"

#include "base/file_handle.h"
#include "base/utf8_path.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <sstream>

namespace ornavox {

std::string trimmed(const std::string& text)
{
    const auto blank = [](unsigned char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
    };
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && blank(static_cast<unsigned char>(text[begin])))
        ++begin;
    while (end > begin && blank(static_cast<unsigned char>(text[end - 1])))
        --end;
    return text.substr(begin, end - begin);
}

namespace {

bool same_name(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

IniDocument IniDocument::load(const std::string& path)
{
    std::ifstream in(utf8_path(path), std::ios::binary);
    if (!in)
        return {};
    std::ostringstream text;
    text << in.rdbuf();
    return parse(text.str());
}

IniDocument IniDocument::parse(const std::string& text)
{
    IniDocument document;
    Section* current = nullptr;
    std::istringstream in(text);
    std::string raw;
    while (std::getline(in, raw)) {
        const std::string line = trimmed(raw);
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[' && line.back() == ']') {
            const std::string name = trimmed(line.substr(1, line.size() - 2));
            current = document.find_section(name);
            if (!current) {
                document.sections_.push_back({name, {}});
                current = &document.sections_.back();
            }
            continue;
        }
        if (!current)
            continue;
        Line entry{line, {}, {}};
        if (const size_t equals = line.find('='); equals != std::string::npos) {
            entry.key = trimmed(line.substr(0, equals));
            entry.value = trimmed(line.substr(equals + 1));
        }
        current->lines.push_back(std::move(entry));
    }
    return document;
}

std::string IniDocument::text() const
{
    std::string out;
    for (const Section& section : sections_) {
        out += "[" + section.name + "]\r\n";
        for (const Line& line : section.lines)
            out += line.text + "\r\n";
        out += "\r\n";
    }
    return out;
}

bool IniDocument::save(const std::string& path, std::string& error) const
{
    std::string reason;
    if (file::replace_whole(path, text(), reason))
        return true;
    error = "Cannot write settings to " + path + ": " + reason;
    return false;
}

IniDocument::Section* IniDocument::find_section(const std::string& name)
{
    const auto it = std::find_if(sections_.begin(), sections_.end(),
                                 [&](const Section& section) { return same_name(section.name, name); });
    return it == sections_.end() ? nullptr : &*it;
}

const IniDocument::Section* IniDocument::find_section(const std::string& name) const
{
    return const_cast<IniDocument*>(this)->find_section(name);
}

const IniDocument::Line* IniDocument::find_key(const std::string& section, const std::string& key) const
{
    const Section* found = find_section(section);
    if (!found)
        return nullptr;
    const auto it = std::find_if(found->lines.begin(), found->lines.end(),
                                 [&](const Line& line) { return !line.key.empty() && same_name(line.key, key); });
    return it == found->lines.end() ? nullptr : &*it;
}

bool IniDocument::section_exists(const std::string& section) const
{
    const Section* found = find_section(section);
    return found && !found->lines.empty();
}

std::string IniDocument::read_string(const std::string& section, const std::string& key,
                                     const std::string& default_value) const
{
    const Line* line = find_key(section, key);
    return line ? line->value : default_value;
}

int32_t IniDocument::read_integer(const std::string& section, const std::string& key, int32_t default_value) const
{
    const Line* line = find_key(section, key);
    if (!line)
        return default_value;
    std::string_view digits = line->value;
    bool negative = false;
    if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits.remove_prefix(2);
    }
    if (digits.empty() || digits.front() == '-' || digits.front() == '+')
        return default_value;
    int64_t value = 0;
    const auto [end, status] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (status != std::errc() || end != digits.data() + digits.size())
        return default_value;
    if (negative)
        value = -value;
    // Hexadecimal values take the 32-bit pattern (0xFFFFFFFF is -1).
    if (base == 16 && !negative && value <= 0xFFFFFFFFLL)
        return static_cast<int32_t>(static_cast<uint32_t>(value));
    if (value < INT32_MIN || value > INT32_MAX)
        return default_value;
    return static_cast<int32_t>(value);
}

void IniDocument::write_string(const std::string& section, const std::string& key, const std::string& value)
{
    Section* found = find_section(section);
    if (!found) {
        sections_.push_back({section, {}});
        found = &sections_.back();
    }
    Line entry{key + "=" + value, key, value};
    const auto it = std::find_if(found->lines.begin(), found->lines.end(),
                                 [&](const Line& line) { return !line.key.empty() && same_name(line.key, key); });
    if (it == found->lines.end())
        found->lines.push_back(std::move(entry));
    else
        *it = std::move(entry);
}

void IniDocument::write_integer(const std::string& section, const std::string& key, int32_t value)
{
    write_string(section, key, std::to_string(value));
}

} // namespace ornavox
