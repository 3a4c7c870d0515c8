#include "platform/fake/fake_mixer_device.h"

#include "base/list_name.h"

#include <algorithm>
#include <utility>

namespace ornavox {

namespace {
constexpr uint32_t kWaveInDestination = 0;
constexpr uint32_t kSpeakersDestination = 1;
} // namespace

FakeMixerDevice::FakeMixerDevice(Dispatcher& dispatcher) : dispatcher_(dispatcher)
{
    wavein_line_id_ = next_id_++;
    mux_id_ = next_id_++;
}

uint32_t FakeMixerDevice::new_control(uint32_t value)
{
    values_[next_id_] = value;
    return next_id_++;
}

uint32_t FakeMixerDevice::add_source(const std::string& name, uint32_t component_type, uint32_t volume,
                                     uint32_t controls)
{
    Line source{name, next_id_++, component_type, controls};
    if (controls > 0)
        source.volume_id = new_control(volume);
    sources_.push_back(source);
    mux_values_.push_back(0);
    return static_cast<uint32_t>(sources_.size() - 1);
}

uint32_t FakeMixerDevice::add_playback(const std::string& name, uint32_t volume, uint32_t mute, bool has_volume,
                                       bool has_mute, bool controls)
{
    Line line{name, next_id_++,
              playback_.empty() ? MIXERLINE_COMPONENTTYPE_DST_SPEAKERS : MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, 0};
    if (controls) {
        if (has_volume)
            line.volume_id = new_control(volume);
        if (has_mute)
            line.mute_id = new_control(mute);
        line.controls = (has_volume ? 1 : 0) + (has_mute ? 1 : 0) + (has_volume || has_mute ? 0 : 1);
    }
    playback_.push_back(line);
    return static_cast<uint32_t>(playback_.size() - 1);
}

void FakeMixerDevice::notify(uint32_t control_id)
{
    MixerListener* listener = listener_;
    if (listener)
        dispatcher_.post([this, listener, control_id] {
            if (listener_ == listener)
                listener->control_changed(control_id);
        });
}

void FakeMixerDevice::change_from_outside(uint32_t control_id, uint32_t value)
{
    values_.at(control_id) = value;
    notify(control_id);
}

void FakeMixerDevice::select_from_outside(uint32_t item)
{
    select(item);
    notify(mux_id_);
}

void FakeMixerDevice::change_lines_from_outside()
{
    MixerListener* listener = listener_;
    if (listener)
        dispatcher_.post([this, listener] {
            if (listener_ == listener)
                listener->lines_changed();
        });
}

std::optional<uint32_t> FakeMixerDevice::default_mixer_id()
{
    if (failing(Step::Probe))
        return std::nullopt;
    return 0;
}

void FakeMixerDevice::answer()
{
    holding_ = false;
    if (MixerListener* listener = std::exchange(waiting_, nullptr))
        dispatcher_.post([listener] { listener->lines_changed(); });
}

bool FakeMixerDevice::open(uint32_t, MixerListener& listener)
{
    if (holding_) {
        waiting_ = &listener;
        return false;
    }
    if (failing(Step::Open))
        return false;
    listener_ = &listener;
    return true;
}

void FakeMixerDevice::close()
{
    listener_ = nullptr;
    waiting_ = nullptr;
}

bool FakeMixerDevice::line_by_component_type(uint32_t component_type, MixerLine& line)
{
    if (component_type == MIXERLINE_COMPONENTTYPE_DST_WAVEIN && !failing(Step::WaveIn)) {
        line = MixerLine{wavein_line_id_,
                         kWaveInDestination,
                         component_type,
                         MIXERLINE_TARGETTYPE_WAVEIN,
                         static_cast<uint32_t>(sources_.size()),
                         has_mux_ ? 1u : 0u,
                         "Recording"};
        return true;
    }
    if (component_type == MIXERLINE_COMPONENTTYPE_DST_SPEAKERS && !failing(Step::Speakers) && !playback_.empty()) {
        const Line& master = playback_[0];
        line = MixerLine{master.line_id,
                         kSpeakersDestination,
                         component_type,
                         MIXERLINE_TARGETTYPE_WAVEOUT,
                         static_cast<uint32_t>(playback_.size() - 1),
                         master.controls,
                         master.name};
        return true;
    }
    return false;
}

bool FakeMixerDevice::line_by_id(uint32_t line_id, MixerLine& line)
{
    if (failing(Step::RecordLine))
        return false;
    for (const Line& source : sources_)
        if (source.line_id == line_id) {
            line =
                MixerLine{source.line_id,  kWaveInDestination, source.component_type, MIXERLINE_TARGETTYPE_UNDEFINED, 0,
                          source.controls, source.name};
            return true;
        }
    return false;
}

bool FakeMixerDevice::line_by_source(uint32_t destination, uint32_t source, MixerLine& line)
{
    if (failing(Step::SourceLine) || destination != kSpeakersDestination || source + 1 >= playback_.size())
        return false;
    const Line& playback = playback_[source + 1];
    line = MixerLine{playback.line_id,  kSpeakersDestination, playback.component_type, MIXERLINE_TARGETTYPE_WAVEOUT, 0,
                     playback.controls, playback.name};
    return true;
}

bool FakeMixerDevice::control_by_type(uint32_t line_id, MixerControlType type, MixerControl& control)
{
    if (line_id == wavein_line_id_) {
        if (type != MixerControlType::Mux || !has_mux_ || failing(Step::Mux))
            return false;
        control = MixerControl{mux_id_, static_cast<uint32_t>(sources_.size())};
        return true;
    }
    for (const std::vector<Line>* lines : {&sources_, &playback_})
        for (const Line& line : *lines)
            if (line.line_id == line_id) {
                const uint32_t id = type == MixerControlType::Volume ? line.volume_id
                    : type == MixerControlType::Mute                 ? line.mute_id
                                                                     : 0;
                if (id == 0)
                    return false;
                control = MixerControl{id, 0};
                return true;
            }
    return false;
}

bool FakeMixerDevice::mux_list(uint32_t control_id, std::vector<MuxItem>& items)
{
    if (control_id != mux_id_ || failing(Step::MuxList))
        return false;
    items.clear();
    for (const Line& source : sources_)
        items.push_back(MuxItem{source.line_id, source.component_type, list_name(source.name), "id:" + source.name});
    return true;
}

bool FakeMixerDevice::mux_values(uint32_t control_id, std::vector<uint32_t>& values)
{
    if (control_id != mux_id_ || failing(Step::MuxValues))
        return false;
    ++mux_reads_;
    values = mux_values_;
    return true;
}

bool FakeMixerDevice::set_mux_values(uint32_t control_id, const std::vector<uint32_t>& values)
{
    if (control_id != mux_id_ || values.size() != mux_values_.size())
        return false;
    mux_values_ = values;
    const auto selected = std::find_if(values.begin(), values.end(), [](uint32_t v) { return v != 0; });
    writes_.push_back("mux " + std::to_string(selected - values.begin()));
    notify(mux_id_);
    return true;
}

void FakeMixerDevice::choose_missing_source(const std::string& id)
{
    missing_ = id;
    std::fill(mux_values_.begin(), mux_values_.end(), 0);
    writes_.push_back("missing " + id);
}

bool FakeMixerDevice::value(uint32_t control_id, uint32_t& value)
{
    const auto found = values_.find(control_id);
    if (found == values_.end())
        return false;
    value = found->second;
    return true;
}

bool FakeMixerDevice::set_value(uint32_t control_id, uint32_t value)
{
    const auto found = values_.find(control_id);
    if (found == values_.end())
        return false;
    found->second = value;
    writes_.push_back("value " + std::to_string(control_id) + "=" + std::to_string(value));
    notify(control_id);
    return true;
}

} // namespace ornavox
