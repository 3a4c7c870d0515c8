#include "ui/skinform.h"

#include "app/shortcut_text.h"
#include "platform/sound_backend.h"
#include "platform/user_locale.h"
#include "ui/hotkey_edit.h"
#include "ui/notify_window.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTimer>

#include <utility>

namespace ornavox {

int32_t integer_or(const QString& text, int32_t fallback)
{
    bool ok = false;
    const int32_t value = text.toInt(&ok);
    return ok ? value : fallback;
}

QString start_format_text(const QString& samples, const QString& bps)
{
    return QStringLiteral("MP3 %1Hz %2kbps").arg(samples, bps);
}

void TskinForm::FormCreate(Control)
{
    ProgramValues& p = program;
    p.ProgramDir = services_.program_dir;
    if (p.ProgramDir.empty() || p.ProgramDir.back() != '/')
        p.ProgramDir += '/';
    p.DefaultSaveFile = p.ProgramDir + "save.mp3";
    p.Settings = IniDocument::load(p.ProgramDir + "Config.ini");
    p.SaveFile = p.DefaultSaveFile;
    p.SaveDir = p.ProgramDir;
    show_start_texts();
    setFixedSize(kCompactWidth, kCompactHeight);
}

// What the rest of start-up will leave in the skin area, so that the first
// frame does not change once it has run. Only the name of a source from the
// mixer's list waits for the mixer.
void TskinForm::show_start_texts()
{
    const IniDocument& settings = program.Settings;
    if (settings.section_exists("mp3"))
        Label4->setText(start_format_text(QString::number(settings.read_integer("mp3", "samples", 44100)),
                                          QString::number(settings.read_integer("mp3", "bps", 128))));
    int32_t kind = settings.section_exists("audio") ? settings.read_integer("audio", "audioline", 0) : 0;
    if (kind < 1 || kind > 3)
        kind = 0;
    Label6->setText(source_label_text(kind, QString()));
}

void TskinForm::finish_start()
{
    if (std::exchange(started_, true))
        return;
    // The components that talk to the sound system; the first frame needs
    // none of them, and the sound backend may only now be made.
    SoundBackend& sound = services_.sound;
    mixer = std::make_unique<tmixer>(sound.mixer_device(), services_.messages);
    audiorec1 =
        std::make_unique<Taudiorec>(AudiorecServices{sound.capture_device(), services_.dispatcher, services_.messages,
                                                     services_.program_dir, services_.locale.long_time_format()});
    audiorec1->onfailure = [this](Taudiorec*) { recording_failed(); };
    build_panels();
    wire_panels();

    ProgramValues& p = program;
    open_mixer();

    if (p.Settings.section_exists("path")) {
        p.SaveDir = p.Settings.read_string("path", "savepath", p.ProgramDir);
        p.SaveFile = p.Settings.read_string("path", "savefile", p.DefaultSaveFile);
    }
    Edit1->setText(QString::fromStdString(p.SaveFile));

    // Without a sound server, or before it answers, there is nothing to
    // choose from: the stored choice stays as it is until the mixer opens
    // (rebuild_mixer_panel).
    if (mixer->is_open())
        restore_source();
    else
        source_restore_pending_ = true;

    if (p.Settings.section_exists("mp3")) {
        {
            const QSignalBlocker quiet3(ComboBox3);
            const QSignalBlocker quiet2(ComboBox2);
            ComboBox3->setCurrentText(QString::number(p.Settings.read_integer("mp3", "bps", 128)));
            ComboBox2->setCurrentText(QString::number(p.Settings.read_integer("mp3", "samples", 44100)));
        }
        audiorec1->bps = integer_or(ComboBox3->currentText(), 128);
        audiorec1->samples = integer_or(ComboBox2->currentText(), 44100);
        Label4->setText(start_format_text(ComboBox2->currentText(), ComboBox3->currentText()));
    }

    create_notify_window();

    const struct {
        THotKey* field;
        int id;
        const char* key;
    } hotkeys[] = {{HotKey3, kShowWindowHotkey, "hotkey3"},
                   {HotKey2, kStopHotkey, "hotkey2"},
                   {HotKey1, kRecordPauseHotkey, "hotkey1"}};
    for (const auto& h : hotkeys) {
        const std::string text = trimmed(p.Settings.read_string("hotkey", h.key, ""));
        if (!text.empty())
            h.field->setHotKey(TextToShortCut(text));
        register_hotkey(*h.field, h.id);
    }
    Timer1->start();
    autosize_labels();
}

// The record source of the settings, or the detected one where none is stored.
void TskinForm::restore_source()
{
    const IniDocument& settings = program.Settings;
    // Checking a radio button that was not checked runs the source routine at
    // once, which writes "source" as -1; reading "source" afterwards then
    // leaves the choice to the auto-detection below.
    source_index_ = -1;
    if (settings.section_exists("audio")) {
        switch (settings.read_integer("audio", "audioline", 0)) {
        case 1:
            RadioButton1->setChecked(true);
            break;
        case 2:
            RadioButton2->setChecked(true);
            break;
        case 3:
            RadioButton3->setChecked(true);
            break;
        default:
            RadioButton4->setChecked(true);
            break;
        }
        source_index_ = settings.read_integer("audio", "source", -1);
    }
    {
        const QSignalBlocker quiet(ComboBox1);
        if (source_index_ < 0) {
            const int32_t detected = autodetect_source();
            if (detected >= 0 && detected < ComboBox1->count())
                ComboBox1->setCurrentIndex(detected);
            source_index_ = detected;
        } else if (source_index_ < ComboBox1->count()) {
            ComboBox1->setCurrentIndex(source_index_);
        }
    }
    source_routine();
}

void TskinForm::FormClose(Control)
{
    unregister_show_hotkey();
    destroy_notify_window();
    // A window closed before start-up went on has nothing open yet.
    if (started_) {
        close_mixer();
        if (audiorec1->state == 1)
            hotlinkbutton4Click(ControlId::skinForm);
        // Stopping only asks the device for its last buffers; the file is
        // complete once they and the encoder's tail are written. Waiting here
        // keeps a close from cutting off the end of a recording.
        audiorec1->finish_closing();
    }
    save_settings();
    program.Settings = IniDocument();
}

// The program still ends when the settings cannot be written: everything else
// has been shut down already, and the recording is complete on disk.
void TskinForm::save_settings()
{
    std::string error;
    if (!program.Settings.save(program.ProgramDir + "Config.ini", error))
        services_.messages.show_message(error);
}

void TskinForm::create_notify_window()
{
    NotifyWnd =
        std::make_shared<TNotifyWnd>([this](uint32_t code, const std::string& reason) { NotifyWndProc(code, reason); });
}

void TskinForm::destroy_notify_window()
{
    NotifyWnd.reset();
}

} // namespace ornavox
