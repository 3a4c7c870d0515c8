#include "ui/qt/hotkey_edit.h"

#include "ui/qt/qt_key_codes.h"

#include <QKeyEvent>

namespace ornavox {

THotKey::THotKey(QWidget* parent) : QLineEdit(parent)
{
    // Read-only keeps out typing, pasting, dropping and input methods; key
    // presses still arrive here and set the value.
    setReadOnly(true);
    setAcceptDrops(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    show_value();
}

void THotKey::setHotKey(TShortCut value)
{
    hot_key_ = value;
    show_value();
}

std::optional<TShortCut> THotKey::value_for(const QKeyEvent& e)
{
    TShortCut modifiers = qt_modifiers_to_shortcut(e.modifiers());
    if (e.key() == Qt::Key_Backspace && modifiers == 0)
        return TShortCut{0};
    const uint8_t key = qt_key_to_virtual_key(e.key(), e.modifiers().testFlag(Qt::KeypadModifier));
    if (key == 0)
        return std::nullopt;
    if ((modifiers & (kShortcutCtrl | kShortcutAlt)) == 0)
        modifiers = kShortcutShift | kShortcutCtrl;
    return static_cast<TShortCut>(modifiers | key);
}

bool THotKey::event(QEvent* e)
{
    // While the field has the focus, every key it can take is the field's,
    // not a menu's or a button's shortcut.
    if (e->type() == QEvent::ShortcutOverride && value_for(static_cast<QKeyEvent&>(*e))) {
        e->accept();
        return true;
    }
    return QLineEdit::event(e);
}

void THotKey::keyPressEvent(QKeyEvent* e)
{
    e->accept();
    const std::optional<TShortCut> value = value_for(*e);
    if (!value || *value == hot_key_)
        return;
    setHotKey(*value);
    if (onchange)
        onchange(this);
}

void THotKey::keyReleaseEvent(QKeyEvent* e)
{
    e->accept();
}

void THotKey::show_value()
{
    setText(QString::fromStdString(ShortCutToText(hot_key_)));
}

} // namespace ornavox
