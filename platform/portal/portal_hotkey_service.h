#pragma once

#include "platform/hotkey_service.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QObject>
#include <QTimer>
#include <QVariantMap>

#include <map>
#include <string>

namespace ornavox {

// Hotkeys through the desktop portal's GlobalShortcuts interface, for Wayland
// sessions: one session, the three keys bound in it with their preferred
// triggers. The desktop may grant fewer keys, or other triggers, and may ask
// the user first: a key is active once it was granted. A change of a key
// binds them all again in a new session, a moment after the last change,
// since each bind may show the desktop's dialog. Without a portal, or when
// it refuses, every key is inactive.
//
// Requests follow the portal's Request pattern: the request's object path is
// worked out from the handle token, and its Response is subscribed to before
// the call.
//
// Thread contract: GUI thread only.
class PortalHotkeyService : public QObject, public HotkeyService {
    Q_OBJECT
public:
    // The application id the desktop knows Ornavox by (ornavox.desktop).
    static constexpr const char* kApplicationId = "ornavox";

    explicit PortalHotkeyService(QDBusConnection bus = QDBusConnection::sessionBus());
    ~PortalHotkeyService() override;

    void set_handler(std::function<void(int id)> handler) override { handler_ = std::move(handler); }
    bool register_hotkey(int id, uint16_t shortcut) override;
    void unregister_hotkey(int id) override;
    bool active(int id) const override { return granted_.count(id) > 0; }
    uint16_t granted_shortcut(int id) const override;
    void set_grants_handler(std::function<void()> handler) override { grants_handler_ = std::move(handler); }

    // The portal's interface version, 0 until it answered (or without one).
    uint32_t version() const { return version_; }

    // The portal's Activated signal (session, shortcut id, time stamp,
    // options); public, as Qt D-Bus connects only those.
public slots:
    void activated(const QDBusMessage& signal);

private:
    using Done = std::function<void(uint32_t code, const QVariantMap& results)>;
    void request(const QString& method, QList<QVariant> arguments, QVariantMap options, Done done);
    void start();
    void open_session();
    void bind();
    void close_session();
    void set_grants(std::map<int, uint16_t> granted);

    QDBusConnection bus_;
    uint32_t version_ = 0;
    bool started_ = false;
    QString session_;
    std::map<int, uint16_t> wanted_;
    std::map<int, uint16_t> granted_;
    QTimer rebind_;
    int next_token_ = 0;
    std::function<void(int)> handler_;
    std::function<void()> grants_handler_;
};

} // namespace ornavox
