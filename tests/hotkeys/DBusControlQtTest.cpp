// Outside control over D-Bus, on a private session bus started by the test:
// the methods press the right receiver once, after the reply, honouring the
// enabled switch; sorvane-timer-ctl calls them and reports failures.
#include "hotkeys/DBusControl.h"
#include "hotkeys/HotkeyReceiver.h"

#include "support/CountingReceiver.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <array>
#include <functional>
#include <memory>

using namespace sorvane;

namespace {

// The names other programs use to reach the timer.
const QString kService = QStringLiteral("org.sorvane.Timer");
const QString kPath = QStringLiteral("/Timer");
const QString kInterface = QStringLiteral("org.sorvane.Timer1");

constexpr int kWaitMs = 10000; // upper bound only: every wait ends on an event

using testing_support::CountingReceiver;

struct CtlResult {
    int exitCode = -1;
    QString errorText;
    QString outputText;
};

} // namespace

class DBusControlQtTest : public QObject {
    Q_OBJECT

private:
    QProcess m_daemon;
    QString m_address;
    std::array<CountingReceiver, 3> m_receivers; // Start, Restart, Stop
    std::unique_ptr<DBusControl> m_control;
    QString m_ctl;

    static QDBusConnection server() { return QDBusConnection(QStringLiteral("server")); }
    static QDBusConnection client() { return QDBusConnection(QStringLiteral("client")); }

    void publishControl() {
        m_control = std::make_unique<DBusControl>(server(), m_receivers[0].receiver, m_receivers[1].receiver,
                                                  m_receivers[2].receiver);
        QCOMPARE(m_control->publish(), QString());
    }

    std::array<int, 3> presses() const {
        return {m_receivers[0].presses, m_receivers[1].presses, m_receivers[2].presses};
    }

    // Calls a method from the client connection and waits for the reply
    // while the event loop runs (the service lives on this thread too).
    // Presses are queued before the reply goes out, so once it is back,
    // delivering the posted events runs every press the call caused.
    QDBusMessage callAndSettle(const QString& method) {
        QDBusPendingCallWatcher watcher(
            client().asyncCall(QDBusMessage::createMethodCall(kService, kPath, kInterface, method)));
        if (!watcher.isFinished()) {
            QSignalSpy finished(&watcher, &QDBusPendingCallWatcher::finished);
            finished.wait(kWaitMs);
        }
        QCoreApplication::sendPostedEvents();
        return watcher.reply();
    }

    CtlResult runCtl(const QStringList& args, const QString& busAddress) {
        QProcess ctl;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
        ctl.setProcessEnvironment(env);
        QSignalSpy finished(&ctl, &QProcess::finished);
        ctl.start(m_ctl, args);
        if (!ctl.waitForStarted(kWaitMs))
            return {};
        // The event loop keeps running so that the service can answer.
        if (ctl.state() != QProcess::NotRunning && finished.isEmpty())
            finished.wait(kWaitMs);
        QCoreApplication::sendPostedEvents();
        if (ctl.state() != QProcess::NotRunning || ctl.exitStatus() != QProcess::NormalExit)
            return {};
        return {ctl.exitCode(), QString::fromLocal8Bit(ctl.readAllStandardError()),
                QString::fromLocal8Bit(ctl.readAllStandardOutput())};
    }

private slots:
    void initTestCase() {
        m_ctl = QCoreApplication::applicationDirPath() + QStringLiteral("/sorvane-timer-ctl");
        QVERIFY2(QFileInfo(m_ctl).isExecutable(), qPrintable(m_ctl + QStringLiteral(" is missing")));

        m_daemon.start(
            QStringLiteral("dbus-daemon"),
            {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
        QVERIFY2(m_daemon.waitForStarted(kWaitMs), "dbus-daemon (package dbus) does not start");
        while (!m_daemon.canReadLine() && m_daemon.state() == QProcess::Running)
            m_daemon.waitForReadyRead(kWaitMs);
        m_address = QString::fromLocal8Bit(m_daemon.readLine()).trimmed();
        QVERIFY2(!m_address.isEmpty(), "dbus-daemon printed no address");

        QVERIFY(QDBusConnection::connectToBus(m_address, QStringLiteral("server")).isConnected());
        QVERIFY(QDBusConnection::connectToBus(m_address, QStringLiteral("client")).isConnected());
    }

    void cleanupTestCase() {
        QDBusConnection::disconnectFromBus(QStringLiteral("client"));
        QDBusConnection::disconnectFromBus(QStringLiteral("server"));
        m_daemon.kill();
        m_daemon.waitForFinished(kWaitMs);
    }

    void init() {
        for (CountingReceiver& r : m_receivers) {
            r.receiver.setEnabled(true);
            r.presses = 0;
            r.alsoOnPress = nullptr;
        }
    }

    void cleanup() { m_control.reset(); }

    // Each method presses its receiver once; one switched off is not
    // pressed, and the call succeeds all the same, as a key press on a
    // switched-off hotkey is simply not acted on.
    void methodPressesItsReceiverOnce_data() {
        QTest::addColumn<QString>("method");
        QTest::addColumn<int>("receiver");
        QTest::addColumn<bool>("enabled");
        for (bool enabled : {true, false}) {
            const char* state = enabled ? "" : ", switched off";
            QTest::addRow("Start%s", state) << QStringLiteral("Start") << 0 << enabled;
            QTest::addRow("Restart%s", state) << QStringLiteral("Restart") << 1 << enabled;
            QTest::addRow("Stop%s", state) << QStringLiteral("Stop") << 2 << enabled;
        }
    }

    void methodPressesItsReceiverOnce() {
        QFETCH(QString, method);
        QFETCH(int, receiver);
        QFETCH(bool, enabled);
        publishControl();
        m_receivers[static_cast<size_t>(receiver)].receiver.setEnabled(enabled);

        const QDBusMessage reply = callAndSettle(method);

        QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
        std::array<int, 3> expected{0, 0, 0};
        expected[static_cast<size_t>(receiver)] = enabled ? 1 : 0;
        QCOMPARE(presses(), expected);
    }

    void longStartHandlerDoesNotHoldTheReply() {
        // The Start handler runs a whole cycle in nested event loops.  The
        // caller must have its reply while that goes on, and Stop must get
        // through to the running cycle.
        publishControl();
        QDBusPendingCallWatcher startCall(client().asyncCall(
            QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Start"))));
        bool startReplyDuringCycle = false;
        QDBusMessage::MessageType stopReplyType = QDBusMessage::InvalidMessage;
        int stopPressesDuringCycle = -1;
        bool cycleOver = false;
        m_receivers[0].alsoOnPress = [&] {
            QEventLoop cycle;
            connect(&startCall, &QDBusPendingCallWatcher::finished, &cycle, &QEventLoop::quit);
            QTimer::singleShot(kWaitMs, &cycle, &QEventLoop::quit); // gives up on a held reply
            if (!startCall.isFinished())
                cycle.exec();
            startReplyDuringCycle = startCall.isFinished() && !startCall.isError();
            stopReplyType = callAndSettle(QStringLiteral("Stop")).type();
            stopPressesDuringCycle = m_receivers[2].presses;
            cycleOver = true;
        };

        QTRY_VERIFY_WITH_TIMEOUT(cycleOver, 3 * kWaitMs);

        QVERIFY(startReplyDuringCycle);
        QCOMPARE(stopReplyType, QDBusMessage::ReplyMessage);
        QCOMPARE(stopPressesDuringCycle, 1);
        QCOMPARE(m_receivers[0].presses, 1);
    }

    void secondInstanceLeavesTheNameToTheFirst() {
        publishControl();
        QVERIFY(QDBusConnection::connectToBus(m_address, QStringLiteral("second")).isConnected());
        std::array<CountingReceiver, 3> others;
        {
            DBusControl second(QDBusConnection(QStringLiteral("second")), others[0].receiver,
                               others[1].receiver, others[2].receiver);
            const QString problem = second.publish();
            QVERIFY(problem.contains(kService));
            QVERIFY(!second.isPublished());

            QCOMPARE(callAndSettle(QStringLiteral("Start")).type(), QDBusMessage::ReplyMessage);
        }
        QDBusConnection::disconnectFromBus(QStringLiteral("second"));

        QCOMPARE(m_receivers[0].presses, 1);
        QCOMPARE(others[0].presses, 0);
        // The first one still holds the name after the second has gone.
        QCOMPARE(callAndSettle(QStringLiteral("Stop")).type(), QDBusMessage::ReplyMessage);
        QCOMPARE(m_receivers[2].presses, 1);
    }

    void publishWithoutBusReportsAndGoesOn() {
        const QDBusConnection broken = QDBusConnection::connectToBus(
            QStringLiteral("unix:path=/nonexistent/sorvane-test-bus"), QStringLiteral("broken"));
        QVERIFY(!broken.isConnected());
        DBusControl control(broken, m_receivers[0].receiver, m_receivers[1].receiver,
                            m_receivers[2].receiver);
        QVERIFY(!control.publish().isEmpty());
        QVERIFY(!control.isPublished());
        QDBusConnection::disconnectFromBus(QStringLiteral("broken"));
    }

    void ctlPressesTheReceiver_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("receiver");
        QTest::newRow("start") << QStringLiteral("start") << 0;
        QTest::newRow("restart") << QStringLiteral("restart") << 1;
        QTest::newRow("stop") << QStringLiteral("stop") << 2;
    }

    void ctlPressesTheReceiver() {
        QFETCH(QString, command);
        QFETCH(int, receiver);
        publishControl();

        const CtlResult result = runCtl({command}, m_address);

        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.errorText, QString());
        std::array<int, 3> expected{0, 0, 0};
        expected[static_cast<size_t>(receiver)] = 1;
        QCOMPARE(presses(), expected);
    }

    void ctlFailsWhenNoTimerRuns() {
        const CtlResult result = runCtl({QStringLiteral("start")}, m_address);

        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.errorText.contains(QStringLiteral("not running")), qPrintable(result.errorText));
        QCOMPARE(presses(), (std::array<int, 3>{0, 0, 0}));
    }

    void ctlFailsWithoutSessionBus() {
        const CtlResult result =
            runCtl({QStringLiteral("stop")}, QStringLiteral("unix:path=/nonexistent/sorvane-test-bus"));

        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.errorText.contains(QStringLiteral("session bus")), qPrintable(result.errorText));
    }

    void ctlRejectsWrongArguments_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("none") << QStringList{};
        QTest::newRow("unknown") << QStringList{QStringLiteral("pause")};
        QTest::newRow("upper case") << QStringList{QStringLiteral("START")};
        QTest::newRow("two commands") << QStringList{QStringLiteral("start"), QStringLiteral("stop")};
    }

    void ctlRejectsWrongArguments() {
        QFETCH(QStringList, args);
        publishControl();

        const CtlResult result = runCtl(args, m_address);

        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.errorText.contains(QStringLiteral("Usage: sorvane-timer-ctl start|restart|stop")),
                 qPrintable(result.errorText));
        QCOMPARE(presses(), (std::array<int, 3>{0, 0, 0}));
    }

    void ctlHelpGoesToStandardOutput() {
        const CtlResult result = runCtl({QStringLiteral("--help")}, m_address);

        QCOMPARE(result.exitCode, 0);
        QVERIFY(result.outputText.startsWith(QStringLiteral("Usage: sorvane-timer-ctl")));
    }
};

QTEST_GUILESS_MAIN(DBusControlQtTest)
#include "DBusControlQtTest.moc"
