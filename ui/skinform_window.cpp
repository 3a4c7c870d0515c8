#include "ui/skinform.h"

#include "platform/shell.h"
#include "ui/hotlinkbutton.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollArea>
#include <QWindow>

namespace ornavox {

int skin_hit_test(const QWidget& window, QPoint client_point)
{
    const QObjectList& children = window.children(); // back to front
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        const auto* child = qobject_cast<const QWidget*>(*it);
        if (!child || child->isWindow() || !child->isVisible() || !child->isEnabled()
            || !child->geometry().contains(client_point))
            continue;
        if (qobject_cast<const Thotlinkbutton*>(child))
            return kHtClient;
        if (qobject_cast<const QLabel*>(child))
            return kHtCaption;
    }
    return kHtCaption;
}

bool TskinForm::press_moves_window(QPoint client_point) const
{
    for (const QWidget* panel : {static_cast<const QWidget*>(GroupBox1), static_cast<const QWidget*>(GroupBox2),
                                 static_cast<const QWidget*>(ScrollBox1)})
        if (panel && panel->isVisible() && panel->geometry().contains(client_point))
            return false;
    return skin_hit_test(*this, client_point) == kHtCaption;
}

// Presses on the background and on the labels come here too: those controls
// do not take mouse buttons, so Qt hands the press on to the window.
void TskinForm::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton && press_moves_window(e->position().toPoint()) && windowHandle()) {
        windowHandle()->startSystemMove();
        e->accept();
        return;
    }
    QWidget::mousePressEvent(e);
}

bool TskinForm::eventFilter(QObject* watched, QEvent* e)
{
    if (closed_)
        return QWidget::eventFilter(watched, e);
    if (ComboBox1 && (watched == ComboBox1 || watched == ComboBox1->lineEdit())) {
        if (e->type() == QEvent::FocusIn)
            ComboBox1Enter(ControlId::ComboBox1);
        return QWidget::eventFilter(watched, e);
    }
    if (e->type() == QEvent::Enter)
        hotlinkbutton1mouseenter(control_of(watched));
    else if (e->type() == QEvent::Leave)
        hotlinkbutton1mouseleave(control_of(watched));
    return QWidget::eventFilter(watched, e);
}

Control TskinForm::control_of(const QObject* widget) const
{
    return widget ? control_named(widget->objectName().toStdString()) : ControlId::None;
}

QWidget* TskinForm::widget_of(Control control) const
{
    if (control.id == ControlId::None)
        return nullptr;
    if (control.id == ControlId::skinForm)
        return const_cast<TskinForm*>(this);
    return findChild<QWidget*>(QString::fromLatin1(control_name(control.id)));
}

void TskinForm::hotlinkbutton1mouseenter(Control Sender)
{
    Label1->setText(hint_of(widget_of(Sender)));
}

void TskinForm::hotlinkbutton1mouseleave(Control)
{
    Label1->setText(QString::fromStdString(program.SaveFile));
}

void TskinForm::hotlinkbutton2Click(Control Sender)
{
    QWidget* button = widget_of(Sender);
    if (!button)
        button = hotlinkbutton2;
    PopupMenu1->exec(mapToGlobal(QPoint(button->x(), button->y() + button->height())));
}

// The window has no frame, so its size is its client size; the fixed size
// keeps the user from resizing it.
void TskinForm::hotlinkbutton9Click(Control)
{
    setFixedSize(width(), height() == kMixerHeight ? kCompactHeight : kMixerHeight);
    setFixedSize(kCompactWidth, height());
}

void TskinForm::hotlinkbutton11Click(Control)
{
    setFixedSize(width(), kCompactHeight);
    setFixedSize(width() == kCompactWidth ? kOptionsWidth : kCompactWidth, height());
}

void TskinForm::hotlinkbutton12Click(Control)
{
    services_.shell.open_file(program.ProgramDir + kHelpFileName);
}

// Hiding waits for the global hotkeys, the only way to bring the window back.
void TskinForm::hotlinkbutton14Click(Control)
{
    close();
}

void TskinForm::exit1Click(Control)
{
    close();
}

// Always the desktop's default browser: there is no fixed browser to prefer here.
void TskinForm::hotlinkbutton6Click(Control)
{
    services_.shell.open_url(kVendorWebAddress);
}

void TskinForm::hotlinkbutton8Click(Control)
{
    services_.shell.open_url(kVendorWebAddress);
}

} // namespace ornavox
