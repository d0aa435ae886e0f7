// The portal hotkey backend against a fake GlobalShortcuts portal on a
// private session bus that the test starts.  The fake behaves as the real
// desktops were seen to: Plasma 5.27 binds only the shortcuts given to
// CreateSession and its BindShortcuts opens the desktop's settings instead
// of binding; newer portals ignore that option and bind in BindShortcuts.
// Both keep the shortcuts of one program in a component named after its app
// id, or after the session token when the portal knows no app id, and keep
// the keys stored there (the user's own choices) over new preferred ones.
// A key is bound to one shortcut only.  The fake answers on a thread of its
// own, as a real portal answers from another process.
#include "hotkeys/HotkeyReceiver.h"
#include "hotkeys/PortalHotkeyBackend.h"

#include "support/CountingReceiver.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <memory>
#include <string>
#include <vector>

using namespace sorvane;

namespace {

constexpr int32_t kF7 = 118;
constexpr int32_t kF8 = 119;
constexpr int32_t kF9 = 120;
constexpr int32_t kA = 65;
constexpr int kWaitMs = 10000; // upper bound only: every wait ends on an event

const QString kSessionInterface = QStringLiteral("org.freedesktop.portal.Session");

using testing_support::CountingReceiver;

enum class Desktop { Plasma527, Standard };

class FakePortal : public QDBusVirtualObject {
public:
    explicit FakePortal(const QDBusConnection& bus) : m_bus(bus) {}

    // How the desktop behaves.
    Desktop desktop = Desktop::Standard;
    bool hasShortcutsInterface = true;
    bool hasRegistry = false;
    uint createSessionResponse = 0;
    uint bindResponse = 0;
    QStringList takenElsewhere; // keys other programs hold

    void reset() {
        QMutexLocker lock(&m_mutex);
        desktop = Desktop::Standard;
        hasShortcutsInterface = true;
        hasRegistry = false;
        createSessionResponse = 0;
        bindResponse = 0;
        takenElsewhere.clear();
        m_components.clear();
        m_sessions.clear();
        m_calls.clear();
        m_asked.clear();
        m_appIds.clear();
    }
    void configure(const std::function<void(FakePortal&)>& change) {
        QMutexLocker lock(&m_mutex);
        change(*this);
    }
    QStringList calls() const {
        QMutexLocker lock(&m_mutex);
        return m_calls;
    }
    // The shortcuts of the last CreateSession or BindShortcuts.
    PortalShortcutList asked() const {
        QMutexLocker lock(&m_mutex);
        return m_asked;
    }
    // The stored keys of a component: shortcut id -> trigger.
    QMap<QString, QString> component(const QString& name) const {
        QMutexLocker lock(&m_mutex);
        return m_components.value(name);
    }
    QStringList sessions() const {
        QMutexLocker lock(&m_mutex);
        return m_sessions.keys();
    }

    // The user presses a key: each session with an active shortcut on it
    // hears of it.
    void pressKey(const QString& trigger) {
        QMutexLocker lock(&m_mutex);
        for (auto it = m_sessions.cbegin(); it != m_sessions.cend(); ++it) {
            const QMap<QString, QString>& keys = m_components[it->component];
            for (const QString& id : it->active) {
                if (keys.value(id) == trigger)
                    emitActivated(it.key(), id);
            }
        }
    }
    // An activation for a session and id of the test's choosing.
    void activate(const QString& session, const QString& id) {
        QMutexLocker lock(&m_mutex);
        emitActivated(session, id);
    }
    // The user gives a shortcut another key in the desktop's settings.
    void userSetsKey(const QString& componentName, const QString& id, const QString& trigger) {
        QMutexLocker lock(&m_mutex);
        m_components[componentName][id] = trigger;
        for (auto it = m_sessions.cbegin(); it != m_sessions.cend(); ++it) {
            if (it->component != componentName)
                continue;
            QDBusMessage signal =
                QDBusMessage::createSignal(PortalHotkeyBackend::kPath, PortalHotkeyBackend::kInterface,
                                           QStringLiteral("ShortcutsChanged"));
            signal << QVariant::fromValue(QDBusObjectPath(it.key())) << QVariant::fromValue(describe(*it));
            m_bus.send(signal);
        }
    }
    // The desktop ends a session (the portal went away, the user revoked it).
    void closeSession(const QString& session) {
        QMutexLocker lock(&m_mutex);
        m_sessions.remove(session);
        m_bus.send(QDBusMessage::createSignal(session, kSessionInterface, QStringLiteral("Closed")));
    }

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        QMutexLocker lock(&m_mutex);
        const QString member = message.member();
        const QList<QVariant> args = message.arguments();
        QString sender = message.service().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));

        if (message.interface() == QLatin1String("org.freedesktop.DBus.Properties") &&
            member == QLatin1String("Get")) {
            if (!hasShortcutsInterface || args.value(0).toString() != PortalHotkeyBackend::kInterface)
                error(connection, message, QStringLiteral("org.freedesktop.DBus.Error.UnknownInterface"));
            else
                connection.send(message.createReply(QVariant::fromValue(QDBusVariant(uint(1)))));
            return true;
        }
        if (message.interface() == PortalHotkeyBackend::kRegistryInterface &&
            member == QLatin1String("Register")) {
            if (!hasRegistry) {
                error(connection, message, QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"));
                return true;
            }
            m_calls << QStringLiteral("Register ") + args.value(0).toString();
            m_appIds.insert(message.service(), args.value(0).toString());
            connection.send(message.createReply());
            return true;
        }
        if (message.interface() == kSessionInterface && member == QLatin1String("Close")) {
            m_calls << QStringLiteral("Close");
            m_sessions.remove(message.path());
            connection.send(message.createReply());
            return true;
        }
        if (message.interface() != PortalHotkeyBackend::kInterface || !hasShortcutsInterface) {
            error(connection, message, QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"));
            return true;
        }
        const QVariantMap options = qdbus_cast<QVariantMap>(args.constLast().value<QDBusArgument>());
        const QString request = PortalHotkeyBackend::kPath + QStringLiteral("/request/") + sender +
                                QLatin1Char('/') + options.value(QStringLiteral("handle_token")).toString();
        connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));

        if (member == QLatin1String("CreateSession")) {
            const QString token = options.value(QStringLiteral("session_handle_token")).toString();
            m_calls << QStringLiteral("CreateSession ") + token;
            QVariantMap results;
            if (createSessionResponse == 0) {
                const QString path = PortalHotkeyBackend::kPath + QStringLiteral("/session/") + sender +
                                     QLatin1Char('/') + token;
                Session& session = m_sessions[path];
                session.component = m_appIds.value(message.service(), token);
                results.insert(QStringLiteral("session_handle"), path);
                if (desktop == Desktop::Plasma527) {
                    const PortalShortcutList asked = qdbus_cast<PortalShortcutList>(
                        options.value(QStringLiteral("shortcuts")).value<QDBusArgument>());
                    m_asked = asked;
                    bind(session, asked);
                    results.insert(QStringLiteral("shortcuts"), QVariant::fromValue(describe(session)));
                }
            }
            respond(connection, request, createSessionResponse, results);
            return true;
        }
        const QString sessionPath = args.value(0).value<QDBusObjectPath>().path();
        if (!m_sessions.contains(sessionPath)) {
            respond(connection, request, 2, {});
            return true;
        }
        Session& session = m_sessions[sessionPath];
        if (member == QLatin1String("BindShortcuts")) {
            m_calls << QStringLiteral("BindShortcuts");
            const PortalShortcutList asked =
                qdbus_cast<PortalShortcutList>(args.value(1).value<QDBusArgument>());
            QVariantMap results;
            if (desktop == Desktop::Standard && bindResponse == 0) {
                m_asked = asked;
                bind(session, asked);
            }
            // Plasma 5.27 opens its shortcut settings here and binds nothing.
            if (bindResponse == 0)
                results.insert(QStringLiteral("shortcuts"), QVariant::fromValue(describe(session)));
            respond(connection, request, bindResponse, results);
            return true;
        }
        if (member == QLatin1String("ListShortcuts")) {
            m_calls << QStringLiteral("ListShortcuts");
            QVariantMap results;
            results.insert(QStringLiteral("shortcuts"), QVariant::fromValue(describe(session)));
            respond(connection, request, 0, results);
            return true;
        }
        respond(connection, request, 2, {});
        return true;
    }

private:
    struct Session {
        QString component;
        QStringList active; // ids bound in this session
    };

    // Stored keys win; a new shortcut gets its preferred key unless another
    // active shortcut or another program holds it.
    void bind(Session& session, const PortalShortcutList& asked) {
        QMap<QString, QString>& keys = m_components[session.component];
        session.active.clear();
        for (const PortalShortcut& s : asked) {
            if (!keys.contains(s.id)) {
                const QString preferred = s.properties.value(QStringLiteral("preferred_trigger")).toString();
                bool held = takenElsewhere.contains(preferred);
                for (const QString& id : session.active)
                    held = held || keys.value(id) == preferred;
                keys.insert(s.id, held ? QString() : preferred);
            }
            session.active << s.id;
        }
    }
    // Desktops show keys their own way; this one in capitals.
    PortalShortcutList describe(const Session& session) const {
        PortalShortcutList list;
        for (const QString& id : session.active) {
            PortalShortcut s{id, {}};
            s.properties.insert(QStringLiteral("description"), QStringLiteral("from the desktop"));
            s.properties.insert(QStringLiteral("trigger_description"),
                                m_components.value(session.component).value(id).toUpper());
            list << s;
        }
        return list;
    }
    void emitActivated(const QString& session, const QString& id) const {
        QDBusMessage signal = QDBusMessage::createSignal(
            PortalHotkeyBackend::kPath, PortalHotkeyBackend::kInterface, QStringLiteral("Activated"));
        signal << QVariant::fromValue(QDBusObjectPath(session)) << id << qulonglong(1234) << QVariantMap();
        m_bus.send(signal);
    }
    static void error(const QDBusConnection& connection, const QDBusMessage& message, const QString& name) {
        connection.send(message.createErrorReply(name, QStringLiteral("not here")));
    }
    static void respond(const QDBusConnection& connection, const QString& request, uint code,
                        const QVariantMap& results) {
        QDBusMessage response = QDBusMessage::createSignal(
            request, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        response << code << results;
        connection.send(response);
    }

    QDBusConnection m_bus;
    mutable QMutex m_mutex;
    QMap<QString, QMap<QString, QString>> m_components;
    QMap<QString, Session> m_sessions;
    QMap<QString, QString> m_appIds; // bus name -> registered app id
    QStringList m_calls;
    PortalShortcutList m_asked;
};

using PortalSetUp = std::function<void(FakePortal&)>;

} // namespace

Q_DECLARE_METATYPE(PortalSetUp)

class PortalHotkeyBackendQtTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_busDir;
    QProcess m_daemon;
    QString m_address;
    QThread m_portalThread;
    FakePortal* m_portal = nullptr;
    std::vector<std::string> m_told;
    int m_changes = 0;
    std::vector<std::unique_ptr<CountingReceiver>> m_receivers;
    std::unique_ptr<PortalHotkeyBackend> m_backend;

    QDBusConnection backendBus() const {
        return QDBusConnection::connectToBus(m_address, QStringLiteral("backend"));
    }
    QDBusConnection portalBus() const {
        return QDBusConnection::connectToBus(m_address, QStringLiteral("portal"));
    }

    PortalHotkeyBackend& makeBackend(const std::vector<int32_t>& keys) {
        m_backend.reset();
        // A new start of the program is a new connection to the bus.
        QDBusConnection::disconnectFromBus(QStringLiteral("backend"));
        m_backend = std::make_unique<PortalHotkeyBackend>(
            backendBus(), [this](const std::string& text) { m_told.push_back(text); });
        m_backend->setChangedHook([this] { ++m_changes; });
        m_receivers.clear();
        for (int32_t key : keys) {
            m_receivers.push_back(std::make_unique<CountingReceiver>(key));
            m_backend->attach(m_receivers.back()->receiver);
        }
        return *m_backend;
    }

    QString name() const { return QString::fromStdString(m_backend->name()); }

    // Waits until the backend's description is the one expected.
    bool nameBecomes(const QString& expected) {
        if (QTest::qWaitFor([&] { return name() == expected; }, kWaitMs))
            return true;
        qWarning() << "name is" << name() << "expected" << expected;
        return false;
    }

    std::vector<int> presses() const {
        std::vector<int> counts;
        for (const auto& r : m_receivers)
            counts.push_back(r->presses);
        return counts;
    }

    // Presses keys at the desktop, then a marker key (the last receiver's,
    // whose presses are counted apart): once the marker has arrived, every
    // key pressed before it has been handled.
    bool pressKeys(const QStringList& triggers, const QString& marker) {
        CountingReceiver& last = *m_receivers.back();
        const int before = last.presses;
        for (const QString& trigger : triggers)
            m_portal->pressKey(trigger);
        m_portal->pressKey(marker);
        return QTest::qWaitFor([&] { return last.presses > before; }, kWaitMs);
    }

    // Lets the backend send what it has to send, then waits until the
    // portal, which answers a connection's messages in order, has seen it.
    void settle() {
        QCoreApplication::processEvents();
        PortalHotkeyBackend::portalVersion(backendBus());
    }

    const QString kStandardStart = QStringLiteral("Desktop portal (Start: F7, Restart: A, Stop: F8)");

private slots:
    void initTestCase() {
        registerPortalShortcutTypes();
        QVERIFY(m_busDir.isValid());
        const QString config = m_busDir.filePath(QStringLiteral("bus.conf"));
        QFile file(config);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral(
                       "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                       " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                       "<busconfig>\n"
                       "  <type>session</type>\n"
                       "  <listen>unix:dir=%1</listen>\n"
                       "  <auth>EXTERNAL</auth>\n"
                       "  <policy context=\"default\">\n"
                       "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                       "    <allow eavesdrop=\"true\"/>\n"
                       "    <allow own=\"*\"/>\n"
                       "  </policy>\n"
                       "</busconfig>\n")
                       .arg(m_busDir.path())
                       .toUtf8());
        file.close();

        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                        QStringLiteral("--print-address")});
        QVERIFY2(m_daemon.waitForStarted(kWaitMs), "dbus-daemon does not start");
        QTRY_VERIFY_WITH_TIMEOUT(m_daemon.canReadLine(), 2 * kWaitMs);
        m_address = QString::fromUtf8(m_daemon.readLine().trimmed());
        QVERIFY(!m_address.isEmpty());
        QVERIFY2(backendBus().isConnected(), qPrintable(backendBus().lastError().message()));

        QDBusConnection bus = portalBus();
        QVERIFY(bus.isConnected());
        m_portal = new FakePortal(bus);
        m_portal->moveToThread(&m_portalThread);
        m_portalThread.start();
        // Registered from its own thread, where the bus gives it its helpers.
        bool registered = false;
        QMetaObject::invokeMethod(
            m_portal,
            [&] {
                registered =
                    bus.registerVirtualObject(PortalHotkeyBackend::kPath, m_portal, QDBusConnection::SubPath);
            },
            Qt::BlockingQueuedConnection);
        QVERIFY(registered);
        QVERIFY(bus.registerService(PortalHotkeyBackend::kService));
    }

    void cleanupTestCase() {
        portalBus().unregisterObject(PortalHotkeyBackend::kPath, QDBusConnection::UnregisterTree);
        m_portalThread.quit();
        m_portalThread.wait();
        delete m_portal;
        QDBusConnection::disconnectFromBus(QStringLiteral("backend"));
        QDBusConnection::disconnectFromBus(QStringLiteral("portal"));
        m_daemon.terminate();
        m_daemon.waitForFinished(kWaitMs);
    }

    void init() {
        m_portal->reset();
        m_told.clear();
        m_changes = 0;
    }

    void cleanup() {
        m_backend.reset();
        m_receivers.clear();
        settle(); // its session is closed before the next test begins
    }

    void asksForTheKeysAndBelievesTheDesktop_data() {
        QTest::addColumn<int>("desktop");
        QTest::addColumn<QStringList>("calls");
        // Plasma 5.27 binds at CreateSession: its BindShortcuts, which would
        // open the desktop's settings each time the timer starts, is not called.
        QTest::newRow("Plasma 5.27") << int(Desktop::Plasma527) << QStringList{"CreateSession sorvane_timer"};
        QTest::newRow("standard") << int(Desktop::Standard)
                                  << QStringList{"CreateSession sorvane_timer", "BindShortcuts"};
    }

    void asksForTheKeysAndBelievesTheDesktop() {
        QFETCH(int, desktop);
        QFETCH(QStringList, calls);
        m_portal->configure([&](FakePortal& p) { p.desktop = Desktop(desktop); });
        makeBackend({kF7, kA, kF8});
        QVERIFY(m_backend->isAvailable()); // until the desktop has answered
        QVERIFY(nameBecomes(kStandardStart));
        QVERIFY(m_backend->isAvailable());
        QCOMPARE(m_portal->calls(), calls);
        QVERIFY(m_changes >= 1);
        // One shortcut per key, named after it, with the key as preferred
        // trigger and a description of what it does.
        const PortalShortcutList asked = m_portal->asked();
        QCOMPARE(asked.size(), 3);
        const QStringList ids{"F7", "a", "F8"};
        const QStringList descriptions{"Start the timer", "Restart the timer", "Stop the timer"};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(asked[i].id, ids[i]);
            QCOMPARE(asked[i].properties.value(QStringLiteral("preferred_trigger")).toString(), ids[i]);
            QCOMPARE(asked[i].properties.value(QStringLiteral("description")).toString(), descriptions[i]);
        }
        QCOMPARE(m_portal->component(QStringLiteral("sorvane_timer")).keys(), QStringList({"F7", "F8", "a"}));

        // The bare letter is taken from typing everywhere: told once.
        QCOMPARE(m_told.size(), size_t(1));
        QCOMPARE(
            QString::fromStdString(m_told[0]),
            QStringLiteral("The desktop now takes the key A from every other application while the timer "
                           "runs: pressing it anywhere works the timer instead of typing. A function key "
                           "(F1 to F12) as hotkey avoids this."));

        // Each key presses its receiver; other sessions and unknown ids press nothing.
        QVERIFY(pressKeys({"a", "F7", "F7"}, QStringLiteral("F8")));
        QCOMPARE(presses(), (std::vector<int>{2, 1, 1}));
        m_portal->activate(PortalHotkeyBackend::kPath + QStringLiteral("/session/other/x"),
                           QStringLiteral("F7"));
        m_portal->activate(m_portal->sessions().constFirst(), QStringLiteral("pause"));
        QVERIFY(pressKeys({}, QStringLiteral("F8")));
        QCOMPARE(presses(), (std::vector<int>{2, 1, 2}));
        // A receiver switched off is not pressed.
        m_receivers[0]->receiver.setEnabled(false);
        QVERIFY(pressKeys({"F7"}, QStringLiteral("F8")));
        QCOMPARE(presses(), (std::vector<int>{2, 1, 3}));
        QCOMPARE(m_told.size(), size_t(1));
    }

    void newKeyStaysInTheProgramsShortcuts_data() {
        QTest::addColumn<int>("desktop");
        QTest::addColumn<QStringList>("calls");
        // Plasma 5.27 binds new keys only in a new session: made again under
        // the same token, so the shortcuts stay in one place.
        QTest::newRow("Plasma 5.27") << int(Desktop::Plasma527)
                                     << QStringList{"CreateSession sorvane_timer", "Close",
                                                    "CreateSession sorvane_timer"};
        QTest::newRow("standard") << int(Desktop::Standard)
                                  << QStringList{"CreateSession sorvane_timer", "BindShortcuts",
                                                 "BindShortcuts"};
    }

    void newKeyStaysInTheProgramsShortcuts() {
        QFETCH(int, desktop);
        QFETCH(QStringList, calls);
        m_portal->configure([&](FakePortal& p) { p.desktop = Desktop(desktop); });
        makeBackend({kF7, kA, kF8});
        QVERIFY(nameBecomes(kStandardStart));
        // The user gives Start another key in the desktop's settings.
        m_portal->userSetsKey(QStringLiteral("sorvane_timer"), QStringLiteral("F7"),
                              QStringLiteral("ctrl+f7"));
        QVERIFY(nameBecomes(QStringLiteral("Desktop portal (Start: CTRL+F7, Restart: A, Stop: F8)")));
        QCOMPARE(
            QString::fromStdString(m_told.back()),
            QStringLiteral("Global hotkeys bound by the desktop: Start = CTRL+F7, Restart = A, Stop = F8."));

        // A new Stop key in the key box.
        m_receivers[2]->receiver.setKeyCode(kF9);
        QVERIFY(nameBecomes(QStringLiteral("Desktop portal (Start: CTRL+F7, Restart: A, Stop: F9)")));
        QCOMPARE(m_portal->calls(), calls);
        QCOMPARE(m_portal->component(QStringLiteral("sorvane_timer")).value(QStringLiteral("F9")),
                 QStringLiteral("F9"));
        QVERIFY(pressKeys({"F8", "ctrl+f7"}, QStringLiteral("F9"))); // the old key no longer stops
        QCOMPARE(presses(), (std::vector<int>{1, 0, 1}));

        // The same keys again ask nothing.
        m_receivers[2]->receiver.setKeyCode(kF9);
        settle();
        QCOMPARE(m_portal->calls(), calls);

        // The next start of the program finds the user's key for Start.
        makeBackend({kF7, kA, kF9});
        QVERIFY(nameBecomes(QStringLiteral("Desktop portal (Start: CTRL+F7, Restart: A, Stop: F9)")));
        QVERIFY(pressKeys({"ctrl+f7"}, QStringLiteral("F9")));
        QCOMPARE(presses(), (std::vector<int>{1, 0, 1}));
    }

    void receiversOfOneKeyAllReact() {
        // Start and Stop on F7: one shortcut; one press reaches both, and
        // the Stop press reaches the Start handler's nested event loop.
        m_portal->configure([](FakePortal& p) { p.desktop = Desktop::Plasma527; });
        makeBackend({kF7, kA, kF7});
        QVERIFY(nameBecomes(QStringLiteral("Desktop portal (Start: F7, Restart: A, Stop: F7)")));
        const PortalShortcutList asked = m_portal->asked();
        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked[0].id, QStringLiteral("F7"));
        QCOMPARE(asked[0].properties.value(QStringLiteral("description")).toString(),
                 QStringLiteral("Start / stop the timer"));
        bool stopSeenInside = false;
        m_receivers[0]->alsoOnPress = [&] {
            stopSeenInside = QTest::qWaitFor([&] { return m_receivers[2]->presses == 1; }, kWaitMs);
        };
        m_portal->pressKey(QStringLiteral("F7"));
        QTRY_VERIFY_WITH_TIMEOUT(stopSeenInside, kWaitMs);
        QCOMPARE(presses(), (std::vector<int>{1, 0, 1}));
    }

    void appIdIsRegisteredFirst() {
        m_portal->configure([](FakePortal& p) {
            p.hasRegistry = true;
            p.desktop = Desktop::Plasma527;
        });
        makeBackend({kF7, kA, kF8});
        QVERIFY(nameBecomes(kStandardStart));
        QCOMPARE(m_portal->calls(),
                 QStringList({"Register org.sorvane.Timer", "CreateSession sorvane_timer"}));
        QCOMPARE(m_portal->component(QStringLiteral("org.sorvane.Timer")).size(), 3);
    }

    void keysTheDesktopLeavesUnboundAreTold() {
        m_portal->configure([](FakePortal& p) { p.takenElsewhere << QStringLiteral("a"); });
        makeBackend({kF7, kA, kF8});
        QVERIFY(nameBecomes(QStringLiteral("Desktop portal (Start: F7, Restart: not bound, Stop: F8)")));
        QVERIFY(m_backend->isAvailable());
        QCOMPARE(m_told.size(), size_t(1));
        QCOMPARE(QString::fromStdString(m_told[0]),
                 QStringLiteral(
                     "Global hotkeys bound by the desktop: Start = F7, Restart = not bound, Stop = F8."));
    }

    void portalThatGivesNoHotkeys_data() {
        QTest::addColumn<PortalSetUp>("setUp");
        QTest::addColumn<QString>("failure");
        QTest::newRow("no global shortcuts")
            << PortalSetUp([](FakePortal& p) { p.hasShortcutsInterface = false; })
            << "the desktop offers no GlobalShortcuts portal";
        QTest::newRow("session refused") << PortalSetUp([](FakePortal& p) { p.createSessionResponse = 2; })
                                         << "the desktop refused a global shortcuts session";
        QTest::newRow("binding cancelled") << PortalSetUp([](FakePortal& p) { p.bindResponse = 1; })
                                           << "the request for global shortcuts was cancelled";
        QTest::newRow("binding refused") << PortalSetUp([](FakePortal& p) { p.bindResponse = 2; })
                                         << "the desktop refused the global shortcuts";
        QTest::newRow("every key held elsewhere") << PortalSetUp([](FakePortal& p) {
            p.takenElsewhere << QStringLiteral("F7") << QStringLiteral("a") << QStringLiteral("F8");
        }) << "the desktop bound none of the timer's keys";
    }

    void portalThatGivesNoHotkeys() {
        QFETCH(PortalSetUp, setUp);
        QFETCH(QString, failure);
        m_portal->configure(setUp);
        makeBackend({kF7, kA, kF8});
        QTRY_VERIFY_WITH_TIMEOUT(!m_backend->isAvailable(), kWaitMs);
        QCOMPARE(QString::fromStdString(m_backend->failure()), failure);
        QVERIFY(name().contains(QLatin1String("Desktop portal")));
        // The way chosen after it tells the user; the portal tells nothing.
        QVERIFY(m_told.empty());
        // A key change asks nothing more.
        settle();
        const QStringList calls = m_portal->calls();
        m_receivers[0]->receiver.setKeyCode(kF9);
        settle();
        QCOMPARE(m_portal->calls(), calls);
    }

    void sessionClosedByTheDesktop() {
        makeBackend({kF7, kA, kF8});
        QVERIFY(nameBecomes(kStandardStart));
        const int changesBefore = m_changes;
        m_portal->closeSession(m_portal->sessions().constFirst());
        QTRY_VERIFY_WITH_TIMEOUT(!m_backend->isAvailable(), kWaitMs);
        QCOMPARE(QString::fromStdString(m_backend->failure()),
                 QStringLiteral("the desktop closed the global shortcuts session"));
        QVERIFY(m_changes > changesBefore);
    }
};

QTEST_GUILESS_MAIN(PortalHotkeyBackendQtTest)
#include "PortalHotkeyBackendQtTest.moc"
