#pragma once

#include <string>

namespace ornavox {

// Formats a duration held as a fraction of a day (seconds / 86400) as a time
// of day, whole days dropping out, with a locale's long time pattern in the
// Qt pattern syntax (h, hh, H, HH, m, mm, s, ss, z, zzz, AP, ap, A, a, 'quoted
// text'). Time-zone letters (t) are left out.
std::string format_time_of_day(double days, const std::string& long_time_pattern);

} // namespace ornavox
