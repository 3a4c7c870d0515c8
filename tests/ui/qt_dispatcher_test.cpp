#include "platform/qt/qt_dispatcher.h"

#include <QCoreApplication>
#include <QObject>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace ornavox {
namespace {

using namespace std::chrono_literals;

// Long enough never to be reached unless calls are lost.
constexpr auto kGenerous = 30s;

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
