// The status indicator as a panel sees it: on a session bus of the test's
// own, a stand-in StatusNotifierWatcher (the service a panel's tray runs)
// takes the indicator's registration, and the test reads the item's tool
// tip and icon and clicks its menu entries over D-Bus, as a panel does,
// while the window runs on a fake clock.
#include "engine/RunProgress.h"
#include "support/TestDoubles.h"
#include "ui/MainWindowLayout.h"
#include "ui/StatusIndicator.h"
#include "ui/frmAbout.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QLineEdit>
#include <QMutex>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace sorvane;
using testing_support::FakeClock;
using testing_support::RecordingMidi;
using testing_support::RecordingPort;
using testing_support::ScriptedPump;

namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kItemInterface = QStringLiteral("org.kde.StatusNotifierItem");
const QString kMenuInterface = QStringLiteral("com.canonical.dbusmenu");

// What Qt says while the tests run (warnings above all).
QStringList g_messages;
QtMessageHandler g_previousHandler = nullptr;
void keepMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type != QtDebugMsg && type != QtInfoMsg)
        g_messages << message;
    g_previousHandler(type, context, message);
}

} // namespace

// The watcher a panel's tray provides: items register with it, and it says
// whether a host (the tray itself) is there.  It lives in a thread of its
// own, so that the indicator's blocking calls to it are answered while the
// test's thread waits.
class FakeWatcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)

public:
    bool isHostRegistered() const { return true; }
    int protocolVersion() const { return 0; }
    QStringList items() const {
        const QMutexLocker lock(&m_mutex);
        return m_items;
    }

public slots:
    void RegisterStatusNotifierItem(const QString& service, const QDBusMessage& message) {
        // An item names its bus name, or only its path on the caller's name.
        const QString item = service.startsWith(QLatin1Char('/')) ? message.service() + service : service;
        {
            const QMutexLocker lock(&m_mutex);
            m_items << item;
        }
        emit StatusNotifierItemRegistered(item);
    }
    void RegisterStatusNotifierHost(const QString&) {}

signals:
    void StatusNotifierItemRegistered(const QString& item);
    void StatusNotifierItemUnregistered(const QString& item);
    void StatusNotifierHostRegistered();
    void StatusNotifierHostUnregistered();

private:
    mutable QMutex m_mutex;
    QStringList m_items;
};

namespace {

// One menu entry as the panel gets it.
struct MenuEntry {
    int id = -1;
    bool enabled = true;
};

// The window on a fake clock, in a fresh working folder, with its progress
// shown by an indicator.
struct Timer : testing_support::Harness {
    std::unique_ptr<ui::StatusIndicator> indicator;

    Timer() {
        window->Form_Load(QString());
        indicator = std::make_unique<ui::StatusIndicator>(
            progress, clock, ui::StatusIndicator::Targets{window.get(), keys.receivers(), [this] {
                                                              window->Command1_Click();
                                                          }});
    }
    ~Timer() { indicator.reset(); }
    // A cycle of moments typed as the custom beep list, applied.
    void useList(const QString& list, const QString& repetitions) {
        const ui::MainWindowControls controls = ui::controlsOf(*window);
        controls.Check1->setValue(1);
        window->setText8(list);
        controls.Text6->setText(repetitions);
        controls.Command2->click();
        port.beepTicks.clear();
    }
};

} // namespace

class StatusIndicatorQtTest : public QObject {
    Q_OBJECT

    QString m_address;
    QDBusConnection m_panel{QStringLiteral("unset")};
    QThread m_watcherThread;
    FakeWatcher* m_watcher = nullptr;

    // Calls `method` of the item registered last, as the panel does.  The
    // event loop keeps running meanwhile, so the item can answer.
    QDBusMessage callItem(const QString& path, const QString& interface, const QString& method,
                          const QVariantList& arguments = {}) {
        const QStringList items = m_watcher->items();
        QDBusMessage call = QDBusMessage::createMethodCall(items.isEmpty() ? QString() : items.last(), path,
                                                           interface, method);
        call.setArguments(arguments);
        return m_panel.call(call, QDBus::BlockWithGui, 10000);
    }
    QVariant itemProperty(const QString& name) {
        const QDBusMessage reply =
            callItem(QStringLiteral("/StatusNotifierItem"), QStringLiteral("org.freedesktop.DBus.Properties"),
                     QStringLiteral("Get"), {kItemInterface, name});
        return reply.arguments().isEmpty() ? QVariant()
                                           : reply.arguments().constFirst().value<QDBusVariant>().variant();
    }
    // The tool tip's title, where Qt puts the indicator's text.
    QString toolTip() {
        const QDBusArgument arg = itemProperty(QStringLiteral("ToolTip")).value<QDBusArgument>();
        QString icon;
        QString title;
        QString subTitle;
        arg.beginStructure();
        arg >> icon;
        arg.beginArray();
        while (!arg.atEnd()) {
            int width = 0;
            int height = 0;
            QByteArray bytes;
            arg.beginStructure();
            arg >> width >> height >> bytes;
            arg.endStructure();
        }
        arg.endArray();
        arg >> title >> subTitle;
        arg.endStructure();
        return title;
    }
    // The icon's 22-pixel picture as sent to the panel.
    QByteArray iconPixels() {
        const QDBusArgument arg = itemProperty(QStringLiteral("IconPixmap")).value<QDBusArgument>();
        QByteArray found;
        arg.beginArray();
        while (!arg.atEnd()) {
            int width = 0;
            int height = 0;
            QByteArray bytes;
            arg.beginStructure();
            arg >> width >> height >> bytes;
            arg.endStructure();
            if (width == 22)
                found = bytes;
        }
        arg.endArray();
        return found;
    }
    // The menu by label, read from its layout as the panel reads it.
    QMap<QString, MenuEntry> menu() {
        const QString path = itemProperty(QStringLiteral("Menu")).value<QDBusObjectPath>().path();
        const QDBusMessage reply =
            callItem(path, kMenuInterface, QStringLiteral("GetLayout"), {0, -1, QStringList()});
        QMap<QString, MenuEntry> entries;
        if (reply.arguments().size() < 2)
            return entries;
        const QDBusArgument layout = reply.arguments().at(1).value<QDBusArgument>();
        int id = 0;
        QVariantMap properties;
        layout.beginStructure();
        layout >> id >> properties;
        layout.beginArray();
        while (!layout.atEnd()) {
            QDBusVariant child;
            layout >> child;
            const QDBusArgument item = child.variant().value<QDBusArgument>();
            int itemId = 0;
            QVariantMap itemProperties;
            QVariantList children;
            item.beginStructure();
            item >> itemId >> itemProperties >> children;
            item.endStructure();
            if (itemProperties.contains(QStringLiteral("label")))
                entries[itemProperties.value(QStringLiteral("label")).toString()] = {
                    itemId, itemProperties.value(QStringLiteral("enabled"), true).toBool()};
        }
        layout.endArray();
        layout.endStructure();
        return entries;
    }
    // A click on a menu entry.
    void click(const QString& label) {
        const QString path = itemProperty(QStringLiteral("Menu")).value<QDBusObjectPath>().path();
        const int id = menu().value(label).id;
        QVERIFY2(id >= 0, qPrintable(label));
        callItem(path, kMenuInterface, QStringLiteral("Event"),
                 {id, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)), 0u});
    }
    QString enabledEntries() {
        QStringList on;
        const auto entries = menu();
        for (const char* name : {"Start", "Restart", "Stop"})
            if (entries.value(QLatin1String(name)).enabled)
                on << QLatin1String(name);
        return on.join(QLatin1Char(' '));
    }

private slots:
    void initTestCase() {
        m_address = QString::fromLocal8Bit(qgetenv("DBUS_SESSION_BUS_ADDRESS"));
        QVERIFY2(m_address.startsWith(QLatin1String("unix:")), "no private session bus");
        m_panel = QDBusConnection::connectToBus(m_address, QStringLiteral("panel"));
        QVERIFY(m_panel.isConnected());
        g_previousHandler = qInstallMessageHandler(keepMessage);
    }

    void cleanupTestCase() {
        qInstallMessageHandler(g_previousHandler);
        QDBusConnection::disconnectFromBus(QStringLiteral("panel"));
        QDBusConnection::disconnectFromBus(QStringLiteral("watcher"));
        if (m_watcher)
            QMetaObject::invokeMethod(m_watcher, &QObject::deleteLater);
        m_watcherThread.quit();
        m_watcherThread.wait();
    }

    // Without a panel the indicator waits in silence; a panel that starts
    // later gets it.  (First: Qt settles once per process whether a panel
    // is there, when its first indicator is made.)
    void appearsWhenAPanelStartsLater() {
        Timer t;
        QTest::qWait(300);
        QVERIFY(!t.indicator->isShown());
        QCOMPARE(g_messages, QStringList());

        // The panel starts: its watcher is put on the bus from its own
        // thread.
        m_watcherThread.start();
        m_watcher = new FakeWatcher;
        m_watcher->moveToThread(&m_watcherThread);
        bool published = false;
        const QString address = m_address;
        QMetaObject::invokeMethod(
            m_watcher,
            [this, address, &published] {
                QDBusConnection bus = QDBusConnection::connectToBus(address, QStringLiteral("watcher"));
                published = bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), m_watcher,
                                               QDBusConnection::ExportAllSlots |
                                                   QDBusConnection::ExportAllProperties |
                                                   QDBusConnection::ExportAllSignals) &&
                            bus.registerService(kWatcherService);
            },
            Qt::BlockingQueuedConnection);
        QVERIFY(published);

        QTRY_COMPARE_WITH_TIMEOUT(m_watcher->items().size(), 1, 10000);
        QVERIFY(t.indicator->isShown());
        QCOMPARE(toolTip(), QStringLiteral("Sorvane Timer\nIdle"));
        QVERIFY(!iconPixels().isEmpty());
        QCOMPARE(menu().keys(), (QStringList{"Exit", "Restart", "Show the window", "Start", "Stop"}));
        QCOMPARE(g_messages, QStringList());
    }

    // A run started from the menu: the tool tip and the icon follow it on
    // the fake clock, Restart and Stop from the menu reach it, and once it
    // is over nothing of the indicator keeps running.
    void toolTipAndIconFollowARun() {
        const int before = m_watcher->items().size();
        Timer t;
        QTRY_COMPARE(m_watcher->items().size(), before + 1);
        QVERIFY(t.indicator->isShown());
        t.useList(QStringLiteral("10\r\n20\r\n30\r\n"), QStringLiteral("3"));
        const QByteArray idleIcon = iconPixels();
        const uint32_t start = t.clock.now;

        struct Seen {
            QString toolTip;
            int step;
            bool ticking;
            QString enabled;
            QByteArray icon;
        };
        QMap<uint32_t, Seen> seen;
        auto look = [&](uint32_t at, std::function<void()> then = {}) {
            t.pump.at(start + at, [&, at, then] {
                t.indicator->refresh(); // what its once-a-second timer does
                seen[at] = {toolTip(), t.indicator->iconStep(), t.indicator->isTicking(), enabledEntries(),
                            iconPixels()};
                if (then)
                    then();
            });
        };
        look(4'200);
        // Just after the first beep, with no look since 4.2 s: the tool tip
        // already tells of the next one.
        QString afterBeep;
        t.pump.at(start + 10'050, [&] { afterBeep = toolTip(); });
        look(15'000);
        // The press goes through the panel's call and Qt's queue: the clock
        // stands still until it has reached the window.
        const TimerState& state = t.window->state();
        look(45'001, [&] {
            click(QStringLiteral("Restart"));
            QVERIFY(QTest::qWaitFor([&] { return state.restartFlag == kTrue; }));
        });
        look(47'000);
        look(62'000, [&] {
            click(QStringLiteral("Stop"));
            QVERIFY(QTest::qWaitFor([&] { return state.stopFlag == kTrue; }));
        });
        click(QStringLiteral("Start"));
        QTRY_VERIFY(!t.keys.restartReceiver().isEnabled());

        // Start beep; 10, 20, 30 s; the second repetition from the third
        // beep on; Restart at 45 s; 10 s after it; Stop at 62 s.
        const std::vector<uint32_t> beeps = {start,          start + 10'001, start + 20'001, start + 30'001,
                                             start + 40'002, start + 45'001, start + 55'002, start + 62'000};
        QCOMPARE(t.port.beepTicks, beeps);
        QCOMPARE(seen.keys(), (QList<uint32_t>{4'200, 15'000, 45'001, 47'000, 62'000}));
        QCOMPARE(seen[4'200].toolTip, QStringLiteral("Sorvane Timer\nRepetition 1 of 3\nNext beep in 0:06"));
        QCOMPARE(afterBeep, QStringLiteral("Sorvane Timer\nRepetition 1 of 3\nNext beep in 0:10"));
        QCOMPARE(seen[15'000].toolTip, QStringLiteral("Sorvane Timer\nRepetition 1 of 3\nNext beep in 0:05"));
        QCOMPARE(seen[45'001].toolTip, QStringLiteral("Sorvane Timer\nRepetition 2 of 3\nNext beep in 0:05"));
        QCOMPARE(seen[47'000].toolTip, QStringLiteral("Sorvane Timer\nRepetition 1 of 3\nNext beep in 0:09"));
        QCOMPARE(seen[62'000].toolTip, QStringLiteral("Sorvane Timer\nRepetition 1 of 3\nNext beep in 0:04"));
        // The ring: 4.2 of 30 s is 8 steps of 60, 15 s half the ring.
        QCOMPARE(seen[4'200].step, 8);
        QCOMPARE(seen[15'000].step, 30);
        QCOMPARE(seen[47'000].step, 4);
        QVERIFY(seen[4'200].icon != idleIcon && seen[15'000].icon != seen[4'200].icon);
        for (const Seen& s : seen) {
            QVERIFY(s.ticking);
            QCOMPARE(s.enabled, QStringLiteral("Restart Stop"));
        }

        // Idle again: idle text and icon at once, Start alone on, and no
        // timer of the indicator left running.
        QCOMPARE(toolTip(), QStringLiteral("Sorvane Timer\nIdle"));
        QCOMPARE(iconPixels(), idleIcon);
        QCOMPARE(t.indicator->iconStep(), -1);
        QCOMPARE(enabledEntries(), QStringLiteral("Start"));
        for (const QTimer* timer : t.indicator->findChildren<QTimer*>())
            QVERIFY(!timer->isActive());
        QVERIFY(!t.indicator->isTicking());
        QCOMPARE(g_messages, QStringList());
    }

    // Start, Restart and Stop from the menu obey the receivers' switches as
    // the hotkeys do, and the menu grays out what is off.
    void menuFollowsTheReceivers() {
        const int before = m_watcher->items().size();
        Timer t;
        QTRY_COMPARE(m_watcher->items().size(), before + 1);
        QVERIFY(t.indicator->isShown());
        t.useList(QStringLiteral("1\r\n"), QStringLiteral("1"));
        auto& w = *t.window;

        // Before the first run all three are on; Stop then only beeps.
        QCOMPARE(enabledEntries(), QStringLiteral("Start Restart Stop"));
        click(QStringLiteral("Stop"));
        QTRY_COMPARE(t.beeps(), 1);
        QCOMPARE(w.state().stopFlag, kTrue);

        // A key box capturing a key: all off, and a click starts nothing.
        w.KeyBox_GotFocus(0);
        QCOMPARE(t.beeps(), 2);
        QCOMPARE(enabledEntries(), QString());
        for (const char* name : {"Start", "Restart", "Stop"})
            click(QLatin1String(name));
        QTest::qWait(100);
        QCOMPARE(t.beeps(), 2);
        QVERIFY(!t.progress.isRunning());

        // Leaving the box turns Start back on, alone.
        w.KeyBox_LostFocus(0);
        QCOMPARE(enabledEntries(), QStringLiteral("Start"));
        click(QStringLiteral("Restart"));
        QTest::qWait(100);
        QCOMPARE(t.beeps(), 2);

        // A run from the menu: start beep and the moment at 1 s.
        click(QStringLiteral("Start"));
        QTRY_COMPARE(t.beeps(), 4);
        QCOMPARE(enabledEntries(), QStringLiteral("Start"));
        QCOMPARE(g_messages, QStringList());
    }

    // A click on the icon and "Show the window" bring the window back, or
    // the About window while it stands in for it; Exit is the Exit button.
    void showTheWindowAndExit() {
        const int before = m_watcher->items().size();
        Timer t;
        QTRY_COMPARE(m_watcher->items().size(), before + 1);
        QVERIFY(t.indicator->isShown());
        auto& w = *t.window;

        QVERIFY(!w.isVisible());
        callItem(QStringLiteral("/StatusNotifierItem"), kItemInterface, QStringLiteral("Activate"), {0, 0});
        QTRY_VERIFY(w.isVisible());
        w.hide();
        click(QStringLiteral("Show the window"));
        QTRY_VERIFY(w.isVisible());

        w.Command3_Click(); // About: the main window steps aside
        const int beepsWithAbout = t.beeps();
        frmAbout* about = w.findChild<frmAbout*>();
        QVERIFY(about && about->isVisible() && !w.isVisible());
        about->showMinimized();
        click(QStringLiteral("Show the window"));
        QTRY_VERIFY(!about->isMinimized());
        QVERIFY(about->isVisible() && !w.isVisible());
        QCOMPARE(t.beeps(), beepsWithAbout);

        click(QStringLiteral("Exit"));
        QTRY_COMPARE(t.exits, 1);
        QCOMPARE(t.beeps(), beepsWithAbout + 1); // the exit beep
        QCOMPARE(g_messages, QStringList());
    }
};

namespace {

// Starts a program with its output dropped; with `firstLine`, its standard
// output goes to a pipe instead, and its first line is read.  The program
// is ended with this test, also when the test itself is killed.
pid_t spawn(const char* const* argv, std::string* firstLine = nullptr) {
    int fds[2] = {-1, -1};
    if (firstLine && ::pipe(fds) != 0)
        return -1;
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent)
            ::_exit(127);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(firstLine ? fds[1] : null, 1);
        ::dup2(null, 2);
        if (firstLine) {
            ::close(fds[0]);
            ::close(fds[1]);
        }
        ::execvp(argv[0], const_cast<char* const*>(argv));
        ::_exit(127);
    }
    if (firstLine) {
        ::close(fds[1]);
        char c = 0;
        while (pid > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n')
            *firstLine += c;
        ::close(fds[0]);
    }
    return pid;
}

void stop(pid_t pid) {
    if (pid > 0) {
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
    }
}

} // namespace

// Qt talks to the session bus through libdbus, and Qt's Wayland support
// leaves a few Wayland protocol objects of libwayland-client behind when the
// application ends: not this program's leaks.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\nleak:libwayland-client.so\n";
}

// The test runs on Wayland, where the indicator has no fallback and must
// wait for a panel: a headless Wayland server of its own (weston), and a
// session bus of its own, both ended with the test.
int main(int argc, char** argv) {
    std::string busAddress;
    const char* busArgv[] = {"dbus-daemon", "--session", "--nofork", "--print-address", nullptr};
    const pid_t bus = spawn(busArgv, &busAddress);
    if (bus < 0 || busAddress.empty()) {
        std::fprintf(stderr, "dbus-daemon does not start\n");
        stop(bus);
        return 1;
    }
    ::setenv("DBUS_SESSION_BUS_ADDRESS", busAddress.c_str(), 1);

    char runtime[] = "/tmp/sorvane-indicator-XXXXXX";
    if (::mkdtemp(runtime) == nullptr) {
        stop(bus);
        return 1;
    }
    ::setenv("XDG_RUNTIME_DIR", runtime, 1);
    const std::string socket = "wayland-sorvane-test";
    const std::string socketOption = "--socket=" + socket;
    const char* westonArgv[] = {
        "weston", "--backend=headless-backend.so", socketOption.c_str(), "--idle-time=0", "--no-config",
        nullptr};
    const pid_t weston = spawn(westonArgv);
    const std::string socketPath = std::string(runtime) + "/" + socket;
    for (int i = 0; weston > 0 && i < 200 && ::access(socketPath.c_str(), F_OK) != 0; ++i)
        ::usleep(50'000);
    int result = 1;
    if (weston < 0 || ::access(socketPath.c_str(), F_OK) != 0) {
        std::fprintf(stderr, "weston (package weston) does not start\n");
    } else {
        ::setenv("WAYLAND_DISPLAY", socket.c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "wayland", 1);
        // Qt's own desktop support, whatever desktop the tests run in.
        ::unsetenv("DISPLAY");
        ::unsetenv("QT_QPA_PLATFORMTHEME");
        ::unsetenv("XDG_CURRENT_DESKTOP");
        ::unsetenv("DESKTOP_SESSION");
        QApplication app(argc, argv);
        StatusIndicatorQtTest test;
        result = QTest::qExec(&test, argc, argv);
    }
    stop(weston);
    stop(bus);
    std::filesystem::remove_all(runtime);
    return result;
}

#include "StatusIndicatorQtTest.moc"
