#include "hotkeys/EvdevKeys.h"

#include <linux/input-event-codes.h>

namespace sorvane {
namespace {

struct KeyPair {
    int32_t vk;
    uint16_t code;
};

// Letters and digits are not in a row among the input codes: they follow the
// rows of the keyboard.
constexpr uint16_t kLetters[26] = {
    KEY_A, KEY_B, KEY_C, KEY_D, KEY_E, KEY_F, KEY_G, KEY_H, KEY_I, KEY_J, KEY_K, KEY_L, KEY_M,
    KEY_N, KEY_O, KEY_P, KEY_Q, KEY_R, KEY_S, KEY_T, KEY_U, KEY_V, KEY_W, KEY_X, KEY_Y, KEY_Z,
};
constexpr uint16_t kDigits[10] = {
    KEY_0, KEY_1, KEY_2, KEY_3, KEY_4, KEY_5, KEY_6, KEY_7, KEY_8, KEY_9,
};
constexpr uint16_t kKeypadDigits[10] = {
    KEY_KP0, KEY_KP1, KEY_KP2, KEY_KP3, KEY_KP4, KEY_KP5, KEY_KP6, KEY_KP7, KEY_KP8, KEY_KP9,
};
constexpr uint16_t kFunctionKeys[16] = {
    KEY_F1, KEY_F2,  KEY_F3,  KEY_F4,  KEY_F5,  KEY_F6,  KEY_F7,  KEY_F8,
    KEY_F9, KEY_F10, KEY_F11, KEY_F12, KEY_F13, KEY_F14, KEY_F15, KEY_F16,
};

constexpr KeyPair kSingleKeys[] = {
    {8, KEY_BACKSPACE},
    {9, KEY_TAB},
    {13, KEY_ENTER},
    {16, KEY_LEFTSHIFT},
    {16, KEY_RIGHTSHIFT},
    {17, KEY_LEFTCTRL},
    {17, KEY_RIGHTCTRL},
    {18, KEY_LEFTALT},
    {18, KEY_RIGHTALT},
    {19, KEY_PAUSE},
    {20, KEY_CAPSLOCK},
    {27, KEY_ESC},
    {32, KEY_SPACE},
    {33, KEY_PAGEUP},
    {34, KEY_PAGEDOWN},
    {35, KEY_END},
    {36, KEY_HOME},
    {37, KEY_LEFT},
    {38, KEY_UP},
    {39, KEY_RIGHT},
    {40, KEY_DOWN},
    {42, KEY_SYSRQ}, // VK_PRINT: the Print Screen key
    {44, KEY_SYSRQ}, // VK_SNAPSHOT: the same key
    {45, KEY_INSERT},
    {46, KEY_DELETE},
    {91, KEY_LEFTMETA},  // left Start Menu key
    {92, KEY_RIGHTMETA}, // right Start Menu key
    {106, KEY_KPASTERISK},
    {107, KEY_KPPLUS},
    {108, KEY_KPENTER}, // the keypad's separator key, as the X11 table has it
    {109, KEY_KPMINUS},
    {110, KEY_KPDOT},
    {111, KEY_KPSLASH},
    {144, KEY_NUMLOCK},
    {145, KEY_SCROLLLOCK},
    {160, KEY_LEFTSHIFT},
    {161, KEY_RIGHTSHIFT},
    {162, KEY_LEFTCTRL},
    {163, KEY_RIGHTCTRL},
    {164, KEY_LEFTALT},
    {165, KEY_RIGHTALT},
    // Punctuation keys at their places on a US keyboard.
    {186, KEY_SEMICOLON},
    {187, KEY_EQUAL},
    {188, KEY_COMMA},
    {189, KEY_MINUS},
    {190, KEY_DOT},
    {191, KEY_SLASH},
    {192, KEY_GRAVE},
    {219, KEY_LEFTBRACE},
    {220, KEY_BACKSLASH},
    {221, KEY_RIGHTBRACE},
    {222, KEY_APOSTROPHE},
};

} // namespace

std::vector<uint16_t> evdevKeysForVirtualKey(int32_t vk) {
    std::vector<uint16_t> codes;
    if (vk >= 65 && vk <= 90) // A to Z
        codes.push_back(kLetters[vk - 65]);
    else if (vk >= 48 && vk <= 57) // 0 to 9
        codes.push_back(kDigits[vk - 48]);
    else if (vk >= 96 && vk <= 105) // keypad 0 to 9
        codes.push_back(kKeypadDigits[vk - 96]);
    else if (vk >= 112 && vk <= 127) // F1 to F16
        codes.push_back(kFunctionKeys[vk - 112]);
    for (const KeyPair& pair : kSingleKeys) {
        if (pair.vk == vk)
            codes.push_back(pair.code);
    }
    return codes;
}

} // namespace sorvane
