// The one-shot timers of the platform's event loop, as the window's logic
// uses them: Qt's on Linux, SetTimer's on Windows.
#ifdef _WIN32
#include "platform/win32/win32_dispatcher.h"
#include "platform/win32/win32_timers.h"
#else
#include "platform/qt/qt_dispatcher.h"
#include "platform/qt/qt_one_shot_timer.h"
#endif

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

namespace ornavox {
namespace {

using namespace std::chrono_literals;

template <class Platform>
class OneShotTimerContract : public ::testing::Test {
protected:
    typename Platform::Dispatcher loop; // runs the event loop for the test
    typename Platform::Timers factory;

    void let_time_pass(std::chrono::milliseconds time)
    {
        loop.run_until([] { return false; }, time);
    }
};

#ifdef _WIN32
struct Win32Timers {
    using Dispatcher = Win32Dispatcher;
    using Timers = Win32TimerFactory;
};
using Platforms = ::testing::Types<Win32Timers>;
#else
struct QtTimers {
    using Dispatcher = QtDispatcher;
    using Timers = QtTimerFactory;
};
using Platforms = ::testing::Types<QtTimers>;
#endif
TYPED_TEST_SUITE(OneShotTimerContract, Platforms);

// The window's one-second timer starts itself again from its own call.
TYPED_TEST(OneShotTimerContract, ACallThatStartsTheTimerAgainKeepsItRunning)
{
    const auto timer = this->factory.make_timer();
    int calls = 0;
    std::function<void()> tick = [&] {
        if (++calls < 3)
            timer->start(1ms, tick);
    };
    timer->start(1ms, tick);
    EXPECT_TRUE(timer->running());
    ASSERT_TRUE(this->loop.run_until([&] { return calls == 3; }, 5000ms));
    this->let_time_pass(50ms);
    EXPECT_EQ(calls, 3);
    EXPECT_FALSE(timer->running());
}

TYPED_TEST(OneShotTimerContract, AStartWhileRunningStartsItAnewAndADestroyedTimerDoesNotCall)
{
    const auto timer = this->factory.make_timer();
    int first = 0, second = 0;
    timer->start(30ms, [&] { ++first; });
    timer->start(30ms, [&] { ++second; });
    ASSERT_TRUE(this->loop.run_until([&] { return second == 1; }, 5000ms));
    this->let_time_pass(60ms);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 1);

    bool called = false;
    this->factory.make_timer()->start(1ms, [&] { called = true; });
    this->let_time_pass(50ms);
    EXPECT_FALSE(called);
}

} // namespace
} // namespace ornavox
