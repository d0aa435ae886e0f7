// The X11 hotkey backend against a private X server: keys are pressed from
// another X client (xdotool), as a user would press them in another window.
#include "hotkeys/HotkeyBackendChooser.h"
#include "hotkeys/HotkeyReceiver.h"

#include "support/CountingReceiver.h"

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

using testing_support::CountingReceiver;

} // namespace

class X11HotkeyBackendQtTest : public QObject {
    Q_OBJECT

private:
    QProcess m_server;
    QByteArray m_display;
    std::string m_whyNot;
    // Every key run ends with F12, watched by this receiver: once it has
    // fired, every key pressed before it has been handled too.
    std::unique_ptr<CountingReceiver> m_marker;
    int m_markerPresses = 0;

    // The X11 backend itself, not the chain of ways that would fall back to
    // the input devices where this user may read them.
    std::unique_ptr<HotkeyBackend> makeBackend() {
        m_whyNot.clear();
        std::unique_ptr<HotkeyBackend> backend = createX11HotkeyBackend(m_whyNot);
        if (backend == nullptr)
            backend = std::make_unique<NullHotkeyBackend>();
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
        QVERIFY2(backend->isAvailable(), m_whyNot.c_str());
        QVERIFY(!backend->name().empty());
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
        QVERIFY2(backend->isAvailable(), m_whyNot.c_str());
        backend->attach(other.receiver);
        QVERIFY(pressKeys({"key", "shift+a", "ctrl+a", "alt+a"}));
        QCOMPARE(other.presses, 3);
    }

    void heldKeyCountsOnce() {
        CountingReceiver start(kF7);
        auto backend = makeBackend();
        QVERIFY2(backend->isAvailable(), m_whyNot.c_str());
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
        QVERIFY2(backend->isAvailable(), m_whyNot.c_str());
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
        QVERIFY2(backend->isAvailable(), m_whyNot.c_str());
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
        QVERIFY2(backend->isAvailable(), m_whyNot.c_str());
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
        QVERIFY2(backend->isAvailable(), m_whyNot.c_str());
        backend->attach(nothing.receiver);
        QVERIFY(pressKeys({"key", "F7", "a", "Return", "space"}));
        QCOMPARE(nothing.presses, 0);
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
        QVERIFY2(backend->isAvailable(), m_whyNot.c_str());
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

    // Without a display the X11 way gives up with its reason; as the only
    // way of a chain, the user is told that global hotkeys are unavailable,
    // and receivers can still be attached and given keys.
    void noDisplayLeavesTheProgramWorking() {
        qunsetenv("DISPLAY");
        std::string whyNot;
        QVERIFY(createX11HotkeyBackend(whyNot) == nullptr);
        QCOMPARE(QString::fromStdString(whyNot), QStringLiteral("no X11 display"));
        std::vector<std::string> told;
        HotkeyReceiver receiver; // outlives the chain that watches it
        HotkeyBackendChain chain({[](std::string& why) { return createX11HotkeyBackend(why); }},
                                 [&](const std::string& text) { told.push_back(text); }, {});
        qputenv("DISPLAY", m_display);
        QVERIFY(!chain.isAvailable());
        QCOMPARE(told.size(), size_t(1));
        QVERIFY2(told.front().find("unavailable: no X11 display") != std::string::npos, told.front().c_str());
        chain.attach(receiver);
        receiver.setKeyCode(kF7); // nothing to follow, nothing fails
    }
};

QTEST_GUILESS_MAIN(X11HotkeyBackendQtTest)
#include "X11HotkeyBackendQtTest.moc"
