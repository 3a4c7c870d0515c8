// The mixer panel: the record source group and the playback rows, over the
// mixer component.
#include "ui/skinform.h"

#include "platform/one_shot_timer.h"
#include "ui/skinform_view.h"
#include "ui/throttled_write.h"

#include <algorithm>
#include <chrono>
#include <optional>

namespace ornavox {

namespace {

constexpr std::chrono::milliseconds kLevelWriteInterval{50};

} // namespace

void TskinForm::wire_mixer()
{
    mixer->onmixeropen = [this](const std::vector<line>& lines, const std::vector<control>& ctls) {
        mixermixeropen(lines, ctls);
    };
    mixer->onvolumechange = [this](uint32_t sort, uint32_t volume) { mixervolumechange(sort, volume); };
    mixer->onmutechange = [this](uint32_t sort, uint32_t mute) { mixermutechange(sort, mute); };
    // Several changes of the sound system come together (a new sink brings
    // its monitor source): one rebuild answers them all.
    rebuild_ = services_.timers.make_timer();
    mixer->onlineschange = [this](tmixer*) {
        if (!rebuild_->running())
            rebuild_->start(std::chrono::milliseconds(0), until_closed([this] { rebuild_mixer_panel(); }));
    };
    record_level_write_ = std::make_unique<ThrottledWrite>(
        [this](int value) { mixer->setvolume(kRecordLevel, static_cast<uint32_t>(value)); }, kLevelWriteInterval,
        services_.timers.make_timer());
}

void TskinForm::open_mixer()
{
    mixer->open();
}

int32_t TskinForm::autodetect_source()
{
    return mixer->autodetect();
}

void TskinForm::close_mixer()
{
    mixer->close();
}

// The list's text and selection stay as they are.
void TskinForm::mixermixeropen(const std::vector<line>& record_lines, const std::vector<control>& playback_ctls)
{
    for (const line& l : record_lines)
        if (l.control_count > 0)
            source_items_.push_back(l.name);
    const std::string text = view_.edit_text(ControlId::ComboBox1);
    const int selected = view_.selected_item(ControlId::ComboBox1);
    view_.set_items(ControlId::ComboBox1, source_items_);
    if (selected >= 0 && selected < static_cast<int>(source_items_.size()))
        view_.select_item(ControlId::ComboBox1, selected);
    view_.set_edit_text(ControlId::ComboBox1, text);

    std::vector<std::string> names;
    for (const control& c : playback_ctls)
        names.push_back(c.name);
    view_.add_rows(names);
    for (size_t n = 0; n < playback_ctls.size(); ++n)
        row_writes_.push_back(std::make_unique<ThrottledWrite>(
            [this, n](int value) { mixer->setvolume(static_cast<uint32_t>(n), static_cast<uint32_t>(value)); },
            kLevelWriteInterval, services_.timers.make_timer()));
    rows_ = playback_ctls.size();
}

// A thumb the user holds stays where the user has it.
void TskinForm::mixervolumechange(uint32_t control_sort, uint32_t volume)
{
    Control bar;
    if (control_sort == kRecordLevel)
        bar = ControlId::TrackBar1;
    else if (control_sort < rows_)
        bar = {ControlId::VolumeBar, static_cast<int>(control_sort)};
    if (bar.id != ControlId::None && std::find(held_.begin(), held_.end(), bar) == held_.end())
        move_bar(bar, static_cast<int>(std::min<uint32_t>(volume, 65535)));
}

void TskinForm::mixermutechange(uint32_t control_sort, uint32_t mute)
{
    if (control_sort < rows_)
        tick_box({ControlId::MuteBox, static_cast<int>(control_sort)}, mute == 1);
}

void TskinForm::TrackBar1Change(Control)
{
    if (!rebuilding_mixer_)
        record_level_write_->set(view_.position(ControlId::TrackBar1));
}

void TskinForm::volumechange(Control Sender)
{
    const int row = Sender.row;
    if (!rebuilding_mixer_ && row >= 0 && static_cast<size_t>(row) < row_writes_.size())
        row_writes_[row]->set(view_.position(Sender));
}

void TskinForm::mutechange(Control Sender)
{
    const int row = Sender.row;
    if (!rebuilding_mixer_ && row >= 0 && static_cast<size_t>(row) < rows_)
        mixer->setmute(static_cast<uint32_t>(row), view_.checked(Sender) ? 1 : 0);
}

// The item the list's text stands for: the selected one while the text is
// its name, else one whose name was typed; -1 for text that names none.
int32_t TskinForm::chosen_list_item() const
{
    const int current = view_.selected_item(ControlId::ComboBox1);
    const std::string text = view_.edit_text(ControlId::ComboBox1);
    if (current >= 0 && static_cast<size_t>(current) < source_items_.size() && source_items_[current] == text)
        return current;
    const auto found = std::find(source_items_.begin(), source_items_.end(), text);
    return found == source_items_.end() ? -1 : static_cast<int32_t>(found - source_items_.begin());
}

// Reads the radio buttons and the list back, shows the source, keeps the
// choice in the settings and selects it on the mixer.
void TskinForm::source_routine()
{
    missing_source_.clear();
    missing_source_name_.clear();
    const int32_t kind = line_kind();
    if (kind == 0)
        source_index_ = std::max(chosen_list_item(), 0);
    show_source(kind);
    program.Settings.write_integer("audio", "audioline", kind);
    store_source_index(kind);
    select_source_on_mixer(kind, source_index_);
}

// The list's source goes by its place, for older versions, and by the name
// the system knows it by, which a restart does not change.
void TskinForm::store_source_index(int32_t line_kind)
{
    program.Settings.write_integer("audio", "source", source_index_);
    const std::vector<line>& lines = mixer->record_lines();
    if (line_kind == 0 && source_index_ >= 0 && static_cast<size_t>(source_index_) < lines.size()
        && !lines[source_index_].source_id.empty())
        program.Settings.write_string("audio", "sourcename", lines[source_index_].source_id);
}

// The list's entry of the source the system knows by `source_id`; -1 when it
// is not there.
int32_t TskinForm::source_by_id(const std::string& source_id) const
{
    const std::vector<line>& lines = mixer->record_lines();
    const auto found =
        std::find_if(lines.begin(), lines.end(), [&](const line& l) { return l.source_id == source_id; });
    return found == lines.end() ? -1 : static_cast<int32_t>(found - lines.begin());
}

// A stored source that is not there at start-up is taken as unplugged, as
// when it goes while the program runs: the list selects nothing, the label
// names it, a recording says it is gone, and the stored choice stays until
// the user makes another.
void TskinForm::keep_missing_source(const std::string& source_id)
{
    source_index_ = -1;
    missing_source_ = source_id;
    missing_source_name_.clear();
    view_.select_item(ControlId::ComboBox1, -1);
    view_.set_text(ControlId::Label6, source_label_text(0, source_id));
    mixer->select_missing(source_id);
    meters_changed();
}

// Which radio button chose the source; a later test overrides an earlier one.
int32_t TskinForm::line_kind() const
{
    int32_t kind = 0;
    if (view_.checked(ControlId::RadioButton1))
        kind = 1;
    if (view_.checked(ControlId::RadioButton2))
        kind = 2;
    if (view_.checked(ControlId::RadioButton3))
        kind = 3;
    if (view_.checked(ControlId::RadioButton4))
        kind = 0;
    return kind;
}

std::string source_label_text(int32_t line_kind, const std::string& list_text)
{
    static const char* const kSourceNames[] = {nullptr, "Line In", "Microphone", "CD audio"};
    return "Record source->" + (line_kind == 0 ? list_text : std::string(kSourceNames[line_kind]));
}

void TskinForm::show_source(int32_t line_kind)
{
    view_.set_text(ControlId::Label6, source_label_text(line_kind, view_.edit_text(ControlId::ComboBox1)));
}

void TskinForm::select_source_on_mixer(int32_t line_kind, int32_t source_index)
{
    mixer->select_mux(line_kind, source_index);
    meters_changed();
}

void TskinForm::RadioButton1Click(Control)
{
    source_routine();
}

void TskinForm::ComboBox1Change(Control)
{
    source_routine();
}

void TskinForm::ComboBox1Enter(Control)
{
    check_radio(ControlId::RadioButton4);
}

void TskinForm::SpeedButton3Click(Control)
{
    const int32_t detected = mixer->autodetect();
    if (detected >= 0 && detected < static_cast<int32_t>(source_items_.size()))
        view_.select_item(ControlId::ComboBox1, detected);
    source_routine();
}

// The sound system's sources or playback streams changed, or it came back:
// the panel is built again as at open, showing what the mixer reads and
// writing none of it back. The chosen source stays chosen where it still
// exists; where it is gone, nothing takes its place, and a recording from it
// fails. A server that was missing at start-up gets the start-up's choice.
void TskinForm::rebuild_mixer_panel()
{
    // The user's choice, as it was listed before.
    const std::vector<line>& before = mixer->record_lines();
    const std::optional<line> had =
        source_index_ >= 0 && static_cast<size_t>(source_index_) < before.size() && line_kind() == 0
        ? std::optional<line>(before[source_index_])
        : std::nullopt;
    rebuilding_mixer_ = true;
    view_.clear_rows();
    std::erase_if(held_, [](Control bar) { return bar.row >= 0; });
    rows_ = 0;
    row_writes_.clear();
    source_items_.clear();
    view_.set_items(ControlId::ComboBox1, source_items_);
    mixer->open();
    const int32_t chosen = mixer->selected_line();
    if (chosen >= 0 && chosen < static_cast<int32_t>(source_items_.size()) && !source_restore_pending_)
        view_.select_item(ControlId::ComboBox1, chosen);
    if (source_restore_pending_ && mixer->is_open()) {
        source_restore_pending_ = false;
        restore_source();
    } else if (chosen >= 0 && !source_restore_pending_) {
        hold_chosen_source(chosen);
    } else if (chosen < 0 && had && !had->source_id.empty()) {
        missing_source_ = had->source_id;
        missing_source_name_ = had->name;
    }
    rebuilding_mixer_ = false;
    // The sound system changed: a level stream it had is watched anew.
    watched_source_.clear();
    meters_changed();
}

// The chosen source, perhaps at another place in the list now: its level is
// read again and its new place stored. It is selected on the mixer already.
void TskinForm::hold_chosen_source(int32_t chosen)
{
    const int32_t kind = line_kind();
    if (kind == 0) {
        source_index_ = chosen;
        store_source_index(kind);
        show_source(kind);
    }
    mixer->select_mux(0, chosen);
    meters_changed();
}

} // namespace ornavox
