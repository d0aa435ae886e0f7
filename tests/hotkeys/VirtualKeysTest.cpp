#include "hotkeys/VirtualKeys.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

struct VirtualKeyCase {
    int32_t vk;
    std::vector<uint32_t> keysyms;
};

class VirtualKeysTest : public ::testing::TestWithParam<VirtualKeyCase> {};

TEST_P(VirtualKeysTest, GivesTheKeysymsOfTheKey) {
    const VirtualKeyCase& c = GetParam();
    EXPECT_EQ(sorvane::keysymsForVirtualKey(c.vk), c.keysyms) << "virtual key " << c.vk;
}

INSTANTIATE_TEST_SUITE_P(Table, VirtualKeysTest,
                         ::testing::Values(VirtualKeyCase{65, {0x61}},           // A -> a
                                           VirtualKeyCase{90, {0x7a}},           // Z -> z
                                           VirtualKeyCase{48, {0x30}},           // 0
                                           VirtualKeyCase{57, {0x39}},           // 9
                                           VirtualKeyCase{112, {0xffbe}},        // F1
                                           VirtualKeyCase{118, {0xffc4}},        // F7
                                           VirtualKeyCase{127, {0xffcd}},        // F16
                                           VirtualKeyCase{96, {0xffb0}},         // keypad 0
                                           VirtualKeyCase{105, {0xffb9}},        // keypad 9
                                           VirtualKeyCase{106, {0xffaa}},        // KP_Multiply
                                           VirtualKeyCase{108, {0xff8d}},        // KP_Enter
                                           VirtualKeyCase{111, {0xffaf}},        // KP_Divide
                                           VirtualKeyCase{16, {0xffe1, 0xffe2}}, // Shift_L, Shift_R
                                           VirtualKeyCase{17, {0xffe3, 0xffe4}}, // Control_L, Control_R
                                           VirtualKeyCase{18, {0xffe9, 0xffea}}, // Alt_L, Alt_R
                                           VirtualKeyCase{13, {0xff0d}},         // Return
                                           VirtualKeyCase{33, {0xff55}},         // Prior
                                           VirtualKeyCase{34, {0xff56}},         // Next
                                           VirtualKeyCase{42, {0xff61}},         // Print
                                           VirtualKeyCase{44, {0xff61}},         // Print (snapshot code)
                                           VirtualKeyCase{46, {0xffff}},         // Delete
                                           VirtualKeyCase{91, {0xffeb}},         // Super_L
                                           VirtualKeyCase{92, {0xffec}},         // Super_R
                                           VirtualKeyCase{144, {0xff7f}},        // Num_Lock
                                           VirtualKeyCase{145, {0xff14}},        // Scroll_Lock
                                           VirtualKeyCase{186, {0x3b}},          // semicolon
                                           VirtualKeyCase{189, {0x2d}},          // minus
                                           VirtualKeyCase{192, {0x60}},          // grave
                                           VirtualKeyCase{220, {0x5c}},          // backslash
                                           VirtualKeyCase{222, {0x27}},          // apostrophe
                                           // Codes with no key watch nothing.
                                           VirtualKeyCase{0, {}}, VirtualKeyCase{-5, {}},
                                           VirtualKeyCase{7, {}}, VirtualKeyCase{128, {}},
                                           VirtualKeyCase{255, {}}, VirtualKeyCase{70000, {}}));

} // namespace
