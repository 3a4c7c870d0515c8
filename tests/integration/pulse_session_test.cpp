#include "platform/fake/queue_dispatcher.h"
#include "platform/pulse/pulse_session.h"
#include "tests/support/pulse_server.h"

#include <pulse/introspect.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ornavox {
namespace {

using namespace std::chrono_literals;
using test::PulseServer;
using Clock = std::chrono::steady_clock;

constexpr auto kPatience = 30s;

// Notes what one listener heard, as short lines.
class HeardLog : public PulseSessionListener {
public:
    std::vector<std::string> heard;

    void session_ready() override { heard.push_back("ready"); }
    void session_lost(const std::string& reason) override { heard.push_back("lost: " + reason); }
    void server_event(pa_subscription_event_type_t facility, pa_subscription_event_type_t type, uint32_t) override
    {
        const char* what = facility == PA_SUBSCRIPTION_EVENT_SINK ? "sink"
            : facility == PA_SUBSCRIPTION_EVENT_SOURCE            ? "source"
                                                                  : "other";
        const char* how = type == PA_SUBSCRIPTION_EVENT_NEW ? "new"
            : type == PA_SUBSCRIPTION_EVENT_CHANGE          ? "change"
                                                            : "remove";
        heard.push_back(std::string(what) + " " + how);
    }

    bool has(const std::string& line) const { return std::find(heard.begin(), heard.end(), line) != heard.end(); }
    size_t count(const std::string& line) const { return std::count(heard.begin(), heard.end(), line); }
};

class PulseSessionTest : public ::testing::Test {
protected:
    PulseServer server;
    QueueDispatcher dispatcher;
    PulseSession session{dispatcher};
    std::string error;

    bool run_until(const std::function<bool()>& done) { return dispatcher.run_until(done, kPatience); }
};

TEST_F(PulseSessionTest, ListenersHearTheirOwnFacilitiesThenLostAndReadyInOrder)
{
    HeardLog sources, sinks, nothing;
    auto listening_sources = session.listen(sources, PA_SUBSCRIPTION_MASK_SOURCE);
    auto listening_sinks = session.listen(sinks, PA_SUBSCRIPTION_MASK_SINK);
    auto listening_nothing = session.listen(nothing);
    ASSERT_TRUE(session.connect(error)) << error;
    ASSERT_TRUE(run_until([&] { return nothing.has("ready"); }));

    server.pactl("load-module module-null-sink sink_name=extra norewinds=1");
    ASSERT_TRUE(run_until([&] { return sinks.has("sink new") && sources.has("source new"); }));
    // The sink's monitor is a source: each listener heard only its own half.
    for (const std::string& line : sinks.heard)
        EXPECT_NE(line.rfind("source", 0), 0u) << line;
    for (const std::string& line : sources.heard)
        EXPECT_NE(line.rfind("sink", 0), 0u) << line;

    server.kill();
    ASSERT_TRUE(run_until([&] { return nothing.heard.size() == 2; }));
    EXPECT_EQ(nothing.heard.back(), "lost: Connection terminated");
    server.restart();
    // Found again by the session's own retries, without a connect().
    ASSERT_TRUE(run_until([&] { return nothing.heard.size() == 3; }));
    EXPECT_EQ(nothing.heard, (std::vector<std::string>{"ready", "lost: Connection terminated", "ready"}));
    EXPECT_EQ(sinks.count("ready"), 2u);
    EXPECT_EQ(sources.count("lost: Connection terminated"), 1u);

    // The new context carries the subscriptions on; a listener that is gone
    // hears nothing more.
    listening_sources = {};
    const size_t sources_heard = sources.heard.size();
    server.pactl("load-module module-null-sink sink_name=another norewinds=1");
    ASSERT_TRUE(run_until([&] { return sinks.count("sink new") == 2; }));
    dispatcher.run_pending();
    EXPECT_EQ(sources.heard.size(), sources_heard);
    EXPECT_EQ(nothing.heard.size(), 3u);
}

TEST_F(PulseSessionTest, ConnectFailsAtOnceWhileTheServerIsAwayAndWorksOnceItIsBack)
{
    HeardLog heard;
    auto listening = session.listen(heard);
    ASSERT_TRUE(session.connect(error)) << error;
    server.kill();
    ASSERT_TRUE(run_until([&] { return heard.heard.size() == 2; }));
    const auto asked = Clock::now();
    EXPECT_FALSE(session.connect(error));
    EXPECT_LT(Clock::now() - asked, 1s);
    EXPECT_EQ(error, "Cannot connect to the sound server: Connection refused");
    {
        auto lock = session.lock();
        EXPECT_EQ(session.context(), nullptr);
    }
    server.restart();
    EXPECT_TRUE(session.connect(error)) << error;
}

} // namespace
} // namespace ornavox
