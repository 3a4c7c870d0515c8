#include "platform/pulse/pulse_mixer_device.h"

#include "base/list_name.h"
#include "platform/record_source_id.h"

#include <pulse/proplist.h>

#include <algorithm>
#include <cmath>
#include <utility>

namespace ornavox {

namespace {

constexpr uint32_t kRecordLineId = 1;
constexpr uint32_t kMuxId = 2;
constexpr uint32_t kRecordDestination = 0;
constexpr uint32_t kSpeakersDestination = 1;
constexpr double kFaderTop = 65535.0;

uint32_t fader(const pa_cvolume& volume)
{
    if (!pa_cvolume_valid(&volume))
        return 0;
    const double value = std::round(pa_cvolume_max(&volume) * kFaderTop / PA_VOLUME_NORM);
    return static_cast<uint32_t>(std::min(value, kFaderTop));
}

pa_volume_t from_fader(uint32_t value)
{
    return static_cast<pa_volume_t>(std::lround(std::min<double>(value, kFaderTop) * PA_VOLUME_NORM / kFaderTop));
}

std::string text_or_empty(const char* text)
{
    return text ? text : "";
}

} // namespace

PulseMixerDevice::PulseMixerDevice(PulseSession& session, Dispatcher& dispatcher)
    : session_(session), dispatcher_(dispatcher), guard_(this)
{
    listening_ = session_.listen(*this,
                                 PA_SUBSCRIPTION_MASK_SOURCE | PA_SUBSCRIPTION_MASK_SINK
                                     | PA_SUBSCRIPTION_MASK_SINK_INPUT | PA_SUBSCRIPTION_MASK_SERVER);
}

PulseMixerDevice::~PulseMixerDevice()
{
    if (session_.mainloop()) {
        auto lock = session_.lock();
        pending_.clear();
        reading_.reset();
    }
}

std::optional<uint32_t> PulseMixerDevice::default_mixer_id()
{
    return 0;
}

// Answers at once: from the copy of the server when there is one; else it
// fails, as still opening while the server may yet answer.
bool PulseMixerDevice::open(uint32_t, MixerListener& listener)
{
    listener_ = &listener;
    if (!connected_) {
        open_ = false;
        if (std::exchange(unreachable_, false)) {
            waiting_ = false;
            return false;
        }
        waiting_ = true;
        if (!session_.connected())
            session_.connect_in_background();
        else if (!reading_)
            start_reading();
        return false;
    }
    waiting_ = false;
    open_ = true;
    mux_entries_.clear();
    for (const auto& [index, source] : model_.sources)
        mux_entries_.push_back({Kind::Source, index});
    if (default_monitor()) {
        mux_entries_.push_back({Kind::WhatYouHear, 0});
        for (const auto& [index, source] : model_.sources)
            if (source.monitor_of_sink == PA_INVALID_INDEX)
                mux_entries_.push_back({Kind::Call, index});
    }
    // The server's default at the first open counts as chosen, so that one
    // item is always selected and a later change of the default moves
    // nothing. A choice made before is kept, also when its source is gone.
    if (session_.record_source().empty())
        for (const auto& [index, source] : model_.sources)
            if (source.name == model_.default_source)
                session_.set_record_source(source.name, source.description);
    speaker_inputs_.clear();
    if (const Sink* sink = default_sink())
        for (const auto& [index, input] : model_.inputs)
            if (input.sink == sink->index)
                speaker_inputs_.push_back(index);
    return true;
}

void PulseMixerDevice::close()
{
    listener_ = nullptr;
    open_ = false;
    waiting_ = false;
}

// Asks for everything at once; the answers come back as one copy, posted.
void PulseMixerDevice::start_reading()
{
    auto lock = session_.lock();
    pa_context* context = session_.context();
    if (!context)
        return;
    removed_while_reading_.clear();
    reading_ = std::make_unique<Reading>();
    Reading& r = *reading_;
    r.device = this;
    r.number = ++readings_;
    r.operations.emplace_back(pa_context_get_server_info(context, server_read, &r));
    r.operations.emplace_back(pa_context_get_source_info_list(context, read_into<pa_source_info, source_listed>, &r));
    r.operations.emplace_back(pa_context_get_sink_info_list(context, read_into<pa_sink_info, sink_listed>, &r));
    r.operations.emplace_back(
        pa_context_get_sink_input_info_list(context, read_into<pa_sink_input_info, input_listed>, &r));
    for (const PulseOperationPtr& operation : r.operations)
        if (!operation)
            list_answered(r, -1);
}

// Mainloop thread: one list is complete, or failed (eol < 0).
void PulseMixerDevice::list_answered(Reading& reading, int eol)
{
    reading.failed = reading.failed || eol < 0;
    if (--reading.unanswered != 0)
        return;
    PulseMixerDevice& self = *reading.device;
    self.dispatcher_.post([device = self.guard_.ref(), number = reading.number, ok = !reading.failed,
                           model = std::move(reading.model)]() mutable {
        if (PulseMixerDevice* alive = device.get())
            alive->model_read(number, ok, std::move(model));
    });
}

// A list's entries are copied into the reading; its end is counted.
template <class Info, void (*listed)(pa_context*, const Info*, int, void*)>
void PulseMixerDevice::read_into(pa_context* context, const Info* info, int eol, void* reading)
{
    auto& r = *static_cast<Reading*>(reading);
    if (eol)
        list_answered(r, eol);
    else
        listed(context, info, eol, &r.model);
}

void PulseMixerDevice::server_read(pa_context* context, const pa_server_info* info, void* reading)
{
    auto& r = *static_cast<Reading*>(reading);
    server_listed(context, info, &r.model);
    list_answered(r, info ? 1 : -1);
}

// GUI thread: the copy of a connection's server came. Indexes start anew on
// a new server: so do our ids for them. What left the server while the lists
// were read may still be in them.
void PulseMixerDevice::model_read(uint64_t number, bool ok, Model model)
{
    if (number != readings_)
        return;
    {
        auto lock = session_.lock();
        reading_.reset();
    }
    if (!ok) {
        settle(false);
        return;
    }
    ids_.clear();
    controls_.clear();
    last_known_.clear();
    model_ = std::move(model);
    connected_ = true;
    for (const auto& [kind, index] : std::exchange(removed_while_reading_, {}))
        removed(kind, index);
    settle(true);
}

// A copy came: the owner reads everything again. No server: an open() that
// waits for it hears so; nobody else needs to.
void PulseMixerDevice::settle(bool reachable)
{
    const bool waited = std::exchange(waiting_, false);
    if (!reachable && !waited)
        return;
    unreachable_ = !reachable;
    lines_changed();
}

template <class Value>
void PulseMixerDevice::post_update(Value value)
{
    dispatcher_.post([device = guard_.ref(), value = std::move(value)] {
        if (PulseMixerDevice* alive = device.get())
            alive->apply(value);
    });
}

namespace {

template <class Info>
uint32_t port_type_of(const Info* info)
{
    return info->active_port ? static_cast<int>(info->active_port->type) : -1;
}

} // namespace

// The copies, made on the mainloop thread.

void PulseMixerDevice::source_listed(pa_context*, const pa_source_info* info, int, void* model)
{
    if (!info)
        return;
    Source source;
    source.index = info->index;
    source.name = text_or_empty(info->name);
    source.description = text_or_empty(info->description);
    source.form_factor = text_or_empty(pa_proplist_gets(info->proplist, PA_PROP_DEVICE_FORM_FACTOR));
    source.port_type = static_cast<int>(port_type_of(info));
    source.monitor_of_sink = info->monitor_of_sink;
    source.volume = info->volume;
    static_cast<Model*>(model)->sources[info->index] = std::move(source);
}

void PulseMixerDevice::sink_listed(pa_context*, const pa_sink_info* info, int, void* model)
{
    if (!info)
        return;
    Sink sink{info->index, text_or_empty(info->name), text_or_empty(info->description), info->volume, info->mute != 0};
    static_cast<Model*>(model)->sinks[info->index] = std::move(sink);
}

void PulseMixerDevice::input_listed(pa_context*, const pa_sink_input_info* info, int, void* model)
{
    if (!info)
        return;
    const std::string application = text_or_empty(pa_proplist_gets(info->proplist, PA_PROP_APPLICATION_NAME));
    const std::string media = text_or_empty(info->name);
    SinkInput input{
        info->index,           info->sink,     application.empty() ? media : application + ": " + media, info->volume,
        info->has_volume != 0, info->mute != 0};
    static_cast<Model*>(model)->inputs[info->index] = std::move(input);
}

void PulseMixerDevice::server_listed(pa_context*, const pa_server_info* info, void* model)
{
    if (!info)
        return;
    auto& m = *static_cast<Model*>(model);
    m.default_sink = text_or_empty(info->default_sink_name);
    m.default_source = text_or_empty(info->default_source_name);
}

void PulseMixerDevice::source_updated(pa_context* context, const pa_source_info* info, int eol, void* device)
{
    Model copy;
    source_listed(context, info, eol, &copy);
    for (auto& [index, source] : copy.sources)
        static_cast<PulseMixerDevice*>(device)->post_update(std::move(source));
}

void PulseMixerDevice::sink_updated(pa_context* context, const pa_sink_info* info, int eol, void* device)
{
    Model copy;
    sink_listed(context, info, eol, &copy);
    for (auto& [index, sink] : copy.sinks)
        static_cast<PulseMixerDevice*>(device)->post_update(std::move(sink));
}

void PulseMixerDevice::input_updated(pa_context* context, const pa_sink_input_info* info, int eol, void* device)
{
    Model copy;
    input_listed(context, info, eol, &copy);
    for (auto& [index, input] : copy.inputs)
        static_cast<PulseMixerDevice*>(device)->post_update(std::move(input));
}

void PulseMixerDevice::server_updated(pa_context* context, const pa_server_info* info, void* device)
{
    Model copy;
    server_listed(context, info, &copy);
    static_cast<PulseMixerDevice*>(device)->dispatcher_.post(
        [guard = static_cast<PulseMixerDevice*>(device)->guard_.ref(), sink = copy.default_sink,
         source = copy.default_source] {
            if (PulseMixerDevice* alive = guard.get())
                alive->apply_defaults(sink, source);
        });
}

// Server events, on the GUI thread.

// Every connection is read anew, whether anyone opened the mixer yet or not.
void PulseMixerDevice::session_ready()
{
    if (!reading_ && !connected_)
        start_reading();
}

void PulseMixerDevice::session_lost(const std::string&)
{
    connected_ = false;
    auto lock = session_.lock();
    reading_.reset();
}

void PulseMixerDevice::session_unavailable(const std::string&)
{
    if (waiting_)
        settle(false);
}

void PulseMixerDevice::server_event(pa_subscription_event_type_t facility, pa_subscription_event_type_t type,
                                    uint32_t index)
{
    if (!connected_ && !reading_)
        return;
    if (type == PA_SUBSCRIPTION_EVENT_REMOVE) {
        std::optional<Kind> kind;
        if (facility == PA_SUBSCRIPTION_EVENT_SOURCE)
            kind = Kind::Source;
        else if (facility == PA_SUBSCRIPTION_EVENT_SINK)
            kind = Kind::Sink;
        else if (facility == PA_SUBSCRIPTION_EVENT_SINK_INPUT)
            kind = Kind::SinkInput;
        if (kind && connected_)
            removed(*kind, index);
        else if (kind)
            removed_while_reading_.emplace_back(*kind, index);
        return;
    }
    auto lock = session_.lock();
    pa_context* context = session_.context();
    if (!context)
        return;
    switch (facility) {
    case PA_SUBSCRIPTION_EVENT_SOURCE:
        track(pa_context_get_source_info_by_index(context, index, source_updated, this));
        break;
    case PA_SUBSCRIPTION_EVENT_SINK:
        track(pa_context_get_sink_info_by_index(context, index, sink_updated, this));
        break;
    case PA_SUBSCRIPTION_EVENT_SINK_INPUT:
        track(pa_context_get_sink_input_info(context, index, input_updated, this));
        break;
    case PA_SUBSCRIPTION_EVENT_SERVER:
        track(pa_context_get_server_info(context, server_updated, this));
        break;
    default:
        break;
    }
}

// Under the session's lock.
void PulseMixerDevice::track(pa_operation* operation)
{
    std::erase_if(pending_,
                  [](const PulseOperationPtr& op) { return pa_operation_get_state(op.get()) != PA_OPERATION_RUNNING; });
    if (operation)
        pending_.emplace_back(operation);
}

void PulseMixerDevice::lines_changed()
{
    if (listener_)
        listener_->lines_changed();
}

void PulseMixerDevice::changed_if(uint32_t control_id, uint32_t before, uint32_t after)
{
    if (control_id != 0 && before != after && listener_)
        listener_->control_changed(control_id);
}

void PulseMixerDevice::apply(const Source& source)
{
    const auto found = model_.sources.find(source.index);
    if (found == model_.sources.end()) {
        model_.sources[source.index] = source;
        lines_changed();
        return;
    }
    const uint32_t before = fader(found->second.volume);
    found->second = source;
    if (const Ids* id = find_ids(Kind::Source, source.index))
        changed_if(id->volume, before, fader(source.volume));
}

void PulseMixerDevice::apply(const Sink& sink)
{
    Sink& known = model_.sinks[sink.index];
    const Sink before = known;
    known = sink;
    if (const Ids* id = find_ids(Kind::Sink, sink.index)) {
        changed_if(id->volume, fader(before.volume), fader(sink.volume));
        changed_if(id->mute, before.mute, sink.mute);
    }
}

void PulseMixerDevice::apply(const SinkInput& input)
{
    const Sink* speakers = default_sink();
    const uint32_t speakers_index = speakers ? speakers->index : PA_INVALID_INDEX;
    const auto found = model_.inputs.find(input.index);
    if (found == model_.inputs.end() || found->second.sink != input.sink) {
        const bool on_speakers =
            input.sink == speakers_index || (found != model_.inputs.end() && found->second.sink == speakers_index);
        model_.inputs[input.index] = input;
        if (on_speakers)
            lines_changed();
        return;
    }
    const SinkInput before = found->second;
    found->second = input;
    if (const Ids* id = find_ids(Kind::SinkInput, input.index)) {
        changed_if(id->volume, fader(before.volume), fader(input.volume));
        changed_if(id->mute, before.mute, input.mute);
    }
}

void PulseMixerDevice::apply_defaults(const std::string& default_sink, const std::string& default_source)
{
    const bool sink_changed = default_sink != model_.default_sink;
    model_.default_sink = default_sink;
    model_.default_source = default_source;
    // The speakers and the mix of what is played follow the default sink.
    if (sink_changed)
        lines_changed();
}

void PulseMixerDevice::removed(Kind kind, uint32_t index)
{
    switch (kind) {
    case Kind::Source:
        if (model_.sources.erase(index))
            lines_changed();
        break;
    case Kind::Sink:
        model_.sinks.erase(index);
        break;
    case Kind::SinkInput: {
        const auto found = model_.inputs.find(index);
        if (found == model_.inputs.end())
            break;
        const Sink* speakers = default_sink();
        const bool on_speakers = speakers && found->second.sink == speakers->index;
        model_.inputs.erase(found);
        if (on_speakers)
            lines_changed();
        break;
    }
    case Kind::WhatYouHear:
    case Kind::Call: // items, not server objects
        break;
    }
}

// Queries, answered from the copy.

PulseMixerDevice::Ids& PulseMixerDevice::ids(Kind kind, uint32_t index)
{
    Ids& id = ids_[{kind, index}];
    if (id.line == 0) {
        id.line = next_id_++;
        // Their level is their source's own.
        if (kind == Kind::WhatYouHear || kind == Kind::Call)
            return id;
        id.volume = next_id_++;
        controls_[id.volume] = {kind, index, false};
        if (kind != Kind::Source) {
            id.mute = next_id_++;
            controls_[id.mute] = {kind, index, true};
        }
    }
    return id;
}

const PulseMixerDevice::Ids* PulseMixerDevice::find_ids(Kind kind, uint32_t index) const
{
    const auto found = ids_.find({kind, index});
    return found == ids_.end() ? nullptr : &found->second;
}

const PulseMixerDevice::Sink* PulseMixerDevice::default_sink() const
{
    for (const auto& [index, sink] : model_.sinks)
        if (sink.name == model_.default_sink)
            return &sink;
    return nullptr;
}

const PulseMixerDevice::Source* PulseMixerDevice::default_monitor() const
{
    const Sink* speakers = default_sink();
    for (const auto& [index, source] : model_.sources)
        if (speakers && source.monitor_of_sink == speakers->index)
            return &source;
    return nullptr;
}

const PulseMixerDevice::Source* PulseMixerDevice::level_source(const MuxEntry& entry) const
{
    if (entry.kind == Kind::WhatYouHear)
        return default_monitor();
    const auto found = model_.sources.find(entry.source);
    return found == model_.sources.end() ? nullptr : &found->second;
}

std::string PulseMixerDevice::entry_id(const MuxEntry& entry) const
{
    if (entry.kind == Kind::WhatYouHear)
        return kWhatYouHear;
    const auto found = model_.sources.find(entry.source);
    if (found == model_.sources.end())
        return "";
    return entry.kind == Kind::Call ? call_source_id(found->second.name) : found->second.name;
}

std::string PulseMixerDevice::entry_description(const MuxEntry& entry) const
{
    if (entry.kind == Kind::WhatYouHear)
        return kWhatYouHear;
    const auto found = model_.sources.find(entry.source);
    if (found == model_.sources.end())
        return "";
    return found->second.description + (entry.kind == Kind::Call ? kCallSuffix : "");
}

// A monitor is one output's sound; "What you hear" is the mix of what is
// played.
uint32_t PulseMixerDevice::component_type(const Source& source) const
{
    if (source.monitor_of_sink != PA_INVALID_INDEX)
        return MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT;
    const std::string& form = source.form_factor;
    if (source.port_type == PA_DEVICE_PORT_TYPE_MIC || source.port_type == PA_DEVICE_PORT_TYPE_HEADSET
        || form == "microphone" || form == "webcam" || form == "headset" || form == "handset")
        return MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE;
    if (source.port_type == PA_DEVICE_PORT_TYPE_LINE)
        return MIXERLINE_COMPONENTTYPE_SRC_LINE;
    return MIXERLINE_COMPONENTTYPE_SRC_UNDEFINED;
}

bool PulseMixerDevice::line_by_component_type(uint32_t component_type, MixerLine& line)
{
    if (!open_)
        return false;
    if (component_type == MIXERLINE_COMPONENTTYPE_DST_WAVEIN) {
        line = MixerLine{kRecordLineId,
                         kRecordDestination,
                         component_type,
                         MIXERLINE_TARGETTYPE_WAVEIN,
                         static_cast<uint32_t>(mux_entries_.size()),
                         1,
                         "Recording"};
        return true;
    }
    const Sink* speakers = default_sink();
    if (component_type != MIXERLINE_COMPONENTTYPE_DST_SPEAKERS || !speakers)
        return false;
    line = MixerLine{ids(Kind::Sink, speakers->index).line,
                     kSpeakersDestination,
                     component_type,
                     MIXERLINE_TARGETTYPE_WAVEOUT,
                     static_cast<uint32_t>(speaker_inputs_.size()),
                     2,
                     list_name(speakers->description)};
    return true;
}

bool PulseMixerDevice::line_by_id(uint32_t line_id, MixerLine& line)
{
    for (const auto& [key, id] : ids_) {
        if (id.line != line_id)
            continue;
        if (key.first == Kind::WhatYouHear || key.first == Kind::Call) {
            const MuxEntry entry{key.first, key.second};
            const Source* source = level_source(entry);
            const bool heard = key.first == Kind::WhatYouHear;
            line = MixerLine{line_id,
                             kRecordDestination,
                             heard ? MIXERLINE_COMPONENTTYPE_SRC_ANALOG : MIXERLINE_COMPONENTTYPE_SRC_TELEPHONE,
                             MIXERLINE_TARGETTYPE_UNDEFINED,
                             0,
                             source ? 1u : 0u,
                             entry_description(entry)};
            return source != nullptr || heard;
        }
        if (key.first != Kind::Source)
            continue;
        const auto source = model_.sources.find(key.second);
        if (source == model_.sources.end())
            return false;
        line = MixerLine{
            line_id, kRecordDestination,        component_type(source->second), MIXERLINE_TARGETTYPE_UNDEFINED, 0,
            1,       source->second.description};
        return true;
    }
    return false;
}

bool PulseMixerDevice::line_by_source(uint32_t destination, uint32_t source, MixerLine& line)
{
    if (!open_ || destination != kSpeakersDestination || source >= speaker_inputs_.size())
        return false;
    const auto input = model_.inputs.find(speaker_inputs_[source]);
    if (input == model_.inputs.end())
        return false;
    line = MixerLine{ids(Kind::SinkInput, input->first).line,
                     kSpeakersDestination,
                     MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT,
                     MIXERLINE_TARGETTYPE_WAVEOUT,
                     0,
                     input->second.has_volume ? 2u : 1u,
                     list_name(input->second.name)};
    return true;
}

bool PulseMixerDevice::control_by_type(uint32_t line_id, MixerControlType type, MixerControl& control)
{
    if (!open_)
        return false;
    if (line_id == kRecordLineId) {
        if (type != MixerControlType::Mux)
            return false;
        control = MixerControl{kMuxId, static_cast<uint32_t>(mux_entries_.size())};
        return true;
    }
    for (const auto& [key, id] : ids_) {
        if (id.line != line_id)
            continue;
        // Their level is their source's own control.
        if (key.first == Kind::WhatYouHear || key.first == Kind::Call) {
            const Source* source = level_source({key.first, key.second});
            if (type != MixerControlType::Volume || !source)
                return false;
            control = MixerControl{ids(Kind::Source, source->index).volume, 0};
            return true;
        }
        if (type == MixerControlType::Mux || (type == MixerControlType::Mute && id.mute == 0))
            return false;
        if (type == MixerControlType::Volume && key.first == Kind::SinkInput) {
            const auto input = model_.inputs.find(key.second);
            if (input == model_.inputs.end() || !input->second.has_volume)
                return false;
        }
        control = MixerControl{type == MixerControlType::Volume ? id.volume : id.mute, 0};
        return true;
    }
    return false;
}

bool PulseMixerDevice::mux_list(uint32_t control_id, std::vector<MuxItem>& items)
{
    if (!open_ || control_id != kMuxId)
        return false;
    items.clear();
    for (const MuxEntry& entry : mux_entries_) {
        const auto source = model_.sources.find(entry.source);
        if (entry.kind == Kind::WhatYouHear)
            items.push_back(
                MuxItem{ids(entry.kind, 0).line, MIXERLINE_COMPONENTTYPE_SRC_ANALOG, kWhatYouHear, kWhatYouHear});
        else if (source == model_.sources.end())
            items.push_back(MuxItem{});
        else if (entry.kind == Kind::Call)
            items.push_back(MuxItem{ids(entry.kind, entry.source).line, MIXERLINE_COMPONENTTYPE_SRC_TELEPHONE,
                                    call_source_name(source->second.description), entry_id(entry)});
        else
            items.push_back(MuxItem{ids(Kind::Source, entry.source).line, component_type(source->second),
                                    list_name(source->second.description), source->second.name});
    }
    return true;
}

bool PulseMixerDevice::mux_values(uint32_t control_id, std::vector<uint32_t>& values)
{
    if (!open_ || control_id != kMuxId)
        return false;
    // The user's choice, never where our stream happens to be.
    const std::string& on = session_.record_source();
    values.assign(mux_entries_.size(), 0);
    for (size_t i = 0; i < mux_entries_.size(); ++i) {
        const std::string id = entry_id(mux_entries_[i]);
        values[i] = !id.empty() && id == on ? 1 : 0;
    }
    return true;
}

std::string PulseMixerDevice::mux_source_name(uint32_t item) const
{
    return item < mux_entries_.size() ? entry_id(mux_entries_[item]) : "";
}

// Chooses the source of our own record stream; a recording under way goes
// on from there. The server's default stays as it is.
bool PulseMixerDevice::set_mux_values(uint32_t control_id, const std::vector<uint32_t>& values)
{
    if (!open_ || control_id != kMuxId || values.size() != mux_entries_.size())
        return false;
    const auto selected = std::find_if(values.begin(), values.end(), [](uint32_t v) { return v != 0; });
    if (selected == values.end())
        return false;
    const MuxEntry& entry = mux_entries_[selected - values.begin()];
    const std::string id = entry_id(entry);
    if (id.empty())
        return false;
    session_.set_record_source(id, entry_description(entry));
    return true;
}

void PulseMixerDevice::choose_missing_source(const std::string& id)
{
    session_.set_record_source(id);
}

// The volume and mute of a server object as last copied; nulls when it is
// gone. A source has no mute.
PulseMixerDevice::Levels PulseMixerDevice::levels(Kind kind, uint32_t index) const
{
    switch (kind) {
    case Kind::Source:
        if (const auto found = model_.sources.find(index); found != model_.sources.end())
            return {&found->second.volume, nullptr};
        break;
    case Kind::Sink:
        if (const auto found = model_.sinks.find(index); found != model_.sinks.end())
            return {&found->second.volume, &found->second.mute};
        break;
    case Kind::SinkInput:
        if (const auto found = model_.inputs.find(index); found != model_.inputs.end())
            return {&found->second.volume, &found->second.mute};
        break;
    case Kind::WhatYouHear:
    case Kind::Call: // their level is their source's control
        break;
    }
    return {};
}

bool PulseMixerDevice::value(uint32_t control_id, uint32_t& value)
{
    const auto ref = controls_.find(control_id);
    if (!open_ || ref == controls_.end())
        return false;
    const Levels found = levels(ref->second.kind, ref->second.index);
    if (!found.volume)
        return false;
    value = ref->second.mute ? (found.mute && *found.mute ? 1 : 0) : fader(*found.volume);
    last_known_[control_id] = value;
    return true;
}

// A volume keeps its balance: the channels are scaled so that the loudest
// becomes the value. Writing back what was last read or written changes
// nothing, so a value shown and written back leaves the server as it was,
// also above 100 %.
bool PulseMixerDevice::set_value(uint32_t control_id, uint32_t value)
{
    const auto ref = controls_.find(control_id);
    if (!open_ || !connected_ || ref == controls_.end())
        return false;
    const auto known = last_known_.find(control_id);
    if (known != last_known_.end() && known->second == value)
        return true;
    const auto [kind, index, mute] = ref->second;
    const Levels found = levels(kind, index);
    if (!found.volume)
        return false;
    pa_cvolume volume = *found.volume;
    if (!mute) {
        if (!pa_cvolume_valid(&volume))
            return false;
        if (pa_cvolume_max(&volume) == PA_VOLUME_MUTED)
            pa_cvolume_set(&volume, volume.channels, from_fader(value));
        else
            pa_cvolume_scale(&volume, from_fader(value));
    }

    auto lock = session_.lock();
    pa_context* context = session_.context();
    if (!context)
        return false;
    pa_operation* operation = nullptr;
    switch (kind) {
    case Kind::Source:
        operation = pa_context_set_source_volume_by_index(context, index, &volume, nullptr, nullptr);
        break;
    case Kind::Sink:
        operation = mute ? pa_context_set_sink_mute_by_index(context, index, value != 0, nullptr, nullptr)
                         : pa_context_set_sink_volume_by_index(context, index, &volume, nullptr, nullptr);
        break;
    case Kind::SinkInput:
        operation = mute ? pa_context_set_sink_input_mute(context, index, value != 0, nullptr, nullptr)
                         : pa_context_set_sink_input_volume(context, index, &volume, nullptr, nullptr);
        break;
    case Kind::WhatYouHear:
    case Kind::Call:
        break;
    }
    if (!operation)
        return false;
    forget_operation(operation);
    last_known_[control_id] = value;
    return true;
}

} // namespace ornavox
