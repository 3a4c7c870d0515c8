// The dispatcher contract, run on the platform's GUI-thread dispatcher: Qt's
// on Linux, the message-only window's on Windows.
#ifdef _WIN32
#include "platform/win32/win32_dispatcher.h"
#else
#include "platform/qt/qt_dispatcher.h"
#endif

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace ornavox {
namespace {

using namespace std::chrono_literals;

// Long enough never to be reached unless calls are lost.
constexpr auto kGenerous = 30s;

template <class PlatformDispatcher>
class DispatcherContract : public ::testing::Test {
protected:
    PlatformDispatcher dispatcher;
};

#ifdef _WIN32
using Dispatchers = ::testing::Types<Win32Dispatcher>;
#else
using Dispatchers = ::testing::Types<QtDispatcher>;
#endif
TYPED_TEST_SUITE(DispatcherContract, Dispatchers);

TYPED_TEST(DispatcherContract, RunsCallsFromManyThreadsInPostingOrder)
{
    constexpr int kThreads = 4;
    constexpr int kPerThread = 500;

    // A ticket drawn under the same lock as the post fixes the posting order
    // across threads.
    std::mutex posting;
    int next_ticket = 0;
    std::vector<int> ran; // GUI thread only
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < kPerThread; ++i) {
                std::lock_guard lock(posting);
                const int ticket = next_ticket++;
                this->dispatcher.post([&ran, ticket] { ran.push_back(ticket); });
            }
        });
    }
    const bool all_ran = this->dispatcher.run_until([&] { return ran.size() == kThreads * kPerThread; }, kGenerous);
    for (auto& thread : threads)
        thread.join();

    ASSERT_TRUE(all_ran);
    for (int i = 0; i < kThreads * kPerThread; ++i)
        ASSERT_EQ(ran[i], i);
}

TYPED_TEST(DispatcherContract, CallPostedFromACallRunsAfterThoseAlreadyQueued)
{
    std::vector<char> ran;
    this->dispatcher.post([&] {
        ran.push_back('a');
        this->dispatcher.post([&] { ran.push_back('c'); });
    });
    this->dispatcher.post([&] { ran.push_back('b'); });

    ASSERT_TRUE(this->dispatcher.run_until([&] { return ran.size() == 3; }, kGenerous));
    EXPECT_EQ(ran, (std::vector<char>{'a', 'b', 'c'}));
}

TYPED_TEST(DispatcherContract, RunUntilReportsWhetherTheConditionHeld)
{
    EXPECT_TRUE(this->dispatcher.run_until([] { return true; }, 0ms));
    EXPECT_FALSE(this->dispatcher.run_until([] { return false; }, 20ms));

    bool flag = false;
    this->dispatcher.post([&] { flag = true; });
    EXPECT_TRUE(this->dispatcher.run_until([&] { return flag; }, kGenerous));
}

} // namespace
} // namespace ornavox
