#pragma once

#include "ui/button_face.h"
#include "ui/qt/notify_event.h"

#include <QImage>
#include <QWidget>

class QMenu;

namespace ornavox {

class TImageList;

// The skin's picture button: a windowless child control that shows one face
// of an image list (image imageid * 4 + buttonstate) and changes face as the
// pointer enters, presses, releases and leaves it. The face lives in the
// button's own picture and is redrawn only on those four events and on writes
// of buttonimage and imageid; a repaint shows the last face drawn. Pixels of
// the picture's transparent colour (its bottom-left pixel) are not painted.
class Thotlinkbutton : public QWidget {
    Q_OBJECT
public:
    explicit Thotlinkbutton(QWidget* parent = nullptr);

    TNotifyEvent onmouseenter;
    TNotifyEvent onmouseleave;
    TNotifyEvent onclick;

    TImageList* buttonimage() const { return buttonimage_; }
    void setButtonimage(TImageList* list);
    int buttonstate() const { return face_.buttonstate(); }
    void setButtonstate(int state) { face_.set_buttonstate(state); }
    int imageid() const { return face_.imageid(); }
    void setImageid(int id);

    const QImage& picture() const { return picture_; }
    void setPicture(const QImage& picture);
    bool transparent() const { return transparent_; }
    void setTransparent(bool on);

    // The text for the hint line; also the button's tooltip.
    QString hint() const { return toolTip(); }
    void setHint(const QString& hint) { setToolTip(hint); }

    // Runs the click as a press and release on the button would; for
    // assistive technology.
    void click();

    QMenu* popupMenu() const { return popup_menu_; }
    void setPopupMenu(QMenu* menu) { popup_menu_ = menu; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void redraw_face();
    void rebuild_shown_image();
    void pointer_entered();
    void pointer_left();

    TImageList* buttonimage_ = nullptr;
    ButtonFace face_;
    QImage picture_;
    QImage shown_; // picture_ with the transparent colour cleared, as painted
    bool transparent_ = true;
    QMenu* popup_menu_ = nullptr;
};

// Makes every picture button a push button to assistive technology: named by
// its hint, with a press action. Done once, by the first button made.
void install_hotlinkbutton_accessibility();

} // namespace ornavox
