#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ornavox {

// Component types of mixer lines, with the values of the mixer line model.
inline constexpr uint32_t MIXERLINE_COMPONENTTYPE_DST_SPEAKERS = 4;
inline constexpr uint32_t MIXERLINE_COMPONENTTYPE_DST_WAVEIN = 7;
inline constexpr uint32_t MIXERLINE_COMPONENTTYPE_SRC_UNDEFINED = 0x1000;
inline constexpr uint32_t MIXERLINE_COMPONENTTYPE_SRC_LINE = 0x1002;
inline constexpr uint32_t MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE = 0x1003;
inline constexpr uint32_t MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC = 0x1005;
inline constexpr uint32_t MIXERLINE_COMPONENTTYPE_SRC_TELEPHONE = 0x1006;
inline constexpr uint32_t MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT = 0x1008;
inline constexpr uint32_t MIXERLINE_COMPONENTTYPE_SRC_AUXILIARY = 0x1009;
inline constexpr uint32_t MIXERLINE_COMPONENTTYPE_SRC_ANALOG = 0x100A;

inline constexpr uint32_t MIXERLINE_TARGETTYPE_UNDEFINED = 0;
inline constexpr uint32_t MIXERLINE_TARGETTYPE_WAVEOUT = 1;
inline constexpr uint32_t MIXERLINE_TARGETTYPE_WAVEIN = 2;

// A line of the mixer: a destination, or a source connected to one.
struct MixerLine {
    uint32_t line_id = 0;
    uint32_t destination = 0; // index of the destination the line is, or belongs to
    uint32_t component_type = 0;
    uint32_t target_type = MIXERLINE_TARGETTYPE_UNDEFINED;
    uint32_t connections = 0; // of a destination: its number of source lines
    uint32_t controls = 0;    // number of controls of the line
    std::string name;
};

enum class MixerControlType { Volume, Mute, Mux };

struct MixerControl {
    uint32_t control_id = 0;
    uint32_t items = 0; // of a MUX: its number of items
};

// One item of a MUX control's list: the source line it stands for.
struct MuxItem {
    uint32_t line_id = 0;
    uint32_t component_type = 0;
    std::string name; // at most 64 characters
    // The system's own name of the source, which outlives a restart: the
    // server's source name, or the endpoint's id.
    std::string id;
};

// Hears of changed controls, on the GUI thread through the dispatcher, in the
// order the sound system reported them.
class MixerListener {
public:
    virtual ~MixerListener() = default;
    virtual void control_changed(uint32_t control_id) = 0;
    // Lines came or went, the sound system was reconnected, or an open() that
    // was still opening has its answer: what open() read no longer holds and
    // the owner reads it all again.
    virtual void lines_changed() = 0;
};

// The mixer of the sound card: destinations (recording, speakers) with their
// source lines, each line with controls. Every call is made on the GUI thread
// and answers at once; a false result means the query or write failed.
// Volumes are fader values 0 to 65535; mutes 0 or 1; MUX values one per item,
// the selected one non-zero.
class MixerDevice {
public:
    virtual ~MixerDevice() = default;

    // The mixer of the default output device; nullopt when none is found.
    virtual std::optional<uint32_t> default_mixer_id() = 0;
    virtual bool open(uint32_t mixer_id, MixerListener& listener) = 0;
    // After a failed open(): true when the device is still finding out what
    // the system has (a sound server that has not answered yet). The listener
    // then hears lines_changed() once it knows.
    virtual bool opening() const { return false; }
    virtual void close() = 0;

    virtual bool line_by_component_type(uint32_t component_type, MixerLine& line) = 0;
    virtual bool line_by_id(uint32_t line_id, MixerLine& line) = 0;
    virtual bool line_by_source(uint32_t destination, uint32_t source, MixerLine& line) = 0;
    virtual bool control_by_type(uint32_t line_id, MixerControlType type, MixerControl& control) = 0;

    virtual bool mux_list(uint32_t control_id, std::vector<MuxItem>& items) = 0;
    virtual bool mux_values(uint32_t control_id, std::vector<uint32_t>& values) = 0;
    virtual bool set_mux_values(uint32_t control_id, const std::vector<uint32_t>& values) = 0;
    // Chooses a source by its id although the system does not list it now
    // (unplugged): no item is selected, and a recording fails until it is
    // back or another is chosen.
    virtual void choose_missing_source(const std::string& id) = 0;

    virtual bool value(uint32_t control_id, uint32_t& value) = 0;
    virtual bool set_value(uint32_t control_id, uint32_t value) = 0;
};

} // namespace ornavox
