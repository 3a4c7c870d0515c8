#pragma once

#include "ui/panel_layout.h"
#include "ui/qt/imagelist.h"
#include "ui/qt/skin_files.h"
#include "ui/skinform.h"
#include "ui/skinform_view.h"

#include <QPoint>
#include <QString>
#include <QWidget>

#include <map>
#include <memory>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QSlider;

namespace ornavox {

class LevelMeterWidget;
class THotKey;

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

// The main window drawn with Qt widgets: the skin face with its buttons and
// display labels, the mixer panel below it and the options panel to its
// right, uncovered by resizing, all built from the layout's description. Each
// widget carries its layout name, and what the user does to it goes to the
// window's logic (form()). GUI thread.
class SkinWindow : public QWidget, public SkinFormView {
    Q_OBJECT
public:
    explicit SkinWindow(SkinFormServices services, QWidget* parent = nullptr);
    ~SkinWindow() override;

    TskinForm& form() { return *form_; }
    const TskinForm& form() const { return *form_; }

    // The widget a control is; nullptr for a row or a control not built yet.
    QWidget* widget_of(Control control) const;

    // True when a left press at this client point moves the window: the hit
    // test answers caption and no panel control lies under the point.
    bool press_moves_window(QPoint client_point) const;

    // A control's widget as its type; nullptr for a row, another type or a
    // control not built yet.
    template <class W>
    W* find(Control control) const
    {
        return qobject_cast<W*>(widget_of(control));
    }
    QAction* action(ControlId entry) const;
    // A level meter while it is shown; nullptr while hidden.
    LevelMeterWidget* meter(MeterPlace place) const;

    // Components without a place on screen.
    TImageList ImageList1 = skin::empty_image_list(1);
    TImageList ImageList2 = skin::empty_image_list(2);
    TImageList ImageList3 = skin::empty_image_list(3);
    TImageList ImageList4 = skin::empty_image_list(4);
    QMenu* PopupMenu1 = nullptr;

    // The rows of the mixer panel, one per playback line; index n is the
    // mixer's control_sort n.
    std::vector<QCheckBox*> MuteBoxes;
    std::vector<QSlider*> VolumeBars;

    // SkinFormView
    void set_text(ControlId control, const std::string& text) override;
    void set_button(ControlId button, int imageid, const std::string& hint) override;
    void show_normal_face(ControlId button) override;
    void set_items(ControlId box, const std::vector<std::string>& items) override;
    void select_item(ControlId box, int index) override;
    void set_edit_text(ControlId box, const std::string& text) override;
    int selected_item(ControlId box) const override;
    std::string edit_text(ControlId box) const override;
    void set_checked(Control control, bool checked) override;
    bool checked(Control control) const override;
    void set_position(Control bar, int position) override;
    int position(Control bar) const override;
    void set_hotkey(ControlId field, uint16_t shortcut) override;
    uint16_t hotkey(ControlId field) const override;
    void build_panels() override;
    void add_rows(const std::vector<std::string>& names) override;
    void clear_rows() override;
    void show_meter(MeterPlace place, const std::optional<MeterReading>& reading) override;
    void set_layout(Layout layout) override;
    void show_window() override;
    void hide_window() override;
    void close_window() override;
    void popup_menu(ControlId below) override;

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
    void build_skin(const SkinFormServices& services);
    // A panel control, or a row's (`id` with its row, `down` its row's top).
    QWidget* make_panel_control(const PanelControl& control, QWidget* parent, Control id, int down = 0);
    void report(Control control, ControlEvent event);
    void report_track_bar(QSlider* bar, Control control);
    void autosize_labels();
    QComboBox* combo_box(ControlId box) const;
    QSlider* track_bar(Control bar) const;
    THotKey* hotkey_field(ControlId field) const;

    std::unique_ptr<TskinForm> form_;
    std::vector<QLabel*> autosize_labels_; // skin-area labels that grow with their text
    bool painted_ = false;                 // the first paint came
    std::map<MeterPlace, LevelMeterWidget*> meters_;
};

} // namespace ornavox
