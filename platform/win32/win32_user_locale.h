#pragma once

#include "platform/user_locale.h"

namespace ornavox {

// The user's own settings of Windows' regional options: the thousands and
// decimal separators, and the long time format in the pattern syntax of the
// time texts. GUI thread.
class Win32UserLocale final : public UserLocale {
public:
    Win32UserLocale();

    std::string grouped(uint64_t count) const override;
    std::string shortest_decimal(double value) const override;
    std::string long_time_format() const override { return time_format_; }
    // Windows writes times with ASCII digits whatever the script.
    std::string zero_digit() const override { return "0"; }

private:
    std::string thousands_;
    std::string decimal_;
    std::string time_format_;
};

// Windows' time format ("h:mm:ss tt") in the time texts' syntax ("h:mm:ss AP").
std::string time_pattern_from_windows(const std::string& format);

} // namespace ornavox
