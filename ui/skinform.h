#pragma once

#include "app/ini_document.h"
#include "mixer/mixer.h"
#include "recording/audiorec.h"
#include "ui/controls.h"
#include "ui/imagelist.h"
#include "ui/skin_files.h"

#include <QPoint>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QSlider;
class QTimer;

namespace ornavox {

class Dialogs;
class HotkeyService;
class SoundBackend;
class UserLocale;
class TNotifyWnd;
class ThrottledWrite;
class Dispatcher;
class MessageSink;
class Shell;
class THotKey;
class Thotlinkbutton;

// What the main window is given by the program entry (or by a test).
struct SkinFormServices {
    SoundBackend& sound; // asked for its devices when start-up goes on after the first paint
    HotkeyService& hotkeys;
    Dispatcher& dispatcher;
    MessageSink& messages;
    Dialogs& dialogs;
    Shell& shell;
    std::string program_dir; // with trailing '/'; the folder of the executable
    UserLocale& locale;
};

// The values the window's handlers share. They belong to the one window of the
// program, but live in the window object rather than at file level so that
// tests can build several windows, each over its own program folder.
struct ProgramValues {
    std::string ProgramDir;      // with trailing '/'
    std::string DefaultSaveFile; // ProgramDir + "save.mp3"
    std::string SaveFile;        // the file recorded to and played back
    std::string SaveDir;         // where the save dialog opens, with trailing '/'
    IniDocument Settings;        // Config.ini in memory; written back once, at close
};

enum class TaskState { Idle, Recording, Paused, Playing };

// Answers of the window's hit test: a left press where it answers caption
// moves the window, elsewhere it reaches the control.
inline constexpr int kHtClient = 1;
inline constexpr int kHtCaption = 2;

// Goes by rectangle over the window's windowless children (pictures, labels
// and image-list buttons), frontmost visible and enabled one first: an
// image-list button answers client; the background, any label and bare client
// area answer caption. Panel controls (group boxes, the scroll box and what
// they hold) are windows of their own and never count.
int skin_hit_test(const QWidget& window, QPoint client_point);

// Display labels keep their hint in this property: they lie in the drag area,
// so the hint shows in the hint line only, never as a tooltip.
inline constexpr const char* kHintProperty = "hint";

// The hint the hint line shows for an image-list button or a display label.
QString hint_of(const QObject* control);

// A box's text read as an integer, or `fallback` when it is not a number.
int32_t integer_or(const QString& text, int32_t fallback);

// The format line as start-up shows it, from the boxes' texts.
QString start_format_text(const QString& samples, const QString& bps);

// The source line: a line kind's own name, or for kind 0 the list's text.
QString source_label_text(int32_t line_kind, const QString& list_text);

// The help page beside the program, opened by the help button.
inline constexpr const char* kHelpFileName = "ornavox.html";
inline constexpr const char* kVendorWebAddress = "https://ornavox.example/";

// The identifiers of the three system-wide hotkeys.
inline constexpr int kShowWindowHotkey = 0x8888;
inline constexpr int kStopHotkey = 0x8889;
inline constexpr int kRecordPauseHotkey = 0x888A;

inline constexpr int kCompactWidth = 351;
inline constexpr int kCompactHeight = 124;
inline constexpr int kMixerHeight = 314;
inline constexpr int kOptionsWidth = 632;

// The main window: the skin face with its buttons and display labels, the
// mixer panel below it and the options panel to its right, uncovered by
// resizing. Everything runs on the GUI thread. Handlers are named after the
// control and event that first used them; one handler may serve several
// controls and receives the raising control as Sender (nullptr when called
// from code, such as a hotkey or the close sequence).
//
// Start-up comes in two halves. The constructor builds the skin area and
// shows in it what start-up will leave there; nothing it does waits on the
// sound server. The panels, the components that talk to the sound system,
// the mixer, the source, the format, the save file and the hotkeys follow
// once the first frame is on the screen (finish_start).
class TskinForm : public QWidget {
    Q_OBJECT
public:
    explicit TskinForm(SkinFormServices services, QWidget* parent = nullptr);
    ~TskinForm() override;

    // The start-up steps that wait for the first paint (the panels, the
    // mixer, the source, the format, the save file and the hotkeys), run now
    // unless they ran already. The first paint runs them, or a timer where
    // none comes; a caller that needs them earlier calls this.
    void finish_start();
    bool started() const { return started_; }

    ProgramValues program;
    TaskState taskstate = TaskState::Idle;

    // The skin area, back to front.
    QLabel* background = nullptr;
    QLabel* Label3 = nullptr;
    Thotlinkbutton* hotlinkbutton1 = nullptr;
    QLabel* Label1 = nullptr;
    Thotlinkbutton* hotlinkbutton3 = nullptr;
    Thotlinkbutton* hotlinkbutton5 = nullptr;
    Thotlinkbutton* hotlinkbutton6 = nullptr;
    Thotlinkbutton* hotlinkbutton7 = nullptr;
    Thotlinkbutton* hotlinkbutton8 = nullptr;
    Thotlinkbutton* hotlinkbutton2 = nullptr;
    Thotlinkbutton* hotlinkbutton9 = nullptr;
    Thotlinkbutton* hotlinkbutton10 = nullptr;
    Thotlinkbutton* hotlinkbutton11 = nullptr;
    Thotlinkbutton* hotlinkbutton12 = nullptr;
    Thotlinkbutton* hotlinkbutton13 = nullptr;
    Thotlinkbutton* hotlinkbutton14 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label7 = nullptr;
    Thotlinkbutton* hotlinkbutton4 = nullptr;
    QLabel* Label6 = nullptr;

    // The mixer panel, made by finish_start.
    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label10 = nullptr;
    QPushButton* SpeedButton3 = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QRadioButton* RadioButton3 = nullptr;
    QRadioButton* RadioButton4 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QSlider* TrackBar1 = nullptr;
    QScrollArea* ScrollBox1 = nullptr;

    // The options panel, made by finish_start.
    QGroupBox* GroupBox2 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* SpeedButton1 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QLabel* Label8 = nullptr;
    QComboBox* ComboBox3 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* Label12 = nullptr;
    THotKey* HotKey1 = nullptr;
    QLabel* Label13 = nullptr;
    THotKey* HotKey2 = nullptr;
    QLabel* Label14 = nullptr;
    THotKey* HotKey3 = nullptr;

    // Components without a place on screen.
    TImageList ImageList1 = skin::empty_image_list(1);
    TImageList ImageList2 = skin::empty_image_list(2);
    TImageList ImageList3 = skin::empty_image_list(3);
    TImageList ImageList4 = skin::empty_image_list(4);
    QMenu* PopupMenu1 = nullptr;
    QAction* abc1 = nullptr;
    QAction* help1 = nullptr;
    QAction* exit1 = nullptr;
    QTimer* Timer1 = nullptr;
    std::unique_ptr<Taudiorec> audiorec1; // from finish_start on, like the mixer
    std::unique_ptr<tmixer> mixer;

    // The rows of the mixer panel, one per playback line; index n is the
    // mixer's control_sort n.
    std::vector<QCheckBox*> MuteBoxes;
    std::vector<QSlider*> VolumeBars;

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
    std::shared_ptr<TNotifyWnd> NotifyWnd; // from step 11 of start-up to step 2 of close

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

    // True when a left press at this client point moves the window: the hit
    // test answers caption and no panel control lies under the point.
    bool press_moves_window(QPoint client_point) const;

    // The control a widget is, and the widget a control is (nullptr for a
    // row or a control not built yet).
    Control control_of(const QObject* widget) const;
    QWidget* widget_of(Control control) const;

signals:
    // The first frame with the skin is on its way to the screen.
    void first_painted();

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    // `handler` as events reach it: from the start of close on, none does,
    // and only close's own steps run. Takes what the event passes where the
    // handler wants it.
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

    void build_skin();
    void build_panels();
    void wire_handlers();
    void wire_panels();
    void autosize_labels();
    void show_start_texts();

    void FormCreate(Control Sender);
    void FormClose(Control Sender);

    // Start-up and shut-down steps that belong to the mixer, the playback
    // notification and the global hotkeys; each does nothing until its piece
    // is built, and the rest of the sequence runs unchanged.
    void open_mixer();
    int32_t autodetect_source();
    void source_routine();
    int32_t chosen_list_item() const;
    void select_source_on_mixer(int32_t line_kind, int32_t source_index);
    void wire_mixer();
    void wire_hotkeys();
    void show_window();
    void rebuild_mixer_panel();
    void restore_source();
    void hold_chosen_source(int32_t chosen);
    int32_t line_kind() const;
    void show_source(int32_t line_kind);
    void create_notify_window();
    void register_hotkey(THotKey& field, int id);
    void unregister_show_hotkey();
    void destroy_notify_window();
    void close_mixer();

    void save_settings();

    // Recording control.
    void start_recording();
    bool choose_save_file();
    void show_idle();
    void recording_failed();

    // Playback.
    void show_play_position();

    // True while a record click waits in the append question or the save
    // dialog; those run their own event loop, so a second record or a stop can
    // arrive before the first one has reached rec().
    bool start_pending_ = false;
    bool start_cancelled_ = false;
    std::string last_saved_name_; // offered by the save dialog after a confirmed choice

    SkinFormServices services_;
    int32_t source_index_ = -1; // the chosen entry of ComboBox1, -1 none
    // User moves of a level reach the mixer at most once per 50 ms.
    std::unique_ptr<ThrottledWrite> record_level_write_;
    std::vector<std::unique_ptr<ThrottledWrite>> row_writes_;
    // While the panel is rebuilt after the sound system changed, what the
    // mixer reports is only shown, never written back.
    bool rebuilding_mixer_ = false;
    bool rebuild_pending_ = false;
    // Start-up found no sound server: the stored record source is restored
    // once one answers.
    bool source_restore_pending_ = false;
    std::vector<QLabel*> autosize_labels_; // skin-area labels that grow with their text
    bool painted_ = false;                 // the first paint came
    bool started_ = false;                 // finish_start ran
    bool closed_ = false;                  // FormClose began: events reach no handler from then on
};

} // namespace ornavox
