// The Windows mixer's own logic on fake endpoints: what it lists, what it
// writes, and which changes it raises, when, and how often. The same device
// on Wine's real endpoints is tested in core_audio_mixer_test.
#include "tests/support/fake_core_audio.h"
#include "tests/support/mixer_change_log.h"

#include "mixer/mixer.h"
#include "platform/fake/queue_dispatcher.h"
#include "platform/fake/recording_message_sink.h"
#include "platform/win32/core_audio_mixer_device.h"

#include <gtest/gtest.h>

#include <optional>

namespace ornavox::test {
namespace {

class CoreAudioMixerLogic : public ::testing::Test {
protected:
    CoreAudioMixerLogic()
    {
        microphone = capture(L"Microphone (USB)", Microphone);
        line_in = capture(L"Line In", LineLevel);
        digital = capture(L"Digital In", SPDIF);
        output = new FakeEndpoint(L"Speakers", Speakers);
        output->loopback = true;
        output->sessions = sessions;
        endpoints->output = output;
    }
    ~CoreAudioMixerLogic() override
    {
        device.reset();
        dispatcher.run_pending();
        for (FakeSession* session : sessions->sessions)
            session->Release();
        for (FakeEndpoint* endpoint : endpoints->captures)
            endpoint->Release();
        output->Release();
        sessions->Release();
        endpoints->Release();
    }

    FakeEndpoint* capture(std::wstring name, DWORD form_factor)
    {
        endpoints->captures.push_back(new FakeEndpoint(std::move(name), form_factor));
        return endpoints->captures.back();
    }
    FakeSession* session(std::wstring name, AudioSessionState state = AudioSessionStateActive)
    {
        sessions->sessions.push_back(new FakeSession(std::move(name), state));
        return sessions->sessions.back();
    }

    CoreAudioMixerDevice& open()
    {
        win32::ComPtr<IMMDeviceEnumerator> machine;
        endpoints->AddRef();
        *machine.put() = endpoints;
        device.emplace(
            dispatcher, [this](const RecordSource& source) { chosen.push_back(source); }, machine);
        EXPECT_TRUE(device->open(0, log));
        return *device;
    }
    std::vector<MuxItem> mux_items()
    {
        std::vector<MuxItem> items;
        EXPECT_TRUE(device->mux_list(mux().control_id, items));
        return items;
    }
    MixerControl mux()
    {
        MixerControl control;
        EXPECT_TRUE(device->control_by_type(1, MixerControlType::Mux, control));
        return control;
    }
    MixerControl control_of(const MixerLine& line, MixerControlType type)
    {
        MixerControl control;
        EXPECT_TRUE(device->control_by_type(line.line_id, type, control)) << line.name;
        return control;
    }
    MixerLine source_line(uint32_t destination, uint32_t index)
    {
        MixerLine line;
        EXPECT_TRUE(device->line_by_source(destination, index, line));
        return line;
    }
    MixerLine speakers()
    {
        MixerLine line;
        EXPECT_TRUE(device->line_by_component_type(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, line));
        return line;
    }

    FakeEndpoints* endpoints = new FakeEndpoints;
    FakeSessionManager* sessions = new FakeSessionManager;
    FakeEndpoint* microphone;
    FakeEndpoint* line_in;
    FakeEndpoint* digital;
    FakeEndpoint* output;
    QueueDispatcher dispatcher;
    std::vector<RecordSource> chosen;
    MixerChangeLog log;
    std::optional<CoreAudioMixerDevice> device;
};

// Then a call of each capture endpoint, with the endpoint's own controls.
TEST_F(CoreAudioMixerLogic, TheMuxListsTheCaptureEndpointsByFormFactorThenWhatYouHear)
{
    open();
    const std::vector<MuxItem> items = mux_items();
    ASSERT_EQ(items.size(), 7u);
    EXPECT_EQ(items[0].name, "Microphone (USB)");
    EXPECT_EQ(items[0].component_type, MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE);
    EXPECT_EQ(items[1].component_type, MIXERLINE_COMPONENTTYPE_SRC_LINE);
    EXPECT_EQ(items[2].component_type, MIXERLINE_COMPONENTTYPE_SRC_UNDEFINED);
    EXPECT_EQ(items[3].name, CoreAudioMixerDevice::kWhatYouHear);
    EXPECT_EQ(items[3].component_type, MIXERLINE_COMPONENTTYPE_SRC_ANALOG);
    EXPECT_EQ(items[4].name, "Microphone (USB) + what you hear");
    EXPECT_EQ(items[4].id, items[0].id + " + what you hear");
    EXPECT_EQ(items[4].component_type, MIXERLINE_COMPONENTTYPE_SRC_TELEPHONE);
    MixerControl voice, call;
    ASSERT_TRUE(device->control_by_type(items[0].line_id, MixerControlType::Volume, voice));
    ASSERT_TRUE(device->control_by_type(items[4].line_id, MixerControlType::Volume, call));
    EXPECT_EQ(call.control_id, voice.control_id);
    EXPECT_EQ(mux().items, 7u);
    std::vector<uint32_t> values;
    ASSERT_TRUE(device->mux_values(mux().control_id, values));
    EXPECT_EQ(values, std::vector<uint32_t>(7, 0)) << "nothing is chosen until the program chooses";
    values[4] = 1;
    ASSERT_TRUE(device->set_mux_values(mux().control_id, values));
    EXPECT_EQ(chosen.back(), (RecordSource{"Microphone (USB)", false, true}));

    device->close();
    output->loopback = false;
    open();
    EXPECT_EQ(mux_items().size(), 3u) << "where the output cannot be captured, there is no such item nor calls";
}

// The mixer component detects the mix of what is played; the choice reaches
// the capture device once, as a name or as what the output plays.
TEST_F(CoreAudioMixerLogic, AutoDetectionPrefersWhatYouHearAndEachChoiceIsToldOnce)
{
    RecordingMessageSink messages;
    win32::ComPtr<IMMDeviceEnumerator> machine;
    endpoints->AddRef();
    *machine.put() = endpoints;
    device.emplace(
        dispatcher, [this](const RecordSource& source) { chosen.push_back(source); }, machine);
    tmixer mixer(*device, messages);
    mixer.open();
    ASSERT_TRUE(mixer.is_open());
    const int32_t detected = mixer.autodetect();
    ASSERT_GE(detected, 0);
    EXPECT_EQ(mixer.record_lines()[static_cast<size_t>(detected)].name, CoreAudioMixerDevice::kWhatYouHear);

    mixer.select_mux(0, detected);
    mixer.select_mux(0, detected);
    mixer.select_mux(0, 0);
    const std::vector<RecordSource> expected{{CoreAudioMixerDevice::kWhatYouHear, true}, {"Microphone (USB)", false}};
    EXPECT_EQ(chosen, expected);
    std::vector<uint32_t> values;
    ASSERT_TRUE(device->mux_values(mux().control_id, values));
    EXPECT_EQ(values, (std::vector<uint32_t>{1, 0, 0, 0, 0, 0, 0}));
    mixer.close();
}

TEST_F(CoreAudioMixerLogic, AWriteThatChangesNothingIsNotMadeAndItsEchoRaisesNothing)
{
    microphone->level->scalar = 0.5f;
    open();
    const MixerLine mic = source_line(0, 0);
    const uint32_t volume = control_of(mic, MixerControlType::Volume).control_id;
    const uint32_t mute = control_of(mic, MixerControlType::Mute).control_id;
    uint32_t value = 0;
    ASSERT_TRUE(device->value(volume, value));
    EXPECT_EQ(value, 32768u);

    EXPECT_TRUE(device->set_value(volume, 32768));
    EXPECT_TRUE(device->set_value(mute, 0));
    EXPECT_EQ(microphone->level->writes, 0);

    EXPECT_TRUE(device->set_value(volume, 10000));
    EXPECT_EQ(microphone->level->writes, 1);
    EXPECT_NEAR(microphone->level->scalar, 10000 / 65535.0, 1e-6);
    microphone->level->change_elsewhere(microphone->level->scalar, FALSE);
    dispatcher.run_pending();
    EXPECT_TRUE(log.changed.empty());

    microphone->level->write_answer = E_ACCESSDENIED;
    EXPECT_FALSE(device->set_value(volume, 20000)) << "a refused write is a failure";
}

TEST_F(CoreAudioMixerLogic, AChangeElsewhereIsPostedAndRaisedOnlyForWhatDiffers)
{
    open();
    const uint32_t mic_volume = control_of(source_line(0, 0), MixerControlType::Volume).control_id;
    const uint32_t mic_mute = control_of(source_line(0, 0), MixerControlType::Mute).control_id;

    microphone->level->change_elsewhere(0.25f, FALSE);
    EXPECT_TRUE(log.changed.empty()) << "COM's thread only posts";
    dispatcher.run_pending();
    EXPECT_EQ(log.changed, std::vector<uint32_t>{mic_volume});

    log.changed.clear();
    microphone->level->change_elsewhere(0.25f, TRUE);
    microphone->level->change_elsewhere(0.25f, TRUE);
    dispatcher.run_pending();
    EXPECT_EQ(log.changed, std::vector<uint32_t>{mic_mute});

    // What you hear has the output's level: both lines show the change.
    log.changed.clear();
    output->level->change_elsewhere(0.9f, FALSE);
    dispatcher.run_pending();
    const uint32_t heard = control_of(source_line(0, 3), MixerControlType::Volume).control_id;
    const uint32_t speakers_volume = control_of(speakers(), MixerControlType::Volume).control_id;
    std::sort(log.changed.begin(), log.changed.end());
    EXPECT_EQ(log.changed, (std::vector<uint32_t>{heard, speakers_volume}));
}

TEST_F(CoreAudioMixerLogic, TheSpeakersSourceLinesAreTheLiveSessionsWithTheirOwnLevels)
{
    FakeSession* radio = session(L"Radio");
    session(L"Gone", AudioSessionStateExpired);
    session(L""); // named after the program that plays it
    open();
    ASSERT_EQ(speakers().connections, 2u);
    const MixerLine first = source_line(1, 0);
    EXPECT_EQ(first.name, "Radio");
    EXPECT_EQ(first.component_type, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT);
    EXPECT_EQ(source_line(1, 1).name, "core_audio_mixer_device_test");

    const uint32_t volume = control_of(first, MixerControlType::Volume).control_id;
    EXPECT_TRUE(device->set_value(volume, 65535));
    EXPECT_EQ(radio->level->scalar, 1.0f);
    EXPECT_EQ(output->level->writes, 0) << "a session's level is its own";

    radio->level->change_elsewhere(0.1f, FALSE);
    dispatcher.run_pending();
    EXPECT_EQ(log.changed, std::vector<uint32_t>{volume});
}

TEST_F(CoreAudioMixerLogic, EndpointsAndSessionsThatComeGoOrChangeChangeTheLines)
{
    FakeSession* radio = session(L"Radio");
    open();
    ASSERT_EQ(endpoints->listeners.size(), 1u);
    ASSERT_EQ(sessions->listeners.size(), 1u);
    IMMNotificationClient& machine = *endpoints->listeners.front();
    machine.OnDeviceAdded(L"{new}");
    machine.OnDeviceRemoved(L"{old}");
    machine.OnDeviceStateChanged(L"{old}", DEVICE_STATE_UNPLUGGED);
    machine.OnDefaultDeviceChanged(eRender, eConsole, L"{other}");
    machine.OnDefaultDeviceChanged(eRender, eCommunications, L"{headset}");
    machine.OnPropertyValueChanged(L"{old}", PKEY_Device_FriendlyName);
    EXPECT_EQ(log.lines, 0) << "COM's thread only posts";
    dispatcher.run_pending();
    EXPECT_EQ(log.lines, 4) << "the console output is the one shown; a property alone changes no line";

    log.lines = 0;
    sessions->listeners.front()->OnSessionCreated(nullptr);
    radio->rename(L"Radio 2");
    radio->expire();
    dispatcher.run_pending();
    EXPECT_EQ(log.lines, 3);
}

TEST_F(CoreAudioMixerLogic, CloseLetsGoOfEveryCallbackAndACallPostedBeforeFindsNothing)
{
    session(L"Radio");
    open();
    EXPECT_GT(microphone->level->listeners() + output->level->listeners(), 0u);
    microphone->level->change_elsewhere(0.3f, FALSE);
    endpoints->listeners.front()->OnDeviceAdded(L"{new}");
    device->close();
    dispatcher.run_pending();
    EXPECT_TRUE(log.changed.empty());
    EXPECT_EQ(log.lines, 0);
    EXPECT_TRUE(endpoints->listeners.empty());
    EXPECT_TRUE(sessions->listeners.empty());
    for (FakeEndpoint* endpoint : {microphone, line_in, digital, output})
        EXPECT_EQ(endpoint->level->listeners(), 0u);
    EXPECT_EQ(sessions->sessions.front()->level->listeners(), 0u);

    open();
    microphone->level->change_elsewhere(0.6f, FALSE);
    device.reset();
    dispatcher.run_pending();
    EXPECT_TRUE(log.changed.empty()) << "a device destroyed meanwhile is not reached";
}

// An endpoint without a level is listed, but has no line to show.
TEST_F(CoreAudioMixerLogic, AnEndpointWithoutALevelHasNoControls)
{
    digital->has_volume = false;
    open();
    EXPECT_EQ(source_line(0, 2).controls, 0u);
    MixerControl control;
    EXPECT_FALSE(device->control_by_type(source_line(0, 2).line_id, MixerControlType::Volume, control));
    EXPECT_EQ(source_line(0, 0).controls, 2u);
}

} // namespace
} // namespace ornavox::test
