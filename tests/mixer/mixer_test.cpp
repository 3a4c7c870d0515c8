// The mixer component on the fake sound card.
#include "mixer/mixer.h"

#include "platform/fake/fake_mixer_device.h"
#include "platform/fake/queue_dispatcher.h"
#include "platform/fake/recording_message_sink.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ornavox {
namespace {

using Step = FakeMixerDevice::Step;

class MixerTest : public ::testing::Test {
protected:
    MixerTest()
    {
        mixer.onmixeropen = [this](const std::vector<line>& lines, const std::vector<control>& ctls) {
            events.push_back("open " + std::to_string(lines.size()) + " " + std::to_string(ctls.size()));
        };
        mixer.onvolumechange = [this](uint32_t sort, uint32_t volume) {
            events.push_back("volume " + std::to_string(sort) + " " + std::to_string(volume));
        };
        mixer.onmutechange = [this](uint32_t sort, uint32_t mute) {
            events.push_back("mute " + std::to_string(sort) + " " + std::to_string(mute));
        };
    }

    // A card like the ones the component was made for.
    void usual_card()
    {
        card.add_source("Line In", MIXERLINE_COMPONENTTYPE_SRC_LINE, 100);
        card.add_source("Microphone", MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, 200);
        card.add_source("CD Player", MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC, 300);
        card.add_source("Stereo Mix", MIXERLINE_COMPONENTTYPE_SRC_ANALOG, 400);
        card.select(1);
        card.add_playback("Volume Control", 1000, 0);
        card.add_playback("Wave", 2000, 1);
    }

    void open_and_settle()
    {
        mixer.open();
        dispatcher.run_pending();
    }

    QueueDispatcher dispatcher;
    FakeMixerDevice card{dispatcher};
    RecordingMessageSink messages;
    tmixer mixer{card, messages};
    std::vector<std::string> events;
};

TEST_F(MixerTest, OpenReportsBothListsThenEveryLineThenTheRecordingLevel)
{
    usual_card();
    mixer.open();
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(events,
              (std::vector<std::string>{"open 4 2", "mute 0 0", "volume 0 1000", "mute 1 1", "volume 1 2000",
                                        "volume 65535 0"}));
    const line& mic = mixer.record_lines()[1];
    EXPECT_EQ(mic.name, "Microphone");
    EXPECT_EQ(mic.mux_index, 1);
    EXPECT_EQ(mic.component_type, MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE);
    EXPECT_EQ(mic.control_count, 1u);
    const control& wave = mixer.playback_ctls()[1];
    EXPECT_EQ(wave.name, "Wave");
    EXPECT_EQ(wave.volume_id, card.playback_volume_control(1));
    EXPECT_EQ(wave.mute_id, card.playback_mute_control(1));
    EXPECT_EQ(mixer.autodetect(), 3);
}

TEST_F(MixerTest, EachFailingStepOfOpenHasItsMessageAndItsEnd)
{
    struct Case {
        Step step;
        std::vector<std::string> messages;
        std::string first_event; // "" when open ends without events
        int32_t detected;
    };
    const Case cases[] = {
        {Step::Open, {"Error to get default Mixer!"}, "", 0},
        {Step::WaveIn, {}, "", 0},
        {Step::Mux, {"Error to get Record line!"}, "open 0 2", 0},
        {Step::MuxList, {"Error to get mux list data"}, "open 0 2", -1},
        {Step::MuxValues, {"Error to get mux select list"}, "open 0 2", -1},
        {Step::Speakers, {"Error to get Record line!"}, "open 4 0", 3},
        {Step::Probe, {}, "open 4 2", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.step));
        QueueDispatcher quiet;
        FakeMixerDevice failing_card(quiet);
        RecordingMessageSink shown;
        tmixer component(failing_card, shown);
        std::vector<std::string> heard;
        component.onmixeropen = [&](const std::vector<line>& l, const std::vector<control>& c) {
            heard.push_back("open " + std::to_string(l.size()) + " " + std::to_string(c.size()));
        };
        failing_card.add_source("Line In", MIXERLINE_COMPONENTTYPE_SRC_LINE);
        failing_card.add_source("Mic", MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE);
        failing_card.add_source("Wave Out Mix", MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT);
        failing_card.add_source("What U Hear", MIXERLINE_COMPONENTTYPE_SRC_ANALOG);
        failing_card.add_playback("Master", 1, 0);
        failing_card.add_playback("Wave", 2, 0);
        failing_card.fail(c.step);
        if (c.step == Step::Mux)
            failing_card.remove_mux();
        component.open();
        EXPECT_EQ(shown.messages, c.messages);
        EXPECT_EQ(heard.empty() ? "" : heard[0], c.first_event);
        EXPECT_EQ(component.autodetect(), c.detected);
    }
}

// A card that is still being found says nothing and reports nothing; the
// owner hears when it answered and opens again.
TEST_F(MixerTest, ACardStillOpeningAnswersLater)
{
    usual_card();
    int lines_changes = 0;
    mixer.onlineschange = [&](tmixer*) { ++lines_changes; };
    card.hold_answer();
    open_and_settle();
    EXPECT_FALSE(mixer.is_open());
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(messages.messages.empty()) << messages.messages[0];

    card.answer();
    dispatcher.run_pending();
    ASSERT_EQ(lines_changes, 1);
    open_and_settle();
    EXPECT_TRUE(mixer.is_open());
    EXPECT_EQ(events.front(), "open 4 2");
}

TEST_F(MixerTest, WithoutAnOpenHandlerTheLinesAreStillReported)
{
    usual_card();
    mixer.onmixeropen = nullptr;
    mixer.open();
    EXPECT_EQ(messages.messages, std::vector<std::string>{"Error to get Record line muxs!"});
    EXPECT_EQ(events.front(), "mute 0 0");
    EXPECT_EQ(events.back(), "volume 65535 0");
}

TEST_F(MixerTest, SourcesWithoutControlsAreLeftOutButTheirSelectionCounts)
{
    card.add_source("Phone Line", MIXERLINE_COMPONENTTYPE_SRC_LINE, 0, 0);
    card.add_source("Aux", MIXERLINE_COMPONENTTYPE_SRC_AUXILIARY);
    card.add_source("Line 2", MIXERLINE_COMPONENTTYPE_SRC_LINE, 22);
    card.add_source("Line 3", MIXERLINE_COMPONENTTYPE_SRC_LINE, 33);
    card.select(0);
    card.add_playback("Master", 0, 0);
    open_and_settle();
    ASSERT_EQ(mixer.record_lines().size(), 3u);
    EXPECT_EQ(mixer.record_lines()[0].mux_index, 1);
    EXPECT_EQ(mixer.selected_line(), -1) << "the selected item is no record source";
    card.select(3);
    open_and_settle();
    EXPECT_EQ(mixer.selected_line(), 2) << "Line 3, after two listed sources";
    card.select(0);
    open_and_settle();

    // The first line-in with controls, not the one without; the item
    // selected at open even though it is not listed.
    mixer.select_mux(1, 99);
    EXPECT_EQ(mixer.mux_selected, 2u);
    EXPECT_EQ(events.back(), "volume 65535 22");
    mixer.select_mux(7, 0);
    EXPECT_EQ(mixer.mux_selected, 0u);
    // No microphone or CD source: item 0.
    mixer.select_mux(2, 0);
    EXPECT_EQ(mixer.mux_selected, 0u);
    mixer.select_mux(3, 0);
    EXPECT_EQ(mixer.mux_selected, 0u);
}

TEST_F(MixerTest, SelectMuxKindsReadTheLevelAndHoldTheSelection)
{
    usual_card();
    open_and_settle();
    card.forget_writes();
    events.clear();

    mixer.select_mux(0, 3);
    EXPECT_EQ(mixer.mux_selected, 3u);
    EXPECT_EQ(events, std::vector<std::string>{"volume 65535 400"});
    EXPECT_EQ(card.writes(), std::vector<std::string>{"mux 3"});
    dispatcher.run_pending(); // its own write comes back and finds item 3 selected
    EXPECT_EQ(card.writes().size(), 1u);

    const struct {
        int32_t kind;
        uint32_t selected;
    } kinds[] = {{1, 0}, {2, 1}, {3, 2}, {4, 1}, {-1, 1}};
    for (const auto& k : kinds) {
        mixer.select_mux(k.kind, 0);
        EXPECT_EQ(mixer.mux_selected, k.selected) << k.kind;
        EXPECT_EQ(card.mux_state()[k.selected], 1u) << k.kind;
        dispatcher.run_pending();
    }

    // Another program selects a source: the component selects its own again.
    card.forget_writes();
    card.select_from_outside(3);
    dispatcher.run_pending();
    EXPECT_EQ(card.writes(), std::vector<std::string>{"mux 1"});
    EXPECT_EQ(card.mux_state()[1], 1u);
}

TEST_F(MixerTest, ChoicesLeftOpenTouchNothing)
{
    usual_card();
    card.remove_mux();
    open_and_settle();
    card.forget_writes();
    events.clear();
    mixer.setvolume(kRecordLevel, 5000); // no recording level found yet
    mixer.select_mux(0, 0);              // the list is empty without a MUX
    mixer.select_mux(1, 0);              // no MUX to hold
    mixer.setvolume(7, 5000);
    mixer.setmute(7, 1);
    dispatcher.run_pending();
    EXPECT_TRUE(card.writes().empty());
    EXPECT_TRUE(events.empty());
}

TEST_F(MixerTest, NotificationsReachTheMatchingControlAndWritesGoToTheirControl)
{
    usual_card();
    open_and_settle();
    mixer.select_mux(0, 1);
    dispatcher.run_pending();
    card.forget_writes();
    events.clear();

    mixer.setvolume(kRecordLevel, 1234);
    mixer.setvolume(1, 4321);
    mixer.setmute(0, 1);
    EXPECT_EQ(card.writes(),
              (std::vector<std::string>{
                  "value " + std::to_string(card.source_volume_control(1)) + "=1234",
                  "value " + std::to_string(card.playback_volume_control(1)) + "=4321",
                  "value " + std::to_string(card.playback_mute_control(0)) + "=1",
              }));
    EXPECT_TRUE(events.empty()) << "writes raise no event themselves";
    dispatcher.run_pending();
    EXPECT_EQ(events, (std::vector<std::string>{"volume 65535 1234", "volume 1 4321", "mute 0 1"}));

    events.clear();
    card.change_from_outside(card.playback_mute_control(1), 0);
    card.change_from_outside(card.source_volume_control(3), 9); // not the selected source's
    card.change_from_outside(card.playback_volume_control(0), 77);
    dispatcher.run_pending();
    EXPECT_EQ(events, (std::vector<std::string>{"mute 1 0", "volume 0 77"}));
    EXPECT_EQ(mixer.playback_ctls()[0].volume, 77u);
}

TEST(MixerDetection, WordsAreFoundAnywhereInAnyCase)
{
    for (const char* name : {"Stereo Mix", "What U Hear", "Wave", "Monitor of Speakers"})
        EXPECT_TRUE(clean_source_name(name)) << name;
    for (const char* name : {"MIDI Synth", "Mono Mix", "Telephone", "AUX", "Digital In", "CD", "SPDIF", "Line-In Mix",
                             "Mic Boost", "TAD-In", "Video", "Academic", "DigiMix"})
        EXPECT_FALSE(clean_source_name(name)) << name;
}

TEST(MixerDetection, TheLastCleanAnalogSourceBeatsTheFirstCleanWaveSource)
{
    struct Case {
        std::vector<std::pair<std::string, uint32_t>> sources;
        int32_t detected;
    };
    const uint32_t analog = MIXERLINE_COMPONENTTYPE_SRC_ANALOG, wave = MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT,
                   undefined = MIXERLINE_COMPONENTTYPE_SRC_UNDEFINED, line_in = MIXERLINE_COMPONENTTYPE_SRC_LINE;
    const Case cases[] = {
        {{{"Wave", wave}, {"Mix A", analog}, {"Mix B", analog}}, 2},
        {{{"Mix A", analog}, {"Line Mix", analog}}, 0},
        {{{"Playback", undefined}, {"Wave", wave}}, 0},
        {{{"Wave Line", wave}, {"Wave", wave}}, 1},
        {{{"Line In", line_in}, {"Digital Mix", analog}}, -1},
        {{}, -1},
    };
    for (const Case& c : cases) {
        QueueDispatcher dispatcher;
        FakeMixerDevice card(dispatcher);
        RecordingMessageSink messages;
        tmixer mixer(card, messages);
        for (const auto& [name, type] : c.sources)
            card.add_source(name, type);
        card.add_playback("Master", 0, 0);
        mixer.open();
        EXPECT_EQ(mixer.autodetect(), c.detected) << (c.sources.empty() ? "" : c.sources[0].first);
    }
}

} // namespace
} // namespace ornavox
