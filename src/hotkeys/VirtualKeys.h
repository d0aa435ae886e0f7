#pragma once
// Translation of Windows virtual-key codes (the key codes stored in settings
// files and shown in the key boxes) into X11 keysyms, so that a key-watching
// backend can find the physical keys that stand for a code.
#include <cstdint>
#include <vector>

namespace sorvane {

// The X11 keysym values that stand for virtual-key code vk.  Codes that name
// one key on each side of the keyboard (Shift, Control, Alt) give both
// keysyms; letters give the lowercase keysym, which is the one a keyboard
// map lists first.  Codes with no known key give an empty list.
std::vector<uint32_t> keysymsForVirtualKey(int32_t vk);

} // namespace sorvane
