// What the window's logic asks of the Qt window. Setters block the
// controls' signals: what code sets is no user action.
#include "ui/qt/skin_window.h"

#include "ui/qt/hotkey_edit.h"
#include "ui/qt/hotlinkbutton.h"
#include "ui/qt/level_meter_widget.h"
#include "ui/qt/volume_bar.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>

#include <algorithm>
#include <memory>

namespace ornavox {

namespace {

QString qt_text(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

void SkinWindow::set_text(ControlId control, const std::string& text)
{
    QWidget* widget = widget_of(control);
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(qt_text(text));
        if (std::find(autosize_labels_.begin(), autosize_labels_.end(), label) != autosize_labels_.end())
            label->resize(label->sizeHint());
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        const QSignalBlocker quiet(edit);
        edit->setText(qt_text(text));
    }
}

void SkinWindow::set_button(ControlId button, int imageid, const std::string& hint)
{
    if (auto* b = qobject_cast<Thotlinkbutton*>(widget_of(button))) {
        b->setImageid(imageid);
        b->setHint(qt_text(hint));
    }
}

void SkinWindow::show_normal_face(ControlId button)
{
    if (auto* b = qobject_cast<Thotlinkbutton*>(widget_of(button))) {
        b->setButtonstate(0);
        b->update();
    }
}

QComboBox* SkinWindow::combo_box(ControlId box) const
{
    return qobject_cast<QComboBox*>(widget_of(box));
}

void SkinWindow::set_items(ControlId box, const std::vector<std::string>& items)
{
    QComboBox* combo = combo_box(box);
    const QSignalBlocker quiet(combo);
    const QString text = combo->currentText();
    combo->clear();
    for (const std::string& item : items)
        combo->addItem(qt_text(item));
    // A box that gets its first item selects it; here it selects none.
    combo->setCurrentIndex(-1);
    combo->setEditText(text);
}

void SkinWindow::select_item(ControlId box, int index)
{
    QComboBox* combo = combo_box(box);
    const QSignalBlocker quiet(combo);
    combo->setCurrentIndex(index);
}

void SkinWindow::set_edit_text(ControlId box, const std::string& text)
{
    QComboBox* combo = combo_box(box);
    const QSignalBlocker quiet(combo);
    combo->setEditText(qt_text(text));
}

int SkinWindow::selected_item(ControlId box) const
{
    return combo_box(box)->currentIndex();
}

std::string SkinWindow::edit_text(ControlId box) const
{
    return combo_box(box)->currentText().toStdString();
}

void SkinWindow::set_checked(Control control, bool checked)
{
    if (control.id == ControlId::MuteBox) {
        QCheckBox* box = MuteBoxes.at(control.row);
        const QSignalBlocker quiet(box);
        box->setChecked(checked);
        return;
    }
    auto* radio = qobject_cast<QRadioButton*>(widget_of(control));
    // Checking one radio button clears the one checked before, whose signal
    // must stay quiet too.
    std::vector<std::unique_ptr<QSignalBlocker>> quiet;
    for (QRadioButton* other : radio->parentWidget()->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly))
        quiet.push_back(std::make_unique<QSignalBlocker>(other));
    radio->setChecked(checked);
}

bool SkinWindow::checked(Control control) const
{
    if (control.id == ControlId::MuteBox)
        return MuteBoxes.at(control.row)->isChecked();
    return qobject_cast<QRadioButton*>(widget_of(control))->isChecked();
}

QSlider* SkinWindow::track_bar(Control bar) const
{
    return bar.id == ControlId::VolumeBar ? VolumeBars.at(bar.row) : find<QSlider>(bar);
}

void SkinWindow::set_position(Control bar, int position)
{
    QSlider* slider = track_bar(bar);
    const QSignalBlocker quiet(slider);
    slider->setValue(position);
}

int SkinWindow::position(Control bar) const
{
    return track_bar(bar)->value();
}

THotKey* SkinWindow::hotkey_field(ControlId field) const
{
    return qobject_cast<THotKey*>(widget_of(field));
}

void SkinWindow::set_hotkey(ControlId field, uint16_t shortcut)
{
    hotkey_field(field)->setHotKey(shortcut);
}

uint16_t SkinWindow::hotkey(ControlId field) const
{
    return hotkey_field(field)->hotKey();
}

void SkinWindow::add_rows(const std::vector<std::string>& names)
{
    QWidget* rows = find<QScrollArea>(ControlId::ScrollBox1)->widget();
    for (const std::string& row_name : names) {
        const int n = static_cast<int>(MuteBoxes.size());
        auto* box =
            static_cast<QCheckBox*>(make_panel_control(kMuteBoxTemplate, rows, {ControlId::MuteBox, n}, row_top(n)));
        box->setObjectName(QStringLiteral("mute%1").arg(n));
        // A long name loses its end, not its beginning.
        const int room = box->width() - box->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, box) - 8;
        box->setText(box->fontMetrics().elidedText(qt_text(row_name), Qt::ElideRight, room));
        box->setToolTip(qt_text(mute_tooltip(row_name)));
        box->show();

        auto* bar =
            static_cast<QSlider*>(make_panel_control(kVolumeBarTemplate, rows, {ControlId::VolumeBar, n}, row_top(n)));
        bar->setObjectName(QStringLiteral("volume%1").arg(n));
        bar->setToolTip(qt_text(volume_tooltip(n, row_name)));
        bar->show();

        MuteBoxes.push_back(box);
        VolumeBars.push_back(bar);
    }
    // Taller than the box: it scrolls.
    rows->setMinimumSize(kVolumeBarTemplate.left + kVolumeBarTemplate.width,
                         rows_extent(static_cast<int>(MuteBoxes.size())));
}

void SkinWindow::clear_rows()
{
    for (QCheckBox* box : MuteBoxes)
        delete box;
    for (QSlider* bar : VolumeBars)
        delete bar;
    MuteBoxes.clear();
    VolumeBars.clear();
}

// A panel's meter comes once its group box exists.
void SkinWindow::show_meter(MeterPlace place, const std::optional<MeterReading>& reading)
{
    LevelMeterWidget*& widget = meters_[place];
    if (!widget && reading) {
        const MeterBox& box = meter_box(place);
        QWidget* parent = box.parent == ControlId::skinForm ? this : widget_of(box.parent);
        if (!parent)
            return;
        widget = new LevelMeterWidget(box, parent);
    }
    if (!widget)
        return;
    if (reading)
        widget->show_reading(*reading);
    widget->setVisible(reading.has_value());
}

LevelMeterWidget* SkinWindow::meter(MeterPlace place) const
{
    const auto found = meters_.find(place);
    return found != meters_.end() && found->second && !found->second->isHidden() ? found->second : nullptr;
}

// The window has no frame, so its size is its client size; the fixed size
// keeps the user from resizing it.
void SkinWindow::set_layout(Layout layout)
{
    setFixedSize(layout_width(layout), layout_height(layout));
}

void SkinWindow::show_window()
{
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

void SkinWindow::hide_window()
{
    hide();
}

// The window was hidden before the recording was finished, and Qt quits by
// itself only when a visible window closes.
void SkinWindow::close_window()
{
    close();
    const QWidgetList windows = QApplication::topLevelWidgets();
    const bool others = std::any_of(windows.begin(), windows.end(), [](const QWidget* window) {
        return window->isVisible() && window->testAttribute(Qt::WA_QuitOnClose);
    });
    if (QGuiApplication::quitOnLastWindowClosed() && !others)
        QCoreApplication::quit();
}

void SkinWindow::popup_menu(ControlId below)
{
    QWidget* button = widget_of(below);
    PopupMenu1->exec(mapToGlobal(QPoint(button->x(), button->y() + button->height())));
}

} // namespace ornavox
