#pragma once

#include "base/ini_document.h"
#include "base/settings_places.h"
#include "mixer/mixer.h"
#include "recording/audiorec.h"
#include "ui/controls.h"
#include "ui/level_meter.h"
#include "ui/meter_layout.h"
#include "ui/skin_layout.h"
#include "ui/sound_watch.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace ornavox {

class Dialogs;
class Dispatcher;
class HotkeyService;
class MessageSink;
class OneShotTimer;
class Shell;
class SkinFormView;
class SoundBackend;
class TNotifyWnd;
class ThrottledWrite;
class TimerFactory;
class UserLocale;

// What the window is given by the program entry (or by a test).
struct SkinFormServices {
    SoundBackend& sound; // asked for its devices when start-up goes on after the first paint
    HotkeyService& hotkeys;
    Dispatcher& dispatcher;
    MessageSink& messages;
    Dialogs& dialogs;
    Shell& shell;
    std::string program_dir; // with trailing '/'; the folder of the executable
    UserLocale& locale;
    TimerFactory& timers;
    // Where Config.ini and the default recording live; empty folders stand
    // for the program folder.
    SettingsPlaces places{};
};

// The values the window's handlers share. They belong to the one window of the
// program, but live in the window object rather than at file level so that
// tests can build several windows, each over its own program folder.
struct ProgramValues {
    std::string ProgramDir;      // with trailing '/'
    std::string SettingsFile;    // Config.ini: in ProgramDir, or in the user's folder when installed
    std::string DefaultSaveFile; // save.mp3 in ProgramDir, or in the user's music folder when installed
    std::string SaveFile;        // the file recorded to and played back
    std::string SaveDir;         // where the save dialog opens, with trailing '/'
    IniDocument Settings;        // Config.ini in memory; written back once, at close
};

enum class TaskState { Idle, Recording, Paused, Playing };

// The help page beside the program, opened by the help button.
inline constexpr const char* kHelpFileName = "ornavox.html";
inline constexpr const char* kVendorWebAddress = "https://ornavox.example/";

// The identifiers of the three system-wide hotkeys.
inline constexpr int kShowWindowHotkey = 0x8888;
inline constexpr int kStopHotkey = 0x8889;
inline constexpr int kRecordPauseHotkey = 0x888A;

// A box's text read as an integer (spaces around it and a sign allowed), or
// `fallback` when it is not one.
int32_t integer_or(const std::string& text, int32_t fallback);

// The format line as start-up shows it, from the boxes' texts.
std::string start_format_text(const std::string& samples, const std::string& bps);

// The source line: a line kind's own name, or for kind 0 the list's text.
std::string source_label_text(int32_t line_kind, const std::string& list_text);

// The main window's logic, whatever draws it: the task state, the texts, and
// the calls into the recording and mixer components, over a SkinFormView.
// Everything runs on the GUI thread. Handlers are named after the control and
// event that first used them; one handler may serve several controls and
// receives the raising control as Sender (ControlId::None when called from
// code, such as a hotkey or the close sequence).
//
// Start-up comes in two halves. The constructor shows in the skin area what
// start-up will leave there; nothing it does waits on the sound server. The
// panels, the components that talk to the sound system, the mixer, the
// source, the format, the save file and the hotkeys follow once the first
// frame is on the screen (finish_start).
class TskinForm {
public:
    // The view's skin area exists; its panels come with finish_start.
    TskinForm(SkinFormServices services, SkinFormView& view);
    ~TskinForm();
    TskinForm(const TskinForm&) = delete;
    TskinForm& operator=(const TskinForm&) = delete;

    // The start-up steps that wait for the first paint, run now unless they
    // ran already. The view calls it once its first frame is on the screen;
    // a timer does where none comes (a hidden start, no screen).
    void finish_start();
    bool started() const { return started_; }

    // The close sequence, run once, whoever asks first: the quit button, the
    // menu or the window system. Then the view closes.
    void close();
    bool closed() const { return closed_; }

    // What the user did to a control, from any front end: the one way in
    // for the controls' events. Nothing reaches a handler once close began,
    // and a click on a skin button finishes start-up first (it may come
    // before the first paint's start-up ran).
    void handle(Control Sender, ControlEvent event);

    ProgramValues program;
    TaskState taskstate = TaskState::Idle;
    std::unique_ptr<Taudiorec> audiorec1; // from finish_start on, like the mixer
    std::unique_ptr<tmixer> mixer;
    std::unique_ptr<OneShotTimer> Timer1;  // ticks every second from finish_start on
    std::shared_ptr<TNotifyWnd> NotifyWnd; // from the second half of start-up until close

    // Recording control.
    void hotlinkbutton3Click(Control Sender);
    void hotlinkbutton4Click(Control Sender);
    void hotlinkbutton10Click(Control Sender);
    void ComboBox2Change(Control Sender);
    void SpeedButton1Click(Control Sender);
    void Timer1Timer(Control Sender);
    // Playback.
    void hotlinkbutton1Click(Control Sender);
    void NotifyWndProc(uint32_t code, const std::string& reason);

    // The skinned window's own commands.
    void hotlinkbutton1mouseenter(Control Sender);
    void hotlinkbutton1mouseleave(Control Sender);
    void hotlinkbutton2Click(Control Sender);
    void hotlinkbutton9Click(Control Sender);
    void hotlinkbutton11Click(Control Sender);
    void hotlinkbutton12Click(Control Sender);
    void hotlinkbutton13Click(Control Sender);
    void hotlinkbutton14Click(Control Sender);
    void exit1Click(Control Sender);
    void hotlinkbutton6Click(Control Sender);

    // Hotkeys: a change of any of the three fields, and an activation.
    void HotKey3Change(Control Sender);
    void WMHotKey(int id);
    void hotlinkbutton8Click(Control Sender);

    // Record source: a click on any of the four radio buttons, including a
    // change of selection made from code.
    void RadioButton1Click(Control Sender);
    void ComboBox1Change(Control Sender);
    void ComboBox1Enter(Control Sender);
    void SpeedButton3Click(Control Sender);
    void TrackBar1Change(Control Sender);
    // The mixer's events, and the panel rows' own.
    void mixermixeropen(const std::vector<line>& record_lines, const std::vector<control>& playback_ctls);
    void mixervolumechange(uint32_t control_sort, uint32_t volume);
    void mixermutechange(uint32_t control_sort, uint32_t mute);
    void volumechange(Control Sender);
    void mutechange(Control Sender);

    // The text the hint line shows for a control; empty for one without a hint.
    std::string hint_of(Control control) const;
    Layout layout() const { return layout_; }

private:
    void FormCreate(Control Sender);
    void FormClose(Control Sender);
    void show_start_texts();
    void set_panel_values();
    void set_button(ControlId button, Face face);
    void set_layout(Layout layout);
    void tick();

    // Values set from code that count as the user's action: each runs the
    // control's handler when the value changed.
    void check_radio(ControlId radio);
    void move_bar(Control bar, int position);
    void tick_box(Control box, bool ticked);

    // Start-up and shut-down steps that belong to the mixer, the playback
    // notification and the global hotkeys.
    void open_mixer();
    int32_t autodetect_source();
    void source_routine();
    int32_t chosen_list_item() const;
    void select_source_on_mixer(int32_t line_kind, int32_t source_index);
    void wire_mixer();
    void wire_hotkeys();
    void rebuild_mixer_panel();
    void restore_source();
    void hold_chosen_source(int32_t chosen);
    void store_source_index(int32_t line_kind);
    int32_t source_by_id(const std::string& source_id) const;
    void keep_missing_source(const std::string& source_id);
    int32_t line_kind() const;
    void show_source(int32_t line_kind);
    void create_notify_window();
    void register_hotkeys();
    void unregister_show_hotkey();
    void destroy_notify_window();
    void close_mixer();

    void save_settings();

    // Recording control.
    void start_recording();
    bool choose_save_file();
    void show_idle();
    void recording_failed();
    void show_format(const std::string& text);

    // The level meters and the sound's warnings.
    void recorded(const Taudiorec& recording);
    void level_heard(float peak);
    void meters_changed();
    void watch_source_level();
    void show_meters();
    void meter_frame();
    void show_meter(MeterPlace place, bool shown, const MeterReading& reading);
    void update_warning();
    std::string resting_hint() const;
    const line* chosen_line() const;
    std::string chosen_source_name() const;

    // Playback.
    void show_play_position();
    void show_play_length();

    void click(Control Sender);
    void change(Control Sender);

    // `handler` as the window's own callbacks reach it: from the start of
    // close on, none does, and only close's own steps run.
    template <class Handler>
    auto until_closed(Handler handler)
    {
        return [this, handler](auto&&... args) {
            if (closed_)
                return;
            if constexpr (std::is_invocable_v<Handler, decltype(args)...>)
                handler(std::forward<decltype(args)>(args)...);
            else
                handler();
        };
    }

    SkinFormServices services_;
    SkinFormView& view_;

    // True while a record click waits in the append question or the save
    // dialog; those run their own event loop, so a second record or a stop can
    // arrive before the first one has reached rec().
    bool start_pending_ = false;
    bool start_cancelled_ = false;
    std::string last_saved_name_; // offered by the save dialog after a confirmed choice
    // The format line as the boxes make it; while a recording goes on at the
    // rate of the file it appends to, the line shows that instead.
    std::string format_text_ = "MP3 44100 hz 128kbps";
    bool file_format_shown_ = false;

    std::map<ControlId, Face> faces_; // every skin button's image id and hint
    Layout layout_ = Layout::Compact;
    std::vector<std::string> source_items_; // ComboBox1's items, the mixer's record lines
    int32_t source_index_ = -1;             // the chosen entry of ComboBox1, -1 none
    size_t rows_ = 0;                       // the mixer panel's rows
    // User moves of a level reach the mixer at most once per 50 ms.
    std::unique_ptr<ThrottledWrite> record_level_write_;
    std::vector<std::unique_ptr<ThrottledWrite>> row_writes_;
    // While the panel is rebuilt after the sound system changed, what the
    // mixer reports is only shown, never written back.
    bool rebuilding_mixer_ = false;
    std::unique_ptr<OneShotTimer> rebuild_;
    // Start-up found no sound server: the stored record source is restored
    // once one answers.
    bool source_restore_pending_ = false;
    std::unique_ptr<OneShotTimer> start_without_paint_;
    bool started_ = false; // finish_start ran
    bool closed_ = false;  // close began: events reach no handler from then on
    // The chosen source when it is not there: the stored one at start-up, or
    // one that left the server; its name in the list, when it was listed.
    std::string missing_source_;
    std::string missing_source_name_;
    bool length_shown_ = false; // the played file's length is on Label7
    std::vector<Control> held_; // the track bars whose thumb the user holds

    // The recording's sound, or before a recording the chosen source's level.
    LevelMeter meter_;
    SoundWatch watch_;
    std::map<MeterPlace, std::optional<MeterReading>> meters_shown_;
    std::unique_ptr<OneShotTimer> meter_frame_;
    std::chrono::steady_clock::time_point last_feed_{}; // of the meter
    std::string watched_source_;                        // the level stream's source id; empty: none runs
    bool level_heard_ = false;                          // the level stream sent a peak
    std::string warning_;                               // the hint line's resting text instead of SaveFile
    bool hint_shown_ = false;                           // the pointer is over a control with a hint
};

} // namespace ornavox
