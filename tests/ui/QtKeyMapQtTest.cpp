// Key presses to the virtual-key codes and shift masks of the key boxes:
// from the Qt key alone, and from the keysym and keycode where the window
// system tells them (named by Xlib and the kernel's headers).
#include "ui/QtKeyMap.h"

#include <QtTest>

#include <linux/input-event-codes.h>
// The names of keysyms come from Xlib, after every Qt header (its macros
// clash with Qt's names).
#include <X11/Xlib.h>

using sorvane::ui::shiftMaskForKeyPress;
using sorvane::ui::shiftMaskFromQt;
using sorvane::ui::virtualKeyForKeyPress;
using sorvane::ui::virtualKeyFromQt;

class QtKeyMapQtTest : public QObject {
    Q_OBJECT
private slots:
    void virtualKey_data();
    void virtualKey();
    void shiftMask_data();
    void shiftMask();
    void shiftMaskOfKeyPress_data();
    void shiftMaskOfKeyPress();
};

namespace {
constexpr int kNone = Qt::NoModifier;
constexpr int kPad = Qt::KeypadModifier;
constexpr int kShift = Qt::ShiftModifier;
constexpr int kCtrl = Qt::ControlModifier;
} // namespace

void QtKeyMapQtTest::virtualKey_data() {
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QByteArray>("keysym"); // its X11 name; empty where the window system tells none
    QTest::addColumn<int>("scanCode");      // XKB keycode, 0 where unknown
    QTest::addColumn<int>("expected");
    auto row = [](const char* name, int qtKey, int modifiers, int expected, const QByteArray& keysym = {},
                  int scanCode = 0) {
        QTest::newRow(name) << qtKey << modifiers << keysym << scanCode << expected;
    };

    // Letters and main-block digits; modifiers never change the code.
    row("A", int(Qt::Key_A), kNone, 65);
    row("Z", int(Qt::Key_Z), kNone, 90);
    row("Ctrl+M", int(Qt::Key_M), kCtrl, 77);
    row("0", int(Qt::Key_0), kNone, 48);
    row("9", int(Qt::Key_9), kNone, 57);

    // Keypad digits and operators differ from the main block.
    row("Num 0", int(Qt::Key_0), kPad, 96);
    row("Num 5", int(Qt::Key_5), kPad, 101);
    row("Num 9", int(Qt::Key_9), kPad, 105);
    row("Num *", int(Qt::Key_Asterisk), kPad, 106);
    row("Num +", int(Qt::Key_Plus), kPad, 107);
    row("Num Enter", int(Qt::Key_Enter), kPad, 108);
    row("Num -", int(Qt::Key_Minus), kPad, 109);
    row("Num .", int(Qt::Key_Period), kPad, 110);
    row("Num /", int(Qt::Key_Slash), kPad, 111);
    // Keypad with NumLock off gives the navigation keys.
    row("keypad Home", int(Qt::Key_Home), kPad, 36);
    row("keypad Delete", int(Qt::Key_Delete), kPad, 46);
    row("keypad PageDown", int(Qt::Key_PageDown), kPad, 34);
    row("keypad Clear", int(Qt::Key_Clear), kPad, 12);

    // Function keys.
    row("F1", int(Qt::Key_F1), kNone, 112);
    row("F7", int(Qt::Key_F7), kNone, 118);
    row("F8 with Ctrl", int(Qt::Key_F8), kCtrl, 119);
    row("F16", int(Qt::Key_F16), kNone, 127);
    row("F17", int(Qt::Key_F17), kNone, 0);

    // Named keys.
    row("Backspace", int(Qt::Key_Backspace), kNone, 8);
    row("Tab", int(Qt::Key_Tab), kNone, 9);
    row("Backtab", int(Qt::Key_Backtab), kShift, 9);
    row("Return", int(Qt::Key_Return), kNone, 13);
    row("Enter off the keypad", int(Qt::Key_Enter), kNone, 13);
    row("Shift", int(Qt::Key_Shift), kNone, 16);
    row("Control", int(Qt::Key_Control), kNone, 17);
    row("Alt", int(Qt::Key_Alt), kNone, 18);
    row("AltGr", int(Qt::Key_AltGr), kNone, 18);
    row("Pause", int(Qt::Key_Pause), kNone, 19);
    row("CapsLock", int(Qt::Key_CapsLock), kNone, 20);
    row("Escape", int(Qt::Key_Escape), kNone, 27);
    row("Space", int(Qt::Key_Space), kNone, 32);
    row("PageUp", int(Qt::Key_PageUp), kNone, 33);
    row("PageDown", int(Qt::Key_PageDown), kNone, 34);
    row("End", int(Qt::Key_End), kNone, 35);
    row("Home", int(Qt::Key_Home), kNone, 36);
    row("Left", int(Qt::Key_Left), kNone, 37);
    row("Up", int(Qt::Key_Up), kNone, 38);
    row("Right", int(Qt::Key_Right), kNone, 39);
    row("Down", int(Qt::Key_Down), kNone, 40);
    row("Print", int(Qt::Key_Print), kNone, 44);
    row("Insert", int(Qt::Key_Insert), kNone, 45);
    row("Delete", int(Qt::Key_Delete), kNone, 46);
    row("Meta", int(Qt::Key_Meta), kNone, 91);
    row("Super_L", int(Qt::Key_Super_L), kNone, 91);
    row("Super_R", int(Qt::Key_Super_R), kNone, 92);
    row("Menu", int(Qt::Key_Menu), kNone, 93);
    row("NumLock", int(Qt::Key_NumLock), kNone, 144);
    row("ScrollLock", int(Qt::Key_ScrollLock), kNone, 145);

    // Punctuation by the US layout.
    row(";", int(Qt::Key_Semicolon), kNone, 186);
    row("=", int(Qt::Key_Equal), kNone, 187);
    row(",", int(Qt::Key_Comma), kNone, 188);
    row("-", int(Qt::Key_Minus), kNone, 189);
    row(".", int(Qt::Key_Period), kNone, 190);
    row("/", int(Qt::Key_Slash), kNone, 191);
    row("`", int(Qt::Key_QuoteLeft), kNone, 192);
    row("[", int(Qt::Key_BracketLeft), kNone, 219);
    row("backslash", int(Qt::Key_Backslash), kNone, 220);
    row("]", int(Qt::Key_BracketRight), kNone, 221);
    row("'", int(Qt::Key_Apostrophe), kNone, 222);

    // Shifted symbols give the key that types them.
    row("!", int(Qt::Key_Exclam), kShift, 49);
    row("@", int(Qt::Key_At), kShift, 50);
    row("#", int(Qt::Key_NumberSign), kShift, 51);
    row("$", int(Qt::Key_Dollar), kShift, 52);
    row("%", int(Qt::Key_Percent), kShift, 53);
    row("^", int(Qt::Key_AsciiCircum), kShift, 54);
    row("&", int(Qt::Key_Ampersand), kShift, 55);
    row("* off the keypad", int(Qt::Key_Asterisk), kShift, 56);
    row("(", int(Qt::Key_ParenLeft), kShift, 57);
    row(")", int(Qt::Key_ParenRight), kShift, 48);
    row(":", int(Qt::Key_Colon), kShift, 186);
    row("+ off the keypad", int(Qt::Key_Plus), kShift, 187);
    row("<", int(Qt::Key_Less), kShift, 188);
    row("_", int(Qt::Key_Underscore), kShift, 189);
    row(">", int(Qt::Key_Greater), kShift, 190);
    row("?", int(Qt::Key_Question), kShift, 191);
    row("~", int(Qt::Key_AsciiTilde), kShift, 192);
    row("{", int(Qt::Key_BraceLeft), kShift, 219);
    row("|", int(Qt::Key_Bar), kShift, 220);
    row("}", int(Qt::Key_BraceRight), kShift, 221);
    row("\"", int(Qt::Key_QuoteDbl), kShift, 222);

    // Media keys.
    row("volume up", int(Qt::Key_VolumeUp), kNone, 175);
    row("mute", int(Qt::Key_VolumeMute), kNone, 173);
    row("play", int(Qt::Key_MediaPlay), kNone, 179);

    // Keys without a code.
    row("unknown", int(Qt::Key_unknown), kNone, 0);
    row("umlaut", int(Qt::Key_Adiaeresis), kNone, 0);
    row("F17", int(Qt::Key_F17), kNone, 0);

    // Where X11 and Wayland tell the keysym and the keycode, they decide.
    row("left Windows key", int(Qt::Key_Meta), kNone, 91, "Super_L");
    row("right Windows key", int(Qt::Key_Meta), kNone, 92, "Super_R");
    row("Ctrl+Alt+F9", int(Qt::Key_unknown), kCtrl | int(Qt::AltModifier), 120, "XF86Switch_VT_9");
    row("F13 key of the usual keymaps", int(Qt::Key_Tools), kNone, 124, "XF86Tools");
    row("keypad 7, NumLock on", int(Qt::Key_7), kPad, 103, "KP_7");
    row("keypad 7, NumLock off", int(Qt::Key_Home), kPad, 36, "KP_Home");
    row("keypad 5, NumLock off", int(Qt::Key_Clear), kPad, 12, "KP_Begin");
    row("keypad Del, NumLock on", int(Qt::Key_Period), kPad, 110, "KP_Decimal");
    row("keypad Del, NumLock off", int(Qt::Key_Delete), kPad, 46, "KP_Delete");
    row("AltGr", int(Qt::Key_AltGr), kNone, 18, "ISO_Level3_Shift");
    row("Menu", int(Qt::Key_Menu), kNone, 93, "Menu");
    row("Alt+Print", int(Qt::Key_SysReq), int(Qt::AltModifier), 44, "Sys_Req");
    row("pause key", int(Qt::Key_MediaPause), kNone, 179, "XF86AudioPause");
    row("Shift+A", int(Qt::Key_A), kShift, 65, "A");
    row("ISO key", int(Qt::Key_Less), kNone, 226, "less", KEY_102ND + 8);
    row("Shift+comma", int(Qt::Key_Less), kShift, 188, "less", KEY_COMMA + 8);
    // Keysyms of no key of the table leave the choice to the Qt key.
    row("Shift+1 as keysym", int(Qt::Key_Exclam), kShift, 49, "exclam", KEY_1 + 8);
    row("umlaut as keysym", int(Qt::Key_Adiaeresis), kNone, 0, "adiaeresis", KEY_APOSTROPHE + 8);
}

void QtKeyMapQtTest::virtualKey() {
    QFETCH(int, qtKey);
    QFETCH(int, modifiers);
    QFETCH(QByteArray, keysym);
    QFETCH(int, scanCode);
    QFETCH(int, expected);
    const auto mods = Qt::KeyboardModifiers(modifiers);
    uint32_t nativeKeysym = 0;
    if (!keysym.isEmpty()) {
        nativeKeysym = static_cast<uint32_t>(XStringToKeysym(keysym.constData()));
        QVERIFY2(nativeKeysym != 0, keysym.constData());
    } else {
        // Without what X11 and Wayland tell, the Qt key alone decides.
        QCOMPARE(int(virtualKeyFromQt(qtKey, mods)), expected);
    }
    QCOMPARE(int(virtualKeyForKeyPress(qtKey, mods, nativeKeysym, uint32_t(scanCode))), expected);
}

void QtKeyMapQtTest::shiftMask_data() {
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("expected");

    QTest::newRow("none") << kNone << 0;
    QTest::newRow("Shift") << kShift << 1;
    QTest::newRow("Ctrl") << kCtrl << 2;
    QTest::newRow("Alt") << int(Qt::AltModifier) << 4;
    QTest::newRow("Shift+Ctrl") << int(Qt::ShiftModifier | Qt::ControlModifier) << 3;
    QTest::newRow("Shift+Alt") << int(Qt::ShiftModifier | Qt::AltModifier) << 5;
    QTest::newRow("Ctrl+Alt") << int(Qt::ControlModifier | Qt::AltModifier) << 6;
    QTest::newRow("Shift+Ctrl+Alt") << int(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier) << 7;
    QTest::newRow("Meta alone") << int(Qt::MetaModifier) << 0;
    QTest::newRow("keypad alone") << kPad << 0;
    QTest::newRow("Ctrl+Meta+keypad")
        << int(Qt::ControlModifier | Qt::MetaModifier | Qt::KeypadModifier) << 2;
}

void QtKeyMapQtTest::shiftMask() {
    QFETCH(int, modifiers);
    QFETCH(int, expected);
    QCOMPARE(int(shiftMaskFromQt(Qt::KeyboardModifiers(modifiers))), expected);
}

void QtKeyMapQtTest::shiftMaskOfKeyPress_data() {
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("expected");

    // A modifier pressed alone carries its own bit, whether or not the
    // event already flags it.
    QTest::newRow("Shift, unflagged") << int(Qt::Key_Shift) << kNone << 1;
    QTest::newRow("Shift, flagged") << int(Qt::Key_Shift) << kShift << 1;
    QTest::newRow("Control, unflagged") << int(Qt::Key_Control) << kNone << 2;
    QTest::newRow("Control, flagged") << int(Qt::Key_Control) << kCtrl << 2;
    QTest::newRow("Alt, unflagged") << int(Qt::Key_Alt) << kNone << 4;
    QTest::newRow("Alt with Ctrl held")
        << int(Qt::Key_Alt) << int(Qt::ControlModifier | Qt::AltModifier) << 6;
    QTest::newRow("F7 with Ctrl") << int(Qt::Key_F7) << kCtrl << 2;
    QTest::newRow("plain letter") << int(Qt::Key_A) << kNone << 0;
    QTest::newRow("Meta alone") << int(Qt::Key_Meta) << int(Qt::MetaModifier) << 0;
}

void QtKeyMapQtTest::shiftMaskOfKeyPress() {
    QFETCH(int, qtKey);
    QFETCH(int, modifiers);
    QFETCH(int, expected);
    QCOMPARE(int(shiftMaskForKeyPress(qtKey, Qt::KeyboardModifiers(modifiers))), expected);
}

QTEST_MAIN(QtKeyMapQtTest)
#include "QtKeyMapQtTest.moc"
