#include "ui/skinform.h"

#include "base/utf8_path.h"
#include "platform/media_player.h"
#include "platform/message_sink.h"
#include "platform/sound_backend.h"
#include "platform/user_locale.h"
#include "ui/dialogs.h"
#include "ui/skinform_view.h"

#include <filesystem>

namespace ornavox {

namespace {

// Right-aligned in `width` characters, as the size line shows its number.
std::string padded(const std::string& text, size_t width)
{
    size_t characters = 0;
    for (const char c : text)
        characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return characters < width ? std::string(width - characters, ' ') + text : text;
}

// The format line as the format boxes write it.
std::string stereo_format_text(const std::string& samples, const std::string& bps)
{
    return "MP3 Stereo " + samples + "Hz " + bps + "kbps";
}

} // namespace

void TskinForm::hotlinkbutton3Click(Control)
{
    switch (taskstate) {
    case TaskState::Idle:
    case TaskState::Paused:
        start_recording();
        break;
    case TaskState::Recording:
        taskstate = TaskState::Paused;
        audiorec1->pause();
        audiorec1->append = true;
        set_button(ControlId::hotlinkbutton3, kRecordFace);
        view_.set_text(ControlId::Label5, "Pause");
        meters_changed();
        break;
    case TaskState::Playing:
        services_.messages.show_message("Still in playback mode");
        break;
    }
}

// A record that arrives while an earlier one still waits in the question or
// the dialog is ignored, and a stop in that time cancels the waiting start:
// rec() must never run twice, nor after the user stopped.
void TskinForm::start_recording()
{
    if (start_pending_)
        return;
    start_pending_ = true;
    start_cancelled_ = false;
    struct PendingGuard {
        bool& pending;
        ~PendingGuard() { pending = false; }
    } guard{start_pending_};

    const TaskState from = taskstate;
    if (from == TaskState::Idle) {
        const auto answer =
            services_.dialogs.ask_yes_no("MP3 File already exists", "Append to exists file or save to new file?");
        // A question put away unanswered takes the record press back.
        if (answer == Dialogs::Answer::Cancel)
            return;
        if (answer == Dialogs::Answer::Yes) {
            audiorec1->append = true;
        } else {
            // The user asked for a new file: a file that happens to exist under
            // the chosen name is replaced, never appended to. A cancelled
            // dialog starts nothing, since recording would truncate the
            // unchanged file, which may hold an earlier recording.
            audiorec1->append = false;
            if (!choose_save_file())
                return;
        }
    }
    if (start_cancelled_ || taskstate != from)
        return;

    // Told here, at once: the device would learn it from the server only.
    if (!missing_source_.empty() && source_by_id(missing_source_) < 0) {
        services_.messages.show_message("The record source \""
                                        + (missing_source_name_.empty() ? missing_source_ : missing_source_name_)
                                        + "\" is no longer there. Choose another one in the mixer panel.");
        return;
    }
    audiorec1->filename = program.SaveFile;
    try {
        audiorec1->rec();
    } catch (const AudiorecError& error) {
        services_.messages.show_message(error.what());
        return;
    }
    taskstate = TaskState::Recording;
    set_button(ControlId::hotlinkbutton3, kPauseFace);
    view_.set_text(ControlId::Label5, "Recording");
    meters_changed();
    // A file is continued at its own rate, which the boxes may not show.
    if (audiorec1->rate() != static_cast<uint32_t>(audiorec1->samples)) {
        view_.set_text(ControlId::Label4,
                       stereo_format_text(std::to_string(audiorec1->rate()), std::to_string(audiorec1->bps)));
        file_format_shown_ = true;
    }
}

void TskinForm::show_format(const std::string& text)
{
    format_text_ = text;
    file_format_shown_ = false;
    view_.set_text(ControlId::Label4, text);
}

void TskinForm::hotlinkbutton4Click(Control)
{
    start_cancelled_ = true;
    if (taskstate == TaskState::Recording)
        audiorec1->stop();
    // A paused recording still holds the encoder's last frame.
    if (taskstate == TaskState::Paused)
        audiorec1->finish();
    if (taskstate == TaskState::Playing) {
        services_.sound.media_player().stop();
        services_.sound.media_player().close();
    }
    show_idle();
}

void TskinForm::show_idle()
{
    set_button(ControlId::hotlinkbutton3, kRecordFace);
    set_button(ControlId::hotlinkbutton1, kPlayFace);
    taskstate = TaskState::Idle;
    view_.set_text(ControlId::Label5, "Idle");
    if (file_format_shown_)
        show_format(format_text_);
    meters_changed();
}

// The component stopped by itself after showing why (the disk filled up, the
// file was deleted); the window must not go on showing a recording.
void TskinForm::recording_failed()
{
    if (taskstate == TaskState::Recording || taskstate == TaskState::Paused)
        show_idle();
}

void TskinForm::hotlinkbutton10Click(Control)
{
    if (faces_[ControlId::hotlinkbutton10].imageid == kMusicFace.imageid)
        set_button(ControlId::hotlinkbutton10, kVoiceFace);
    else
        set_button(ControlId::hotlinkbutton10, kMusicFace);
}

void TskinForm::ComboBox2Change(Control)
{
    const std::string samples = view_.edit_text(ControlId::ComboBox2);
    const std::string bps = view_.edit_text(ControlId::ComboBox3);
    audiorec1->bps = integer_or(bps, 128);
    audiorec1->samples = integer_or(samples, 44100);
    show_format(stereo_format_text(samples, bps));
    program.Settings.write_integer("mp3", "samples", audiorec1->samples);
    program.Settings.write_integer("mp3", "bps", audiorec1->bps);
}

void TskinForm::SpeedButton1Click(Control)
{
    choose_save_file();
}

// Writes the "path" keys whether or not the user confirmed. True when a file
// was chosen.
bool TskinForm::choose_save_file()
{
    Dialogs::SaveFileOptions options;
    options.initial_dir = program.SaveDir;
    options.initial_name = last_saved_name_.empty() ? "*.mp3" : last_saved_name_;
    options.default_suffix = "mp3";
    options.filters = {{"MP3 files", "*.mp3"}, {"Wave files", "*.wav"}, {"Raw files", "*.raw"}};
    const std::optional<std::string> chosen = services_.dialogs.get_save_file_name(options);
    if (chosen) {
        const std::filesystem::path path = utf8_path(*chosen);
        program.SaveFile = *chosen;
        program.SaveDir = utf8_text(path.parent_path());
        if (program.SaveDir.empty() || program.SaveDir.back() != '/')
            program.SaveDir += '/';
        last_saved_name_ = utf8_text(path.filename());
        view_.set_text(ControlId::Edit1, last_saved_name_);
    }
    program.Settings.write_string("path", "savepath", program.SaveDir);
    program.Settings.write_string("path", "savefile", program.SaveFile);
    return chosen.has_value();
}

void TskinForm::Timer1Timer(Control)
{
    switch (taskstate) {
    case TaskState::Recording: {
        std::string elapsed;
        audiorec1->position(elapsed);
        view_.set_text(ControlId::Label3, elapsed);
        view_.set_text(ControlId::Label7,
                       "Filesize: " + padded(services_.locale.grouped(audiorec1->mp3size), 8) + " bytes");
        break;
    }
    case TaskState::Idle:
        view_.set_text(ControlId::Label3, "No task.");
        break;
    case TaskState::Paused:
        break;
    case TaskState::Playing:
        show_play_position();
        break;
    }
}

} // namespace ornavox
