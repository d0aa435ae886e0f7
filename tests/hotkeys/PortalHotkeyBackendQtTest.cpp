// The portal hotkey backend against a fake GlobalShortcuts portal on a
// private session bus that the test starts.  The fake answers on a thread of
// its own, as a real portal answers from another process, so the backend's
// blocking look at the portal's version gets its answer.
#include "hotkeys/HotkeyReceiver.h"
#include "hotkeys/PortalHotkeyBackend.h"

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

const QString kSessionInterface = QStringLiteral("org.freedesktop.portal.Session");

struct CountingReceiver {
    HotkeyReceiver receiver;
    int presses = 0;

    explicit CountingReceiver(int32_t keyCode) {
        receiver.setKeyCode(keyCode);
        receiver.setKeyDownHandler([this] { ++presses; });
    }
};

// What the fake portal was asked.
struct BindCall {
    QString session;
    PortalShortcutList shortcuts;

    QString preferred(const QString& id) const {
        for (const PortalShortcut& s : shortcuts) {
            if (s.id == id)
                return s.properties.value(QStringLiteral("preferred_trigger")).toString();
        }
        return QStringLiteral("<missing>");
    }
};

// The portal's objects: the GlobalShortcuts interface at its path, the
// session objects below it.  Each request is answered at once, the way a
// desktop does when it asks the user nothing.
class FakePortal : public QDBusVirtualObject {
public:
    explicit FakePortal(const QDBusConnection& bus) : m_bus(bus) {}

    // How the desktop behaves.
    bool hasShortcutsInterface = true;
    uint createSessionResponse = 0;
    uint bindResponse = 0;
    // Shortcut id -> the trigger the desktop binds instead of the one asked for.
    QMap<QString, QString> boundInstead;
    QStringList leftUnbound;

    void reset() {
        QMutexLocker lock(&m_mutex);
        hasShortcutsInterface = true;
        createSessionResponse = 0;
        bindResponse = 0;
        boundInstead.clear();
        leftUnbound.clear();
        m_sessions.clear();
        m_createCalls = 0;
        m_binds.clear();
        m_closed.clear();
    }
    void configure(const std::function<void(FakePortal&)>& change) {
        QMutexLocker lock(&m_mutex);
        change(*this);
    }
    QStringList sessions() const {
        QMutexLocker lock(&m_mutex);
        return m_sessions;
    }
    int createCalls() const {
        QMutexLocker lock(&m_mutex);
        return m_createCalls;
    }
    QList<BindCall> binds() const {
        QMutexLocker lock(&m_mutex);
        return m_binds;
    }
    QStringList closed() const {
        QMutexLocker lock(&m_mutex);
        return m_closed;
    }

    void emitActivated(const QString& session, const QString& id) const {
        QDBusMessage signal = QDBusMessage::createSignal(
            PortalHotkeyBackend::kPath, PortalHotkeyBackend::kInterface, QStringLiteral("Activated"));
        signal << QVariant::fromValue(QDBusObjectPath(session)) << id << qulonglong(1234) << QVariantMap();
        m_bus.send(signal);
    }
    void emitShortcutsChanged(const QString& session, const PortalShortcutList& shortcuts) const {
        QDBusMessage signal = QDBusMessage::createSignal(
            PortalHotkeyBackend::kPath, PortalHotkeyBackend::kInterface, QStringLiteral("ShortcutsChanged"));
        signal << QVariant::fromValue(QDBusObjectPath(session)) << QVariant::fromValue(shortcuts);
        m_bus.send(signal);
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
                connection.send(
                    message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.UnknownInterface"),
                                             QStringLiteral("no such interface")));
            else
                connection.send(message.createReply(QVariant::fromValue(QDBusVariant(uint(1)))));
            return true;
        }
        if (message.interface() == kSessionInterface && member == QLatin1String("Close")) {
            m_closed << message.path();
            connection.send(message.createReply());
            return true;
        }
        if (message.interface() != PortalHotkeyBackend::kInterface || !hasShortcutsInterface) {
            connection.send(
                message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"),
                                         QStringLiteral("no such method")));
            return true;
        }
        if (member == QLatin1String("CreateSession")) {
            ++m_createCalls;
            const QVariantMap options = qdbus_cast<QVariantMap>(args.value(0));
            const QString request = PortalHotkeyBackend::kPath + QStringLiteral("/request/") + sender +
                                    QLatin1Char('/') +
                                    options.value(QStringLiteral("handle_token")).toString();
            const QString session = PortalHotkeyBackend::kPath + QStringLiteral("/session/") + sender +
                                    QLatin1Char('/') +
                                    options.value(QStringLiteral("session_handle_token")).toString();
            QVariantMap results;
            if (createSessionResponse == 0) {
                m_sessions << session;
                results.insert(QStringLiteral("session_handle"), session);
            }
            connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
            respond(connection, request, createSessionResponse, results);
            return true;
        }
        if (member == QLatin1String("BindShortcuts")) {
            BindCall call{args.value(0).value<QDBusObjectPath>().path(),
                          qdbus_cast<PortalShortcutList>(args.value(1).value<QDBusArgument>())};
            m_binds << call;
            const QVariantMap options = qdbus_cast<QVariantMap>(args.value(3));
            const QString request = PortalHotkeyBackend::kPath + QStringLiteral("/request/") + sender +
                                    QLatin1Char('/') +
                                    options.value(QStringLiteral("handle_token")).toString();
            PortalShortcutList bound;
            for (const PortalShortcut& asked : call.shortcuts) {
                if (leftUnbound.contains(asked.id))
                    continue;
                // Desktops show keys their own way; this one in capitals.
                QString trigger = boundInstead.value(
                    asked.id,
                    asked.properties.value(QStringLiteral("preferred_trigger")).toString().toUpper());
                PortalShortcut shortcut{asked.id, {}};
                shortcut.properties.insert(QStringLiteral("description"),
                                           asked.properties.value(QStringLiteral("description")));
                shortcut.properties.insert(QStringLiteral("trigger_description"), trigger);
                bound << shortcut;
            }
            QVariantMap results;
            if (bindResponse == 0)
                results.insert(QStringLiteral("shortcuts"), QVariant::fromValue(bound));
            connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
            respond(connection, request, bindResponse, results);
            return true;
        }
        connection.send(message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"),
                                                 QStringLiteral("no such method")));
        return true;
    }

private:
    static void respond(const QDBusConnection& connection, const QString& request, uint code,
                        const QVariantMap& results) {
        QDBusMessage response = QDBusMessage::createSignal(
            request, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        response << code << results;
        connection.send(response);
    }

    QDBusConnection m_bus;
    mutable QMutex m_mutex;
    QStringList m_sessions;
    int m_createCalls = 0;
    QList<BindCall> m_binds;
    QStringList m_closed;
};

} // namespace

class PortalHotkeyBackendQtTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_busDir;
    QProcess m_daemon;
    QString m_address;
    QThread m_portalThread;
    FakePortal* m_portal = nullptr;
    std::vector<std::string> m_told;
    std::vector<std::unique_ptr<CountingReceiver>> m_receivers;
    std::unique_ptr<PortalHotkeyBackend> m_backend;

    QDBusConnection backendBus() const {
        return QDBusConnection::connectToBus(m_address, QStringLiteral("backend"));
    }
    QDBusConnection portalBus() const {
        return QDBusConnection::connectToBus(m_address, QStringLiteral("portal"));
    }

    CountingReceiver& receiver(int32_t keyCode) {
        m_receivers.push_back(std::make_unique<CountingReceiver>(keyCode));
        return *m_receivers.back();
    }

    PortalHotkeyBackend& makeBackend() {
        m_backend = std::make_unique<PortalHotkeyBackend>(
            backendBus(), [this](const std::string& text) { m_told.push_back(text); });
        return *m_backend;
    }

    // Start, Restart and Stop on F7, A and F8, bound by the fake portal.
    bool bindThree() {
        makeBackend();
        m_backend->attach(receiver(kF7).receiver);
        m_backend->attach(receiver(kA).receiver);
        m_backend->attach(receiver(kF8).receiver);
        return QTest::qWaitFor([this] { return isBound(); }, 10000);
    }

    bool isBound() const {
        return QString::fromStdString(m_backend->name()).startsWith(QLatin1String("Desktop portal (Start"));
    }

    // The portal answers the backend's messages in the order sent: once it
    // has answered this one, it has seen every request sent before.
    void waitForPortalToCatchUp() {
        QCoreApplication::processEvents();
        QCOMPARE(PortalHotkeyBackend::portalVersion(backendBus()), m_portalVersionNow);
    }
    uint m_portalVersionNow = 1;

    int presses(size_t index) const { return m_receivers.at(index)->presses; }

    // Activations are handled in the order sent: once the marker (a press of
    // Stop in the backend's current session) has arrived, every activation
    // sent before it has been handled.
    bool activateThenMark(const QString& session, const QStringList& ids) {
        const int stopBefore = presses(2);
        for (const QString& id : ids)
            m_portal->emitActivated(session, id);
        m_portal->emitActivated(m_portal->sessions().constLast(), QStringLiteral("stop"));
        return QTest::qWaitFor([&] { return presses(2) > stopBefore; }, 10000) &&
               presses(2) == stopBefore + 1;
    }

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
        QVERIFY2(m_daemon.waitForStarted(10000), "dbus-daemon does not start");
        QTRY_VERIFY_WITH_TIMEOUT(m_daemon.canReadLine(), 20000);
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
        m_daemon.waitForFinished(10000);
    }

    void init() {
        m_portal->reset();
        m_told.clear();
    }

    void cleanup() {
        m_backend.reset();
        m_receivers.clear();
    }

    void triggerNames_data() {
        QTest::addColumn<int>("vk");
        QTest::addColumn<QString>("trigger");
        QTest::newRow("F7") << 118 << "F7";
        QTest::newRow("F1") << 112 << "F1";
        QTest::newRow("F16") << 127 << "F16";
        QTest::newRow("A") << 65 << "a";
        QTest::newRow("Z") << 90 << "z";
        QTest::newRow("0") << 48 << "0";
        QTest::newRow("9") << 57 << "9";
        QTest::newRow("keypad 0") << 96 << "KP_0";
        QTest::newRow("keypad 9") << 105 << "KP_9";
        QTest::newRow("keypad *") << 106 << "KP_Multiply";
        QTest::newRow("keypad /") << 111 << "KP_Divide";
        QTest::newRow("Page Up") << 33 << "Page_Up";
        QTest::newRow("Page Down") << 34 << "Page_Down";
        QTest::newRow("Enter") << 13 << "Return";
        QTest::newRow("Space") << 32 << "space";
        QTest::newRow("Escape") << 27 << "Escape";
        QTest::newRow("Print") << 44 << "Print";
        QTest::newRow("left Start Menu") << 91 << "Super_L";
        QTest::newRow("Shift") << 16 << "Shift_L";
        QTest::newRow("right Control") << 163 << "Control_R";
        QTest::newRow("semicolon") << 186 << "semicolon";
        QTest::newRow("grave") << 192 << "grave";
        QTest::newRow("apostrophe") << 222 << "apostrophe";
        QTest::newRow("none") << 0 << "";
        QTest::newRow("unknown 7") << 7 << "";
        QTest::newRow("unknown 128") << 128 << "";
        QTest::newRow("negative") << -5 << "";
    }

    void triggerNames() {
        QFETCH(int, vk);
        QFETCH(QString, trigger);
        QCOMPARE(PortalHotkeyBackend::triggerForVirtualKey(vk), trigger);
    }

    void bindsTheAssignedKeysOnce() {
        QVERIFY(bindThree());
        QVERIFY(m_backend->isAvailable());
        const QList<BindCall> binds = m_portal->binds();
        // Attaching three receivers asks the desktop once, for all three.
        QCOMPARE(binds.size(), 1);
        QCOMPARE(m_portal->sessions().size(), 1);
        QCOMPARE(binds[0].session, m_portal->sessions().constFirst());
        QCOMPARE(binds[0].shortcuts.size(), 3);
        QCOMPARE(binds[0].shortcuts[0].id, QStringLiteral("start"));
        QCOMPARE(binds[0].shortcuts[1].id, QStringLiteral("restart"));
        QCOMPARE(binds[0].shortcuts[2].id, QStringLiteral("stop"));
        QCOMPARE(binds[0].preferred(QStringLiteral("start")), QStringLiteral("F7"));
        QCOMPARE(binds[0].preferred(QStringLiteral("restart")), QStringLiteral("a"));
        QCOMPARE(binds[0].preferred(QStringLiteral("stop")), QStringLiteral("F8"));
        for (const PortalShortcut& s : binds[0].shortcuts)
            QVERIFY(!s.properties.value(QStringLiteral("description")).toString().isEmpty());
        QCOMPARE(QString::fromStdString(m_backend->name()),
                 QStringLiteral("Desktop portal (Start: F7, Restart: A, Stop: F8)"));
        // The keys bound are those asked for ("A" for "a"): nothing to tell.
        QVERIFY(m_told.empty());
    }

    void activationPressesItsReceiver() {
        QVERIFY(bindThree());
        const QString session = m_portal->sessions().constLast();
        QVERIFY(activateThenMark(session, {QStringLiteral("restart")}));
        QCOMPARE(presses(0), 0);
        QCOMPARE(presses(1), 1);
        QVERIFY(activateThenMark(session, {QStringLiteral("start"), QStringLiteral("start")}));
        QCOMPARE(presses(0), 2);
        QCOMPARE(presses(1), 1);
        // Other sessions' shortcuts and unknown ids press nothing.
        QVERIFY(activateThenMark(PortalHotkeyBackend::kPath + QStringLiteral("/session/other/x"),
                                 {QStringLiteral("start")}));
        QVERIFY(activateThenMark(session, {QStringLiteral("pause")}));
        QCOMPARE(presses(0), 2);
        QCOMPARE(presses(1), 1);
    }

    void disabledReceiverIsNotPressed() {
        QVERIFY(bindThree());
        const QString session = m_portal->sessions().constLast();
        m_receivers[0]->receiver.setEnabled(false);
        QVERIFY(activateThenMark(session, {QStringLiteral("start"), QStringLiteral("restart")}));
        QCOMPARE(presses(0), 0);
        QCOMPARE(presses(1), 1);
        m_receivers[0]->receiver.setEnabled(true);
        QVERIFY(activateThenMark(session, {QStringLiteral("start")}));
        QCOMPARE(presses(0), 1);
    }

    void newKeyIsBoundAgain() {
        QVERIFY(bindThree());
        const QString first = m_portal->sessions().constLast();
        m_receivers[0]->receiver.setKeyCode(kF9);
        QTRY_COMPARE_WITH_TIMEOUT(m_portal->binds().size(), 2, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(isBound(), 10000);
        const BindCall second = m_portal->binds().constLast();
        QCOMPARE(second.preferred(QStringLiteral("start")), QStringLiteral("F9"));
        QCOMPARE(second.preferred(QStringLiteral("stop")), QStringLiteral("F8"));
        // A session binds once: the new keys have a new session, the old one is closed.
        QVERIFY(second.session != first);
        QTRY_VERIFY_WITH_TIMEOUT(m_portal->closed().contains(first), 10000);
        QVERIFY(QString::fromStdString(m_backend->name()).contains(QLatin1String("Start: F9")));

        // Only the new session's shortcuts press.
        QVERIFY(activateThenMark(first, {QStringLiteral("start")}));
        QCOMPARE(presses(0), 0);
        QVERIFY(activateThenMark(second.session, {QStringLiteral("start")}));
        QCOMPARE(presses(0), 1);

        // The same key again asks nothing; another key asks again.
        m_receivers[0]->receiver.setKeyCode(kF9);
        m_receivers[2]->receiver.setKeyCode(kA);
        QTRY_VERIFY_WITH_TIMEOUT(isBound() && m_portal->binds().size() == 3, 10000);
        QCOMPARE(m_portal->binds().size(), 3);
        QCOMPARE(m_portal->binds().constLast().preferred(QStringLiteral("stop")), QStringLiteral("a"));
    }

    void refusingPortal_data() {
        QTest::addColumn<uint>("createSessionResponse");
        QTest::addColumn<uint>("bindResponse");
        QTest::newRow("session refused") << 2u << 0u;
        QTest::newRow("binding cancelled") << 0u << 1u;
        QTest::newRow("binding refused") << 0u << 2u;
    }

    void refusingPortal() {
        QFETCH(uint, createSessionResponse);
        QFETCH(uint, bindResponse);
        m_portal->configure([&](FakePortal& p) {
            p.createSessionResponse = createSessionResponse;
            p.bindResponse = bindResponse;
        });
        makeBackend();
        QVERIFY(m_backend->isAvailable()); // until the desktop has answered
        m_backend->attach(receiver(kF7).receiver);
        m_backend->attach(receiver(kA).receiver);
        m_backend->attach(receiver(kF8).receiver);
        QTRY_VERIFY_WITH_TIMEOUT(!m_backend->isAvailable(), 10000);
        QCOMPARE(m_told.size(), size_t(1));
        QVERIFY2(m_told[0].find("unavailable") != std::string::npos, m_told[0].c_str());
        QVERIFY2(m_told[0].find("sorvane-timer-ctl") != std::string::npos, m_told[0].c_str());
        QVERIFY(QString::fromStdString(m_backend->name()).contains(QLatin1String("unavailable")));
        // A key change asks nothing more and tells nothing more.
        QCOMPARE(m_portal->createCalls(), 1);
        m_receivers[0]->receiver.setKeyCode(kF9);
        waitForPortalToCatchUp();
        QCOMPARE(m_portal->createCalls(), 1);
        QCOMPARE(m_told.size(), size_t(1));
    }

    void missingPortal_data() {
        QTest::addColumn<bool>("serviceThere");
        QTest::newRow("no portal service") << false;
        QTest::newRow("portal without global shortcuts") << true;
    }

    void missingPortal() {
        QFETCH(bool, serviceThere);
        m_portal->configure([](FakePortal& p) { p.hasShortcutsInterface = false; });
        if (!serviceThere)
            QVERIFY(portalBus().unregisterService(PortalHotkeyBackend::kService));
        QCOMPARE(PortalHotkeyBackend::portalVersion(backendBus()), 0u);
        makeBackend();
        const bool available = m_backend->isAvailable();
        if (!serviceThere)
            QVERIFY(portalBus().registerService(PortalHotkeyBackend::kService));
        QVERIFY(!available);
        QCOMPARE(m_told.size(), size_t(1));
        QVERIFY2(m_told[0].find("unavailable") != std::string::npos, m_told[0].c_str());
        m_backend->attach(receiver(kF7).receiver);
        m_receivers[0]->receiver.setKeyCode(kF8);
        m_portalVersionNow = 0;
        waitForPortalToCatchUp();
        m_portalVersionNow = 1;
        QCOMPARE(m_portal->createCalls(), 0);
        QCOMPARE(m_told.size(), size_t(1));
    }

    void portalVersionIsRead() { QCOMPARE(PortalHotkeyBackend::portalVersion(backendBus()), 1u); }

    void otherKeysAreReported() {
        m_portal->configure([](FakePortal& p) {
            p.boundInstead.insert(QStringLiteral("start"), QStringLiteral("Ctrl+F7"));
            p.leftUnbound << QStringLiteral("restart");
        });
        makeBackend();
        m_backend->attach(receiver(kF7).receiver);
        m_backend->attach(receiver(kA).receiver);
        m_backend->attach(receiver(kF8).receiver);
        QTRY_VERIFY_WITH_TIMEOUT(isBound(), 10000);
        QCOMPARE(m_told.size(), size_t(1));
        QCOMPARE(QString::fromStdString(m_told[0]),
                 QStringLiteral("Global hotkeys bound by the desktop: Start = Ctrl+F7, "
                                "Restart = not bound, Stop = F8."));
        QCOMPARE(QString::fromStdString(m_backend->name()),
                 QStringLiteral("Desktop portal (Start: Ctrl+F7, Restart: not bound, Stop: F8)"));

        // The user changes the keys in the desktop's settings later.
        const QString session = m_portal->sessions().constLast();
        PortalShortcutList changed;
        for (const auto& [id, trigger] :
             {std::pair{"start", "Alt+S"}, std::pair{"restart", "Alt+R"}, std::pair{"stop", "F8"}}) {
            PortalShortcut s{QString::fromLatin1(id), {}};
            s.properties.insert(QStringLiteral("trigger_description"), QString::fromLatin1(trigger));
            changed << s;
        }
        m_portal->emitShortcutsChanged(session, changed);
        QTRY_COMPARE_WITH_TIMEOUT(m_told.size(), size_t(2), 10000);
        QCOMPARE(QString::fromStdString(m_told[1]),
                 QStringLiteral("Global hotkeys bound by the desktop: Start = Alt+S, "
                                "Restart = Alt+R, Stop = F8."));
        QCOMPARE(QString::fromStdString(m_backend->name()),
                 QStringLiteral("Desktop portal (Start: Alt+S, Restart: Alt+R, Stop: F8)"));
        // The same keys again are not told twice; activations still work.
        m_portal->emitShortcutsChanged(session, changed);
        QVERIFY(activateThenMark(session, {QStringLiteral("restart")}));
        QCOMPARE(presses(1), 1);
        QCOMPARE(m_told.size(), size_t(2));
    }

    void pressInsideAPressIsDelivered() {
        // The Start key's handler runs the whole timer cycle in a nested
        // event loop; the Stop key must reach it there.
        QVERIFY(bindThree());
        const QString session = m_portal->sessions().constLast();
        bool stopSeenInside = false;
        m_receivers[0]->receiver.setKeyDownHandler([&] {
            m_portal->emitActivated(session, QStringLiteral("stop"));
            stopSeenInside = QTest::qWaitFor([&] { return presses(2) == 1; }, 10000);
        });
        m_portal->emitActivated(session, QStringLiteral("start"));
        QTRY_VERIFY_WITH_TIMEOUT(stopSeenInside, 10000);
        QCOMPARE(presses(2), 1);
    }
};

QTEST_GUILESS_MAIN(PortalHotkeyBackendQtTest)
#include "PortalHotkeyBackendQtTest.moc"
