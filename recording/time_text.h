#pragma once

#include <string>

namespace ornavox {

// Formats an elapsed time, held as a fraction of a day (seconds / 86400),
// with a locale's long time pattern in the Qt pattern syntax (h, hh, H, HH,
// m, mm, s, ss, z, zzz, AP, ap, A, a, 'quoted text'). An elapsed time is no
// time of day: the hours count from 0 and never wrap, a day-half marker (AP, a)
// and a time zone (t) are left out with the blank beside them, and the digits are the ones that
// start at `zero_digit` (one UTF-8 character) in the user's script.
std::string format_elapsed(double days, const std::string& long_time_pattern, const std::string& zero_digit = "0");

} // namespace ornavox
