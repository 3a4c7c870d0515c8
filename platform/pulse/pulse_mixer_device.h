#pragma once

#include "platform/dispatcher.h"
#include "platform/mixer_device.h"
#include "platform/posted_guard.h"
#include "platform/pulse/pulse_session.h"

#include <pulse/introspect.h>
#include <pulse/volume.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace ornavox {

// The sound server seen as the mixer of one sound card:
// - the recording destination's MUX lists every source, monitors included,
//   in index order; then, while there is a default sink, "What you hear"
//   (its monitor, whichever sink is the default: the mix of what is played,
//   which auto-detection prefers) and a call item for each source that is
//   not a monitor, typed as a telephone so that no line kind picks it. The
//   level of "What you hear" is the default monitor's, a call's its voice's.
//   Selecting an item chooses the source of our own record stream (the
//   session's record source), never the server's default. The selected item
//   is that choice, by its id: where our stream is now, or which source is
//   the default, never changes it. A chosen source that left the server
//   leaves no item selected;
// - the speakers destination is the default sink, and its source lines are
//   the playback streams on it when open() ran.
// Line and control ids are ours, unique for the run.
//
// Server objects are kept as values copied out of the info callbacks, keyed
// by the server's index, so every query answers at once from the GUI
// thread's copy. The mainloop thread only copies what the server sent and
// posts it through the dispatcher, in order. A control change is raised only
// when a value the mixer shows really differs. Writes go out without waiting.
//
// Nothing here waits for the server. Each connection is read in full in the
// background; until that copy is there, open() fails as still opening and
// connects, and the listener hears lines_changed() once the copy came or the
// server could not be reached.
//
// Thread contract: everything public on the GUI thread.
class PulseMixerDevice : public MixerDevice, private PulseSessionListener {
public:
    PulseMixerDevice(PulseSession& session, Dispatcher& dispatcher);
    ~PulseMixerDevice() override;
    PulseMixerDevice(const PulseMixerDevice&) = delete;
    PulseMixerDevice& operator=(const PulseMixerDevice&) = delete;

    std::optional<uint32_t> default_mixer_id() override;
    bool open(uint32_t mixer_id, MixerListener& listener) override;
    bool opening() const override { return waiting_; }
    void close() override;
    bool line_by_component_type(uint32_t component_type, MixerLine& line) override;
    bool line_by_id(uint32_t line_id, MixerLine& line) override;
    bool line_by_source(uint32_t destination, uint32_t source, MixerLine& line) override;
    bool control_by_type(uint32_t line_id, MixerControlType type, MixerControl& control) override;
    bool mux_list(uint32_t control_id, std::vector<MuxItem>& items) override;
    bool mux_values(uint32_t control_id, std::vector<uint32_t>& values) override;
    bool set_mux_values(uint32_t control_id, const std::vector<uint32_t>& values) override;
    void choose_missing_source(const std::string& id) override;
    bool value(uint32_t control_id, uint32_t& value) override;
    bool set_value(uint32_t control_id, uint32_t value) override;

    // The name of the source a MUX item stands for, for tests and messages.
    std::string mux_source_name(uint32_t item) const;

private:
    enum class Kind { Source, Sink, SinkInput, WhatYouHear, Call };

    struct Source {
        uint32_t index = PA_INVALID_INDEX;
        std::string name, description, form_factor;
        int port_type = -1; // pa_device_port_type_t of the active port, -1 none
        uint32_t monitor_of_sink = PA_INVALID_INDEX;
        pa_cvolume volume{};
    };
    struct Sink {
        uint32_t index = PA_INVALID_INDEX;
        std::string name, description;
        pa_cvolume volume{};
        bool mute = false;
    };
    struct SinkInput {
        uint32_t index = PA_INVALID_INDEX;
        uint32_t sink = PA_INVALID_INDEX;
        std::string name;
        pa_cvolume volume{};
        bool has_volume = true;
        bool mute = false;
    };
    struct Model {
        std::map<uint32_t, Source> sources;
        std::map<uint32_t, Sink> sinks;
        std::map<uint32_t, SinkInput> inputs;
        std::string default_sink, default_source;
    };
    struct Ids {
        uint32_t line = 0, volume = 0, mute = 0;
    };
    struct Levels {
        const pa_cvolume* volume = nullptr;
        const bool* mute = nullptr;
    };
    // An item of the MUX: a source, "What you hear", or the call of a source.
    struct MuxEntry {
        Kind kind;
        uint32_t source;
    };
    struct ControlRef {
        Kind kind;
        uint32_t index;
        bool mute;
    };
    // The four lists of one connection, filled on the mainloop thread. Its
    // operations are cancelled when it goes, so no callback outlives it.
    struct Reading {
        PulseMixerDevice* device = nullptr;
        uint64_t number = 0;
        Model model;
        int unanswered = 4;
        bool failed = false;
        std::vector<PulseOperationPtr> operations;
    };

    // PulseSessionListener, on the GUI thread.
    void session_ready() override;
    void session_lost(const std::string& reason) override;
    void session_unavailable(const std::string& reason) override;
    void server_event(pa_subscription_event_type_t facility, pa_subscription_event_type_t type,
                      uint32_t index) override;

    // Mainloop thread: copies and posts.
    static void source_listed(pa_context*, const pa_source_info* info, int eol, void* model);
    static void sink_listed(pa_context*, const pa_sink_info* info, int eol, void* model);
    static void input_listed(pa_context*, const pa_sink_input_info* info, int eol, void* model);
    static void server_listed(pa_context*, const pa_server_info* info, void* model);
    template <class Info, void (*listed)(pa_context*, const Info*, int, void*)>
    static void read_into(pa_context* context, const Info* info, int eol, void* reading);
    static void server_read(pa_context*, const pa_server_info* info, void* reading);
    static void list_answered(Reading& reading, int eol);
    static void source_updated(pa_context*, const pa_source_info* info, int eol, void* device);
    static void sink_updated(pa_context*, const pa_sink_info* info, int eol, void* device);
    static void input_updated(pa_context*, const pa_sink_input_info* info, int eol, void* device);
    static void server_updated(pa_context*, const pa_server_info* info, void* device);
    template <class Value>
    void post_update(Value value);

    // GUI thread.
    void start_reading();
    void model_read(uint64_t number, bool ok, Model model);
    void settle(bool reachable);
    void apply(const Source& source);
    void apply(const Sink& sink);
    void apply(const SinkInput& input);
    void apply_defaults(const std::string& default_sink, const std::string& default_source);
    void removed(Kind kind, uint32_t index);
    void changed_if(uint32_t control_id, uint32_t before, uint32_t after);
    void lines_changed();
    Ids& ids(Kind kind, uint32_t index);
    const Ids* find_ids(Kind kind, uint32_t index) const;
    Levels levels(Kind kind, uint32_t index) const;
    uint32_t component_type(const Source& source) const;
    const Sink* default_sink() const;
    const Source* default_monitor() const;
    // The source whose level an item's line has; nullptr when it is gone.
    const Source* level_source(const MuxEntry& entry) const;
    // The item's id, as the session keeps the choice, and its description.
    std::string entry_id(const MuxEntry& entry) const;
    std::string entry_description(const MuxEntry& entry) const;
    std::string input_name(const SinkInput& input) const;
    void track(pa_operation* operation);

    PulseSession& session_;
    Dispatcher& dispatcher_;
    PostedGuard<PulseMixerDevice> guard_;
    PulseSession::Listening listening_;
    MixerListener* listener_ = nullptr; // kept after a failed open, to hear of the server's return
    bool open_ = false;
    bool connected_ = false;   // model_ holds what this connection's server has
    bool waiting_ = false;     // an open() failed for now and waits for the answer
    bool unreachable_ = false; // the awaited answer was no: the next open() fails for good
    uint64_t readings_ = 0;    // number of the last reading started
    std::vector<std::pair<Kind, uint32_t>> removed_while_reading_;
    Model model_;
    std::vector<MuxEntry> mux_entries_;    // each MUX item, as open() found them
    std::vector<uint32_t> speaker_inputs_; // sink-input index of each speakers source line
    std::map<std::pair<Kind, uint32_t>, Ids> ids_;
    std::map<uint32_t, ControlRef> controls_;
    std::map<uint32_t, uint32_t> last_known_; // value last reported or written, per control
    uint32_t next_id_ = 3;
    // Under the session's lock: updates asked of the server.
    std::vector<PulseOperationPtr> pending_;
    // The reading under way. Made and dropped on the GUI thread under the
    // session's lock; what it holds belongs to the mainloop thread.
    std::unique_ptr<Reading> reading_;
};

} // namespace ornavox
