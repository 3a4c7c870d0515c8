#include "platform/x11/x11_hotkey_service.h"

#include "base/shortcut_text.h"
#include "platform/x11/x11_keysyms.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdlib>

namespace ornavox {

namespace {

constexpr uint32_t kNumLock = 0xff7f;
constexpr uint32_t kScrollLock = 0xff14;
constexpr uint32_t kAltKeys[] = {0xffe9, 0xffea}; // Alt_L, Alt_R
constexpr std::chrono::milliseconds kRemapDelay{250};
// XKB's event types, from its protocol: xcb's xkb.h is not valid C++.
constexpr uint8_t kXkbNewKeyboardNotify = 0;
constexpr uint8_t kXkbMapNotify = 1;

template <class Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

} // namespace

std::unique_ptr<X11HotkeyService> X11HotkeyService::create()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return nullptr;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    return std::unique_ptr<X11HotkeyService>(new X11HotkeyService(connection, screen->root));
}

X11HotkeyService::X11HotkeyService(xcb_connection_t* connection, xcb_window_t root)
    : connection_(connection), root_(root)
{
    static constexpr char kXkb[] = "XKEYBOARD";
    ReplyPtr<xcb_query_extension_reply_t> xkb(
        xcb_query_extension_reply(connection_, xcb_query_extension(connection_, sizeof kXkb - 1, kXkb), nullptr),
        &std::free);
    if (xkb && xkb->present)
        xkb_event_ = xkb->first_event;
    read_keyboard();
    remap_.setSingleShot(true);
    remap_.setInterval(kRemapDelay);
    connect(&remap_, &QTimer::timeout, this, [this] { keyboard_changed(); });
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11HotkeyService::~X11HotkeyService()
{
    QCoreApplication::instance()->removeNativeEventFilter(this);
    for (const auto& [id, grab] : grabs_)
        ungrab(grab, lock_combinations());
    xcb_flush(connection_);
}

// The key symbols, and which modifier bits NumLock, ScrollLock and Alt are on
// this server: read from its modifier map, never assumed.
void X11HotkeyService::read_keyboard()
{
    symbols_.reset(xcb_key_symbols_alloc(connection_));
    numlock_mask_ = scrolllock_mask_ = 0;
    alt_mask_ = XCB_MOD_MASK_1;
    ReplyPtr<xcb_get_modifier_mapping_reply_t> map(
        xcb_get_modifier_mapping_reply(connection_, xcb_get_modifier_mapping(connection_), nullptr), &std::free);
    if (!map)
        return;
    const xcb_keycode_t* keycodes = xcb_get_modifier_mapping_keycodes(map.get());
    const int per_modifier = map->keycodes_per_modifier;
    bool alt_found = false;
    for (int modifier = 0; modifier < 8; ++modifier) {
        for (int k = 0; k < per_modifier; ++k) {
            const xcb_keycode_t keycode = keycodes[modifier * per_modifier + k];
            if (keycode == 0)
                continue;
            const xcb_keysym_t keysym = xcb_key_symbols_get_keysym(symbols_.get(), keycode, 0);
            const auto bit = static_cast<uint16_t>(1u << modifier);
            if (keysym == kNumLock)
                numlock_mask_ |= bit;
            else if (keysym == kScrollLock)
                scrolllock_mask_ |= bit;
            else if (modifier >= 3 && (keysym == kAltKeys[0] || keysym == kAltKeys[1]) && !alt_found) {
                alt_mask_ = bit;
                alt_found = true;
            }
        }
    }
}

std::vector<uint16_t> X11HotkeyService::lock_combinations() const
{
    std::vector<uint16_t> locks = {0, XCB_MOD_MASK_LOCK};
    for (uint16_t mask : {numlock_mask_, scrolllock_mask_}) {
        if (mask == 0)
            continue;
        const size_t count = locks.size();
        for (size_t i = 0; i < count; ++i)
            locks.push_back(locks[i] | mask);
    }
    return locks;
}

bool X11HotkeyService::register_hotkey(int id, uint16_t shortcut)
{
    unregister_hotkey(id);
    Grab& entry = grabs_[id];
    entry.shortcut = shortcut;
    grab(entry);
    return entry.active;
}

void X11HotkeyService::unregister_hotkey(int id)
{
    const auto found = grabs_.find(id);
    if (found == grabs_.end())
        return;
    ungrab(found->second, lock_combinations());
    grabs_.erase(found);
    xcb_flush(connection_);
}

bool X11HotkeyService::active(int id) const
{
    const auto found = grabs_.find(id);
    return found != grabs_.end() && found->second.active;
}

// Every lock variant or none: a grab refused (BadAccess, another client holds
// the combination) releases the variants already taken.
void X11HotkeyService::grab(Grab& entry)
{
    entry.active = false;
    entry.keycode = keycode_of(entry.shortcut);
    if (entry.keycode == XCB_NO_SYMBOL)
        return;
    entry.modifiers = modifier_flags<uint16_t>(entry.shortcut, XCB_MOD_MASK_SHIFT, XCB_MOD_MASK_CONTROL, alt_mask_);
    std::vector<uint16_t> taken;
    for (uint16_t locks : lock_combinations()) {
        const uint16_t modifiers = entry.modifiers | locks;
        ReplyPtr<xcb_generic_error_t> error(
            xcb_request_check(connection_,
                              xcb_grab_key_checked(connection_, 1, root_, modifiers, entry.keycode, XCB_GRAB_MODE_ASYNC,
                                                   XCB_GRAB_MODE_ASYNC)),
            &std::free);
        if (error) {
            for (uint16_t done : taken)
                xcb_ungrab_key(connection_, entry.keycode, root_, done);
            xcb_flush(connection_);
            return;
        }
        taken.push_back(modifiers);
    }
    entry.active = true;
}

// The key code of a shortcut's key in the current map; XCB_NO_SYMBOL when
// the key has none.
xcb_keycode_t X11HotkeyService::keycode_of(uint16_t shortcut) const
{
    const uint32_t keysym = keysym_for_virtual_key(static_cast<uint8_t>(shortcut & 0xFF));
    ReplyPtr<xcb_keycode_t> keycodes(keysym ? xcb_key_symbols_get_keycode(symbols_.get(), keysym) : nullptr,
                                     &std::free);
    return keycodes ? keycodes.get()[0] : XCB_NO_SYMBOL;
}

void X11HotkeyService::ungrab(const Grab& entry, const std::vector<uint16_t>& locks)
{
    if (!entry.active)
        return;
    for (uint16_t lock : locks)
        xcb_ungrab_key(connection_, entry.keycode, root_, entry.modifiers | lock);
}

// After a new layout a letter may sit on another key: grab again where the
// key code or the lock bits changed.
void X11HotkeyService::keyboard_changed()
{
    const std::vector<uint16_t> old_locks = lock_combinations();
    const uint16_t old_alt = alt_mask_;
    read_keyboard();
    const bool locks_changed = old_locks != lock_combinations() || old_alt != alt_mask_;
    for (auto& [id, entry] : grabs_) {
        if (entry.active && keycode_of(entry.shortcut) == entry.keycode && !locks_changed)
            continue;
        ungrab(entry, old_locks);
        grab(entry);
    }
    held_.clear();
    xcb_flush(connection_);
}

bool X11HotkeyService::nativeEventFilter(const QByteArray& type, void* message, qintptr*)
{
    if (type != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const uint8_t kind = event->response_type & ~0x80;
    if (kind == XCB_KEY_PRESS || kind == XCB_KEY_RELEASE) {
        const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(event);
        if (kind == XCB_KEY_RELEASE) {
            held_.erase(key->detail);
            released_at_[key->detail] = key->time;
            return false;
        }
        const uint16_t modifiers = key->state & (XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | alt_mask_);
        for (const auto& [id, entry] : grabs_) {
            if (!entry.active || entry.keycode != key->detail || entry.modifiers != modifiers)
                continue;
            // Auto-repeat: presses without releases, or a release and a press
            // with the same time stamp.
            const auto released = released_at_.find(key->detail);
            const bool repeat =
                held_.count(key->detail) > 0 || (released != released_at_.end() && released->second == key->time);
            held_.insert(key->detail);
            if (!repeat)
                QMetaObject::invokeMethod(
                    this,
                    [this, id = id] {
                        if (handler_)
                            handler_(id);
                    },
                    Qt::QueuedConnection);
            return true;
        }
        return false;
    }
    // The core mapping notification, and XKB's new-keyboard and map
    // notifications, which a Qt client gets instead. The first XTEST event
    // brings one too: a burst ends in one new grab.
    if (kind == XCB_MAPPING_NOTIFY)
        remap_.start();
    else if (xkb_event_ && kind == xkb_event_) {
        const uint8_t xkb_type = reinterpret_cast<const uint8_t*>(event)[1];
        if (xkb_type == kXkbNewKeyboardNotify || xkb_type == kXkbMapNotify)
            remap_.start();
    }
    return false;
}

} // namespace ornavox
