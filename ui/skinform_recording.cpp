#include "ui/skinform.h"

#include "platform/media_player.h"
#include "platform/message_sink.h"
#include "platform/sound_backend.h"
#include "platform/user_locale.h"
#include "ui/dialogs.h"
#include "ui/hotlinkbutton.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include <filesystem>

namespace ornavox {

namespace {

constexpr const char* kRecordHint = "Record  what playback";
constexpr const char* kPauseHint = "Record pause";
constexpr const char* kPlayHint = "Playback the what recorded.";
constexpr const char* kMusicHint = "Record in music  mode.";
constexpr const char* kVoiceHint = "Record in voice  mode.";

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
        hotlinkbutton3->setImageid(2);
        hotlinkbutton3->setHint(kRecordHint);
        Label5->setText(QStringLiteral("Pause"));
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

    audiorec1->filename = program.SaveFile;
    try {
        audiorec1->rec();
    } catch (const AudiorecError& error) {
        services_.messages.show_message(error.what());
        return;
    }
    // rec() may have run the event loop while the previous recording finished
    // closing, and a stop may have come in then.
    if (start_cancelled_) {
        audiorec1->stop();
        return;
    }
    taskstate = TaskState::Recording;
    hotlinkbutton3->setImageid(1);
    hotlinkbutton3->setHint(kPauseHint);
    Label5->setText(QStringLiteral("Recording"));
}

void TskinForm::hotlinkbutton4Click(Control)
{
    start_cancelled_ = true;
    if (taskstate == TaskState::Recording)
        audiorec1->stop();
    if (taskstate == TaskState::Playing) {
        services_.sound.media_player().stop();
        services_.sound.media_player().close();
    }
    show_idle();
}

void TskinForm::show_idle()
{
    hotlinkbutton3->setImageid(2);
    hotlinkbutton3->setHint(kRecordHint);
    hotlinkbutton1->setImageid(0);
    hotlinkbutton1->setHint(kPlayHint);
    taskstate = TaskState::Idle;
    Label5->setText(QStringLiteral("Idle"));
}

// The component stopped by itself after showing why (the disk filled up);
// the window must not go on showing a recording.
void TskinForm::recording_failed()
{
    if (taskstate == TaskState::Recording)
        show_idle();
}

void TskinForm::hotlinkbutton10Click(Control)
{
    if (hotlinkbutton10->imageid() == 2) {
        hotlinkbutton10->setImageid(3);
        hotlinkbutton10->setHint(kVoiceHint);
    } else {
        hotlinkbutton10->setImageid(2);
        hotlinkbutton10->setHint(kMusicHint);
    }
}

void TskinForm::ComboBox2Change(Control)
{
    audiorec1->bps = integer_or(ComboBox3->currentText(), 128);
    audiorec1->samples = integer_or(ComboBox2->currentText(), 44100);
    Label4->setText(QStringLiteral("MP3 Stereo %1Hz %2kbps").arg(ComboBox2->currentText(), ComboBox3->currentText()));
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
        const std::filesystem::path path(*chosen);
        program.SaveFile = *chosen;
        program.SaveDir = path.parent_path().string();
        if (program.SaveDir.empty() || program.SaveDir.back() != '/')
            program.SaveDir += '/';
        last_saved_name_ = path.filename().string();
        Edit1->setText(QString::fromStdString(last_saved_name_));
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
        Label3->setText(QString::fromStdString(elapsed));
        const QString size = QString::fromStdString(services_.locale.grouped(audiorec1->mp3size));
        Label7->setText(QStringLiteral("Filesize: %1 bytes").arg(size, 8));
        break;
    }
    case TaskState::Idle:
        Label3->setText(QStringLiteral("No task."));
        break;
    case TaskState::Paused:
        break;
    case TaskState::Playing:
        show_play_position();
        break;
    }
}

} // namespace ornavox
