// Qt key presses to the virtual-key codes and shift masks of the key boxes.
#include "ui/QtKeyMap.h"

#include <QtTest>

using sorvane::ui::shiftMaskForKeyPress;
using sorvane::ui::shiftMaskFromQt;
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
    QTest::addColumn<int>("expected");

    // Letters and main-block digits; modifiers never change the code.
    QTest::newRow("A") << int(Qt::Key_A) << kNone << 65;
    QTest::newRow("Z") << int(Qt::Key_Z) << kNone << 90;
    QTest::newRow("Ctrl+M") << int(Qt::Key_M) << kCtrl << 77;
    QTest::newRow("0") << int(Qt::Key_0) << kNone << 48;
    QTest::newRow("9") << int(Qt::Key_9) << kNone << 57;

    // Keypad digits and operators differ from the main block.
    QTest::newRow("Num 0") << int(Qt::Key_0) << kPad << 96;
    QTest::newRow("Num 5") << int(Qt::Key_5) << kPad << 101;
    QTest::newRow("Num 9") << int(Qt::Key_9) << kPad << 105;
    QTest::newRow("Num *") << int(Qt::Key_Asterisk) << kPad << 106;
    QTest::newRow("Num +") << int(Qt::Key_Plus) << kPad << 107;
    QTest::newRow("Num Enter") << int(Qt::Key_Enter) << kPad << 108;
    QTest::newRow("Num -") << int(Qt::Key_Minus) << kPad << 109;
    QTest::newRow("Num .") << int(Qt::Key_Period) << kPad << 110;
    QTest::newRow("Num /") << int(Qt::Key_Slash) << kPad << 111;
    // Keypad with NumLock off gives the navigation keys.
    QTest::newRow("keypad Home") << int(Qt::Key_Home) << kPad << 36;
    QTest::newRow("keypad Delete") << int(Qt::Key_Delete) << kPad << 46;
    QTest::newRow("keypad PageDown") << int(Qt::Key_PageDown) << kPad << 34;
    QTest::newRow("keypad Clear") << int(Qt::Key_Clear) << kPad << 12;

    // Function keys.
    QTest::newRow("F1") << int(Qt::Key_F1) << kNone << 112;
    QTest::newRow("F7") << int(Qt::Key_F7) << kNone << 118;
    QTest::newRow("F8 with Ctrl") << int(Qt::Key_F8) << kCtrl << 119;
    QTest::newRow("F16") << int(Qt::Key_F16) << kNone << 127;
    QTest::newRow("F17") << int(Qt::Key_F17) << kNone << 0;

    // Named keys.
    QTest::newRow("Backspace") << int(Qt::Key_Backspace) << kNone << 8;
    QTest::newRow("Tab") << int(Qt::Key_Tab) << kNone << 9;
    QTest::newRow("Backtab") << int(Qt::Key_Backtab) << kShift << 9;
    QTest::newRow("Return") << int(Qt::Key_Return) << kNone << 13;
    QTest::newRow("Enter off the keypad") << int(Qt::Key_Enter) << kNone << 13;
    QTest::newRow("Shift") << int(Qt::Key_Shift) << kNone << 16;
    QTest::newRow("Control") << int(Qt::Key_Control) << kNone << 17;
    QTest::newRow("Alt") << int(Qt::Key_Alt) << kNone << 18;
    QTest::newRow("AltGr") << int(Qt::Key_AltGr) << kNone << 18;
    QTest::newRow("Pause") << int(Qt::Key_Pause) << kNone << 19;
    QTest::newRow("CapsLock") << int(Qt::Key_CapsLock) << kNone << 20;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << kNone << 27;
    QTest::newRow("Space") << int(Qt::Key_Space) << kNone << 32;
    QTest::newRow("PageUp") << int(Qt::Key_PageUp) << kNone << 33;
    QTest::newRow("PageDown") << int(Qt::Key_PageDown) << kNone << 34;
    QTest::newRow("End") << int(Qt::Key_End) << kNone << 35;
    QTest::newRow("Home") << int(Qt::Key_Home) << kNone << 36;
    QTest::newRow("Left") << int(Qt::Key_Left) << kNone << 37;
    QTest::newRow("Up") << int(Qt::Key_Up) << kNone << 38;
    QTest::newRow("Right") << int(Qt::Key_Right) << kNone << 39;
    QTest::newRow("Down") << int(Qt::Key_Down) << kNone << 40;
    QTest::newRow("Print") << int(Qt::Key_Print) << kNone << 44;
    QTest::newRow("Insert") << int(Qt::Key_Insert) << kNone << 45;
    QTest::newRow("Delete") << int(Qt::Key_Delete) << kNone << 46;
    QTest::newRow("Meta") << int(Qt::Key_Meta) << kNone << 91;
    QTest::newRow("Super_L") << int(Qt::Key_Super_L) << kNone << 91;
    QTest::newRow("Super_R") << int(Qt::Key_Super_R) << kNone << 92;
    QTest::newRow("Menu") << int(Qt::Key_Menu) << kNone << 93;
    QTest::newRow("NumLock") << int(Qt::Key_NumLock) << kNone << 144;
    QTest::newRow("ScrollLock") << int(Qt::Key_ScrollLock) << kNone << 145;

    // Punctuation by the US layout.
    QTest::newRow(";") << int(Qt::Key_Semicolon) << kNone << 186;
    QTest::newRow("=") << int(Qt::Key_Equal) << kNone << 187;
    QTest::newRow(",") << int(Qt::Key_Comma) << kNone << 188;
    QTest::newRow("-") << int(Qt::Key_Minus) << kNone << 189;
    QTest::newRow(".") << int(Qt::Key_Period) << kNone << 190;
    QTest::newRow("/") << int(Qt::Key_Slash) << kNone << 191;
    QTest::newRow("`") << int(Qt::Key_QuoteLeft) << kNone << 192;
    QTest::newRow("[") << int(Qt::Key_BracketLeft) << kNone << 219;
    QTest::newRow("backslash") << int(Qt::Key_Backslash) << kNone << 220;
    QTest::newRow("]") << int(Qt::Key_BracketRight) << kNone << 221;
    QTest::newRow("'") << int(Qt::Key_Apostrophe) << kNone << 222;

    // Shifted symbols give the key that types them.
    QTest::newRow("!") << int(Qt::Key_Exclam) << kShift << 49;
    QTest::newRow("@") << int(Qt::Key_At) << kShift << 50;
    QTest::newRow("#") << int(Qt::Key_NumberSign) << kShift << 51;
    QTest::newRow("$") << int(Qt::Key_Dollar) << kShift << 52;
    QTest::newRow("%") << int(Qt::Key_Percent) << kShift << 53;
    QTest::newRow("^") << int(Qt::Key_AsciiCircum) << kShift << 54;
    QTest::newRow("&") << int(Qt::Key_Ampersand) << kShift << 55;
    QTest::newRow("* off the keypad") << int(Qt::Key_Asterisk) << kShift << 56;
    QTest::newRow("(") << int(Qt::Key_ParenLeft) << kShift << 57;
    QTest::newRow(")") << int(Qt::Key_ParenRight) << kShift << 48;
    QTest::newRow(":") << int(Qt::Key_Colon) << kShift << 186;
    QTest::newRow("+ off the keypad") << int(Qt::Key_Plus) << kShift << 187;
    QTest::newRow("<") << int(Qt::Key_Less) << kShift << 188;
    QTest::newRow("_") << int(Qt::Key_Underscore) << kShift << 189;
    QTest::newRow(">") << int(Qt::Key_Greater) << kShift << 190;
    QTest::newRow("?") << int(Qt::Key_Question) << kShift << 191;
    QTest::newRow("~") << int(Qt::Key_AsciiTilde) << kShift << 192;
    QTest::newRow("{") << int(Qt::Key_BraceLeft) << kShift << 219;
    QTest::newRow("|") << int(Qt::Key_Bar) << kShift << 220;
    QTest::newRow("}") << int(Qt::Key_BraceRight) << kShift << 221;
    QTest::newRow("\"") << int(Qt::Key_QuoteDbl) << kShift << 222;

    // Keys without a code.
    QTest::newRow("unknown") << int(Qt::Key_unknown) << kNone << 0;
    QTest::newRow("umlaut") << int(Qt::Key_Adiaeresis) << kNone << 0;
    QTest::newRow("volume up") << int(Qt::Key_VolumeUp) << kNone << 0;
}

void QtKeyMapQtTest::virtualKey() {
    QFETCH(int, qtKey);
    QFETCH(int, modifiers);
    QFETCH(int, expected);
    QCOMPARE(int(virtualKeyFromQt(qtKey, Qt::KeyboardModifiers(modifiers))), expected);
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
