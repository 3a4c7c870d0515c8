// The level meters in the skin and the mixer panel, the chosen source's
// level before a recording, and the warnings about the recorded sound.
#include "ui/skinform.h"

#include "platform/level_monitor.h"
#include "platform/one_shot_timer.h"
#include "platform/sound_backend.h"
#include "ui/skinform_view.h"

#include <algorithm>

namespace ornavox {

void TskinForm::recorded(const Taudiorec& recording)
{
    if (recording.data().empty())
        return;
    last_feed_ = services_.timers.now();
    meter_.feed(recording.data(), last_feed_);
    watch_.feed(recording.data(), recording.rate());
    update_warning();
    show_meters();
}

void TskinForm::level_heard(float peak)
{
    level_heard_ = true;
    last_feed_ = services_.timers.now();
    meter_.feed_peak(peak, last_feed_);
    show_meters();
}

// The task, the layout or the source changed: the meters follow.
void TskinForm::meters_changed()
{
    if (taskstate == TaskState::Idle || taskstate == TaskState::Playing)
        watch_.clear();
    watch_source_level();
    update_warning();
    show_meters();
}

// The panel shows the chosen source's level while nothing records it; the
// stream goes when the panel is covered or a recording starts.
void TskinForm::watch_source_level()
{
    LevelMonitor* levels = started_ && !closed_ ? services_.sound.level_monitor() : nullptr;
    const bool recording = taskstate == TaskState::Recording || taskstate == TaskState::Paused;
    const line* chosen = chosen_line();
    const std::string source =
        levels && layout_ == Layout::Mixer && !recording && chosen ? chosen->source_id : std::string();
    if (source == watched_source_)
        return;
    if (!watched_source_.empty() || level_heard_)
        meter_.clear();
    watched_source_ = source;
    level_heard_ = false;
    if (!levels)
        return;
    if (source.empty())
        levels->stop();
    else
        levels->watch(source, until_closed([this](float peak) { level_heard(peak); }));
}

void TskinForm::show_meters()
{
    const MeterReading reading = meter_.reading(services_.timers.now());
    const bool recording = taskstate == TaskState::Recording || taskstate == TaskState::Paused;
    show_meter(MeterPlace::Skin, recording, reading);
    show_meter(MeterPlace::Panel, layout_ == Layout::Mixer && (recording || level_heard_), reading);
    // While a level falls, the meters are drawn again a frame later; sound
    // that comes more often than that draws them itself.
    const bool shown = meters_shown_[MeterPlace::Skin] || meters_shown_[MeterPlace::Panel];
    if (shown && meter_.moving(services_.timers.now()) && !meter_frame_->running())
        meter_frame_->start(kMeterFrame, until_closed([this] { meter_frame(); }));
}

void TskinForm::meter_frame()
{
    if (services_.timers.now() - last_feed_ >= kMeterFrame)
        show_meters();
    else
        meter_frame_->start(kMeterFrame, until_closed([this] { meter_frame(); }));
}

// A meter is drawn again only when its picture changes.
void TskinForm::show_meter(MeterPlace place, bool shown, const MeterReading& reading)
{
    const MeterBox& box = meter_box(place);
    const auto picture = [&box](const std::optional<MeterReading>& r) {
        return r ? meter_picture(*r, box.width, box.height) : std::vector<MeterRect>{};
    };
    const std::optional<MeterReading> wanted = shown ? std::optional(reading) : std::nullopt;
    auto [known, added] = meters_shown_.try_emplace(place, std::nullopt);
    if (!added && known->second.has_value() == wanted.has_value() && picture(known->second) == picture(wanted))
        return;
    known->second = wanted;
    view_.show_meter(place, wanted);
}

// Only while recording: a pause or a stop ends what the warning was about.
void TskinForm::update_warning()
{
    std::string warning;
    if (taskstate == TaskState::Recording) {
        if (watch_.silent())
            warning = no_sound_warning(chosen_source_name());
        else if (watch_.clipping())
            warning = kClipWarning;
    }
    if (warning == warning_)
        return;
    warning_ = warning;
    if (!hint_shown_)
        view_.set_text(ControlId::Label1, resting_hint());
}

std::string TskinForm::resting_hint() const
{
    return warning_.empty() ? program.SaveFile : warning_;
}

// The source the mixer records from now; nullptr for none or a missing one.
const line* TskinForm::chosen_line() const
{
    if (!mixer)
        return nullptr;
    const std::vector<line>& lines = mixer->record_lines();
    const auto found = std::find_if(lines.begin(), lines.end(), [this](const line& l) {
        return static_cast<uint32_t>(l.mux_index) == mixer->mux_selected;
    });
    return found == lines.end() ? nullptr : &*found;
}

std::string TskinForm::chosen_source_name() const
{
    if (const line* chosen = chosen_line())
        return chosen->name;
    if (!missing_source_name_.empty())
        return missing_source_name_;
    return missing_source_.empty() ? view_.edit_text(ControlId::ComboBox1) : missing_source_;
}

} // namespace ornavox
