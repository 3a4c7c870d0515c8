#pragma once

#include "platform/dispatcher.h"
#include "platform/mixer_device.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace ornavox {

// A scriptable sound card for unit tests: a recording destination whose MUX
// lists the record sources, and a speakers destination with playback lines.
// Like a real driver it reports every write, its own included, as a control
// change through the dispatcher. Any step can be made to fail.
//
// Thread contract: every call, the test's and the component's, on one thread.
class FakeMixerDevice : public MixerDevice {
public:
    enum class Step {
        Probe,      // default_mixer_id
        Open,       // open
        WaveIn,     // the recording destination
        Mux,        // the recording destination's MUX control
        MuxList,    // the MUX's list texts
        MuxValues,  // reading the MUX's values
        Speakers,   // the speakers destination
        SourceLine, // line_by_source
        RecordLine, // line_by_id
    };

    explicit FakeMixerDevice(Dispatcher& dispatcher);

    // Every call of that step fails from now on.
    void fail(Step step) { failing_.insert(step); }
    // open() fails as still opening until answer(), which tells the
    // listener of that open() through the dispatcher.
    void hold_answer() { holding_ = true; }
    void answer();
    // The recording destination has no MUX at all.
    void remove_mux() { has_mux_ = false; }

    // Adds a MUX item; with `controls` 0 its line has no controls. Returns the
    // item's index; its volume control's id is volume_control(index).
    uint32_t add_source(const std::string& name, uint32_t component_type, uint32_t volume = 0, uint32_t controls = 1);
    // Adds a playback line: the first one added is the speakers destination
    // itself, the others its source lines. `controls` false makes a line
    // without any. Returns the line's index.
    uint32_t add_playback(const std::string& name, uint32_t volume, uint32_t mute, bool has_volume = true,
                          bool has_mute = true, bool controls = true);
    void select(uint32_t item) { mux_values_.assign(mux_values_.size(), 0), mux_values_.at(item) = 1; }

    uint32_t mux_control() const { return mux_id_; }
    uint32_t source_volume_control(uint32_t item) const { return sources_.at(item).volume_id; }
    uint32_t playback_volume_control(uint32_t index) const { return playback_.at(index).volume_id; }
    uint32_t playback_mute_control(uint32_t index) const { return playback_.at(index).mute_id; }
    const std::vector<uint32_t>& mux_state() const { return mux_values_; }
    uint32_t control_value(uint32_t control_id) const { return values_.at(control_id); }

    // Another program changes the card: the value changes and the
    // notification follows through the dispatcher.
    void change_from_outside(uint32_t control_id, uint32_t value);
    void select_from_outside(uint32_t item);
    void change_lines_from_outside();

    // Times the MUX's values were read.
    int mux_reads() const { return mux_reads_; }
    // Every write, in order: "mux <item>" or "value <id>=<value>".
    const std::vector<std::string>& writes() const { return writes_; }
    void forget_writes() { writes_.clear(); }
    bool is_open() const { return listener_ != nullptr; }

    std::optional<uint32_t> default_mixer_id() override;
    bool open(uint32_t mixer_id, MixerListener& listener) override;
    bool opening() const override { return holding_; }
    void close() override;
    bool line_by_component_type(uint32_t component_type, MixerLine& line) override;
    bool line_by_id(uint32_t line_id, MixerLine& line) override;
    bool line_by_source(uint32_t destination, uint32_t source, MixerLine& line) override;
    bool control_by_type(uint32_t line_id, MixerControlType type, MixerControl& control) override;
    bool mux_list(uint32_t control_id, std::vector<MuxItem>& items) override;
    bool mux_values(uint32_t control_id, std::vector<uint32_t>& values) override;
    bool set_mux_values(uint32_t control_id, const std::vector<uint32_t>& values) override;
    void choose_missing_source(const std::string& id) override;
    // The id that choose_missing_source() was last given.
    const std::string& missing_source() const { return missing_; }
    bool value(uint32_t control_id, uint32_t& value) override;
    bool set_value(uint32_t control_id, uint32_t value) override;

private:
    struct Line {
        std::string name;
        uint32_t line_id = 0;
        uint32_t component_type = 0;
        uint32_t controls = 0;
        uint32_t volume_id = 0; // 0: none
        uint32_t mute_id = 0;   // 0: none
    };

    bool failing(Step step) const { return failing_.count(step) > 0; }
    uint32_t new_control(uint32_t value);
    void notify(uint32_t control_id);

    Dispatcher& dispatcher_;
    MixerListener* listener_ = nullptr;
    MixerListener* waiting_ = nullptr; // of an open() while the answer is held
    bool holding_ = false;
    std::set<Step> failing_;
    bool has_mux_ = true;
    uint32_t next_id_ = 1;
    uint32_t wavein_line_id_;
    uint32_t mux_id_;
    std::vector<Line> sources_;
    std::vector<uint32_t> mux_values_;
    std::vector<Line> playback_; // [0] the speakers destination
    std::map<uint32_t, uint32_t> values_;
    std::vector<std::string> writes_;
    int mux_reads_ = 0;
    std::string missing_;
};

} // namespace ornavox
