// The sound server killed and started again, over and over, under an open
// capture device: no crash, no hang, no leak (under AddressSanitizer).
#include "platform/fake/queue_dispatcher.h"
#include "platform/pulse/pulse_capture_device.h"
#include "platform/pulse/pulse_session.h"
#include "tests/support/capture_events.h"
#include "tests/support/pulse_server.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>

namespace ornavox::test {
namespace {

using namespace std::chrono_literals;

constexpr int kCycles = 200;
constexpr auto kPatience = 30s;

class LossCount : public PulseSessionListener {
public:
    int ready = 0;
    int lost = 0;
    void session_ready() override { ++ready; }
    void session_lost(const std::string&) override { ++lost; }
};

TEST(PulseStress, KillingAndRestartingTheServerUnderAnOpenCaptureDevice)
{
    PulseServer server;
    QueueDispatcher dispatcher;
    PulseSession session(dispatcher);
    PulseCaptureDevice device(session, dispatcher);
    LossCount losses;
    auto listening = session.listen(losses);
    BufferRing ring(4, 4 * 1000);
    const auto started = std::chrono::steady_clock::now();

    for (int cycle = 0; cycle < kCycles; ++cycle) {
        SCOPED_TRACE(cycle);
        CaptureEventLog log;
        std::string error;
        ASSERT_TRUE(device.open(stereo16(44100), log, error)) << error;
        ring.queue_all(device);
        device.start();
        // The server dies at different moments: before any data, after a
        // buffer came back, and while data waits for a GUI that is busy.
        if (cycle % 3 != 0) {
            ASSERT_TRUE(dispatcher.run_until([&] { return log.count(CaptureEvent::Filled) > 0; }, kPatience));
        }
        if (cycle % 3 == 2)
            std::this_thread::sleep_for(20ms);
        server.kill();
        ASSERT_TRUE(dispatcher.run_until([&] { return log.count(CaptureEvent::Failed) == 1; }, kPatience));
        device.reset();
        device.close();
        dispatcher.run_pending();
        ASSERT_EQ(log.events.back().kind, CaptureEvent::Closed);
        server.restart();
    }
    dispatcher.run_pending();
    EXPECT_EQ(losses.lost, kCycles);
    EXPECT_EQ(losses.ready, kCycles);
    std::printf("%d kill-and-restart cycles in %.1f s\n", kCycles,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
}

} // namespace
} // namespace ornavox::test
