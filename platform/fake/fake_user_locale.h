#pragma once

#include "platform/user_locale.h"

#include <charconv>
#include <string>

namespace ornavox {

// A locale the test spells out: its separators, its long time pattern and its digits.
class FakeUserLocale final : public UserLocale {
public:
    std::string group_separator = ",";
    std::string decimal_separator = ".";
    std::string time_format = "HH:mm:ss";
    std::string zero = "0";

    std::string grouped(uint64_t count) const override
    {
        std::string digits = std::to_string(count);
        for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
            digits.insert(static_cast<size_t>(at), group_separator);
        return digits;
    }
    std::string shortest_decimal(double value) const override
    {
        char text[64];
        const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed).ptr;
        std::string shortest(text, end);
        if (const size_t point = shortest.find('.'); point != std::string::npos)
            shortest.replace(point, 1, decimal_separator);
        return shortest;
    }
    std::string long_time_format() const override { return time_format; }
    std::string zero_digit() const override { return zero; }
};

} // namespace ornavox
