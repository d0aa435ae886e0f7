// The key table against the system, on a private X server with the usual
// keymap (XKB rules "evdev", US layout), and the key boxes of the real
// window on it:
// - every code a key box can assign has a name, a portal trigger that the
//   system's keysym names know, input codes whose keys produce the code's
//   keysyms in the system's keymap, and fires the X11 backend when its key
//   is pressed by another client;
// - the key matrix: key classes pressed in a key box (through xdotool, as a
//   user would) give the name shown, and the hotkey on that code fires when
//   the same key is pressed again.
#include "engine/Platform.h"
#include "hotkeys/HotkeyReceiver.h"
#include "hotkeys/KeyNames.h"
#include "hotkeys/VirtualKeys.h"
#include "support/TestDoubles.h"
#include "ui/QtKeyMap.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMetaEnum>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <memory>
#include <set>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// Xlib's macros clash with Qt's names: its headers come last.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

extern char** environ;

using namespace sorvane;

namespace {

constexpr int kWaitMs = 10000; // upper bound only: every wait ends on an event

struct CountingReceiver {
    HotkeyReceiver receiver;
    int presses = 0;
    explicit CountingReceiver(int32_t keyCode) {
        receiver.setKeyCode(keyCode);
        receiver.setKeyDownHandler([this] { ++presses; });
    }
};

bool xdotool(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    if (!process.waitForFinished(kWaitMs) || process.exitCode() != 0) {
        qWarning() << "xdotool" << arguments << "failed:" << process.readAllStandardError();
        return false;
    }
    return true;
}

// The X server's keymap: what each keycode produces at every level, and
// the XKB name of its place.
struct Keymap {
    std::map<int, std::vector<KeySym>> keysyms;
    std::map<int, std::string> names;

    static Keymap read() {
        Keymap map;
        Display* display = XOpenDisplay(nullptr);
        if (display == nullptr)
            return map;
        XkbDescPtr xkb = XkbGetMap(display, XkbKeySymsMask, XkbUseCoreKbd);
        if (xkb != nullptr && XkbGetNames(display, XkbKeyNamesMask, xkb) == Success) {
            for (int keycode = xkb->min_key_code; keycode <= xkb->max_key_code; ++keycode) {
                const KeySym* syms = XkbKeySymsPtr(xkb, keycode);
                map.keysyms[keycode].assign(syms, syms + XkbKeyNumSyms(xkb, keycode));
                map.names[keycode] = std::string(xkb->names->keys[keycode].name, XkbKeyNameLength).c_str();
            }
        }
        if (xkb != nullptr)
            XkbFreeKeyboard(xkb, XkbAllComponentsMask, True);
        XCloseDisplay(display);
        return map;
    }
    bool produces(int keycode, KeySym keysym) const {
        const auto it = keysyms.find(keycode);
        return it != keysyms.end() &&
               std::find(it->second.begin(), it->second.end(), keysym) != it->second.end();
    }
    int keycodeNamed(const std::string& name) const {
        for (const auto& [keycode, n] : names) {
            if (n == name)
                return keycode;
        }
        return 0;
    }
};

// XKB keycodes are the Linux input codes moved up by 8.
constexpr int kXkbOffset = 8;

// One class of keys for the matrix: what xdotool presses, what the key box
// then shows, and other keys that fire the same hotkey.
struct KeyClass {
    const char* what;
    QStringList setUp; // keys pressed before (NumLock), and again after, to undo them
    QStringList press;
    QString shown;
    QStringList alsoFires;
};

} // namespace

Q_DECLARE_METATYPE(KeyClass)

class X11KeysQtTest : public QObject {
    Q_OBJECT

private:
    Keymap m_keymap;

private slots:
    void initTestCase() {
        // The server leaves Ctrl+Alt+F-keys to the applications, as a
        // Wayland desktop does, instead of switching consoles.
        QProcess setxkbmap;
        setxkbmap.start(QStringLiteral("setxkbmap"), {"-option", "srvrkeys:none"});
        QVERIFY(setxkbmap.waitForFinished(kWaitMs) && setxkbmap.exitCode() == 0);
        m_keymap = Keymap::read();
        QVERIFY(!m_keymap.keysyms.empty());
    }

    // Every code a key box can assign, found by offering the key box every
    // Qt key and every key of the server's keymap.
    void everyKeyABoxAssignsIsWatched() {
        std::set<int16_t> assignable;
        const QMetaEnum keys = QMetaEnum::fromType<Qt::Key>();
        for (int i = 0; i < keys.keyCount(); ++i) {
            for (auto modifiers : {Qt::KeyboardModifiers(), Qt::KeyboardModifiers(Qt::KeypadModifier)})
                assignable.insert(ui::virtualKeyFromQt(keys.value(i), modifiers));
        }
        for (const auto& [keycode, syms] : m_keymap.keysyms) {
            for (KeySym keysym : syms)
                assignable.insert(ui::virtualKeyForKeyPress(0, {}, uint32_t(keysym), uint32_t(keycode)));
        }
        assignable.erase(0);
        assignable.erase(9); // Tab moves the focus on; it is never assigned
        QVERIFY(assignable.size() > 100);

        // The receivers outlive the backend that watches them.
        std::vector<std::unique_ptr<CountingReceiver>> receivers;
        auto backend = createHotkeyBackend([](const std::string& text) { qWarning() << text.c_str(); });
        QVERIFY(backend->isAvailable());
        QStringList press;
        for (int16_t vk : assignable) {
            const KeyRow* row = keyRow(vk);
            QVERIFY2(row != nullptr, qPrintable(QString::number(vk)));
            const QByteArray what = QByteArray::number(vk) + " " + row->trigger;
            QVERIFY2(!hotKeyText(vk, 0).empty(), what.constData());
            // The portal's trigger is a keysym name the system knows, and
            // the keysym of the key.
            QVERIFY2(row->trigger != nullptr, what.constData());
            const KeySym trigger = XStringToKeysym(row->trigger);
            QVERIFY2(trigger != NoSymbol, what.constData());
            const int placeKeycode = row->xkbKeyName ? m_keymap.keycodeNamed(row->xkbKeyName) : 0;
            if (row->xkbKeyName != nullptr) {
                QVERIFY2(placeKeycode != 0, what.constData());
                QVERIFY2(m_keymap.keysyms.at(placeKeycode).front() == trigger, what.constData());
            } else {
                QVERIFY2(row->keysyms[0] == trigger, what.constData());
            }
            // Each input code is a key that produces the code's keysyms (or
            // is the code's place) in the system's keymap.
            QVERIFY2(row->evdev[0] != 0, what.constData());
            for (uint16_t code : row->evdev) {
                if (code == 0)
                    continue;
                const int keycode = code + kXkbOffset;
                const bool match =
                    keycode == placeKeycode ||
                    std::any_of(std::begin(row->keysyms), std::end(row->keysyms),
                                [&](uint32_t k) { return k != 0 && m_keymap.produces(keycode, k); });
                QVERIFY2(match, qPrintable(what + " input code " + QByteArray::number(code)));
            }
            // The key is pressed by the first keysym of a key that produces
            // one of the code's keysyms: xdotool then presses that key.
            int keycode = placeKeycode;
            for (const auto& [kc, syms] : m_keymap.keysyms) {
                if (keycode == 0 &&
                    std::any_of(std::begin(row->keysyms), std::end(row->keysyms),
                                [&](uint32_t k) { return k != 0 && m_keymap.produces(kc, k); }))
                    keycode = kc;
            }
            QVERIFY2(keycode != 0, qPrintable(what + " is on no key of the keymap"));
            receivers.push_back(std::make_unique<CountingReceiver>(vk));
            backend->attach(receivers.back()->receiver);
            // A key known by its place is pressed by its keycode: what it
            // types, other keys type too.
            press << (keycode == placeKeycode
                          ? QString::number(keycode)
                          : QString::fromLatin1(XKeysymToString(m_keymap.keysyms.at(keycode).front())));
        }
        // Lock keys twice, so that they are as before.
        for (const char* lock : {"Num_Lock", "Caps_Lock", "Scroll_Lock"})
            press << QString::fromLatin1(lock);
        QVERIFY(xdotool(QStringList{"key", "--delay", "0"} + press));
        auto allFired = [&] {
            return std::all_of(receivers.begin(), receivers.end(),
                               [](const auto& r) { return r->presses > 0; });
        };
        if (!QTest::qWaitFor(allFired, kWaitMs)) {
            for (const auto& r : receivers) {
                if (r->presses == 0)
                    qWarning() << "never fired:" << r->receiver.keyCode();
            }
            QFAIL("a code a key box assigns is not watched");
        }
    }

    // Start and Stop on one key: one press gives the Start beep, the Stop
    // beep (its press reaches the running cycle) and an idle timer.
    void startAndStopOnOneKey() {
        QTemporaryDir folder;
        const QString previous = QDir::currentPath();
        QDir::setCurrent(folder.path());
        testing_support::FakeClock clock;
        testing_support::ScriptedPump pump{clock};
        testing_support::RecordingPort port{clock};
        testing_support::RecordingMidi midi;
        auto backend = createHotkeyBackend([](const std::string& text) { qWarning() << text.c_str(); });
        QVERIFY(backend->isAvailable());
        // The window's receivers outlive the backend that watches them.
        auto window = std::make_unique<ui::frmSorvaneTimer>(
            ui::TimerServices{clock, pump, port, midi, *backend, [](const std::string&) {}, [] {}});
        auto releaseBackendFirst = qScopeGuard([&] { backend.reset(); });
        ui::frmSorvaneTimer& w = *window;
        w.Form_Load(QString());
        w.HotKeyCoReceiver3.setKeyCode(w.HotKeyCoReceiver1.keyCode());
        const size_t ready = port.beepTicks.size();
        QVERIFY(xdotool({"key", "F7"}));
        QTRY_COMPARE_WITH_TIMEOUT(port.beepTicks.size(), ready + 2, kWaitMs);
        QVERIFY(w.HotKeyCoReceiver1.isEnabled());
        QVERIFY(!w.HotKeyCoReceiver2.isEnabled());
        QVERIFY(!w.HotKeyCoReceiver3.isEnabled());
        QCOMPARE(port.beepTicks.size(), ready + 2); // no scheduled beep
        QDir::setCurrent(previous);
    }

    void keyMatrix_data() {
        QTest::addColumn<KeyClass>("keyClass");
        const QStringList numLock{"Num_Lock"};
        const QList<KeyClass> classes = {
            {"letter", {}, {"a"}, "A", {"shift+a"}},
            {"digit", {}, {"1"}, "1", {"shift+1"}},
            {"Shift with a digit", {}, {"shift+1"}, "1", {}},
            {"function key", {}, {"F7"}, "F7", {"ctrl+F7"}},
            {"Ctrl+Alt+function key", {}, {"ctrl+alt+F9"}, "F9", {"F9"}},
            {"function key 13", {}, {"XF86Tools"}, "F13", {}},
            {"punctuation", {}, {"comma"}, ",", {"shift+comma"}},
            // The ISO key is pressed by its keycode (<LSGT> in the evdev keymap):
            // by its keysym, xdotool would press Shift and comma.
            {"ISO key left of Z", {}, {"94"}, "b", {}},
            {"keypad 7, NumLock on", numLock, {"KP_Home"}, "Num 7", {}},
            {"keypad 7, NumLock off", {}, {"KP_Home"}, "Home", {"Home"}},
            {"keypad 5, NumLock off", {}, {"KP_Begin"}, "Ascii Key  12", {}},
            {"keypad Del, NumLock on", numLock, {"KP_Delete"}, "Num Del", {}},
            {"keypad Del, NumLock off", {}, {"KP_Delete"}, "Delete", {"Delete"}},
            {"keypad Enter", {}, {"KP_Enter"}, "Num Enter", {}},
            {"keypad operator", {}, {"KP_Add"}, "Num +", {}},
            {"left Windows key", {}, {"Super_L"}, "Start Menu", {}},
            {"right Windows key", {}, {"Super_R"}, "Ascii Key  92", {}},
            {"Menu key", {}, {"Menu"}, "Ascii Key  93", {}},
            {"Shift alone", {}, {"Shift_L"}, "Shift", {"Shift_R"}},
            {"right Ctrl alone", {}, {"Control_R"}, "Control", {"Control_L"}},
            {"right Alt", {}, {"Alt_R"}, "Alt", {"Alt_L"}},
            {"AltGr", {}, {"ISO_Level3_Shift"}, "Alt", {"Alt_L"}},
            {"Print Screen", {}, {"Print"}, "Ascii Key  44", {"alt+Print"}},
            {"Pause", {}, {"Pause"}, "Pause", {}},
            {"Escape", {}, {"Escape"}, "Escape", {}},
            {"Enter", {}, {"Return"}, "Enter", {}},
            {"Space", {}, {"space"}, "Space", {}},
            {"Page Up", {}, {"Prior"}, "Page Up", {"KP_Prior"}},
            {"volume up", {}, {"XF86AudioRaiseVolume"}, "/", {}},
            {"mute", {}, {"XF86AudioMute"}, "-", {}},
            {"play", {}, {"XF86AudioPlay"}, "3", {}},
        };
        for (const KeyClass& c : classes)
            QTest::newRow(c.what) << c;
    }

    void keyMatrix() {
        QFETCH(KeyClass, keyClass);
        testing_support::Harness h;
        h.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(h.window.get()));
        h.window->activateWindow(); // there is no window manager to do it
        QVERIFY(QTest::qWaitForWindowActive(h.window.get()));
        h.window->Text1->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(h.window->Text1->hasFocus());

        CountingReceiver hotkey(0);
        auto backend = createHotkeyBackend([](const std::string& text) { qWarning() << text.c_str(); });
        QVERIFY(backend->isAvailable());
        backend->attach(hotkey.receiver);

        if (!keyClass.setUp.isEmpty())
            QVERIFY(xdotool(QStringList{"key"} + keyClass.setUp));
        QVERIFY(xdotool(QStringList{"key"} + keyClass.press));
        const bool shown =
            QTest::qWaitFor([&] { return h.window->Text1->text() == keyClass.shown; }, kWaitMs);
        const QString text = h.window->Text1->text();
        QApplication::processEvents();
        const bool menuOpen = QApplication::activePopupWidget() != nullptr;
        if (menuOpen)
            QApplication::activePopupWidget()->close();

        // The hotkey on the code assigned fires for the key, wherever the
        // focus is, and for the other keys of the class.
        hotkey.receiver.setKeyCode(h.window->hotkeys[0].keyCode);
        h.window->Command1->setFocus(Qt::MouseFocusReason);
        int fired = 0;
        for (const QString& key : QStringList{keyClass.press.join(QLatin1Char(' '))} + keyClass.alsoFires) {
            const int before = hotkey.presses;
            QVERIFY(xdotool(QStringList{"key"} + key.split(QLatin1Char(' '))));
            fired += QTest::qWaitFor([&] { return hotkey.presses > before; }, kWaitMs) ? 1 : 0;
        }
        if (!keyClass.setUp.isEmpty())
            QVERIFY(xdotool(QStringList{"key"} + keyClass.setUp));
        std::printf("  %-26s assigned %-16s fires %s\n", keyClass.what, qPrintable("\"" + text + "\""),
                    fired == 1 + keyClass.alsoFires.size() ? "yes" : "NO");
        QVERIFY2(shown, qPrintable(text));
        QVERIFY(!menuOpen);
        QCOMPARE(fired, 1 + keyClass.alsoFires.size());
    }
};

namespace {

// A private X server, so that no key reaches the user's desktop.  It picks
// a free display number and writes it to the pipe.
pid_t startXvfb() {
    int fds[2];
    if (::pipe(fds) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    // It ends with its last client, this test, also when the test ends
    // without killing it.
    const char* argv[] = {"Xvfb",       "-displayfd", "3", "-nolisten",  "tcp",
                          "-terminate", "-screen",    "0", "800x600x24", nullptr};
    pid_t pid = -1;
    const int spawned =
        posix_spawnp(&pid, "Xvfb", &actions, nullptr, const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    std::string number;
    char c = 0;
    while (spawned == 0 && ::read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    ::close(fds[0]);
    if (spawned != 0 || number.empty())
        return -1;
    ::setenv("DISPLAY", (":" + number).c_str(), 1);
    return pid;
}

} // namespace

// On the X11 window system Qt talks to the session bus through libdbus,
// which keeps an allocation to the end: not this program's leak.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n";
}

int main(int argc, char** argv) {
    const pid_t server = startXvfb();
    if (server < 0) {
        std::fprintf(stderr, "Xvfb does not start\n");
        return 1;
    }
    // The X11 way of watching keys and the X11 window system are the ones
    // under test, whatever session the tests run in.
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    ::setenv("XDG_SESSION_TYPE", "x11", 1);
    ::unsetenv("WAYLAND_DISPLAY");
    int result = 1;
    {
        QApplication app(argc, argv);
        X11KeysQtTest test;
        result = QTest::qExec(&test, argc, argv);
    }
    ::kill(server, SIGTERM);
    ::waitpid(server, nullptr, 0);
    return result;
}

#include "X11KeysQtTest.moc"
