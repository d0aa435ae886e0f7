#pragma once
#include <cstdint>
#include <string>

namespace sorvane {

// Shift mask bits of a key-down event.
inline constexpr int16_t kShiftMask = 1;
inline constexpr int16_t kCtrlMask = 2;
inline constexpr int16_t kAltMask = 4;

// Display name of a key (a Windows virtual-key code), as the key boxes show
// it: "F7", "A", "Page Up", "Num 5".  The shift mask only matters for code 0
// ("None" without modifiers).
std::string hotKeyText(int16_t keyCode, int16_t shift);

} // namespace sorvane
