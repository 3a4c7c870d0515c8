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

} // namespace

std::string format_time_of_day(double days, const std::string& pattern)
{
    // Whole milliseconds of the day; whole days drop out.
    double ms_total = std::round(days * 86400000.0);
    if (!std::isfinite(ms_total) || ms_total < 0)
        ms_total = 0;
    const auto ms_of_day = static_cast<int64_t>(std::fmod(ms_total, 86400000.0));
    const int64_t hour = ms_of_day / 3600000;
    const int64_t minute = ms_of_day / 60000 % 60;
    const int64_t second = ms_of_day / 1000 % 60;
    const int64_t milli = ms_of_day % 1000;

    bool twelve_hour = false;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '\'') {
            const size_t close = pattern.find('\'', i + 1);
            if (close == std::string::npos)
                break;
            i = close;
        } else if (pattern[i] == 'a' || pattern[i] == 'A') {
            twelve_hour = true;
        }
    }

    std::string out;
    for (size_t i = 0; i < pattern.size();) {
        const char c = pattern[i];
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
        switch (c) {
        case 'h': {
            int64_t h = hour;
            if (twelve_hour) {
                h %= 12;
                if (h == 0)
                    h = 12;
            }
            out += padded(h, n >= 2 ? 2 : 1);
            break;
        }
        case 'H':
            out += padded(hour, n >= 2 ? 2 : 1);
            break;
        case 'm':
            out += padded(minute, n >= 2 ? 2 : 1);
            break;
        case 's':
            out += padded(second, n >= 2 ? 2 : 1);
            break;
        case 'z':
            out += n >= 3 ? padded(milli, 3) : std::to_string(milli);
            break;
        case 'A':
        case 'a': {
            const bool pm = hour >= 12;
            const bool upper = c == 'A' || (i + 1 < pattern.size() && pattern[i + 1] == 'P');
            out += pm ? (upper ? "PM" : "pm") : (upper ? "AM" : "am");
            // "AP" and "ap" are one designator.
            if (i + 1 < pattern.size() && (pattern[i + 1] == 'P' || pattern[i + 1] == 'p')) {
                i += 2;
                continue;
            }
            break;
        }
        case 't':
            // The time zone is not part of a duration; drop a blank before it.
            while (!out.empty() && out.back() == ' ')
                out.pop_back();
            break;
        default:
            out.append(static_cast<size_t>(n), c);
            break;
        }
        i += static_cast<size_t>(n);
    }
    return out;
}

} // namespace ornavox
