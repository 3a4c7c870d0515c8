#include "recording/time_text.h"

#include <cmath>
#include <cstdint>

namespace ornavox {

namespace {

int run_length(const std::string& pattern, size_t at)
{
    size_t end = at;
    while (end < pattern.size() && pattern[end] == pattern[at])
        ++end;
    return static_cast<int>(end - at);
}

std::string padded(int64_t value, int width)
{
    std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < width)
        digits.insert(0, static_cast<size_t>(width) - digits.size(), '0');
    return digits;
}

// The code point of a one-character UTF-8 text; 0x30 when it is not one.
uint32_t code_point(const std::string& text)
{
    const auto* b = reinterpret_cast<const unsigned char*>(text.data());
    if (text.size() == 1 && b[0] < 0x80)
        return b[0];
    if (text.size() == 2 && (b[0] & 0xE0) == 0xC0)
        return (b[0] & 0x1Fu) << 6 | (b[1] & 0x3Fu);
    if (text.size() == 3 && (b[0] & 0xF0) == 0xE0)
        return (b[0] & 0x0Fu) << 12 | (b[1] & 0x3Fu) << 6 | (b[2] & 0x3Fu);
    return 0x30;
}

// ASCII digits written with the digit zero at `zero`.
std::string localized(const std::string& digits, uint32_t zero)
{
    if (zero == 0x30)
        return digits;
    std::string out;
    for (const char c : digits) {
        const uint32_t cp = zero + static_cast<uint32_t>(c - '0');
        if (cp < 0x800) {
            out += static_cast<char>(0xC0 | cp >> 6);
        } else {
            out += static_cast<char>(0xE0 | cp >> 12);
            out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        }
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

} // namespace

std::string format_elapsed(double days, const std::string& pattern, const std::string& zero_digit)
{
    double ms_total = std::round(days * 86400000.0);
    if (!std::isfinite(ms_total) || ms_total < 0)
        ms_total = 0;
    const auto ms = static_cast<int64_t>(ms_total);
    const uint32_t zero = code_point(zero_digit);
    const auto field = [zero](int64_t value, int width) { return localized(padded(value, width), zero); };

    std::string out;
    // After a day-half marker that began the text, the blank after it goes too.
    bool drop_blanks = false;
    for (size_t i = 0; i < pattern.size();) {
        const char c = pattern[i];
        if (drop_blanks && c == ' ') {
            ++i;
            continue;
        }
        drop_blanks = false;
        if (c == '\'') {
            const size_t close = pattern.find('\'', i + 1);
            if (close == i + 1) {
                out += '\'';
                i += 2;
                continue;
            }
            const size_t end = close == std::string::npos ? pattern.size() : close;
            out.append(pattern, i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        const int n = run_length(pattern, i);
        const int width = n >= 2 ? 2 : 1;
        switch (c) {
        case 'h':
        case 'H':
            out += field(ms / 3600000, width);
            break;
        case 'm':
            out += field(ms / 60000 % 60, width);
            break;
        case 's':
            out += field(ms / 1000 % 60, width);
            break;
        case 'z':
            out += field(ms % 1000, n >= 3 ? 3 : 1);
            break;
        case 'A':
        case 'a':
        case 't': {
            // A duration is no time of day and has no time zone: the marker
            // goes with the blank before it.
            while (!out.empty() && out.back() == ' ')
                out.pop_back();
            drop_blanks = out.empty();
            const bool pair = c != 't' && i + 1 < pattern.size() && (pattern[i + 1] == 'P' || pattern[i + 1] == 'p');
            i += pair ? 2 : static_cast<size_t>(n);
            continue;
        }
        default:
            out.append(static_cast<size_t>(n), c);
            break;
        }
        i += static_cast<size_t>(n);
    }
    return out;
}

} // namespace ornavox
