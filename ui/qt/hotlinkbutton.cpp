#include "ui/qt/hotlinkbutton.h"

#include "ui/qt/imagelist.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

namespace ornavox {

Thotlinkbutton::Thotlinkbutton(QWidget* parent) : QWidget(parent)
{
    // Only the picture is painted; the parent's face shows everywhere else.
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    install_hotlinkbutton_accessibility();
}

void Thotlinkbutton::click()
{
    if (onclick)
        onclick(this);
}

void Thotlinkbutton::setButtonimage(TImageList* list)
{
    buttonimage_ = list;
    redraw_face();
}

void Thotlinkbutton::setImageid(int id)
{
    face_.set_imageid(id);
    redraw_face();
}

void Thotlinkbutton::setPicture(const QImage& picture)
{
    picture_ = picture.isNull() ? QImage() : picture.convertToFormat(QImage::Format_RGB32);
    rebuild_shown_image();
    update();
}

void Thotlinkbutton::setTransparent(bool on)
{
    transparent_ = on;
    rebuild_shown_image();
    update();
}

void Thotlinkbutton::redraw_face()
{
    if (buttonimage_ == nullptr)
        return;
    if (const std::optional<int> face = face_.image(buttonimage_->count())) {
        if (picture_.isNull()) {
            const QSize size =
                width() > 0 && height() > 0 ? this->size() : QSize(buttonimage_->width(), buttonimage_->height());
            picture_ = QImage(size, QImage::Format_RGB32);
            picture_.fill(Qt::white);
        }
        QPainter painter(&picture_);
        buttonimage_->draw(painter, 0, 0, *face);
        painter.end();
        rebuild_shown_image();
    }
    update();
}

void Thotlinkbutton::rebuild_shown_image()
{
    if (picture_.isNull()) {
        shown_ = QImage();
        return;
    }
    if (!transparent_) {
        shown_ = picture_;
        return;
    }
    shown_ = picture_.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = picture_.pixel(0, picture_.height() - 1) | 0xff000000u;
    for (int y = 0; y < shown_.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(shown_.scanLine(y));
        for (int x = 0; x < shown_.width(); ++x)
            if ((line[x] | 0xff000000u) == key)
                line[x] = qRgba(0, 0, 0, 0);
    }
}

void Thotlinkbutton::paintEvent(QPaintEvent*)
{
    if (shown_.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(0, 0, shown_);
}

void Thotlinkbutton::pointer_entered()
{
    if (!face_.pointer_entered())
        return;
    redraw_face();
    if (onmouseenter)
        onmouseenter(this);
}

void Thotlinkbutton::pointer_left()
{
    if (!face_.pointer_left())
        return;
    redraw_face();
    if (onmouseleave)
        onmouseleave(this);
}

void Thotlinkbutton::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    pointer_entered();
}

void Thotlinkbutton::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    pointer_left();
}

void Thotlinkbutton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    // The press lands on this button, so the pointer is over it even when the
    // toolkit has not reported the entry yet; a later report of that same
    // crossing must not run the enter handler while the button is held.
    face_.pressed();
    redraw_face();
}

void Thotlinkbutton::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The toolkit delivers the second press of a double-click only as this
    // event. It is not a press of this button: no pressed face, and its
    // release completes no click.
    event->accept();
}

void Thotlinkbutton::mouseMoveEvent(QMouseEvent* event)
{
    // While a button is held the toolkit grabs the pointer for this widget and
    // reports no crossings until the release, so they are worked out here.
    if (event->buttons() == Qt::NoButton) {
        event->ignore();
        return;
    }
    event->accept();
    if (rect().contains(event->position().toPoint()))
        pointer_entered();
    else
        pointer_left();
}

void Thotlinkbutton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    if (face_.released(rect().contains(event->position().toPoint())) && onclick)
        onclick(this);
    face_.release_done();
    redraw_face();
}

void Thotlinkbutton::contextMenuEvent(QContextMenuEvent* event)
{
    if (popup_menu_ == nullptr) {
        event->ignore();
        return;
    }
    event->accept();
    popup_menu_->exec(event->globalPos());
}

} // namespace ornavox
