#include "hotkeys/EvdevKeys.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <cstdint>
#include <set>
#include <vector>

namespace {

struct EvdevKeyCase {
    int32_t vk;
    std::vector<uint16_t> codes;
};

class EvdevKeysTest : public ::testing::TestWithParam<EvdevKeyCase> {};

TEST_P(EvdevKeysTest, GivesTheInputCodesOfTheKey) {
    const EvdevKeyCase& c = GetParam();
    EXPECT_EQ(sorvane::evdevKeysForVirtualKey(c.vk), c.codes) << "virtual key " << c.vk;
}

INSTANTIATE_TEST_SUITE_P(
    Table, EvdevKeysTest,
    ::testing::Values(
        EvdevKeyCase{65, {30}}, // A: KEY_A is 30
        EvdevKeyCase{66, {KEY_B}}, EvdevKeyCase{77, {KEY_M}},
        EvdevKeyCase{81, {16}}, // Q: KEY_Q is 16, top row
        EvdevKeyCase{90, {44}}, // Z: KEY_Z is 44
        EvdevKeyCase{48, {11}}, // 0: KEY_0 comes after KEY_9
        EvdevKeyCase{49, {2}},  // 1: KEY_1
        EvdevKeyCase{57, {10}}, // 9: KEY_9
        EvdevKeyCase{96, {KEY_KP0}}, EvdevKeyCase{97, {KEY_KP1}}, EvdevKeyCase{101, {KEY_KP5}},
        EvdevKeyCase{105, {KEY_KP9}}, EvdevKeyCase{106, {KEY_KPASTERISK}}, EvdevKeyCase{107, {KEY_KPPLUS}},
        EvdevKeyCase{108, {KEY_KPENTER}}, EvdevKeyCase{109, {KEY_KPMINUS}}, EvdevKeyCase{110, {KEY_KPDOT}},
        EvdevKeyCase{111, {KEY_KPSLASH}}, EvdevKeyCase{112, {59}}, // F1: KEY_F1 is 59
        EvdevKeyCase{118, {65}},                                   // F7
        EvdevKeyCase{119, {66}},                                   // F8
        EvdevKeyCase{121, {68}},                                   // F10
        EvdevKeyCase{122, {87}},                                   // F11 is not next to F10
        EvdevKeyCase{123, {88}},                                   // F12
        EvdevKeyCase{124, {183}},                                  // F13
        EvdevKeyCase{127, {186}},                                  // F16
        EvdevKeyCase{8, {KEY_BACKSPACE}}, EvdevKeyCase{9, {KEY_TAB}}, EvdevKeyCase{13, {KEY_ENTER}},
        EvdevKeyCase{16, {KEY_LEFTSHIFT, KEY_RIGHTSHIFT}}, EvdevKeyCase{17, {KEY_LEFTCTRL, KEY_RIGHTCTRL}},
        EvdevKeyCase{18, {KEY_LEFTALT, KEY_RIGHTALT}}, EvdevKeyCase{19, {KEY_PAUSE}},
        EvdevKeyCase{20, {KEY_CAPSLOCK}}, EvdevKeyCase{27, {KEY_ESC}}, EvdevKeyCase{32, {KEY_SPACE}},
        EvdevKeyCase{33, {KEY_PAGEUP}}, EvdevKeyCase{34, {KEY_PAGEDOWN}}, EvdevKeyCase{35, {KEY_END}},
        EvdevKeyCase{36, {KEY_HOME}}, EvdevKeyCase{37, {KEY_LEFT}}, EvdevKeyCase{38, {KEY_UP}},
        EvdevKeyCase{39, {KEY_RIGHT}}, EvdevKeyCase{40, {KEY_DOWN}}, EvdevKeyCase{42, {KEY_SYSRQ}},
        EvdevKeyCase{44, {KEY_SYSRQ}}, EvdevKeyCase{45, {KEY_INSERT}}, EvdevKeyCase{46, {KEY_DELETE}},
        EvdevKeyCase{91, {KEY_LEFTMETA}}, EvdevKeyCase{92, {KEY_RIGHTMETA}}, EvdevKeyCase{144, {KEY_NUMLOCK}},
        EvdevKeyCase{145, {KEY_SCROLLLOCK}}, EvdevKeyCase{160, {KEY_LEFTSHIFT}},
        EvdevKeyCase{161, {KEY_RIGHTSHIFT}}, EvdevKeyCase{162, {KEY_LEFTCTRL}},
        EvdevKeyCase{163, {KEY_RIGHTCTRL}}, EvdevKeyCase{164, {KEY_LEFTALT}},
        EvdevKeyCase{165, {KEY_RIGHTALT}}, EvdevKeyCase{186, {KEY_SEMICOLON}}, EvdevKeyCase{187, {KEY_EQUAL}},
        EvdevKeyCase{188, {KEY_COMMA}}, EvdevKeyCase{189, {KEY_MINUS}}, EvdevKeyCase{190, {KEY_DOT}},
        EvdevKeyCase{191, {KEY_SLASH}}, EvdevKeyCase{192, {KEY_GRAVE}}, EvdevKeyCase{219, {KEY_LEFTBRACE}},
        EvdevKeyCase{220, {KEY_BACKSLASH}}, EvdevKeyCase{221, {KEY_RIGHTBRACE}},
        EvdevKeyCase{222, {KEY_APOSTROPHE}},
        // Codes with no key watch nothing.
        EvdevKeyCase{0, {}}, EvdevKeyCase{-5, {}}, EvdevKeyCase{7, {}}, EvdevKeyCase{64, {}},
        EvdevKeyCase{91 + 2, {}}, EvdevKeyCase{128, {}}, EvdevKeyCase{255, {}}, EvdevKeyCase{70000, {}}));

// Every letter, digit and function key is its own key: no two codes share
// an input code, and none is left without one.
TEST(EvdevKeysRangesTest, LettersDigitsAndFunctionKeysAreDistinct) {
    std::set<uint16_t> seen;
    std::vector<int32_t> vks;
    for (int32_t vk = 48; vk <= 57; ++vk)
        vks.push_back(vk);
    for (int32_t vk = 65; vk <= 90; ++vk)
        vks.push_back(vk);
    for (int32_t vk = 96; vk <= 105; ++vk)
        vks.push_back(vk);
    for (int32_t vk = 112; vk <= 127; ++vk)
        vks.push_back(vk);
    for (int32_t vk : vks) {
        const std::vector<uint16_t> codes = sorvane::evdevKeysForVirtualKey(vk);
        ASSERT_EQ(codes.size(), 1u) << "virtual key " << vk;
        EXPECT_TRUE(seen.insert(codes.front()).second) << "virtual key " << vk << " shares its code";
        EXPECT_GT(codes.front(), 0) << "virtual key " << vk;
        EXPECT_LE(codes.front(), KEY_MAX) << "virtual key " << vk;
    }
}

} // namespace
