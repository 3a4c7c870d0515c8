#include "platform/qt/qt_dispatcher.h"

#include <QCoreApplication>
#include <QObject>

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

TEST(QtDispatcher, RunsCallsFromManyThreadsInPostingOrder)
{
    QtDispatcher dispatcher;
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
                dispatcher.post([&ran, ticket] { ran.push_back(ticket); });
            }
        });
    }
    const bool all_ran = dispatcher.run_until([&] { return ran.size() == kThreads * kPerThread; }, kGenerous);
    for (auto& thread : threads)
        thread.join();

    ASSERT_TRUE(all_ran);
    for (int i = 0; i < kThreads * kPerThread; ++i)
        ASSERT_EQ(ran[i], i);
}

TEST(QtDispatcher, CallPostedFromACallRunsAfterThoseAlreadyQueued)
{
    QtDispatcher dispatcher;
    std::vector<char> ran;
    dispatcher.post([&] {
        ran.push_back('a');
        dispatcher.post([&] { ran.push_back('c'); });
    });
    dispatcher.post([&] { ran.push_back('b'); });

    ASSERT_TRUE(dispatcher.run_until([&] { return ran.size() == 3; }, kGenerous));
    EXPECT_EQ(ran, (std::vector<char>{'a', 'b', 'c'}));
}

TEST(QtDispatcher, RunUntilReportsWhetherTheConditionHeld)
{
    QtDispatcher dispatcher;
    EXPECT_TRUE(dispatcher.run_until([] { return true; }, 0ms));
    EXPECT_FALSE(dispatcher.run_until([] { return false; }, 20ms));

    bool flag = false;
    dispatcher.post([&] { flag = true; });
    EXPECT_TRUE(dispatcher.run_until([&] { return flag; }, kGenerous));
}

TEST(QtDispatcher, CallsForAGoneContextAreDroppedAndNeverRun)
{
    auto* context = new QObject;
    QtDispatcher dispatcher(context);
    int ran = 0;
    dispatcher.post([&] { ++ran; });
    delete context;
    dispatcher.post([&] { ++ran; });
    std::thread([&] { dispatcher.post([&] { ++ran; }); }).join();

    // A second dispatcher's call, posted last, marks the point by which the
    // dropped calls would have run.
    QtDispatcher marker;
    bool marker_ran = false;
    marker.post([&] { marker_ran = true; });
    ASSERT_TRUE(marker.run_until([&] { return marker_ran; }, kGenerous));
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(ran, 0);
}

TEST(QtDispatcher, CallsQueuedOnItsOwnContextAreDroppedWithTheDispatcher)
{
    int ran = 0;
    {
        QtDispatcher dispatcher;
        dispatcher.post([&] { ++ran; });
    }
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(ran, 0);
}

} // namespace
} // namespace ornavox
