#pragma once

#include <cstdint>
#include <string>

namespace ornavox {

// How the user writes numbers and times. GUI thread.
class UserLocale {
public:
    virtual ~UserLocale() = default;
    // A count with the user's digit grouping: 1234567 as "1,234,567".
    virtual std::string grouped(uint64_t count) const = 0;
    // A number in its shortest decimal form with the user's decimal
    // separator and no grouping: 83.456 as "83.456" or "83,456", 5 as "5".
    virtual std::string shortest_decimal(double value) const = 0;
    // The user's long time pattern, see recording/time_text.h.
    virtual std::string long_time_format() const = 0;
    // The digit zero of the user's script, one UTF-8 character; the other
    // digits follow it.
    virtual std::string zero_digit() const = 0;
};

} // namespace ornavox
