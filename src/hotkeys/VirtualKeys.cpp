#include "hotkeys/VirtualKeys.h"

#include <algorithm>
#include <array>

// Every value below is one of the systems' own constants: X11 keysyms
// (XK_*, XF86XK_*), Linux input codes (KEY_*) and Qt keys (Qt::Key_*).  Only
// the enumeration of Qt keys is read from Qt; nothing of Qt is linked.
#include <QtCore/qnamespace.h>
#include <X11/XF86keysym.h>
#include <X11/keysym.h>
#include <linux/input-event-codes.h>

namespace sorvane {
namespace {

constexpr uint8_t T = kKeyTyping;
constexpr uint8_t W = kKeyWatchOnly;
constexpr bool kPad = true;

// Letters: the code is the capital's character code.  Both cases of the
// letter, since a key box sees the capital while Shift is held.
// clang-format off
#define SORVANE_LETTER(U, l) \
    KeyRow{#U[0], nullptr, #l, {XK_##l, XK_##U}, {KEY_##U}, {{Qt::Key_##U}}, nullptr, T}
// Digits of the main block, with the symbol Shift types on a US keyboard.
#define SORVANE_DIGIT(n, shifted) \
    KeyRow{#n[0], nullptr, #n, {XK_##n}, {KEY_##n}, {{Qt::Key_##n}, {Qt::Key_##shifted}}, nullptr, T}
#define SORVANE_KEYPAD_DIGIT(n) \
    KeyRow{96 + (n), nullptr, "KP_" #n, {XK_KP_##n}, {KEY_KP##n}, {{Qt::Key_##n, kPad}}, nullptr, T}
// F1 to F12 also come as the console switch keysyms while Ctrl and Alt are
// held; F13 to F16 sit where the usual keymaps give launch keysyms.
#define SORVANE_FKEY(n) \
    KeyRow{111 + (n), nullptr, "F" #n, {XK_F##n, XF86XK_Switch_VT_##n}, {KEY_F##n}, {{Qt::Key_F##n}}}
#define SORVANE_FKEY_HIGH(n, launch) \
    KeyRow{111 + (n), nullptr, "F" #n, {XK_F##n, XF86XK_##launch}, {KEY_F##n}, {{Qt::Key_F##n}}}
// clang-format on

constexpr KeyRow kRows[] = {
    {8, "Backspace", "BackSpace", {XK_BackSpace}, {KEY_BACKSPACE}, {{Qt::Key_Backspace}}, nullptr, T},
    {9, "Tab", "Tab", {XK_Tab, XK_ISO_Left_Tab}, {KEY_TAB}, {{Qt::Key_Tab}, {Qt::Key_Backtab}}, nullptr, T},
    // Keypad 5 without NumLock.
    {12, nullptr, "Clear", {XK_Clear, XK_KP_Begin}, {KEY_KP5}, {{Qt::Key_Clear}}, nullptr, T},
    {13, "Enter", "Return", {XK_Return}, {KEY_ENTER}, {{Qt::Key_Return}, {Qt::Key_Enter}}, nullptr, T},
    {16, "Shift", "Shift_L", {XK_Shift_L, XK_Shift_R}, {KEY_LEFTSHIFT, KEY_RIGHTSHIFT}, {{Qt::Key_Shift}}},
    {17,
     "Control",
     "Control_L",
     {XK_Control_L, XK_Control_R},
     {KEY_LEFTCTRL, KEY_RIGHTCTRL},
     {{Qt::Key_Control}}},
    // AltGr is the right Alt key of layouts that give it a third level.
    {18,
     "Alt",
     "Alt_L",
     {XK_Alt_L, XK_Alt_R, XK_Meta_L, XK_Meta_R, XK_ISO_Level3_Shift},
     {KEY_LEFTALT, KEY_RIGHTALT},
     {{Qt::Key_Alt}, {Qt::Key_AltGr}}},
    {19, "Pause", "Pause", {XK_Pause, XK_Break}, {KEY_PAUSE}, {{Qt::Key_Pause}}},
    {20, "Caps Lock", "Caps_Lock", {XK_Caps_Lock}, {KEY_CAPSLOCK}, {{Qt::Key_CapsLock}}},
    {27, "Escape", "Escape", {XK_Escape}, {KEY_ESC}, {{Qt::Key_Escape}}},
    {32, "Space", "space", {XK_space}, {KEY_SPACE}, {{Qt::Key_Space}}, nullptr, T},
    // The navigation keys also stand on the keypad, where they are typed
    // while NumLock is off.
    {33,
     "Page Up",
     "Page_Up",
     {XK_Page_Up, XK_KP_Page_Up},
     {KEY_PAGEUP, KEY_KP9},
     {{Qt::Key_PageUp}},
     nullptr,
     T},
    {34,
     "Page Down",
     "Page_Down",
     {XK_Page_Down, XK_KP_Page_Down},
     {KEY_PAGEDOWN, KEY_KP3},
     {{Qt::Key_PageDown}},
     nullptr,
     T},
    {35, "End", "End", {XK_End, XK_KP_End}, {KEY_END, KEY_KP1}, {{Qt::Key_End}}, nullptr, T},
    {36, "Home", "Home", {XK_Home, XK_KP_Home}, {KEY_HOME, KEY_KP7}, {{Qt::Key_Home}}, nullptr, T},
    {37, "Left", "Left", {XK_Left, XK_KP_Left}, {KEY_LEFT, KEY_KP4}, {{Qt::Key_Left}}, nullptr, T},
    {38, "Up", "Up", {XK_Up, XK_KP_Up}, {KEY_UP, KEY_KP8}, {{Qt::Key_Up}}, nullptr, T},
    {39, "Right", "Right", {XK_Right, XK_KP_Right}, {KEY_RIGHT, KEY_KP6}, {{Qt::Key_Right}}, nullptr, T},
    {40, "Down", "Down", {XK_Down, XK_KP_Down}, {KEY_DOWN, KEY_KP2}, {{Qt::Key_Down}}, nullptr, T},
    // VK_PRINT; a key box gives the Print Screen key as VK_SNAPSHOT (44).
    {42, "Print", "Print", {XK_Print, XK_Sys_Req}, {KEY_SYSRQ}, {{Qt::Key_Print}}, nullptr, W},
    {44, nullptr, "Print", {XK_Print, XK_Sys_Req}, {KEY_SYSRQ}, {{Qt::Key_Print}, {Qt::Key_SysReq}}},
    {45,
     "Insert",
     "Insert",
     {XK_Insert, XK_KP_Insert},
     {KEY_INSERT, KEY_KP0},
     {{Qt::Key_Insert}},
     nullptr,
     T},
    {46,
     "Delete",
     "Delete",
     {XK_Delete, XK_KP_Delete},
     {KEY_DELETE, KEY_KPDOT},
     {{Qt::Key_Delete}},
     nullptr,
     T},
    SORVANE_DIGIT(0, ParenRight),
    SORVANE_DIGIT(1, Exclam),
    SORVANE_DIGIT(2, At),
    SORVANE_DIGIT(3, NumberSign),
    SORVANE_DIGIT(4, Dollar),
    SORVANE_DIGIT(5, Percent),
    SORVANE_DIGIT(6, AsciiCircum),
    SORVANE_DIGIT(7, Ampersand),
    {56, nullptr, "8", {XK_8}, {KEY_8}, {{Qt::Key_8}, {Qt::Key_Asterisk}}, nullptr, T},
    SORVANE_DIGIT(9, ParenLeft),
    SORVANE_LETTER(A, a),
    SORVANE_LETTER(B, b),
    SORVANE_LETTER(C, c),
    SORVANE_LETTER(D, d),
    SORVANE_LETTER(E, e),
    SORVANE_LETTER(F, f),
    SORVANE_LETTER(G, g),
    SORVANE_LETTER(H, h),
    SORVANE_LETTER(I, i),
    SORVANE_LETTER(J, j),
    SORVANE_LETTER(K, k),
    SORVANE_LETTER(L, l),
    SORVANE_LETTER(M, m),
    SORVANE_LETTER(N, n),
    SORVANE_LETTER(O, o),
    SORVANE_LETTER(P, p),
    SORVANE_LETTER(Q, q),
    SORVANE_LETTER(R, r),
    SORVANE_LETTER(S, s),
    SORVANE_LETTER(T, t),
    SORVANE_LETTER(U, u),
    SORVANE_LETTER(V, v),
    SORVANE_LETTER(W, w),
    SORVANE_LETTER(X, x),
    SORVANE_LETTER(Y, y),
    SORVANE_LETTER(Z, z),
    // Qt reports both Windows keys as Meta; the keysym tells them apart.
    {91, "Start Menu", "Super_L", {XK_Super_L}, {KEY_LEFTMETA}, {{Qt::Key_Meta}, {Qt::Key_Super_L}}},
    {92, nullptr, "Super_R", {XK_Super_R}, {KEY_RIGHTMETA}, {{Qt::Key_Super_R}}},
    // The context menu key, KEY_COMPOSE among the input codes.
    {93, nullptr, "Menu", {XK_Menu}, {KEY_COMPOSE}, {{Qt::Key_Menu}}},
    SORVANE_KEYPAD_DIGIT(0),
    SORVANE_KEYPAD_DIGIT(1),
    SORVANE_KEYPAD_DIGIT(2),
    SORVANE_KEYPAD_DIGIT(3),
    SORVANE_KEYPAD_DIGIT(4),
    SORVANE_KEYPAD_DIGIT(5),
    SORVANE_KEYPAD_DIGIT(6),
    SORVANE_KEYPAD_DIGIT(7),
    SORVANE_KEYPAD_DIGIT(8),
    SORVANE_KEYPAD_DIGIT(9),
    // Keypad operators; with Ctrl and Alt held some give X server keysyms.
    {106,
     "Num *",
     "KP_Multiply",
     {XK_KP_Multiply, XF86XK_ClearGrab},
     {KEY_KPASTERISK},
     {{Qt::Key_Asterisk, kPad}},
     nullptr,
     T},
    {107,
     "Num +",
     "KP_Add",
     {XK_KP_Add, XF86XK_Next_VMode},
     {KEY_KPPLUS},
     {{Qt::Key_Plus, kPad}},
     nullptr,
     T},
    {108,
     "Num Enter",
     "KP_Enter",
     {XK_KP_Enter},
     {KEY_KPENTER},
     {{Qt::Key_Enter, kPad}, {Qt::Key_Return, kPad}},
     nullptr,
     T},
    {109,
     "Num -",
     "KP_Subtract",
     {XK_KP_Subtract, XF86XK_Prev_VMode},
     {KEY_KPMINUS},
     {{Qt::Key_Minus, kPad}},
     nullptr,
     T},
    // The keypad's decimal key with NumLock on; a comma on some layouts.
    {110,
     "Num Del",
     "KP_Decimal",
     {XK_KP_Decimal, XK_KP_Separator},
     {KEY_KPDOT},
     {{Qt::Key_Period, kPad}, {Qt::Key_Comma, kPad}},
     nullptr,
     T},
    {111,
     "Num /",
     "KP_Divide",
     {XK_KP_Divide, XF86XK_Ungrab},
     {KEY_KPSLASH},
     {{Qt::Key_Slash, kPad}},
     nullptr,
     T},
    SORVANE_FKEY(1),
    SORVANE_FKEY(2),
    SORVANE_FKEY(3),
    SORVANE_FKEY(4),
    SORVANE_FKEY(5),
    SORVANE_FKEY(6),
    SORVANE_FKEY(7),
    SORVANE_FKEY(8),
    SORVANE_FKEY(9),
    SORVANE_FKEY(10),
    SORVANE_FKEY(11),
    SORVANE_FKEY(12),
    SORVANE_FKEY_HIGH(13, Tools),
    SORVANE_FKEY_HIGH(14, Launch5),
    SORVANE_FKEY_HIGH(15, Launch6),
    SORVANE_FKEY_HIGH(16, Launch7),
    {144, "Num Lock", "Num_Lock", {XK_Num_Lock}, {KEY_NUMLOCK}, {{Qt::Key_NumLock}}},
    {145, "Scroll Lock", "Scroll_Lock", {XK_Scroll_Lock}, {KEY_SCROLLLOCK}, {{Qt::Key_ScrollLock}}},
    // Left and right modifiers on their own (VK_LSHIFT to VK_RMENU).
    {160, nullptr, "Shift_L", {XK_Shift_L}, {KEY_LEFTSHIFT}, {}, nullptr, W},
    {161, nullptr, "Shift_R", {XK_Shift_R}, {KEY_RIGHTSHIFT}, {}, nullptr, W},
    {162, nullptr, "Control_L", {XK_Control_L}, {KEY_LEFTCTRL}, {}, nullptr, W},
    {163, nullptr, "Control_R", {XK_Control_R}, {KEY_RIGHTCTRL}, {}, nullptr, W},
    {164, nullptr, "Alt_L", {XK_Alt_L, XK_Meta_L}, {KEY_LEFTALT}, {}, nullptr, W},
    {165, nullptr, "Alt_R", {XK_Alt_R, XK_Meta_R, XK_ISO_Level3_Shift}, {KEY_RIGHTALT}, {}, nullptr, W},
    // Browser, volume, media and launch keys.
    {166, nullptr, "XF86Back", {XF86XK_Back}, {KEY_BACK}, {{Qt::Key_Back}}},
    {167, nullptr, "XF86Forward", {XF86XK_Forward}, {KEY_FORWARD}, {{Qt::Key_Forward}}},
    {168, nullptr, "XF86Reload", {XF86XK_Reload}, {KEY_REFRESH}, {{Qt::Key_Refresh}}},
    // The usual keymaps give the browser's stop key the Cancel keysym.
    {169, nullptr, "XF86Stop", {XF86XK_Stop, XK_Cancel}, {KEY_STOP}, {{Qt::Key_Stop}, {Qt::Key_Cancel}}},
    {170, nullptr, "XF86Search", {XF86XK_Search}, {KEY_SEARCH}, {{Qt::Key_Search}}},
    {171, nullptr, "XF86Favorites", {XF86XK_Favorites}, {KEY_BOOKMARKS}, {{Qt::Key_Favorites}}},
    {172, nullptr, "XF86HomePage", {XF86XK_HomePage}, {KEY_HOMEPAGE}, {{Qt::Key_HomePage}}},
    {173, nullptr, "XF86AudioMute", {XF86XK_AudioMute}, {KEY_MUTE}, {{Qt::Key_VolumeMute}}},
    {174,
     nullptr,
     "XF86AudioLowerVolume",
     {XF86XK_AudioLowerVolume},
     {KEY_VOLUMEDOWN},
     {{Qt::Key_VolumeDown}}},
    {175, nullptr, "XF86AudioRaiseVolume", {XF86XK_AudioRaiseVolume}, {KEY_VOLUMEUP}, {{Qt::Key_VolumeUp}}},
    {176, nullptr, "XF86AudioNext", {XF86XK_AudioNext}, {KEY_NEXTSONG}, {{Qt::Key_MediaNext}}},
    {177, nullptr, "XF86AudioPrev", {XF86XK_AudioPrev}, {KEY_PREVIOUSSONG}, {{Qt::Key_MediaPrevious}}},
    {178, nullptr, "XF86AudioStop", {XF86XK_AudioStop}, {KEY_STOPCD}, {{Qt::Key_MediaStop}}},
    {179,
     nullptr,
     "XF86AudioPlay",
     {XF86XK_AudioPlay, XF86XK_AudioPause},
     {KEY_PLAYPAUSE, KEY_PLAYCD, KEY_PAUSECD},
     {{Qt::Key_MediaPlay}, {Qt::Key_MediaTogglePlayPause}, {Qt::Key_MediaPause}}},
    {180, nullptr, "XF86Mail", {XF86XK_Mail}, {KEY_MAIL}, {{Qt::Key_LaunchMail}}},
    {181, nullptr, "XF86AudioMedia", {XF86XK_AudioMedia}, {KEY_MEDIA}, {{Qt::Key_LaunchMedia}}},
    {182, nullptr, "XF86MyComputer", {XF86XK_MyComputer}, {KEY_COMPUTER}, {}},
    {183, nullptr, "XF86Calculator", {XF86XK_Calculator}, {KEY_CALC}, {{Qt::Key_Calculator}}},
    // Punctuation at its places on a US keyboard, with the symbols Shift
    // types there.
    {186,
     ";",
     "semicolon",
     {XK_semicolon},
     {KEY_SEMICOLON},
     {{Qt::Key_Semicolon}, {Qt::Key_Colon}},
     nullptr,
     T},
    {187, "=", "equal", {XK_equal}, {KEY_EQUAL}, {{Qt::Key_Equal}, {Qt::Key_Plus}}, nullptr, T},
    {188, nullptr, "comma", {XK_comma}, {KEY_COMMA}, {{Qt::Key_Comma}, {Qt::Key_Less}}, nullptr, T},
    {189, nullptr, "minus", {XK_minus}, {KEY_MINUS}, {{Qt::Key_Minus}, {Qt::Key_Underscore}}, nullptr, T},
    {190, nullptr, "period", {XK_period}, {KEY_DOT}, {{Qt::Key_Period}, {Qt::Key_Greater}}, nullptr, T},
    {191, nullptr, "slash", {XK_slash}, {KEY_SLASH}, {{Qt::Key_Slash}, {Qt::Key_Question}}, nullptr, T},
    {192, "`", "grave", {XK_grave}, {KEY_GRAVE}, {{Qt::Key_QuoteLeft}, {Qt::Key_AsciiTilde}}, nullptr, T},
    {219,
     nullptr,
     "bracketleft",
     {XK_bracketleft},
     {KEY_LEFTBRACE},
     {{Qt::Key_BracketLeft}, {Qt::Key_BraceLeft}},
     nullptr,
     T},
    {220,
     nullptr,
     "backslash",
     {XK_backslash},
     {KEY_BACKSLASH},
     {{Qt::Key_Backslash}, {Qt::Key_Bar}},
     nullptr,
     T},
    {221,
     nullptr,
     "bracketright",
     {XK_bracketright},
     {KEY_RIGHTBRACE},
     {{Qt::Key_BracketRight}, {Qt::Key_BraceRight}},
     nullptr,
     T},
    {222,
     "'",
     "apostrophe",
     {XK_apostrophe},
     {KEY_APOSTROPHE},
     {{Qt::Key_Apostrophe}, {Qt::Key_QuoteDbl}},
     nullptr,
     T},
    // The ISO key between left Shift and Z (VK_OEM_102).  It types "<" on
    // many layouts, which Shift and the comma type too, so it is known by
    // its place alone.
    {226, nullptr, "less", {}, {KEY_102ND}, {}, "LSGT", T},
};

#undef SORVANE_LETTER
#undef SORVANE_DIGIT
#undef SORVANE_KEYPAD_DIGIT
#undef SORVANE_FKEY
#undef SORVANE_FKEY_HIGH

constexpr bool ascendingCodes() {
    for (std::size_t i = 1; i < std::size(kRows); ++i) {
        if (kRows[i - 1].vk >= kRows[i].vk)
            return false;
    }
    return true;
}
static_assert(ascendingCodes(), "the key table is kept in ascending order of code, one row per code");

template <typename Match> int16_t firstAssignable(Match match) {
    for (const KeyRow& row : kRows) {
        if (!row.has(kKeyWatchOnly) && match(row))
            return row.vk;
    }
    return 0;
}

} // namespace

std::span<const KeyRow> keyTable() {
    return kRows;
}

const KeyRow* keyRow(int32_t vk) {
    const auto it = std::lower_bound(std::begin(kRows), std::end(kRows), vk,
                                     [](const KeyRow& row, int32_t code) { return row.vk < code; });
    return it != std::end(kRows) && it->vk == vk ? &*it : nullptr;
}

int16_t virtualKeyForPlace(uint16_t evdevCode) {
    if (evdevCode == 0)
        return 0;
    return firstAssignable([evdevCode](const KeyRow& row) {
        return row.xkbKeyName != nullptr &&
               std::find(std::begin(row.evdev), std::end(row.evdev), evdevCode) != std::end(row.evdev);
    });
}

int16_t virtualKeyForKeysym(uint32_t keysym) {
    if (keysym == 0)
        return 0;
    return firstAssignable([keysym](const KeyRow& row) {
        return std::find(std::begin(row.keysyms), std::end(row.keysyms), keysym) != std::end(row.keysyms);
    });
}

int16_t virtualKeyForQtKey(int32_t qtKey, bool keypad) {
    if (qtKey == 0)
        return 0;
    auto matches = [qtKey](const KeyRow& row, bool keypadOnly) {
        return std::any_of(std::begin(row.qtKeys), std::end(row.qtKeys), [&](const KeyRowQtKey& k) {
            return k.key == qtKey && k.keypadOnly == keypadOnly;
        });
    };
    // A keypad key first looks for its keypad code; every key then for the
    // code of the main block.
    if (keypad) {
        if (const int16_t code = firstAssignable([&](const KeyRow& row) { return matches(row, true); }))
            return code;
    }
    return firstAssignable([&](const KeyRow& row) { return matches(row, false); });
}

} // namespace sorvane
