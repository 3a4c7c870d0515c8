// Playing the recording through the media player.
#include "ui/skinform.h"

#include "platform/media_player.h"
#include "platform/message_sink.h"
#include "platform/sound_backend.h"
#include "platform/user_locale.h"
#include "recording/time_text.h"
#include "ui/notify_window.h"
#include "ui/skinform_view.h"

namespace ornavox {

namespace {

constexpr double kMillisecondsPerDay = 86400000.0;

} // namespace

// A file that cannot be played is said so and nothing starts: showing
// "Playing" over silence would report a failure as success.
void TskinForm::hotlinkbutton1Click(Control)
{
    if (taskstate != TaskState::Idle)
        return;
    std::string error;
    if (!services_.sound.media_player().open(program.SaveFile, error)) {
        services_.messages.show_message("Cannot open file " + program.SaveFile);
        return;
    }
    taskstate = TaskState::Playing;
    services_.sound.media_player().play(NotifyWnd);
    view_.set_text(ControlId::Label7, "");
    length_shown_ = false;
    show_play_length();
    view_.set_text(ControlId::Label5, "Playing");
}

// The length in seconds: 83456 ms is "83.456", 5000 ms is "5". A long file's
// length may be known only a while after the play started.
void TskinForm::show_play_length()
{
    if (length_shown_)
        return;
    if (const std::optional<uint64_t> length = services_.sound.media_player().length_ms()) {
        view_.set_text(ControlId::Label7, services_.locale.shortest_decimal(static_cast<double>(*length) / 1000.0));
        length_shown_ = true;
    }
}

void TskinForm::show_play_position()
{
    show_play_length();
    if (const std::optional<uint64_t> position = services_.sound.media_player().position_ms())
        view_.set_text(ControlId::Label3,
                       format_elapsed(static_cast<double>(*position) / kMillisecondsPerDay,
                                      services_.locale.long_time_format(), services_.locale.zero_digit()));
}

// The end of a play: a successful end returns the window to Idle. So does a
// play that failed midway, after saying why, instead of staying in Playing
// with nothing to hear. A play that was stopped is done with already.
void TskinForm::NotifyWndProc(uint32_t code, const std::string& reason)
{
    if (taskstate != TaskState::Playing || (code != MCI_NOTIFY_SUCCESSFUL && code != MCI_NOTIFY_FAILURE))
        return;
    show_idle();
    view_.show_normal_face(ControlId::hotlinkbutton1);
    services_.sound.media_player().close();
    if (code == MCI_NOTIFY_FAILURE)
        services_.messages.show_message("Playback of " + program.SaveFile + " stopped: " + reason + ".");
}

} // namespace ornavox
