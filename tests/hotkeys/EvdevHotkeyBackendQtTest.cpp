// The evdev hotkey backend fed with recorded input events through pipes, as
// a keyboard device would deliver them.
#include "hotkeys/EvdevHotkeyBackend.h"
#include "hotkeys/HotkeyReceiver.h"

#include "support/CountingReceiver.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <linux/input.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <vector>

using namespace sorvane;

namespace {

constexpr int32_t kF7 = 118;
constexpr int32_t kF8 = 119;
constexpr int32_t kF12 = 123;
constexpr int32_t kA = 65;
constexpr int32_t kShift = 16;

using testing_support::CountingReceiver;

input_event record(uint16_t type, uint16_t code, int32_t value) {
    input_event event;
    std::memset(&event, 0, sizeof(event));
    event.type = type;
    event.code = code;
    event.value = value;
    return event;
}

// A key event followed by the report that closes its packet, as a keyboard
// sends it.
std::vector<input_event> key(uint16_t code, int32_t value) {
    return {record(EV_MSC, MSC_SCAN, code), record(EV_KEY, code, value), record(EV_SYN, SYN_REPORT, 0)};
}

std::vector<input_event> operator+(std::vector<input_event> a, const std::vector<input_event>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A pipe standing in for one keyboard: the backend reads its end, the test
// writes events into the other.
struct FakeKeyboard {
    int readEnd = -1;
    int writeEnd = -1;

    FakeKeyboard() {
        int fds[2];
        if (::pipe(fds) == 0) {
            readEnd = fds[0];
            writeEnd = fds[1];
        }
    }
    ~FakeKeyboard() {
        if (writeEnd >= 0)
            ::close(writeEnd);
    }
    bool writeBytes(const void* data, size_t size) const {
        return ::write(writeEnd, data, size) == static_cast<ssize_t>(size);
    }
    bool send(const std::vector<input_event>& events) const {
        return writeBytes(events.data(), events.size() * sizeof(input_event));
    }
    void unplug() {
        ::close(writeEnd);
        writeEnd = -1;
    }
};

} // namespace

class EvdevHotkeyBackendQtTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<FakeKeyboard> m_keyboard;
    std::unique_ptr<EvdevHotkeyBackend> m_backend;
    // Every batch of events ends with F12, watched by this receiver: once it
    // has fired, every event written before it has been handled too.
    std::unique_ptr<CountingReceiver> m_marker;
    int m_markerPresses = 0;
    // Receivers outlive the backend they are attached to.
    std::vector<std::unique_ptr<CountingReceiver>> m_receivers;

    CountingReceiver& receiver(int32_t keyCode) {
        m_receivers.push_back(std::make_unique<CountingReceiver>(keyCode));
        return *m_receivers.back();
    }

    void makeBackend() {
        m_keyboard = std::make_unique<FakeKeyboard>();
        QVERIFY(m_keyboard->readEnd >= 0);
        m_backend = std::make_unique<EvdevHotkeyBackend>(std::vector<int>{m_keyboard->readEnd});
        m_marker = std::make_unique<CountingReceiver>(kF12);
        m_markerPresses = 0;
        m_backend->attach(m_marker->receiver);
    }

    bool sendAndWait(const std::vector<input_event>& events) {
        if (!m_keyboard->send(events + key(KEY_F12, 1) + key(KEY_F12, 0)))
            return false;
        ++m_markerPresses;
        const bool seen = QTest::qWaitFor([this] { return m_marker->presses >= m_markerPresses; }, 10000);
        return seen && m_marker->presses == m_markerPresses;
    }

private slots:
    void cleanup() {
        m_backend.reset();
        m_marker.reset();
        m_keyboard.reset();
        m_receivers.clear();
    }

    void keyDownPressesAndRepeatOrReleaseDoNot() {
        CountingReceiver& start = receiver(kF7);
        CountingReceiver& other = receiver(kA);
        makeBackend();
        QVERIFY(m_backend->isAvailable());
        m_backend->attach(start.receiver);
        m_backend->attach(other.receiver);

        QVERIFY(sendAndWait(key(KEY_F7, 1)));
        QCOMPARE(start.presses, 1);
        QCOMPARE(other.presses, 0);

        // Held down: the kernel repeats with value 2, then releases with 0.
        QVERIFY(sendAndWait(key(KEY_F7, 2) + key(KEY_F7, 2) + key(KEY_F7, 0)));
        QCOMPARE(start.presses, 1);

        QVERIFY(sendAndWait(key(KEY_A, 1) + key(KEY_A, 0) + key(KEY_F7, 1) + key(KEY_F7, 0) + key(KEY_B, 1) +
                            key(KEY_F8, 1)));
        QCOMPARE(start.presses, 2);
        QCOMPARE(other.presses, 1);
    }

    void otherEventTypesPressNothing() {
        CountingReceiver& start = receiver(kF7);
        makeBackend();
        m_backend->attach(start.receiver);
        // The same code and value in a scan-code, relative-motion and
        // absolute record: only key records count.
        QVERIFY(sendAndWait({record(EV_MSC, KEY_F7, 1), record(EV_REL, KEY_F7, 1), record(EV_ABS, KEY_F7, 1),
                             record(EV_SYN, SYN_REPORT, 0)}));
        QCOMPARE(start.presses, 0);
    }

    void eitherShiftKeyPressesShift() {
        CountingReceiver& shift = receiver(kShift);
        makeBackend();
        m_backend->attach(shift.receiver);
        QVERIFY(sendAndWait(key(KEY_LEFTSHIFT, 1) + key(KEY_LEFTSHIFT, 0) + key(KEY_RIGHTSHIFT, 1) +
                            key(KEY_RIGHTSHIFT, 0)));
        QCOMPARE(shift.presses, 2);
    }

    void disabledReceiverIsNotPressed() {
        CountingReceiver& start = receiver(kF7);
        CountingReceiver& other = receiver(kA);
        makeBackend();
        m_backend->attach(start.receiver);
        m_backend->attach(other.receiver);
        start.receiver.setEnabled(false);
        QVERIFY(sendAndWait(key(KEY_F7, 1) + key(KEY_F7, 0) + key(KEY_A, 1)));
        QCOMPARE(start.presses, 0);
        QCOMPARE(other.presses, 1);
        start.receiver.setEnabled(true);
        QVERIFY(sendAndWait(key(KEY_F7, 1)));
        QCOMPARE(start.presses, 1);
    }

    void newKeyCodeTakesEffectAtOnce() {
        CountingReceiver& start = receiver(kF7);
        makeBackend();
        m_backend->attach(start.receiver);
        start.receiver.setKeyCode(kF8);
        QVERIFY(sendAndWait(key(KEY_F7, 1) + key(KEY_F7, 0)));
        QCOMPARE(start.presses, 0);
        QVERIFY(sendAndWait(key(KEY_F8, 1) + key(KEY_F8, 0)));
        QCOMPARE(start.presses, 1);

        // Also while switched off.
        start.receiver.setEnabled(false);
        start.receiver.setKeyCode(kA);
        start.receiver.setEnabled(true);
        QVERIFY(sendAndWait(key(KEY_F8, 1) + key(KEY_A, 1)));
        QCOMPARE(start.presses, 2);
    }

    void receiversOfOneKeyAllFire() {
        CountingReceiver& first = receiver(kA);
        CountingReceiver& second = receiver(kA);
        makeBackend();
        m_backend->attach(first.receiver);
        m_backend->attach(second.receiver);
        QVERIFY(sendAndWait(key(KEY_A, 1)));
        QCOMPARE(first.presses, 1);
        QCOMPARE(second.presses, 1);
    }

    void lostEventsSkipTheBrokenPacket() {
        CountingReceiver& start = receiver(kF7);
        makeBackend();
        m_backend->attach(start.receiver);
        // After SYN_DROPPED everything up to the next report is incomplete.
        QVERIFY(sendAndWait(
            {record(EV_SYN, SYN_DROPPED, 0), record(EV_KEY, KEY_F7, 1), record(EV_SYN, SYN_REPORT, 0)}));
        QCOMPARE(start.presses, 0);
        QVERIFY(sendAndWait(key(KEY_F7, 0) + key(KEY_F7, 1)));
        QCOMPARE(start.presses, 1);
    }

    void recordSplitAcrossReadsIsWhole() {
        CountingReceiver& start = receiver(kF7);
        makeBackend();
        m_backend->attach(start.receiver);
        const std::vector<input_event> events = key(KEY_F7, 1);
        const auto* bytes = reinterpret_cast<const char*>(events.data());
        const size_t size = events.size() * sizeof(input_event);
        const size_t half = sizeof(input_event) + sizeof(input_event) / 2;
        QVERIFY(m_keyboard->writeBytes(bytes, half));
        // The data is in the pipe already, so one pass of the event loop has
        // the backend read the first record and a half; it waits for more.
        QCoreApplication::processEvents();
        QCOMPARE(start.presses, 0);
        QVERIFY(m_keyboard->writeBytes(bytes + half, size - half));
        QVERIFY(sendAndWait({}));
        QCOMPARE(start.presses, 1);
    }

    void everyKeyboardIsWatched() {
        CountingReceiver& start = receiver(kF7);
        FakeKeyboard first;
        FakeKeyboard second;
        EvdevHotkeyBackend backend(std::vector<int>{first.readEnd, second.readEnd});
        QVERIFY(backend.isAvailable());
        QVERIFY(QString::fromStdString(backend.name()).contains(QLatin1String("2 keyboards")));
        backend.attach(start.receiver);
        QVERIFY(first.send(key(KEY_F7, 1)));
        QTRY_COMPARE(start.presses, 1);
        QVERIFY(second.send(key(KEY_F7, 1)));
        QTRY_COMPARE(start.presses, 2);
    }

    void unpluggedKeyboardIsDropped() {
        CountingReceiver& start = receiver(kF7);
        FakeKeyboard first;
        FakeKeyboard second;
        EvdevHotkeyBackend backend(std::vector<int>{first.readEnd, second.readEnd});
        backend.attach(start.receiver);
        first.unplug();
        QTRY_VERIFY(QString::fromStdString(backend.name()).contains(QLatin1String("1 keyboard)")));
        QVERIFY(backend.isAvailable());
        QVERIFY(second.send(key(KEY_F7, 1)));
        QTRY_COMPARE(start.presses, 1);
        second.unplug();
        QTRY_VERIFY(!backend.isAvailable());
    }

    void pressInsideAPressIsDelivered() {
        // The Start key's handler runs the whole timer cycle in a nested
        // event loop; the Stop key from the same keyboard must reach it there.
        CountingReceiver& stop = receiver(kF8);
        HotkeyReceiver& start = receiver(kF7).receiver;
        bool stopSeenInside = false;
        makeBackend();
        start.setKeyDownHandler([&] {
            m_keyboard->send(key(KEY_F7, 0) + key(KEY_F8, 1));
            stopSeenInside = QTest::qWaitFor([&] { return stop.presses == 1; }, 10000);
        });
        m_backend->attach(start);
        m_backend->attach(stop.receiver);
        QVERIFY(sendAndWait(key(KEY_F7, 1)));
        QVERIFY(stopSeenInside);
        QCOMPARE(stop.presses, 1);
    }

    void folderWithoutKeyboardsIsUnavailable() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        {
            EvdevHotkeyBackend empty(dir.path());
            QVERIFY(!empty.isAvailable());
        }
        // A readable node that is no input device is not taken for a keyboard.
        QFile notADevice(dir.filePath(QStringLiteral("event0")));
        QVERIFY(notADevice.open(QIODevice::WriteOnly));
        notADevice.write(QByteArray(64, '\0'));
        notADevice.close();
        EvdevHotkeyBackend backend(dir.path());
        QVERIFY(!backend.isAvailable());
        QVERIFY(QString::fromStdString(backend.name()).contains(QLatin1String("0 keyboards")));
    }
};

QTEST_GUILESS_MAIN(EvdevHotkeyBackendQtTest)
#include "EvdevHotkeyBackendQtTest.moc"
