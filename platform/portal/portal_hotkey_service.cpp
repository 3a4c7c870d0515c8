#include "platform/portal/portal_hotkey_service.h"

#include "base/shortcut_text.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

#include <array>

namespace ornavox {

namespace {

constexpr const char* kService = "org.freedesktop.portal.Desktop";
constexpr const char* kPath = "/org/freedesktop/portal/desktop";
constexpr const char* kInterface = "org.freedesktop.portal.GlobalShortcuts";
constexpr const char* kRegistry = "org.freedesktop.host.portal.Registry";
constexpr std::chrono::milliseconds kRebindDelay{500};

struct Shortcut {
    QString id;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& out, const Shortcut& shortcut)
{
    out.beginStructure();
    out << shortcut.id << shortcut.properties;
    out.endStructure();
    return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, Shortcut& shortcut)
{
    in.beginStructure();
    in >> shortcut.id >> shortcut.properties;
    in.endStructure();
    return in;
}

struct Key {
    int id;
    const char* name;
    const char* description;
};
constexpr std::array<Key, 3> kKeys = {{
    {0x888A, "record-pause", "Record or pause"},
    {0x8889, "stop", "Stop recording and show the window"},
    {0x8888, "show", "Show the window"},
}};

// The trigger in the portal's form: "CTRL+SHIFT+F9".
QString preferred_trigger(uint16_t shortcut)
{
    QString text;
    if (shortcut & kShortcutCtrl)
        text += QStringLiteral("CTRL+");
    if (shortcut & kShortcutShift)
        text += QStringLiteral("SHIFT+");
    if (shortcut & kShortcutAlt)
        text += QStringLiteral("ALT+");
    QString key = QString::fromStdString(key_name(static_cast<uint8_t>(shortcut & 0xFF)));
    if (key.size() == 1)
        key = key.toLower(); // letters go by their keysym names
    return text + key;
}

// Answers one request: the Response of the Request object, or a refusal when
// the call itself failed.
class PortalRequest : public QObject {
    Q_OBJECT
public:
    explicit PortalRequest(std::function<void(uint32_t, const QVariantMap&)> done) : done_(std::move(done)) {}

public slots:
    void Response(uint code, const QVariantMap& results)
    {
        if (done_)
            std::exchange(done_, nullptr)(code, results);
        deleteLater();
    }

private:
    std::function<void(uint32_t, const QVariantMap&)> done_;
};

} // namespace

} // namespace ornavox

Q_DECLARE_METATYPE(ornavox::Shortcut)

namespace ornavox {

PortalHotkeyService::PortalHotkeyService(QDBusConnection bus) : bus_(std::move(bus))
{
    qDBusRegisterMetaType<Shortcut>();
    qDBusRegisterMetaType<QList<Shortcut>>();
    rebind_.setSingleShot(true);
    rebind_.setInterval(kRebindDelay);
    connect(&rebind_, &QTimer::timeout, this, [this] {
        close_session();
        open_session();
    });
    bus_.connect(QString::fromLatin1(kService), QString::fromLatin1(kPath), QString::fromLatin1(kInterface),
                 QStringLiteral("Activated"), this, SLOT(activated(QDBusMessage)));
    start();
}

PortalHotkeyService::~PortalHotkeyService()
{
    close_session();
}

// The version first; where the host registry exists (newer portals want an
// application id from a program that is not sandboxed), the id of
// ornavox.desktop is registered before the session is made.
void PortalHotkeyService::start()
{
    QDBusMessage get =
        QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                       QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QString::fromLatin1(kInterface) << QStringLiteral("version");
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(get), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        const QDBusPendingReply<QDBusVariant> reply = *call;
        if (reply.isError())
            return; // no portal: every key stays inactive
        version_ = reply.value().variant().toUInt();
        QDBusMessage reg = QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                                          QString::fromLatin1(kRegistry), QStringLiteral("Register"));
        reg << QString::fromLatin1(kApplicationId) << QVariantMap();
        auto* registered = new QDBusPendingCallWatcher(bus_.asyncCall(reg), this);
        connect(registered, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* done) {
            done->deleteLater();
            started_ = true;
            open_session();
        });
    });
}

void PortalHotkeyService::request(const QString& method, QList<QVariant> arguments, QVariantMap options, Done done)
{
    const QString token = QStringLiteral("ornavox%1").arg(++next_token_);
    options.insert(QStringLiteral("handle_token"), token);
    QString sender = bus_.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    const QString path = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
    auto* pending = new PortalRequest(std::move(done));
    pending->setParent(this);
    bus_.connect(QString::fromLatin1(kService), path, QStringLiteral("org.freedesktop.portal.Request"),
                 QStringLiteral("Response"), pending, SLOT(Response(uint, QVariantMap)));
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                                       QString::fromLatin1(kInterface), method);
    arguments.append(options);
    call.setArguments(arguments);
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [pending](QDBusPendingCallWatcher* reply) {
        reply->deleteLater();
        if (reply->isError())
            pending->Response(2, {});
    });
}

void PortalHotkeyService::open_session()
{
    if (!started_ || wanted_.empty())
        return;
    QVariantMap options;
    options.insert(QStringLiteral("session_handle_token"), QStringLiteral("ornavox_session%1").arg(next_token_ + 1));
    request(QStringLiteral("CreateSession"), {}, options, [this](uint32_t code, const QVariantMap& results) {
        if (code != 0)
            return; // refused: 1 by the user, 2 otherwise
        session_ = results.value(QStringLiteral("session_handle")).toString();
        bind();
    });
}

void PortalHotkeyService::bind()
{
    QList<Shortcut> shortcuts;
    for (const Key& key : kKeys) {
        const auto wanted = wanted_.find(key.id);
        if (wanted == wanted_.end() || wanted->second == 0)
            continue;
        QVariantMap properties;
        properties.insert(QStringLiteral("description"), QString::fromLatin1(key.description));
        properties.insert(QStringLiteral("preferred_trigger"), preferred_trigger(wanted->second));
        shortcuts.append(Shortcut{QString::fromLatin1(key.name), properties});
    }
    const QString session = session_;
    request(QStringLiteral("BindShortcuts"),
            {QVariant::fromValue(QDBusObjectPath(session)), QVariant::fromValue(shortcuts), QString()}, {},
            [this, session](uint32_t code, const QVariantMap& results) {
                if (session != session_)
                    return;
                std::map<int, uint16_t> granted;
                if (code == 0) {
                    const auto bound = qdbus_cast<QList<Shortcut>>(results.value(QStringLiteral("shortcuts")));
                    for (const Shortcut& shortcut : bound)
                        for (const Key& key : kKeys)
                            if (shortcut.id == QLatin1String(key.name)) {
                                const QString trigger =
                                    shortcut.properties.value(QStringLiteral("trigger_description")).toString();
                                const uint16_t value = TextToShortCut(trigger.toStdString());
                                granted[key.id] = value != 0 ? value : wanted_[key.id];
                            }
                }
                set_grants(std::move(granted));
            });
}

void PortalHotkeyService::close_session()
{
    if (session_.isEmpty())
        return;
    bus_.asyncCall(QDBusMessage::createMethodCall(QString::fromLatin1(kService), session_,
                                                  QStringLiteral("org.freedesktop.portal.Session"),
                                                  QStringLiteral("Close")));
    session_.clear();
    set_grants({});
}

void PortalHotkeyService::set_grants(std::map<int, uint16_t> granted)
{
    if (granted == granted_)
        return;
    granted_ = std::move(granted);
    if (grants_handler_)
        grants_handler_();
}

// Before the portal answered, the keys wait for the first session.
bool PortalHotkeyService::register_hotkey(int id, uint16_t shortcut)
{
    wanted_[id] = shortcut;
    if (started_)
        rebind_.start();
    return false;
}

void PortalHotkeyService::unregister_hotkey(int id)
{
    if (wanted_.erase(id) && started_)
        rebind_.start();
}

uint16_t PortalHotkeyService::granted_shortcut(int id) const
{
    const auto found = granted_.find(id);
    return found == granted_.end() ? 0 : found->second;
}

void PortalHotkeyService::activated(const QDBusMessage& signal)
{
    const QList<QVariant> arguments = signal.arguments();
    if (arguments.size() < 2 || arguments[0].value<QDBusObjectPath>().path() != session_)
        return;
    const QString shortcut = arguments[1].toString();
    for (const Key& key : kKeys)
        if (shortcut == QLatin1String(key.name) && granted_.count(key.id) && handler_)
            handler_(key.id);
}

} // namespace ornavox

#include "portal_hotkey_service.moc"
