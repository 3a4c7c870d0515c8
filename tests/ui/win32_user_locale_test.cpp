// The user's regional options as the Windows program reads them.
#include "platform/win32/win32_user_locale.h"
#include "recording/time_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace ornavox {
namespace {

TEST(Win32UserLocale, TheTimeFormatBecomesTheTimeTextsPattern)
{
    EXPECT_EQ(time_pattern_from_windows("HH:mm:ss"), "HH:mm:ss");
    EXPECT_EQ(time_pattern_from_windows("h:mm:ss tt"), "h:mm:ss AP");
    EXPECT_EQ(time_pattern_from_windows("t h:mm"), "AP h:mm");
    EXPECT_EQ(time_pattern_from_windows("H'h'mm 'at' ss"), "H'h'mm 'at' ss") << "quoted text stays";
}

TEST(Win32UserLocale, NumbersKeepTheirDigits)
{
    const Win32UserLocale locale;
    std::string grouped = locale.grouped(1234567);
    grouped.erase(std::remove_if(grouped.begin(), grouped.end(), [](char c) { return c < '0' || c > '9'; }),
                  grouped.end());
    EXPECT_EQ(grouped, "1234567");
    EXPECT_EQ(locale.grouped(999), "999");
    EXPECT_EQ(locale.shortest_decimal(5), "5");
    EXPECT_EQ(locale.shortest_decimal(83.456).size(), 6u);
    EXPECT_FALSE(locale.long_time_format().empty());
}

// The user's own pattern, a 12-hour one with US settings ("h:mm:ss tt"),
// writes two seconds of recording as an elapsed time, never as a time of day.
TEST(Win32UserLocale, TwoSecondsRecordedReadAsAnElapsedTime)
{
    const Win32UserLocale locale;
    const std::string text = format_elapsed(2.0 / 86400, locale.long_time_format(), locale.zero_digit());
    EXPECT_TRUE(text == "0:00:02" || text == "00:00:02") << locale.long_time_format() << " gave " << text;
    std::printf("user's time pattern %s: two seconds read %s\n", locale.long_time_format().c_str(), text.c_str());
}

} // namespace
} // namespace ornavox
