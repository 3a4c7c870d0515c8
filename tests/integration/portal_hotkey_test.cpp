// The portal backend against a fake GlobalShortcuts portal on a private
// session bus: a dbus-daemon with no service folders, so that no real portal
// is ever started.
#include "platform/portal/portal_hotkey_service.h"
#include "tests/support/session_bus.h"

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace portal_test {

struct Shortcut {
    QString id;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& out, const Shortcut& s)
{
    out.beginStructure();
    out << s.id << s.properties;
    out.endStructure();
    return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, Shortcut& s)
{
    in.beginStructure();
    in >> s.id >> s.properties;
    in.endStructure();
    return in;
}

} // namespace portal_test

Q_DECLARE_METATYPE(portal_test::Shortcut)

namespace portal_test {

// The portal's side: answers on the request path the client works out, and
// grants what the test says.
class FakePortal : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.GlobalShortcuts")
    Q_PROPERTY(uint version READ version)
public:
    FakePortal(QObject* root, QDBusConnection bus) : QDBusAbstractAdaptor(root), bus_(std::move(bus)) {}

    uint version() const { return 1; }

    std::vector<std::string> calls;
    QList<Shortcut> bound;
    // What BindShortcuts grants: id to trigger description; all when empty.
    std::map<QString, QString> grant;
    bool refuse = false;
    QString session;

    void activate(const QString& id)
    {
        QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/portal/desktop"),
                                                         QStringLiteral("org.freedesktop.portal.GlobalShortcuts"),
                                                         QStringLiteral("Activated"));
        signal << QVariant::fromValue(QDBusObjectPath(session)) << id << qulonglong(0) << QVariantMap();
        bus_.send(signal);
    }

public slots:
    QDBusObjectPath CreateSession(const QVariantMap& options, const QDBusMessage& message)
    {
        calls.push_back("CreateSession");
        session = QStringLiteral("/org/freedesktop/portal/desktop/session/%1/%2")
                      .arg(sender_part(message), options.value(QStringLiteral("session_handle_token")).toString());
        return respond(message, options, {{QStringLiteral("session_handle"), session}});
    }

    QDBusObjectPath BindShortcuts(const QDBusObjectPath& session_path, const QList<portal_test::Shortcut>& shortcuts,
                                  const QString&, const QVariantMap& options, const QDBusMessage& message)
    {
        calls.push_back("BindShortcuts " + session_path.path().toStdString());
        bound = shortcuts;
        QList<Shortcut> granted;
        for (const Shortcut& s : shortcuts) {
            if (!grant.empty() && !grant.count(s.id))
                continue;
            QVariantMap properties = s.properties;
            properties.insert(QStringLiteral("trigger_description"),
                              grant.empty() ? QStringLiteral("Ctrl+Shift+F9") : grant[s.id]);
            granted.append(Shortcut{s.id, properties});
        }
        return respond(message, options, {{QStringLiteral("shortcuts"), QVariant::fromValue(granted)}});
    }

private:
    static QString sender_part(const QDBusMessage& message)
    {
        QString sender = message.service().mid(1);
        return sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    }

    // The Request object's path, and its Response after the method's reply.
    QDBusObjectPath respond(const QDBusMessage& message, const QVariantMap& options, const QVariantMap& results)
    {
        const QString path = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                                 .arg(sender_part(message), options.value(QStringLiteral("handle_token")).toString());
        const uint code = refuse ? 2 : 0;
        QTimer::singleShot(0, this, [this, path, code, results] {
            QDBusMessage response = QDBusMessage::createSignal(path, QStringLiteral("org.freedesktop.portal.Request"),
                                                               QStringLiteral("Response"));
            response << code << (code == 0 ? results : QVariantMap());
            bus_.send(response);
        });
        return QDBusObjectPath(path);
    }

    QDBusConnection bus_;
};

// The host registry of newer portals.
class FakeRegistry : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.host.portal.Registry")
public:
    explicit FakeRegistry(QObject* root) : QDBusAbstractAdaptor(root) {}
    std::vector<std::string> registered;

public slots:
    void Register(const QString& app_id, const QVariantMap&) { registered.push_back(app_id.toStdString()); }
};

class PortalHotkeys : public ::testing::Test {
protected:
    void SetUp() override
    {
        qDBusRegisterMetaType<Shortcut>();
        qDBusRegisterMetaType<QList<Shortcut>>();
        ASSERT_TRUE(portal_bus.isConnected());
        ASSERT_TRUE(portal_bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop")));
        ASSERT_TRUE(portal_bus.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), &root,
                                              QDBusConnection::ExportAdaptors));
    }
    void TearDown() override
    {
        service.reset();
        portal_bus.unregisterObject(QStringLiteral("/org/freedesktop/portal/desktop"));
        portal_bus.unregisterService(QStringLiteral("org.freedesktop.portal.Desktop"));
    }

    void start()
    {
        service = std::make_unique<ornavox::PortalHotkeyService>(client_bus);
        service->set_handler([this](int id) { fired.push_back(id); });
        service->set_grants_handler([this] { ++grant_changes; });
        service->register_hotkey(0x8888, 0x607A);
        service->register_hotkey(0x8889, 0x6079);
        service->register_hotkey(0x888A, 0x6078);
    }

    QDBusConnection portal_bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("portal"));
    QDBusConnection client_bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("client"));
    QObject root;
    FakePortal& portal = *new FakePortal(&root, portal_bus);
    FakeRegistry& registry = *new FakeRegistry(&root);
    std::unique_ptr<ornavox::PortalHotkeyService> service;
    std::vector<int> fired;
    int grant_changes = 0;
};

TEST_F(PortalHotkeys, ThreeKeysAreBoundInOneSessionAndActivationsReachTheirIdentifiers)
{
    start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return service->active(0x8889); }, 5000));
    EXPECT_EQ(service->version(), 1u);
    EXPECT_EQ(registry.registered, std::vector<std::string>{"ornavox"});
    ASSERT_EQ(portal.calls.size(), 2u);
    EXPECT_EQ(portal.calls[0], "CreateSession");
    EXPECT_EQ(portal.calls[1], "BindShortcuts " + portal.session.toStdString());
    ASSERT_EQ(portal.bound.size(), 3);
    EXPECT_EQ(portal.bound[0].id, "record-pause");
    EXPECT_EQ(portal.bound[0].properties.value("preferred_trigger").toString(), "CTRL+SHIFT+F9");
    EXPECT_FALSE(portal.bound[0].properties.value("description").toString().isEmpty());
    EXPECT_EQ(portal.bound[2].id, "show");

    portal.activate(QStringLiteral("stop"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !fired.empty(); }, 5000));
    EXPECT_EQ(fired, std::vector<int>{0x8889});
}

TEST_F(PortalHotkeys, ADesktopThatGrantsLessOrOtherTriggersIsFollowed)
{
    portal.grant = {{QStringLiteral("show"), QStringLiteral("Ctrl+Alt+H")}};
    start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return service->active(0x8888); }, 5000));
    EXPECT_FALSE(service->active(0x8889));
    EXPECT_FALSE(service->active(0x888A));
    EXPECT_EQ(service->granted_shortcut(0x8888), 0xC000 | 'H');
    EXPECT_EQ(grant_changes, 1);

    // A changed key binds again in a new session, once.
    portal.grant.clear();
    service->register_hotkey(0x8889, 0x6000 | 'S');
    service->register_hotkey(0x8889, 0x6000 | 'T');
    ASSERT_TRUE(QTest::qWaitFor([&] { return service->active(0x8889); }, 5000));
    EXPECT_EQ(portal.calls.size(), 4u) << "two changes, one new session";
    EXPECT_EQ(portal.bound[1].properties.value("preferred_trigger").toString(), "CTRL+SHIFT+t");
}

TEST_F(PortalHotkeys, ARefusalLeavesEveryKeyInactive)
{
    portal.refuse = true;
    start();
    QTest::qWait(1500);
    EXPECT_EQ(portal.calls, std::vector<std::string>{"CreateSession"});
    for (int id : {0x8888, 0x8889, 0x888A})
        EXPECT_FALSE(service->active(id));
}

} // namespace portal_test

// A private session bus without service folders, before Qt connects.
int main(int argc, char** argv)
{
    const ornavox::test::SessionBus bus;
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

#include "portal_hotkey_test.moc"
