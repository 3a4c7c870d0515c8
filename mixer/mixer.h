#pragma once

#include "platform/message_sink.h"
#include "platform/mixer_device.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ornavox {

// A recording source: an item of the recording line's MUX whose source line
// has controls.
struct line {
    std::string name;
    uint32_t line_id = 0;
    int32_t mux_index = 0;
    uint32_t component_type = 0;
    uint32_t control_count = 0;
    uint32_t target_type = 0;
    std::string source_id; // the system's own name of the source, see MuxItem
};

// A playback line, the speakers destination or one of its sources, with its
// volume and mute controls. A line that lacks one of them holds kNoControl
// there, which matches no control, and 0 as its value.
struct control {
    std::string name;
    uint32_t line_id = 0;
    uint32_t volume = 0;
    uint32_t volume_id = 0;
    uint32_t mute = 0;
    uint32_t mute_id = 0;
};

inline constexpr uint32_t kNoControl = 0xFFFFFFFF;
// The control_sort that stands for the selected source's recording level.
inline constexpr uint32_t kRecordLevel = 65535;

using tmixeropen =
    std::function<void(const std::vector<line>& record_lines, const std::vector<control>& playback_ctls)>;
using tgetvolume = std::function<void(uint32_t control_sort, uint32_t volume)>;
using tgetmute = std::function<void(uint32_t control_sort, uint32_t mute)>;

// The mixer component: finds the recording line's sources and the playback
// lines, keeps the chosen source selected, sets levels and mutes, proposes a
// source, and reports changes made by other programs.
//
// GUI thread only. The device's change notifications arrive through its
// listener interface on the GUI thread.
class tmixer : private MixerListener {
public:
    tmixer(MixerDevice& device, MessageSink& messages);
    ~tmixer() override;
    tmixer(const tmixer&) = delete;
    tmixer& operator=(const tmixer&) = delete;

    // Published properties; writing one only stores it.
    uint32_t mixerid = 0;
    uint32_t mux_selected = 0;
    tmixeropen onmixeropen;
    tgetvolume onvolumechange;
    tgetmute onmutechange;
    // The device's lines came or went, or it was reconnected: the owner calls
    // open() again to read them anew.
    std::function<void(tmixer*)> onlineschange;

    // Reads the mixer and reports through the events and messages. A second
    // open re-reads everything.
    void open();
    void close();

    void select_mux(int32_t kind, int32_t index);
    // Chooses a source that is not there now by its id (line::source_id).
    void select_missing(const std::string& source_id);
    void setvolume(uint32_t index, uint32_t value);
    void setmute(uint32_t index, uint32_t value);
    int32_t autodetect() const;

    bool is_open() const { return open_; }
    const std::vector<line>& record_lines() const { return record_lines_; }
    const std::vector<control>& playback_ctls() const { return playback_ctls_; }
    // The record_lines entry of that item; -1 when no item was selected or
    // the selected one is not a record source.
    int32_t selected_line() const { return selected_line_; }

private:
    void control_changed(uint32_t control_id) override;
    void lines_changed() override;

    void read_record_side();
    void read_playback_side();
    void enforce_mux();
    int32_t detect() const;
    uint32_t read_value(uint32_t control_id, uint32_t fallback);

    MixerDevice& device_;
    MessageSink& messages_;
    bool open_ = false;
    bool last_result_ = true;

    std::vector<line> record_lines_;
    std::vector<control> playback_ctls_;
    std::optional<uint32_t> mux_id_; // none when the recording line has no MUX
    uint32_t mux_items_ = 0;
    std::vector<MuxItem> mux_list_;
    std::vector<uint32_t> mux_values_;
    uint32_t wavein_line_id_ = 0;
    uint32_t speakers_line_id_ = 0;
    uint32_t speakers_destination_ = 0;
    int32_t first_line_ = 0;
    int32_t first_microphone_ = 0;
    int32_t first_cd_ = 0;
    int32_t selected_at_open_ = 0; // the MUX item selected when open() read the MUX values
    int32_t selected_line_ = -1;
    int32_t detected_ = 0;
    uint32_t record_volume_id_ = 0;
    uint32_t record_volume_ = 0;
    bool has_record_volume_ = false; // a select_mux found a recording level control
};

// Whether a source name holds none of the words that mark a source other than
// the mix of what is played.
bool clean_source_name(const std::string& name);

} // namespace ornavox
