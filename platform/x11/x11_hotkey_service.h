#pragma once

#include "platform/hotkey_service.h"

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QTimer>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <map>
#include <memory>
#include <set>
#include <vector>

namespace ornavox {

// Hotkeys as passive key grabs on the root window, over Qt's own X
// connection. A combination fires whatever the state of NumLock, CapsLock and
// (where it is bound) ScrollLock: each combination of those locks is grabbed.
// A combination another client holds leaves that key inactive and touches
// nothing else. A change of the keyboard map grabs again where a key code
// changed. A key fires once per press, never per auto-repeat.
//
// Thread contract: GUI thread only; activations are queued to the Qt event
// loop, so a handler that opens a modal box does not run inside the filter.
class X11HotkeyService : public QObject, public HotkeyService, private QAbstractNativeEventFilter {
public:
    // Null when Qt does not run on X11.
    static std::unique_ptr<X11HotkeyService> create();
    ~X11HotkeyService() override;

    void set_handler(std::function<void(int id)> handler) override { handler_ = std::move(handler); }
    bool register_hotkey(int id, uint16_t shortcut) override;
    void unregister_hotkey(int id) override;
    bool active(int id) const override;
    uint16_t granted_shortcut(int id) const override { return active(id) ? grabs_.at(id).shortcut : 0; }

private:
    struct KeySymbolsDeleter {
        void operator()(xcb_key_symbols_t* symbols) const { xcb_key_symbols_free(symbols); }
    };
    struct Grab {
        uint16_t shortcut = 0;
        xcb_keycode_t keycode = 0;
        uint16_t modifiers = 0;
        bool active = false;
    };

    X11HotkeyService(xcb_connection_t* connection, xcb_window_t root);

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) override;
    void read_keyboard();
    void keyboard_changed();
    std::vector<uint16_t> lock_combinations() const;
    void grab(Grab& grab);
    xcb_keycode_t keycode_of(uint16_t shortcut) const;
    void ungrab(const Grab& grab, const std::vector<uint16_t>& locks);

    xcb_connection_t* connection_;
    xcb_window_t root_;
    uint8_t xkb_event_ = 0; // the XKB extension's first event, 0 without it
    std::unique_ptr<xcb_key_symbols_t, KeySymbolsDeleter> symbols_;
    uint16_t numlock_mask_ = 0;
    uint16_t scrolllock_mask_ = 0;
    uint16_t alt_mask_ = XCB_MOD_MASK_1;
    std::map<int, Grab> grabs_;
    std::set<xcb_keycode_t> held_; // grabbed keys that fired and are still down
    std::map<xcb_keycode_t, xcb_timestamp_t> released_at_;
    QTimer remap_; // a burst of keyboard changes ends in one new grab
    std::function<void(int)> handler_;
};

} // namespace ornavox
