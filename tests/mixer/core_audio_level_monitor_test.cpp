// The Windows level stream on fake endpoints: which meter it reads, the
// stream it keeps open on a capture endpoint, and that nothing arrives from a
// source it no longer watches.
#include "tests/support/fake_core_audio.h"

#include "base/utf16.h"
#include "platform/fake/queue_dispatcher.h"
#include "platform/win32/core_audio_level_monitor.h"
#include "platform/win32/core_audio_mixer_device.h"

#include <gtest/gtest.h>

#include <optional>

namespace ornavox::test {
namespace {

using namespace std::chrono_literals;

class CoreAudioLevels : public ::testing::Test {
protected:
    CoreAudioLevels()
    {
        microphone->records = true;
        microphone->meter = std::make_shared<std::atomic<float>>(0.5f);
        line_in->records = true;
        output->loopback = true;
        output->meter = std::make_shared<std::atomic<float>>(0.125f);
        endpoints->captures = {microphone, line_in};
        endpoints->output = output;
        win32::ComPtr<IMMDeviceEnumerator> machine;
        endpoints->AddRef();
        *machine.put() = endpoints;
        monitor.emplace(dispatcher, machine);
    }
    ~CoreAudioLevels() override
    {
        monitor.reset();
        dispatcher.run_pending();
        // The reading thread lets go of its endpoint before the fakes go.
        std::this_thread::sleep_for(200ms);
        for (FakeEndpoint* endpoint : endpoints->captures)
            endpoint->Release();
        output->Release();
        endpoints->Release();
    }

    static std::string id_of(FakeEndpoint* endpoint)
    {
        LPWSTR id = nullptr;
        endpoint->GetId(&id);
        const std::string text = win32::utf8(id);
        CoTaskMemFree(id);
        return text;
    }
    void watch(const std::string& id)
    {
        monitor->watch(id, [this](float peak) { heard.push_back(peak); });
    }
    // The peaks of about `time`.
    std::vector<float> listen(std::chrono::milliseconds time)
    {
        heard.clear();
        dispatcher.run_until([] { return false; }, time);
        return heard;
    }

    FakeEndpoint* microphone = new FakeEndpoint(L"Microphone (USB)", Microphone);
    FakeEndpoint* line_in = new FakeEndpoint(L"Line In", LineLevel); // has no meter
    FakeEndpoint* output = new FakeEndpoint(L"Speakers", Speakers);
    FakeEndpoints* endpoints = new FakeEndpoints;
    QueueDispatcher dispatcher;
    std::optional<CoreAudioLevelMonitor> monitor;
    std::vector<float> heard;
};

// About 25 peaks a second of the endpoint's meter, with a stream of its own
// open on a capture endpoint while it is watched; "What you hear" reads the
// output's meter and opens nothing on it.
TEST_F(CoreAudioLevels, AWatchedEndpointsMeterIsReadWithAStreamKeptOpenOnACaptureEndpoint)
{
    watch(id_of(microphone));
    const std::vector<float> peaks = listen(1000ms);
    EXPECT_GE(peaks.size(), 15u);
    EXPECT_LE(peaks.size(), 30u);
    for (float peak : peaks)
        EXPECT_EQ(peak, 0.5f);
    EXPECT_EQ(microphone->stream->running, 1);

    watch(CoreAudioMixerDevice::kWhatYouHear);
    listen(100ms);
    const std::vector<float> heard_output = listen(500ms);
    ASSERT_FALSE(heard_output.empty());
    for (float peak : heard_output)
        EXPECT_EQ(peak, 0.125f) << "a peak of the earlier source";
    EXPECT_EQ(microphone->stream->running, 0) << "the earlier stream stays open";
    EXPECT_EQ(output->stream->running, 0);

    monitor->stop();
    EXPECT_TRUE(listen(300ms).empty());
}

// Shows nothing rather than a wrong level: no meter, or no such endpoint.
TEST_F(CoreAudioLevels, AnEndpointWithoutAMeterOrAGoneOneSendsNothing)
{
    watch(id_of(line_in));
    EXPECT_TRUE(listen(300ms).empty());
    EXPECT_EQ(line_in->stream->running, 0);
    watch("{0.0.1.00000000}.Unplugged");
    EXPECT_TRUE(listen(300ms).empty());
}

} // namespace
} // namespace ornavox::test
