#include "mixer/mixer.h"

#include <algorithm>
#include <array>

namespace ornavox {

bool clean_source_name(const std::string& name)
{
    static constexpr std::array<const char*, 11> kWords = {"midi",  "mono", "tele", "aux", "digi", "cd",
                                                           "spdif", "line", "mic",  "tad", "video"};
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return std::none_of(kWords.begin(), kWords.end(),
                        [&](const char* word) { return lower.find(word) != std::string::npos; });
}

tmixer::tmixer(MixerDevice& device, MessageSink& messages) : device_(device), messages_(messages)
{
}

tmixer::~tmixer()
{
    close();
}

void tmixer::open()
{
    close();
    selected_line_ = -1;
    if (const std::optional<uint32_t> id = device_.default_mixer_id())
        mixerid = *id;
    if (!device_.open(mixerid, *this)) {
        last_result_ = false;
        // A device still opening answers through lines_changed().
        if (!device_.opening())
            messages_.show_message("Error to get default Mixer!");
        return;
    }
    open_ = true;

    MixerLine wavein;
    last_result_ = device_.line_by_component_type(MIXERLINE_COMPONENTTYPE_DST_WAVEIN, wavein);
    if (!last_result_)
        return;
    wavein_line_id_ = wavein.line_id;
    read_record_side();
    read_playback_side();

    if (onmixeropen)
        onmixeropen(record_lines_, playback_ctls_);
    else
        messages_.show_message("Error to get Record line muxs!");
    // A handler may write, and so re-read, while this runs: index anew each time.
    for (size_t i = 0; i < playback_ctls_.size(); ++i) {
        if (onmutechange)
            onmutechange(static_cast<uint32_t>(i), playback_ctls_[i].mute);
        if (onvolumechange && i < playback_ctls_.size())
            onvolumechange(static_cast<uint32_t>(i), playback_ctls_[i].volume);
    }
    if (onvolumechange)
        onvolumechange(kRecordLevel, record_volume_);
}

void tmixer::read_record_side()
{
    MixerControl mux;
    last_result_ = device_.control_by_type(wavein_line_id_, MixerControlType::Mux, mux);
    if (!last_result_) {
        messages_.show_message("Error to get Record line!");
        return;
    }
    mux_id_ = mux.control_id;
    mux_items_ = mux.items;
    mux_list_.assign(mux_items_, MuxItem{});
    mux_values_.assign(mux_items_, 0);
    if (!device_.mux_list(*mux_id_, mux_list_))
        messages_.show_message("Error to get mux list data");
    mux_list_.resize(mux_items_);
    last_result_ = device_.mux_values(*mux_id_, mux_values_);
    mux_values_.resize(mux_items_);
    if (!last_result_) {
        messages_.show_message("Error to get mux select list");
        record_lines_.clear();
        detected_ = detect();
        return;
    }

    first_line_ = first_microphone_ = first_cd_ = 0;
    // Not kept from an earlier open, where it may name another item.
    selected_at_open_ = 0;
    bool line_seen = false, microphone_seen = false, cd_seen = false;
    record_lines_.clear();
    for (uint32_t f = 0; f < mux_items_; ++f) {
        const MuxItem& item = mux_list_[f];
        MixerLine source;
        if (device_.line_by_id(item.line_id, source) && source.controls > 0) {
            record_lines_.push_back(line{item.name, item.line_id, static_cast<int32_t>(f), item.component_type,
                                         source.controls, source.target_type, item.id});
            const auto first = [&](uint32_t type, bool& seen, int32_t& index) {
                if (item.component_type == type && !seen) {
                    seen = true;
                    index = static_cast<int32_t>(f);
                }
            };
            first(MIXERLINE_COMPONENTTYPE_SRC_LINE, line_seen, first_line_);
            first(MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, microphone_seen, first_microphone_);
            first(MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC, cd_seen, first_cd_);
        }
        if (mux_values_[f] != 0) {
            selected_at_open_ = static_cast<int32_t>(f);
            const bool listed = !record_lines_.empty() && record_lines_.back().mux_index == static_cast<int32_t>(f);
            selected_line_ = listed ? static_cast<int32_t>(record_lines_.size() - 1) : -1;
        }
    }
    detected_ = detect();
}

// Candidate B, the last clean analog source (the mix of what is played), beats
// candidate A, the first clean wave-out or undefined source.
int32_t tmixer::detect() const
{
    int32_t a = -1, b = -1;
    for (size_t i = 0; i < record_lines_.size(); ++i) {
        const uint32_t type = record_lines_[i].component_type;
        if (!clean_source_name(record_lines_[i].name))
            continue;
        if (a < 0 && (type == MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT || type == MIXERLINE_COMPONENTTYPE_SRC_UNDEFINED))
            a = static_cast<int32_t>(i);
        if (type == MIXERLINE_COMPONENTTYPE_SRC_ANALOG)
            b = static_cast<int32_t>(i);
    }
    return b >= 0 ? b : a;
}

void tmixer::read_playback_side()
{
    MixerLine speakers;
    last_result_ = device_.line_by_component_type(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, speakers);
    playback_ctls_.clear();
    if (!last_result_) {
        messages_.show_message("Error to get Record line!");
        return;
    }
    speakers_line_id_ = speakers.line_id;
    speakers_destination_ = speakers.destination;
    for (uint32_t i = 0; i <= speakers.connections; ++i) {
        MixerLine playback = speakers;
        // A source line that cannot be read is left out, like one without
        // controls.
        if (i > 0 && !device_.line_by_source(speakers_destination_, i - 1, playback))
            continue;
        if (playback.controls == 0)
            continue;
        control entry{playback.name, playback.line_id, 0, kNoControl, 0, kNoControl};
        MixerControl found;
        if (device_.control_by_type(playback.line_id, MixerControlType::Volume, found)) {
            entry.volume_id = found.control_id;
            entry.volume = read_value(found.control_id, 0);
        }
        if (device_.control_by_type(playback.line_id, MixerControlType::Mute, found)) {
            entry.mute_id = found.control_id;
            entry.mute = read_value(found.control_id, 0);
        }
        playback_ctls_.push_back(entry);
    }
}

uint32_t tmixer::read_value(uint32_t control_id, uint32_t fallback)
{
    uint32_t value = fallback;
    last_result_ = device_.value(control_id, value);
    return last_result_ ? value : fallback;
}

void tmixer::close()
{
    if (open_)
        device_.close();
    open_ = false;
}

void tmixer::select_mux(int32_t kind, int32_t index)
{
    switch (kind) {
    case 0:
        // An index outside the list (the list is empty when the recording
        // line has no MUX) selects nothing and leaves everything as it was.
        if (index < 0 || static_cast<size_t>(index) >= record_lines_.size())
            return;
        mux_selected = static_cast<uint32_t>(record_lines_[index].mux_index);
        break;
    case 1:
        mux_selected = static_cast<uint32_t>(first_line_);
        break;
    case 2:
        mux_selected = static_cast<uint32_t>(first_microphone_);
        break;
    case 3:
        mux_selected = static_cast<uint32_t>(first_cd_);
        break;
    default:
        mux_selected = static_cast<uint32_t>(selected_at_open_);
        break;
    }
    if (!open_)
        return;
    const auto entry = std::find_if(record_lines_.begin(), record_lines_.end(), [this](const line& l) {
        return static_cast<uint32_t>(l.mux_index) == mux_selected;
    });
    if (entry != record_lines_.end()) {
        MixerControl volume;
        last_result_ = device_.control_by_type(entry->line_id, MixerControlType::Volume, volume);
        if (last_result_) {
            record_volume_id_ = volume.control_id;
            has_record_volume_ = true;
            record_volume_ = read_value(volume.control_id, record_volume_);
            if (onvolumechange)
                onvolumechange(kRecordLevel, record_volume_);
        }
    }
    enforce_mux();
}

// No item stands for the missing source, so none is enforced.
void tmixer::select_missing(const std::string& source_id)
{
    mux_selected = mux_items_;
    has_record_volume_ = false;
    if (open_)
        device_.choose_missing_source(source_id);
}

// Without a MUX, or with a selection beyond its items, there is nothing to
// hold and the device is not asked.
void tmixer::enforce_mux()
{
    if (!open_ || !mux_id_ || mux_selected >= mux_items_)
        return;
    last_result_ = device_.mux_values(*mux_id_, mux_values_);
    mux_values_.resize(mux_items_);
    if (mux_values_[mux_selected] != 0)
        return;
    std::fill(mux_values_.begin(), mux_values_.end(), 0);
    mux_values_[mux_selected] = 1;
    last_result_ = device_.set_mux_values(*mux_id_, mux_values_);
}

// Before any select_mux found a recording level there is none to write.
void tmixer::setvolume(uint32_t index, uint32_t value)
{
    if (!open_)
        return;
    uint32_t id = kNoControl;
    if (index == kRecordLevel) {
        if (!has_record_volume_)
            return;
        id = record_volume_id_;
    } else if (index < playback_ctls_.size()) {
        id = playback_ctls_[index].volume_id;
    }
    if (id != kNoControl)
        last_result_ = device_.set_value(id, value);
}

void tmixer::setmute(uint32_t index, uint32_t value)
{
    if (open_ && index < playback_ctls_.size() && playback_ctls_[index].mute_id != kNoControl)
        last_result_ = device_.set_value(playback_ctls_[index].mute_id, value);
}

int32_t tmixer::autodetect() const
{
    return detected_ >= 0 ? detected_ : -1;
}

void tmixer::control_changed(uint32_t control_id)
{
    if (!open_)
        return;
    if (mux_id_ && control_id == *mux_id_) {
        enforce_mux();
        return;
    }
    if (has_record_volume_ && control_id == record_volume_id_) {
        record_volume_ = read_value(control_id, record_volume_);
        if (onvolumechange)
            onvolumechange(kRecordLevel, record_volume_);
        return;
    }
    for (size_t i = 0; i < playback_ctls_.size(); ++i) {
        control& entry = playback_ctls_[i];
        if (control_id == entry.volume_id) {
            entry.volume = read_value(control_id, entry.volume);
            if (onvolumechange)
                onvolumechange(static_cast<uint32_t>(i), entry.volume);
            return;
        }
        if (control_id == entry.mute_id) {
            entry.mute = read_value(control_id, entry.mute);
            if (onmutechange)
                onmutechange(static_cast<uint32_t>(i), entry.mute);
            return;
        }
    }
}

void tmixer::lines_changed()
{
    if (onlineschange)
        onlineschange(this);
}

} // namespace ornavox
