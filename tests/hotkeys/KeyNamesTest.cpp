// Display names of hotkeys as the key boxes show them, rule by rule, with
// the table of single codes and the edge cases as the oracle.
#include "hotkeys/KeyNames.h"

#include "support/TableTests.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace sorvane {
namespace {

using testing_support::PrintTo;

struct NameRow {
    int16_t code;
    int16_t shift;
    std::string text;
};
struct KeyRule {
    const char* name;
    std::vector<NameRow> rows;
};

// The keys with a name of their own.
const std::vector<NameRow> kSingleCodes = {
    {8, 0, "Backspace"},   {9, 0, "Tab"},        {13, 0, "Enter"},
    {16, 0, "Shift"},      {17, 0, "Control"},   {18, 0, "Alt"},
    {19, 0, "Pause"},      {20, 0, "Caps Lock"}, {27, 0, "Escape"},
    {32, 0, "Space"},      {33, 0, "Page Up"},   {34, 0, "Page Down"},
    {35, 0, "End"},        {36, 0, "Home"},      {37, 0, "Left"},
    {38, 0, "Up"},         {39, 0, "Right"},     {40, 0, "Down"},
    {42, 0, "Print"},      {45, 0, "Insert"},    {46, 0, "Delete"},
    {91, 0, "Start Menu"}, {106, 0, "Num *"},    {107, 0, "Num +"},
    {108, 0, "Num Enter"}, {109, 0, "Num -"},    {110, 0, "Num Del"},
    {111, 0, "Num /"},     {144, 0, "Num Lock"}, {145, 0, "Scroll Lock"},
    {186, 0, ";"},         {187, 0, "="},        {192, 0, "`"},
    {222, 0, "'"}};

bool isSingleCode(int code) {
    return std::any_of(kSingleCodes.begin(), kSingleCodes.end(),
                       [&](const NameRow& r) { return r.code == code; });
}

class KeyNameTest : public ::testing::TestWithParam<KeyRule> {};

// The mask never changes the text, except for code 0 ("None" only with no
// modifier): each row is also checked with every modifier held.
TEST_P(KeyNameTest, NamesTheKey) {
    for (const NameRow& r : GetParam().rows) {
        EXPECT_EQ(hotKeyText(r.code, r.shift), r.text) << "code " << r.code << " shift " << r.shift;
        if (r.code != 0) {
            EXPECT_EQ(hotKeyText(r.code, 7), r.text) << "code " << r.code << " shift 7";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, KeyNameTest,
    ::testing::Values(KeyRule{"EdgeCases",
                              {{0, 0, "None"},
                               {0, 1, "Ascii Key  0"},
                               {118, 0, "F7"},
                               {119, 2, "F8"},
                               {65, 1, "A"},
                               {16, 1, "Shift"},
                               {17, 2, "Control"},
                               {18, 4, "Alt"},
                               {96, 0, "Num 0"},
                               {105, 0, "Num 9"},
                               {111, 0, "Num /"},
                               {127, 0, "F16"},
                               {189, 0, "-"},
                               {222, 0, "'"},
                               {220, 0, "\\"},
                               {92, 0, "Ascii Key  92"},
                               {128, 0, "Ascii Key  128"},
                               {-5, 0, "Ascii Key -5"}}},
                      KeyRule{"SingleCodes", kSingleCodes},
                      // the named codes and 188-191 come before the "code above 128" rule
                      KeyRule{"RuleOrder",
                              {{188, 0, ","},
                               {189, 0, "-"},
                               {190, 0, "."},
                               {191, 0, "/"},
                               {219, 0, "["},
                               {220, 0, "\\"},
                               {221, 0, "]"},
                               {129, 0, "\x01"},
                               {143, 0, "\x0f"},
                               {146, 0, "\x12"},
                               {185, 0, "9"},
                               {193, 0, "A"},
                               {218, 0, "Z"},
                               {223, 0, "_"},
                               {255, 0, "\x7f"},
                               {160, 0, " "},
                               {176, 0, "0"},
                               {137, 0, "\t"},
                               {141, 0, "\r"}}},
                      // a blank in front of a code of 0 or above, its sign in front of a
                      // negative one (possible only from a settings file)
                      KeyRule{"AsciiKeys",
                              {{0, 2, "Ascii Key  0"},
                               {0, 7, "Ascii Key  0"},
                               {1, 0, "Ascii Key  1"},
                               {12, 0, "Ascii Key  12"},
                               {41, 0, "Ascii Key  41"},
                               {43, 0, "Ascii Key  43"},
                               {44, 0, "Ascii Key  44"},
                               {47, 0, "Ascii Key  47"},
                               {58, 0, "Ascii Key  58"},
                               {64, 0, "Ascii Key  64"},
                               {93, 0, "Ascii Key  93"},
                               {95, 0, "Ascii Key  95"},
                               {-1, 0, "Ascii Key -1"},
                               {-2, 0, "Ascii Key -2"},
                               {-5, 3, "Ascii Key -5"},
                               {-100, 0, "Ascii Key -100"},
                               {-255, 0, "Ascii Key -255"},
                               {-32767, 0, "Ascii Key -32767"},
                               {-32768, 0, "Ascii Key -32768"}}}),
    testing_support::ByName());

// Whole ranges, each by the rule that names it.
TEST(KeyNames, Ranges) {
    for (int16_t code = 48; code <= 90; ++code) {
        for (int16_t shift : {0, 1, 2, 4, 7}) {
            if (code <= 57 || code >= 65) {
                EXPECT_EQ(hotKeyText(code, shift), std::string(1, static_cast<char>(code))) << code;
            }
        }
    }
    for (int16_t code = 96; code <= 105; ++code)
        EXPECT_EQ(hotKeyText(code, 2), "Num " + std::to_string(code - 96)) << code;
    for (int16_t code = 112; code <= 127; ++code)
        EXPECT_EQ(hotKeyText(code, 4), "F" + std::to_string(code - 111)) << code;
    // above 128: the one character of code - 128, unless a rule before names it
    for (int16_t code = 129; code <= 255; ++code) {
        if (!isSingleCode(code) && (code < 188 || code > 191)) {
            EXPECT_EQ(hotKeyText(code, 0), std::string(1, static_cast<char>(code - 128))) << code;
        }
    }
    // 1 to 128, unless a rule before names it: "Ascii Key " and the code
    for (int16_t code = 1; code <= 128; ++code) {
        const bool ranged = (code >= 48 && code <= 57) || (code >= 65 && code <= 90) ||
                            (code >= 96 && code <= 105) || (code >= 112 && code <= 127);
        if (!ranged && !isSingleCode(code)) {
            EXPECT_EQ(hotKeyText(code, 1), "Ascii Key  " + std::to_string(code)) << code;
        }
    }
}

// Codes that never come from a keyboard (a hand-edited settings file) still
// give some text, and no pair of arguments makes the function fail.
TEST(KeyNames, EveryPairGivesText) {
    std::size_t empty = 0;
    for (int code = -32768; code <= 32767; ++code)
        for (int shift : {0, 1, 7})
            empty += hotKeyText(static_cast<int16_t>(code), static_cast<int16_t>(shift)).empty();
    EXPECT_EQ(empty, 0u);
}

} // namespace
} // namespace sorvane
