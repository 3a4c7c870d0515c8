// The Qt timers and the user's locale as the window's logic uses them.
#include "platform/qt/qt_one_shot_timer.h"
#include "platform/qt/qt_user_locale.h"

#include <QLocale>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>

namespace ornavox {
namespace {

using namespace std::chrono_literals;

// The window's one-second timer starts itself again from its own call.
TEST(QtOneShotTimer, ACallThatStartsTheTimerAgainKeepsItRunning)
{
    QtTimerFactory factory;
    const auto timer = factory.make_timer();
    int calls = 0;
    std::function<void()> tick = [&] {
        if (++calls < 3)
            timer->start(1ms, tick);
    };
    timer->start(1ms, tick);
    EXPECT_TRUE(timer->running());
    ASSERT_TRUE(QTest::qWaitFor([&] { return calls == 3; }, 5000));
    QTest::qWait(20);
    EXPECT_EQ(calls, 3);
    EXPECT_FALSE(timer->running());
}

TEST(QtOneShotTimer, ADestroyedTimerDoesNotCall)
{
    QtTimerFactory factory;
    bool called = false;
    factory.make_timer()->start(1ms, [&] { called = true; });
    QTest::qWait(20);
    EXPECT_FALSE(called);
}

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
    }
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(locale.long_time_format(), "h:mm:ss AP");
}

} // namespace
} // namespace ornavox
