#pragma once
// Translation of Windows virtual-key codes (the key codes stored in settings
// files and shown in the key boxes) into Linux input event codes (KEY_*), so
// that a backend reading /dev/input can find the keys that stand for a code.
#include <cstdint>
#include <vector>

namespace sorvane {

// The evdev key codes that stand for virtual-key code vk.  Input devices
// report physical key positions, so letters, digits and punctuation are the
// keys at those places on a US keyboard.  Codes that name one key on each
// side of the keyboard (Shift, Control, Alt) give both codes; codes with no
// known key give an empty list.
std::vector<uint16_t> evdevKeysForVirtualKey(int32_t vk);

} // namespace sorvane
