// The user's locale as the window's logic uses it.
#include "platform/qt/qt_user_locale.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace ornavox {
namespace {

TEST(QtUserLocale, NumbersFollowTheDefaultLocale)
{
    const QtUserLocale locale("h:mm:ss AP");
    const struct {
        QLocale qt;
        const char* grouped;
        const char* decimal;
    } cases[] = {
        {QLocale(QLocale::English, QLocale::UnitedStates), "1,234,567", "83.456"},
        {QLocale(QLocale::German, QLocale::Germany), "1.234.567", "83,456"},
    };
    for (const auto& c : cases) {
        QLocale::setDefault(c.qt);
        EXPECT_EQ(locale.grouped(1234567), c.grouped);
        EXPECT_EQ(locale.shortest_decimal(83.456), c.decimal);
        EXPECT_EQ(locale.shortest_decimal(5), "5");
        EXPECT_EQ(locale.shortest_decimal(7250.5).find_first_of(",."), 4u) << "no grouping";
        EXPECT_EQ(locale.zero_digit(), "0");
    }
    QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
    EXPECT_EQ(locale.zero_digit(), "\xD9\xA0");
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(locale.long_time_format(), "h:mm:ss AP");
}

} // namespace
} // namespace ornavox
