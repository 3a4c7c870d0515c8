#pragma once

#include "platform/user_locale.h"

namespace ornavox {

// Numbers as the application's default QLocale writes them, and the long
// time pattern it was given (the system's, in the program).
class QtUserLocale final : public UserLocale {
public:
    explicit QtUserLocale(std::string long_time_format) : long_time_format_(std::move(long_time_format)) {}

    std::string grouped(uint64_t count) const override;
    std::string shortest_decimal(double value) const override;
    std::string long_time_format() const override { return long_time_format_; }
    std::string zero_digit() const override;

private:
    std::string long_time_format_;
};

} // namespace ornavox
