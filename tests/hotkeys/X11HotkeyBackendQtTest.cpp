// The X11 hotkey backend against a private X server: keys are pressed from
// another X client (xdotool), as a user would press them in another window.
#include "engine/Platform.h"
#include "hotkeys/HotkeyReceiver.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QtTest>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using namespace sorvane;

namespace {

constexpr int32_t kF7 = 118;
constexpr int32_t kF8 = 119;
constexpr int32_t kF12 = 123;
constexpr int32_t kA = 65;

// A receiver that counts its key-down events.
struct CountingReceiver {
    HotkeyReceiver receiver;
    int presses = 0;

    explicit CountingReceiver(int32_t keyCode) {
        receiver.setKeyCode(keyCode);
        receiver.setKeyDownHandler([this] { ++presses; });
    }
};

} // namespace

class X11HotkeyBackendQtTest : public QObject {
    Q_OBJECT

private:
    QProcess m_server;
    QByteArray m_display;
    std::vector<std::string> m_told;
    // Every key run ends with F12, watched by this receiver: once it has
    // fired, every key pressed before it has been handled too.
    std::unique_ptr<CountingReceiver> m_marker;
    int m_markerPresses = 0;

    std::unique_ptr<HotkeyBackend> makeBackend() {
        m_told.clear();
        auto backend = createHotkeyBackend([this](const std::string& text) { m_told.push_back(text); });
        m_marker = std::make_unique<CountingReceiver>(kF12);
        m_markerPresses = 0;
        backend->attach(m_marker->receiver);
        return backend;
    }

    // Sends keys through xdotool, then the marker key, and waits until the
    // backend has seen the marker.
    bool pressKeys(const QStringList& xdotoolArguments) {
        QProcess xdotool;
        xdotool.start(QStringLiteral("xdotool"), xdotoolArguments + QStringList{"key", "F12"});
        if (!xdotool.waitForFinished(10000) || xdotool.exitCode() != 0) {
            qWarning() << "xdotool failed:" << xdotool.readAllStandardError();
            return false;
        }
        ++m_markerPresses;
        const bool seen = QTest::qWaitFor([this] { return m_marker->presses >= m_markerPresses; }, 10000);
        if (!seen || m_marker->presses != m_markerPresses)
            qWarning() << "marker key seen" << m_marker->presses << "times, expected" << m_markerPresses;
        return seen && m_marker->presses == m_markerPresses;
    }

private slots:
    void initTestCase() {
        // The X11 way of watching keys is the one under test, whatever
        // session the tests run in.
        qunsetenv("WAYLAND_DISPLAY");
        qputenv("XDG_SESSION_TYPE", "x11");
        // Always a private server, so no key ever reaches the user's desktop.
        // Xvfb picks a free display number and writes it to its stdout.  It
        // must not reset when its last client leaves: a backend connecting
        // during the reset would find no display.
        m_server.start(QStringLiteral("Xvfb"),
                       {"-displayfd", "1", "-nolisten", "tcp", "-noreset", "-screen", "0", "640x480x24"});
        QVERIFY2(m_server.waitForStarted(10000), "Xvfb does not start");
        QTRY_VERIFY_WITH_TIMEOUT(m_server.canReadLine(), 20000);
        const QByteArray number = m_server.readLine().trimmed();
        QVERIFY(!number.isEmpty());
        m_display = ":" + number;
        QTRY_VERIFY(QFile::exists(QStringLiteral("/tmp/.X11-unix/X") + QString::fromLatin1(number)));
        qputenv("DISPLAY", m_display);
    }

    void cleanupTestCase() {
        m_server.terminate();
        m_server.waitForFinished(10000);
    }

    void watchesKeysOfOtherClients() {
        CountingReceiver start(kF7);
        CountingReceiver other(kA);
        auto backend = makeBackend();
        QVERIFY2(backend->isAvailable(), m_told.empty() ? "" : m_told.front().c_str());
        QVERIFY(!backend->name().empty());
        QVERIFY(m_told.empty());
        backend->attach(start.receiver);
        backend->attach(other.receiver);

        QVERIFY(pressKeys({"key", "F7"}));
        QCOMPARE(start.presses, 1);
        QCOMPARE(other.presses, 0);

        QVERIFY(pressKeys({"key", "a"}));
        QCOMPARE(start.presses, 1);
        QCOMPARE(other.presses, 1);

        QVERIFY(pressKeys({"key", "F7", "F7", "b", "F8"}));
        QCOMPARE(start.presses, 3);
        QCOMPARE(other.presses, 1);
    }

    void modifiersPlayNoPart() {
        CountingReceiver other(kA);
        auto backend = makeBackend();
        QVERIFY2(backend->isAvailable(), m_told.empty() ? "" : m_told.front().c_str());
        backend->attach(other.receiver);
        QVERIFY(pressKeys({"key", "shift+a", "ctrl+a", "alt+a"}));
        QCOMPARE(other.presses, 3);
    }

    void heldKeyCountsOnce() {
        CountingReceiver start(kF7);
        auto backend = makeBackend();
        QVERIFY2(backend->isAvailable(), m_told.empty() ? "" : m_told.front().c_str());
        backend->attach(start.receiver);
        // A key pressed again while it is down is the server's auto-repeat.
        QVERIFY(pressKeys({"keydown", "F7", "keydown", "F7", "keydown", "F7", "keyup", "F7"}));
        QCOMPARE(start.presses, 1);
        QVERIFY(pressKeys({"key", "F7"}));
        QCOMPARE(start.presses, 2);
    }

    void disabledReceiverDoesNotFire() {
        CountingReceiver start(kF7);
        CountingReceiver other(kA);
        auto backend = makeBackend();
        QVERIFY2(backend->isAvailable(), m_told.empty() ? "" : m_told.front().c_str());
        backend->attach(start.receiver);
        backend->attach(other.receiver);
        start.receiver.setEnabled(false);
        QVERIFY(pressKeys({"key", "F7", "a"}));
        QCOMPARE(start.presses, 0);
        QCOMPARE(other.presses, 1);
        start.receiver.setEnabled(true);
        QVERIFY(pressKeys({"key", "F7"}));
        QCOMPARE(start.presses, 1);
    }

    void newKeyCodeTakesEffectAtOnce() {
        CountingReceiver start(kF7);
        auto backend = makeBackend();
        QVERIFY2(backend->isAvailable(), m_told.empty() ? "" : m_told.front().c_str());
        backend->attach(start.receiver);
        start.receiver.setKeyCode(kF8);
        QVERIFY(pressKeys({"key", "F7"}));
        QCOMPARE(start.presses, 0);
        QVERIFY(pressKeys({"key", "F8"}));
        QCOMPARE(start.presses, 1);

        // Also while switched off.
        start.receiver.setEnabled(false);
        start.receiver.setKeyCode(kA);
        start.receiver.setEnabled(true);
        QVERIFY(pressKeys({"key", "F8", "a"}));
        QCOMPARE(start.presses, 2);
    }

    void receiversOfOneKeyAllFire() {
        // Start and Stop on one key: the Stop press reaches the Start
        // handler's nested event loop (where the timer runs its cycle).
        CountingReceiver first(kA);
        CountingReceiver second(kA);
        bool secondSeenInside = false;
        first.receiver.setKeyDownHandler([&] {
            ++first.presses;
            secondSeenInside = QTest::qWaitFor([&] { return second.presses == 1; }, 10000);
        });
        auto backend = makeBackend();
        QVERIFY2(backend->isAvailable(), m_told.empty() ? "" : m_told.front().c_str());
        backend->attach(first.receiver);
        backend->attach(second.receiver);
        QVERIFY(pressKeys({"key", "a"}));
        QCOMPARE(first.presses, 1);
        QCOMPARE(second.presses, 1);
        QVERIFY(secondSeenInside);
    }

    void codeWithoutKeyWatchesNothing_data() {
        QTest::addColumn<int>("keyCode");
        QTest::newRow("none") << 0;
        QTest::newRow("unknown 7") << 7;
        QTest::newRow("above 255") << 70000;
        QTest::newRow("negative") << -5;
    }

    void codeWithoutKeyWatchesNothing() {
        QFETCH(int, keyCode);
        CountingReceiver nothing(keyCode);
        auto backend = makeBackend();
        QVERIFY2(backend->isAvailable(), m_told.empty() ? "" : m_told.front().c_str());
        backend->attach(nothing.receiver);
        QVERIFY(pressKeys({"key", "F7", "a", "Return", "space"}));
        QCOMPARE(nothing.presses, 0);
        QVERIFY(m_told.empty());
    }

    void pressInsideAPressIsDelivered() {
        // The Start key's handler runs the whole timer cycle in a nested
        // event loop; the Stop key must reach it there.
        CountingReceiver stop(kF8);
        HotkeyReceiver start;
        start.setKeyCode(kF7);
        bool stopSeenInside = false;
        QProcess stopPresser;
        auto backend = makeBackend();
        QVERIFY2(backend->isAvailable(), m_told.empty() ? "" : m_told.front().c_str());
        start.setKeyDownHandler([&] {
            stopPresser.start(QStringLiteral("xdotool"), {"key", "F8"});
            stopSeenInside = QTest::qWaitFor([&] { return stop.presses == 1; }, 10000);
        });
        backend->attach(start);
        backend->attach(stop.receiver);
        QVERIFY(pressKeys({"key", "F7"}));
        QVERIFY(stopSeenInside);
        QCOMPARE(stop.presses, 1);
        QVERIFY(stopPresser.state() == QProcess::NotRunning || stopPresser.waitForFinished(10000));
    }

    void noDisplayLeavesTheProgramWorking() {
        qunsetenv("DISPLAY");
        m_told.clear();
        auto backend = createHotkeyBackend([this](const std::string& text) { m_told.push_back(text); });
        qputenv("DISPLAY", m_display);
        QVERIFY(!backend->isAvailable());
        QCOMPARE(m_told.size(), size_t(1));
        QVERIFY2(m_told.front().find("unavailable") != std::string::npos, m_told.front().c_str());
        HotkeyReceiver receiver;
        backend->attach(receiver);
        receiver.setKeyCode(kF7); // nothing to follow, nothing fails
    }
};

QTEST_GUILESS_MAIN(X11HotkeyBackendQtTest)
#include "X11HotkeyBackendQtTest.moc"
