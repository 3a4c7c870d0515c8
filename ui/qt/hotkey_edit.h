#pragma once

#include "base/shortcut_text.h"
#include "ui/qt/notify_event.h"

#include <QLineEdit>

#include <optional>

namespace ornavox {

// A hot-key field. It holds a shortcut value and shows its text; the user sets
// it by pressing the key combination, never by typing. A key pressed without
// Ctrl or Alt (alone, or with Shift only) is taken with Shift+Ctrl, so the
// value always makes a usable global hot key. Backspace without modifiers
// clears it to 0 (no key, empty text). onchange is raised once for each change
// the user makes, never for setHotKey.
class THotKey : public QLineEdit {
    Q_OBJECT
public:
    explicit THotKey(QWidget* parent = nullptr);

    TShortCut hotKey() const { return hot_key_; }
    void setHotKey(TShortCut value);

    TNotifyEvent onchange;

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;

private:
    // The value a key press makes, or nullopt for keys that are ignored.
    static std::optional<TShortCut> value_for(const QKeyEvent& e);
    void show_value();

    TShortCut hot_key_ = 0;
};

} // namespace ornavox
