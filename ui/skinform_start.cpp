#include "ui/skinform.h"

#include "base/shortcut_text.h"
#include "base/utf8_path.h"
#include "platform/hotkey_service.h"
#include "platform/message_sink.h"
#include "platform/one_shot_timer.h"
#include "platform/sound_backend.h"
#include "platform/user_locale.h"
#include "ui/notify_window.h"
#include "ui/skinform_view.h"

#include <charconv>
#include <chrono>
#include <filesystem>
#include <utility>

namespace ornavox {

namespace {

constexpr std::chrono::milliseconds kTimer1Interval{1000};

} // namespace

int32_t integer_or(const std::string& text, int32_t fallback)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return fallback;
    const size_t end = text.find_last_not_of(" \t") + 1;
    const char* begin = text.data() + first;
    if (*begin == '+' && end - first > 1 && begin[1] != '-')
        ++begin;
    int32_t value = 0;
    const auto [stop, error] = std::from_chars(begin, text.data() + end, value);
    return error == std::errc() && stop == text.data() + end ? value : fallback;
}

std::string start_format_text(const std::string& samples, const std::string& bps)
{
    return "MP3 " + samples + "Hz " + bps + "kbps";
}

void TskinForm::FormCreate(Control)
{
    ProgramValues& p = program;
    p.ProgramDir = services_.program_dir;
    if (p.ProgramDir.empty() || p.ProgramDir.back() != '/')
        p.ProgramDir += '/';
    const SettingsPlaces& places = services_.places;
    const std::string& recordings_dir = places.recordings_dir.empty() ? p.ProgramDir : places.recordings_dir;
    p.SettingsFile = (places.settings_dir.empty() ? p.ProgramDir : places.settings_dir) + "Config.ini";
    p.DefaultSaveFile = recordings_dir + "save.mp3";
    // A program folder installed over an older one that kept its settings
    // beside the program: those are read until the user's own are written.
    std::error_code unknown;
    const bool moved = p.SettingsFile != p.ProgramDir + "Config.ini";
    p.Settings = IniDocument::load(moved && !std::filesystem::exists(utf8_path(p.SettingsFile), unknown)
                                       ? p.ProgramDir + "Config.ini"
                                       : p.SettingsFile);
    p.SaveFile = p.DefaultSaveFile;
    p.SaveDir = recordings_dir;
    show_start_texts();
    set_layout(Layout::Compact);
}

// What the rest of start-up will leave in the skin area, so that the first
// frame does not change once it has run. Only the name of a source from the
// mixer's list waits for the mixer.
void TskinForm::show_start_texts()
{
    const IniDocument& settings = program.Settings;
    if (settings.section_exists("mp3"))
        show_format(start_format_text(std::to_string(settings.read_integer("mp3", "samples", 44100)),
                                      std::to_string(settings.read_integer("mp3", "bps", 128))));
    int32_t kind = settings.section_exists("audio") ? settings.read_integer("audio", "audioline", 0) : 0;
    if (kind < 1 || kind > 3)
        kind = 0;
    view_.set_text(ControlId::Label6, source_label_text(kind, std::string()));
}

void TskinForm::finish_start()
{
    if (std::exchange(started_, true))
        return;
    // The components that talk to the sound system; the first frame needs
    // none of them, and the sound backend may only now be made.
    SoundBackend& sound = services_.sound;
    mixer = std::make_unique<tmixer>(sound.mixer_device(), services_.messages);
    audiorec1 = std::make_unique<Taudiorec>(
        AudiorecServices{sound.capture_device(), services_.dispatcher, services_.messages, services_.program_dir,
                         services_.locale.long_time_format(), services_.locale.zero_digit()});
    audiorec1->onfailure = [this](Taudiorec*) { recording_failed(); };
    audiorec1->ondata = until_closed([this](Taudiorec* recording) { recorded(*recording); });
    Timer1 = services_.timers.make_timer();
    view_.build_panels();
    set_panel_values();
    wire_mixer();
    wire_hotkeys();

    ProgramValues& p = program;
    open_mixer();

    if (p.Settings.section_exists("path")) {
        p.SaveDir = p.Settings.read_string("path", "savepath", p.SaveDir);
        p.SaveFile = p.Settings.read_string("path", "savefile", p.DefaultSaveFile);
    }
    view_.set_text(ControlId::Edit1, p.SaveFile);

    // Without a sound server, or before it answers, there is nothing to
    // choose from: the stored choice stays as it is until the mixer opens
    // (rebuild_mixer_panel).
    if (mixer->is_open())
        restore_source();
    else
        source_restore_pending_ = true;

    if (p.Settings.section_exists("mp3")) {
        const std::string bps = std::to_string(p.Settings.read_integer("mp3", "bps", 128));
        const std::string samples = std::to_string(p.Settings.read_integer("mp3", "samples", 44100));
        view_.set_edit_text(ControlId::ComboBox3, bps);
        view_.set_edit_text(ControlId::ComboBox2, samples);
        audiorec1->bps = integer_or(bps, 128);
        audiorec1->samples = integer_or(samples, 44100);
        show_format(start_format_text(samples, bps));
    }

    create_notify_window();
    register_hotkeys();
    tick();
}

// What the layout gives the panels' input controls; start-up and the mixer
// change some of it.
void TskinForm::set_panel_values()
{
    view_.set_checked(ControlId::RadioButton4, true);
    view_.set_edit_text(ControlId::ComboBox1, "Unkown");
    view_.set_position(ControlId::TrackBar1, 0);
    view_.set_text(ControlId::Edit1, "save.mp3");
    view_.set_items(ControlId::ComboBox2, {"44100", "48000", "32000"});
    view_.set_edit_text(ControlId::ComboBox2, "44100");
    view_.set_items(ControlId::ComboBox3, {"128", "96", "160", "192", "256"});
    view_.set_edit_text(ControlId::ComboBox3, "128");
    view_.set_hotkey(ControlId::HotKey1, kShortcutShift | kShortcutCtrl | 0x78); // F9
    view_.set_hotkey(ControlId::HotKey2, kShortcutShift | kShortcutCtrl | 0x79); // F10
    view_.set_hotkey(ControlId::HotKey3, kShortcutShift | kShortcutCtrl | 0x7A); // F11
}

// The timer runs from start-up to the end of the program; a tick that the
// close sequence overtakes does nothing.
void TskinForm::tick()
{
    Timer1->start(kTimer1Interval, [this] {
        if (closed_)
            return;
        Timer1Timer(ControlId::Timer1);
        tick();
    });
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
            check_radio(ControlId::RadioButton1);
            break;
        case 2:
            check_radio(ControlId::RadioButton2);
            break;
        case 3:
            check_radio(ControlId::RadioButton3);
            break;
        default:
            check_radio(ControlId::RadioButton4);
            break;
        }
        source_index_ = settings.read_integer("audio", "source", -1);
        // Where the name is stored it decides, wherever the source now
        // stands in the list; the place is for files of older versions.
        const std::string stored = trimmed(settings.read_string("audio", "sourcename", ""));
        if (!stored.empty() && line_kind() == 0) {
            source_index_ = source_by_id(stored);
            if (source_index_ < 0) {
                keep_missing_source(stored);
                return;
            }
        }
    }
    const auto count = static_cast<int32_t>(source_items_.size());
    if (source_index_ < 0) {
        const int32_t detected = autodetect_source();
        if (detected >= 0 && detected < count)
            view_.select_item(ControlId::ComboBox1, detected);
        source_index_ = detected;
    } else if (source_index_ < count) {
        view_.select_item(ControlId::ComboBox1, source_index_);
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
        // keeps a close from cutting off the end of a recording; a paused one
        // gets its encoder's tail.
        audiorec1->finish_closing();
        audiorec1->finish();
    }
    save_settings();
    program.Settings = IniDocument();
}

// The program still ends when the settings cannot be written: everything else
// has been shut down already, and the recording is complete on disk.
void TskinForm::save_settings()
{
    std::string error;
    // The user's settings folder of an installed program may not be there
    // yet; a folder that cannot be made shows as the file's write error.
    std::error_code ignored;
    std::filesystem::create_directories(utf8_path(program.SettingsFile).parent_path(), ignored);
    if (!program.Settings.save(program.SettingsFile, error))
        services_.messages.show_message(error);
}

// The fields show the stored combinations, or the layout's where none is
// stored; the show key first.
void TskinForm::register_hotkeys()
{
    const struct {
        ControlId field;
        int id;
        const char* key;
    } hotkeys[] = {{ControlId::HotKey3, kShowWindowHotkey, "hotkey3"},
                   {ControlId::HotKey2, kStopHotkey, "hotkey2"},
                   {ControlId::HotKey1, kRecordPauseHotkey, "hotkey1"}};
    for (const auto& h : hotkeys) {
        const std::string text = trimmed(program.Settings.read_string("hotkey", h.key, ""));
        if (!text.empty())
            view_.set_hotkey(h.field, TextToShortCut(text));
        services_.hotkeys.register_hotkey(h.id, view_.hotkey(h.field));
    }
}

void TskinForm::unregister_show_hotkey()
{
    services_.hotkeys.unregister_hotkey(kShowWindowHotkey);
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
