#include "hotkeys/VirtualKeys.h"

namespace sorvane {
namespace {

// Keysym values as X11 defines them; the X11 name of each stands beside it.
// The header itself is left out so that this file needs no X11 libraries.
struct KeyPair {
    int32_t vk;
    uint32_t keysym;
};

constexpr KeyPair kSingleKeys[] = {
    {8, 0xff08},   // XK_BackSpace
    {9, 0xff09},   // XK_Tab
    {13, 0xff0d},  // XK_Return
    {16, 0xffe1},  // XK_Shift_L
    {16, 0xffe2},  // XK_Shift_R
    {17, 0xffe3},  // XK_Control_L
    {17, 0xffe4},  // XK_Control_R
    {18, 0xffe9},  // XK_Alt_L
    {18, 0xffea},  // XK_Alt_R
    {19, 0xff13},  // XK_Pause
    {20, 0xffe5},  // XK_Caps_Lock
    {27, 0xff1b},  // XK_Escape
    {32, 0x0020},  // XK_space
    {33, 0xff55},  // XK_Prior (Page Up)
    {34, 0xff56},  // XK_Next (Page Down)
    {35, 0xff57},  // XK_End
    {36, 0xff50},  // XK_Home
    {37, 0xff51},  // XK_Left
    {38, 0xff52},  // XK_Up
    {39, 0xff53},  // XK_Right
    {40, 0xff54},  // XK_Down
    {42, 0xff61},  // XK_Print (VK_PRINT)
    {44, 0xff61},  // XK_Print (VK_SNAPSHOT)
    {45, 0xff63},  // XK_Insert
    {46, 0xffff},  // XK_Delete
    {91, 0xffeb},  // XK_Super_L (left Start Menu key)
    {92, 0xffec},  // XK_Super_R (right Start Menu key)
    {106, 0xffaa}, // XK_KP_Multiply
    {107, 0xffab}, // XK_KP_Add
    {108, 0xff8d}, // XK_KP_Enter
    {109, 0xffad}, // XK_KP_Subtract
    {110, 0xffae}, // XK_KP_Decimal
    {111, 0xffaf}, // XK_KP_Divide
    {144, 0xff7f}, // XK_Num_Lock
    {145, 0xff14}, // XK_Scroll_Lock
    {160, 0xffe1}, // XK_Shift_L (VK_LSHIFT)
    {161, 0xffe2}, // XK_Shift_R (VK_RSHIFT)
    {162, 0xffe3}, // XK_Control_L (VK_LCONTROL)
    {163, 0xffe4}, // XK_Control_R (VK_RCONTROL)
    {164, 0xffe9}, // XK_Alt_L (VK_LMENU)
    {165, 0xffea}, // XK_Alt_R (VK_RMENU)
    // Punctuation keys at their places on a US keyboard.
    {186, 0x003b}, // XK_semicolon
    {187, 0x003d}, // XK_equal
    {188, 0x002c}, // XK_comma
    {189, 0x002d}, // XK_minus
    {190, 0x002e}, // XK_period
    {191, 0x002f}, // XK_slash
    {192, 0x0060}, // XK_grave
    {219, 0x005b}, // XK_bracketleft
    {220, 0x005c}, // XK_backslash
    {221, 0x005d}, // XK_bracketright
    {222, 0x0027}, // XK_apostrophe
};

constexpr uint32_t kKeysymLowerA = 0x0061; // XK_a
constexpr uint32_t kKeysym0 = 0x0030;      // XK_0
constexpr uint32_t kKeysymKp0 = 0xffb0;    // XK_KP_0
constexpr uint32_t kKeysymF1 = 0xffbe;     // XK_F1

} // namespace

std::vector<uint32_t> keysymsForVirtualKey(int32_t vk) {
    std::vector<uint32_t> keysyms;
    if (vk >= 65 && vk <= 90) // A to Z
        keysyms.push_back(kKeysymLowerA + static_cast<uint32_t>(vk - 65));
    else if (vk >= 48 && vk <= 57) // 0 to 9
        keysyms.push_back(kKeysym0 + static_cast<uint32_t>(vk - 48));
    else if (vk >= 96 && vk <= 105) // keypad 0 to 9
        keysyms.push_back(kKeysymKp0 + static_cast<uint32_t>(vk - 96));
    else if (vk >= 112 && vk <= 127) // F1 to F16
        keysyms.push_back(kKeysymF1 + static_cast<uint32_t>(vk - 112));
    for (const KeyPair& pair : kSingleKeys) {
        if (pair.vk == vk)
            keysyms.push_back(pair.keysym);
    }
    return keysyms;
}

} // namespace sorvane
