#include "platform/qt/qt_termination.h"

#include <QTest>

#include <gtest/gtest.h>

#include <csignal>

namespace ornavox {
namespace {

// Each signal the session may end the program with reaches the GUI thread as
// one call, through the event loop, never inside the signal handler.
TEST(QtTermination, EachEndingSignalBecomesOneCallOnTheGuiThread)
{
    int calls = 0;
    {
        const QtTermination termination([&] { ++calls; });
        for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
            const int before = calls;
            std::raise(signal);
            EXPECT_EQ(calls, before) << "not from within the handler";
            EXPECT_TRUE(QTest::qWaitFor([&] { return calls == before + 1; }, 5000)) << signal;
        }
    }
    struct sigaction now {};
    ::sigaction(SIGTERM, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_DFL) << "the default again once it went";
}

} // namespace
} // namespace ornavox
