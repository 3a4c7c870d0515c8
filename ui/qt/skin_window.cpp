#include "ui/qt/skin_window.h"

#include "ui/qt/hotlinkbutton.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollArea>
#include <QTimer>
#include <QWindow>

namespace ornavox {

// The skin is built before the logic starts: it shows its start texts in it.
SkinWindow::SkinWindow(SkinFormServices services, QWidget* parent) : QWidget(parent)
{
    build_skin(services);
    form_ = std::make_unique<TskinForm>(std::move(services), *this);
    autosize_labels();
}

// The window's logic goes first: a recording it finishes runs the event
// loop, whose events still reach this window's widgets.
SkinWindow::~SkinWindow()
{
    form_.reset();
}

// close() from the quit button, the menu or the window system all end here.
void SkinWindow::closeEvent(QCloseEvent* e)
{
    form_->close();
    e->accept();
}

// The frame is handed to the window system once every widget has painted:
// a call queued now runs after that.
void SkinWindow::paintEvent(QPaintEvent* e)
{
    if (!painted_) {
        painted_ = true;
        QTimer::singleShot(0, this, [this] {
            emit first_painted();
            form_->finish_start();
        });
    }
    QWidget::paintEvent(e);
}

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

bool SkinWindow::press_moves_window(QPoint client_point) const
{
    for (const PanelControl& c : panel_controls()) {
        const QWidget* panel = c.parent == ControlId::skinForm ? widget_of(c.id) : nullptr;
        if (panel && panel->isVisible() && panel->geometry().contains(client_point))
            return false;
    }
    return skin_hit_test(*this, client_point) == kHtCaption;
}

// Presses on the background and on the labels come here too: those controls
// do not take mouse buttons, so Qt hands the press on to the window.
void SkinWindow::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton && press_moves_window(e->position().toPoint()) && windowHandle()) {
        windowHandle()->startSystemMove();
        e->accept();
        return;
    }
    QWidget::mousePressEvent(e);
}

// The lists' focus (a list's text box takes it for the list), and the
// pointer over the display labels, which get no entry and exit events of
// their own.
bool SkinWindow::eventFilter(QObject* watched, QEvent* e)
{
    if (qobject_cast<QLineEdit*>(watched) && qobject_cast<QComboBox*>(watched->parent()))
        watched = watched->parent();
    const Control sender = control_named(watched->objectName().toStdString());
    if (e->type() == QEvent::FocusIn)
        report(sender, ControlEvent::Focus);
    else if (e->type() == QEvent::Enter)
        report(sender, ControlEvent::PointerIn);
    else if (e->type() == QEvent::Leave)
        report(sender, ControlEvent::PointerOut);
    return QWidget::eventFilter(watched, e);
}

QWidget* SkinWindow::widget_of(Control control) const
{
    if (control.id == ControlId::None || control.row >= 0)
        return nullptr;
    if (control.id == ControlId::skinForm)
        return const_cast<SkinWindow*>(this);
    return findChild<QWidget*>(QString::fromLatin1(control_name(control.id)));
}

QAction* SkinWindow::action(ControlId entry) const
{
    return PopupMenu1->findChild<QAction*>(QString::fromLatin1(control_name(entry)));
}

void SkinWindow::autosize_labels()
{
    for (QLabel* l : autosize_labels_)
        l->resize(l->sizeHint());
}

// A label whose text changed asks its parent for a new layout; the window has
// no layout manager, so it sizes its self-sizing labels here.
bool SkinWindow::event(QEvent* e)
{
    if (e->type() == QEvent::LayoutRequest)
        autosize_labels();
    return QWidget::event(e);
}

void SkinWindow::showEvent(QShowEvent* e)
{
    autosize_labels();
    QWidget::showEvent(e);
}

} // namespace ornavox
