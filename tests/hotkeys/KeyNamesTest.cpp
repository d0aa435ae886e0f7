// Display names of hotkeys as the key boxes show them.
#include "hotkeys/KeyNames.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>

namespace sorvane {
namespace {

struct KeyCase {
    int16_t code;
    int16_t shift;
    std::string text;
};

void PrintTo(const KeyCase& c, std::ostream* os) {
    *os << "(" << c.code << ", " << c.shift << ") -> \"" << c.text << "\"";
}

class KeyNameTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(KeyNameTest, NamesTheKey) {
    const KeyCase& c = GetParam();
    EXPECT_EQ(hotKeyText(c.code, c.shift), c.text) << "code " << c.code << " shift " << c.shift;
}

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, KeyNameTest,
    ::testing::Values(
        KeyCase{0, 0, "None"}, KeyCase{0, 1, "Ascii Key  0"}, KeyCase{0, 2, "Ascii Key  0"},
        KeyCase{0, 7, "Ascii Key  0"}, KeyCase{118, 0, "F7"}, KeyCase{119, 2, "F8"}, KeyCase{65, 1, "A"},
        KeyCase{16, 1, "Shift"}, KeyCase{17, 2, "Control"}, KeyCase{18, 4, "Alt"}, KeyCase{96, 0, "Num 0"},
        KeyCase{105, 0, "Num 9"}, KeyCase{111, 0, "Num /"}, KeyCase{127, 0, "F16"}, KeyCase{189, 0, "-"},
        KeyCase{222, 0, "'"}, KeyCase{220, 0, "\\"}, KeyCase{92, 0, "Ascii Key  92"},
        KeyCase{128, 0, "Ascii Key  128"}, KeyCase{-5, 0, "Ascii Key -5"}, KeyCase{12, 0, "Ascii Key  12"},
        KeyCase{1, 0, "Ascii Key  1"}, KeyCase{-1, 0, "Ascii Key -1"}, KeyCase{-32768, 0, "Ascii Key -32768"},
        KeyCase{-5, 3, "Ascii Key -5"}, KeyCase{20, 0, "Caps Lock"}, KeyCase{41, 0, "Ascii Key  41"},
        KeyCase{43, 0, "Ascii Key  43"}, KeyCase{44, 0, "Ascii Key  44"}, KeyCase{47, 0, "Ascii Key  47"},
        KeyCase{58, 0, "Ascii Key  58"}, KeyCase{64, 0, "Ascii Key  64"}, KeyCase{93, 0, "Ascii Key  93"},
        KeyCase{95, 0, "Ascii Key  95"}));

INSTANTIATE_TEST_SUITE_P(
    SingleCodes, KeyNameTest,
    ::testing::Values(KeyCase{8, 0, "Backspace"}, KeyCase{9, 0, "Tab"}, KeyCase{13, 0, "Enter"},
                      KeyCase{16, 0, "Shift"}, KeyCase{17, 0, "Control"}, KeyCase{18, 0, "Alt"},
                      KeyCase{19, 0, "Pause"}, KeyCase{20, 0, "Caps Lock"}, KeyCase{27, 0, "Escape"},
                      KeyCase{32, 0, "Space"}, KeyCase{33, 0, "Page Up"}, KeyCase{34, 0, "Page Down"},
                      KeyCase{35, 0, "End"}, KeyCase{36, 0, "Home"}, KeyCase{37, 0, "Left"},
                      KeyCase{38, 0, "Up"}, KeyCase{39, 0, "Right"}, KeyCase{40, 0, "Down"},
                      KeyCase{42, 0, "Print"}, KeyCase{45, 0, "Insert"}, KeyCase{46, 0, "Delete"},
                      KeyCase{91, 0, "Start Menu"}, KeyCase{106, 0, "Num *"}, KeyCase{107, 0, "Num +"},
                      KeyCase{108, 0, "Num Enter"}, KeyCase{109, 0, "Num -"}, KeyCase{110, 0, "Num Del"},
                      KeyCase{111, 0, "Num /"}, KeyCase{144, 0, "Num Lock"}, KeyCase{145, 0, "Scroll Lock"},
                      KeyCase{186, 0, ";"}, KeyCase{187, 0, "="}, KeyCase{192, 0, "`"},
                      KeyCase{222, 0, "'"}));

// Rule order around the ranges: the named codes and 188-191 come before the
// "code above 128" rule.
INSTANTIATE_TEST_SUITE_P(RuleOrder, KeyNameTest,
                         ::testing::Values(KeyCase{188, 0, ","}, KeyCase{189, 0, "-"}, KeyCase{190, 0, "."},
                                           KeyCase{191, 0, "/"}, KeyCase{219, 0, "["}, KeyCase{220, 0, "\\"},
                                           KeyCase{221, 0, "]"}, KeyCase{129, 0, std::string(1, '\x01')},
                                           KeyCase{143, 0, std::string(1, '\x0f')},
                                           KeyCase{146, 0, std::string(1, '\x12')}, KeyCase{185, 0, "9"},
                                           KeyCase{193, 0, "A"}, KeyCase{218, 0, "Z"}, KeyCase{223, 0, "_"},
                                           KeyCase{255, 0, std::string(1, '\x7f')}, KeyCase{160, 0, " "},
                                           KeyCase{176, 0, "0"}, KeyCase{137, 0, "\t"},
                                           KeyCase{141, 0, "\r"}));

TEST(KeyNames, Letters) {
    for (int16_t code = 65; code <= 90; ++code)
        for (int16_t shift : {0, 1, 2, 4, 7})
            EXPECT_EQ(hotKeyText(code, shift), std::string(1, static_cast<char>(code))) << code;
}

TEST(KeyNames, Digits) {
    for (int16_t code = 48; code <= 57; ++code)
        EXPECT_EQ(hotKeyText(code, 0), std::string(1, static_cast<char>(code))) << code;
}

TEST(KeyNames, KeypadDigits) {
    for (int16_t code = 96; code <= 105; ++code)
        EXPECT_EQ(hotKeyText(code, 2), "Num " + std::to_string(code - 96)) << code;
}

TEST(KeyNames, FunctionKeys) {
    for (int16_t code = 112; code <= 127; ++code)
        EXPECT_EQ(hotKeyText(code, 4), "F" + std::to_string(code - 111)) << code;
}

TEST(KeyNames, CodesAbove128AreOneCharacter) {
    for (int code = 129; code <= 255; ++code) {
        if (code == 144 || code == 145 || code == 186 || code == 187 || code == 192 || code == 222 ||
            (code >= 188 && code <= 191))
            continue;
        EXPECT_EQ(hotKeyText(static_cast<int16_t>(code), 0), std::string(1, static_cast<char>(code - 128)))
            << code;
    }
}

TEST(KeyNames, UnnamedLowCodesAreAsciiKeys) {
    for (int code = 1; code <= 128; ++code) {
        const bool named = (code >= 48 && code <= 57) || (code >= 65 && code <= 90) ||
                           (code >= 96 && code <= 127) || code == 8 || code == 9 || code == 13 ||
                           (code >= 16 && code <= 20) || code == 27 || (code >= 32 && code <= 40) ||
                           code == 42 || code == 45 || code == 46 || code == 91;
        if (named)
            continue;
        EXPECT_EQ(hotKeyText(static_cast<int16_t>(code), 1), "Ascii Key  " + std::to_string(code)) << code;
    }
}

// Codes that never come from a keyboard (a hand-edited settings file) still
// give some text, and no pair of arguments makes the function fail.
TEST(KeyNames, EveryPairGivesText) {
    std::size_t empty = 0;
    for (int code = -32768; code <= 32767; ++code)
        for (int shift : {0, 1, 2, 3, 4, 5, 6, 7})
            empty += hotKeyText(static_cast<int16_t>(code), static_cast<int16_t>(shift)).empty();
    EXPECT_EQ(empty, 0u);
}

TEST(KeyNames, NegativeCodesAreAsciiKeysWithTheirSign) {
    for (int code : {-1, -2, -100, -255, -32767, -32768})
        EXPECT_EQ(hotKeyText(static_cast<int16_t>(code), 0), "Ascii Key " + std::to_string(code)) << code;
}

TEST(KeyNames, CodesAbove255GiveText) {
    for (int code : {256, 300, 1000, 32767})
        EXPECT_FALSE(hotKeyText(static_cast<int16_t>(code), 0).empty()) << code;
}

} // namespace
} // namespace sorvane
