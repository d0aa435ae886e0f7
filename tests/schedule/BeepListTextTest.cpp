// The beep table shown as text, and a hand-edited list read back.
#include "schedule/BeepListText.h"

#include <gtest/gtest.h>

#include <ostream>

#include <array>
#include <initializer_list>
#include <string>
#include <vector>

namespace sorvane {
namespace {

BeepTable tableOf(std::initializer_list<float> entries, float fill = 0.0f) {
    BeepTable t;
    t.fill(fill);
    std::size_t i = 0;
    for (float e : entries)
        t[i++] = e;
    return t;
}

std::vector<float> head(const BeepTable& t, std::size_t n) {
    return std::vector<float>(t.begin(), t.begin() + static_cast<std::ptrdiff_t>(n));
}

// --- showing the table ------------------------------------------------------------

TEST(BeepListText, DesignTimeSchedule) {
    const BeepTable t = tableOf({10.0f, 19.8f, 20.0f, 29.6f, 29.8f, 30.0f, 39.4f, 39.6f, 39.8f, 40.0f, 49.2f,
                                 49.4f, 49.6f, 49.8f, 50.0f, 55.0f, 56.0f, 57.0f, 58.0f, 59.0f, 60.0f});
    EXPECT_EQ(beepListText(t), " 10\r\n 19.8\r\n 20\r\n 29.6\r\n 29.8\r\n 30\r\n 39.4\r\n 39.6\r\n"
                               " 39.8\r\n 40\r\n 49.2\r\n 49.4\r\n 49.6\r\n 49.8\r\n 50\r\n 55\r\n"
                               " 56\r\n 57\r\n 58\r\n 59\r\n 60\r\n");
}

struct ShowCase {
    const char* name;
    BeepTable table;
    const char* text;
};

void PrintTo(const ShowCase& c, std::ostream* os) {
    *os << c.name;
}

class ShowCaseTest : public ::testing::TestWithParam<ShowCase> {};

TEST_P(ShowCaseTest, ShowsTheTable) {
    EXPECT_EQ(beepListText(GetParam().table), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ShowCaseTest,
    ::testing::Values(
        ShowCase{"Empty", tableOf({}), "none"},
        // later entries behind a first 0 are stale
        ShowCase{"FirstEntryZero", tableOf({0.0f, 5.0f, 6.0f}, 9.0f), "none"},
        ShowCase{"ZeroInTheMiddleEndsTheList", tableOf({10.0f, 0.0f, 20.0f}, 9.0f), " 10\r\n"},
        ShowCase{"NegativeEntriesShown", tableOf({5.0f, -0.5f, -3.0f, 2.0f}), " 5\r\n-.5\r\n-3\r\n 2\r\n"},
        ShowCase{"Fractions", tableOf({0.1f, 1.9666667f, 12.25f}), " .1\r\n 1.966667\r\n 12.25\r\n"},
        ShowCase{"MinutesExample", tableOf({1.0f, 1.95f, 1.9666667f, 1.9833333f, 2.0f}),
                 " 1\r\n 1.95\r\n 1.966667\r\n 1.983333\r\n 2\r\n"},
        ShowCase{"RepeatsAndDisorderKept", tableOf({30.0f, 10.0f, 10.0f}), " 30\r\n 10\r\n 10\r\n"}),
    [](const ::testing::TestParamInfo<ShowCase>& info) { return std::string(info.param.name); });

std::size_t countLines(const std::string& text) {
    std::size_t n = 0;
    for (std::size_t pos = text.find("\r\n"); pos != std::string::npos; pos = text.find("\r\n", pos + 2))
        ++n;
    return n;
}

TEST(BeepListText, FullTableShows255Lines) {
    BeepTable t;
    for (std::size_t i = 0; i < kBeepTableSize; ++i)
        t[i] = static_cast<float>(i + 1);
    t[255] = 0.0f;
    const std::string text = beepListText(t);
    EXPECT_EQ(countLines(text), 255u);
    EXPECT_EQ(text.substr(text.size() - 6), " 255\r\n");
}

TEST(BeepListText, TableWithoutZeroStopsAtTheLastSlot) {
    BeepTable t;
    t.fill(1.5f);
    EXPECT_EQ(countLines(beepListText(t)), 256u);
}

// --- reading a hand-edited list ------------------------------------------------

TEST(ParseBeepList, WorkedExample) {
    BeepTable t;
    t.fill(99.0f);
    const ParseResult r = parseBeepList("5\r\n12.25\r\nabc\r\n30\r\n", t);
    EXPECT_EQ(head(t, 5), (std::vector<float>{5.0f, 12.25f, 0.0f, 30.0f, 0.0f}));
    EXPECT_EQ(r.lines, 4u);
    EXPECT_FALSE(r.cut);
    // shown again, the list ends at the 0 the line of letters became
    EXPECT_EQ(beepListText(t), " 5\r\n 12.25\r\n");
}

struct ParseCase {
    const char* name;
    std::string text;
    std::vector<float> expected; // entries up to and including the closing 0
};

void PrintTo(const ParseCase& c, std::ostream* os) {
    *os << c.name;
}

class ParseCaseTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseCaseTest, ReadsTheList) {
    const ParseCase& c = GetParam();
    BeepTable t;
    t.fill(99.0f);
    const ParseResult r = parseBeepList(c.text, t);
    EXPECT_EQ(head(t, c.expected.size()), c.expected);
    EXPECT_FALSE(r.cut);
    EXPECT_EQ(r.lines, c.expected.size() - 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseCaseTest,
    ::testing::Values(
        // texts whose reading as a whole is 0 empty the table
        ParseCase{"None", "none", {0.0f}}, ParseCase{"Empty", "", {0.0f}},
        ParseCase{"FirstLineZero", "0\r\n5\r\n", {0.0f}},
        ParseCase{"FirstLineLetters", "abc\r\n5\r\n", {0.0f}},
        ParseCase{"FirstLineZeroPointZero", "0.0\r\n7\r\n", {0.0f}},
        ParseCase{"TrailingBreaksDropped", "10\r\n\r\n\r\n", {10.0f, 0.0f}},
        ParseCase{"NoFinalBreak", "5\r\n6", {5.0f, 6.0f, 0.0f}},
        ParseCase{"SingleLine", "0.1\r\n", {0.1f, 0.0f}},
        ParseCase{"EmptyMiddleLineEndsTheTable", "10\r\n\r\n20\r\n", {10.0f, 0.0f, 20.0f, 0.0f}},
        ParseCase{"BlanksAndTextAroundTheNumber", " 7.5 sec\r\n9\r\n", {7.5f, 9.0f, 0.0f}},
        ParseCase{"OrderKept", "30\r\n10\r\n", {30.0f, 10.0f, 0.0f}},
        ParseCase{"RepeatsAndNegativesKept", "5\r\n-2\r\n5\r\n", {5.0f, -2.0f, 5.0f, 0.0f}},
        // a line ended by a lone line feed loses its last character
        ParseCase{"LoneLineFeedCutsALine", "12\n20", {1.0f, 20.0f, 0.0f}},
        ParseCase{"SinglePrecision", "1.23456789\r\n", {1.2345679f, 0.0f}},
        ParseCase{"CanonicalText", " 10\r\n 19.8\r\n .5\r\n", {10.0f, 19.8f, 0.5f, 0.0f}},
        ParseCase{"ExponentLine", "1E+07\r\n", {1e7f, 0.0f}},
        ParseCase{"TrailingBlankLineWithCarriageReturn", "4\r\n\r\n", {4.0f, 0.0f}}),
    [](const ::testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.name); });

TEST(ParseBeepList, ShownListReadsBackToTheSameTable) {
    const BeepTable original = tableOf({10.0f, 19.8f, 0.5f, -0.5f, 1.25f, 55.2f, 1e7f});
    BeepTable t;
    t.fill(99.0f);
    parseBeepList(beepListText(original), t);
    EXPECT_EQ(head(t, 8), head(original, 8));
}

std::string numberedLines(int count) {
    std::string s;
    for (int i = 1; i <= count; ++i)
        s += std::to_string(i) + "\r\n";
    return s;
}

TEST(ParseBeepList, MoreThan255LinesAreCut) {
    BeepTable t;
    t.fill(99.0f);
    const ParseResult r = parseBeepList(numberedLines(300), t);
    EXPECT_TRUE(r.cut);
    EXPECT_EQ(r.lines, 255u);
    for (std::size_t i = 0; i < 255; ++i)
        ASSERT_EQ(t[i], static_cast<float>(i + 1)) << i;
    EXPECT_EQ(t[255], 0.0f);
}

TEST(ParseBeepList, Exactly255LinesFit) {
    BeepTable t;
    t.fill(99.0f);
    const ParseResult r = parseBeepList(numberedLines(255), t);
    EXPECT_FALSE(r.cut);
    EXPECT_EQ(r.lines, 255u);
    EXPECT_EQ(t[254], 255.0f);
    EXPECT_EQ(t[255], 0.0f);
}

TEST(ParseBeepList, Line256IsTheFirstOneCut) {
    BeepTable t;
    t.fill(99.0f);
    const ParseResult r = parseBeepList(numberedLines(256), t);
    EXPECT_TRUE(r.cut);
    EXPECT_EQ(r.lines, 255u);
    EXPECT_EQ(t[254], 255.0f);
    EXPECT_EQ(t[255], 0.0f);
}

// A line left out is a loss only when it would have been played: a line
// that reads as 0 (blank, letters, 0) or any line behind one is not.
TEST(ParseBeepList, CutOnlyWhenAPlayedLineIsLost) {
    BeepTable t;
    EXPECT_FALSE(parseBeepList(numberedLines(255) + " \r\n", t).cut);
    EXPECT_FALSE(parseBeepList(numberedLines(255) + "abc\r\n12\r\n", t).cut);
    EXPECT_FALSE(parseBeepList("5\r\n\r\n" + numberedLines(300), t).cut);
    EXPECT_TRUE(parseBeepList(numberedLines(255) + " .5\r\n", t).cut);
}

TEST(ParseBeepList, TrailingBreaksDoNotCountAsLines) {
    BeepTable t;
    const ParseResult r = parseBeepList(numberedLines(255) + "\r\n\r\n\r\n", t);
    EXPECT_FALSE(r.cut);
    EXPECT_EQ(r.lines, 255u);
    EXPECT_EQ(t[255], 0.0f);
}

// Line feeds without a carriage return where a line would lose more than
// it has: read as empty lines, never a crash or a read outside the text.
TEST(ParseBeepList, LeadingLineFeedReadsAsAnEmptyLine) {
    BeepTable t;
    t.fill(99.0f);
    const ParseResult r = parseBeepList("\n5\r\n6\r\n", t);
    ASSERT_LE(r.lines, 255u);
    EXPECT_EQ(t[0], 0.0f);
    EXPECT_EQ(t[r.lines], 0.0f);
}

struct OddTextCase {
    const char* name;
    std::string text;
};

void PrintTo(const OddTextCase& c, std::ostream* os) {
    *os << c.name;
}

class OddTextTest : public ::testing::TestWithParam<OddTextCase> {};

TEST_P(OddTextTest, EndsTheTableInsideItsSlots) {
    BeepTable t;
    t.fill(99.0f);
    const ParseResult r = parseBeepList(GetParam().text, t);
    ASSERT_LE(r.lines, 255u);
    EXPECT_EQ(t[r.lines], 0.0f);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OddTextTest,
    ::testing::Values(OddTextCase{"LoneLineFeed", "\n"}, OddTextCase{"TwoLineFeeds", "\n\n"},
                      OddTextCase{"ShrinksToALoneLineFeed", "\n5\n"},
                      OddTextCase{"LineFeedsOnly", std::string(1001, '\n')},
                      OddTextCase{"CarriageReturnsOnly", "\r\r\r"},
                      OddTextCase{"NumberThenLoneFeeds", "5\n\n\n"},
                      OddTextCase{"NulBytes", std::string("5\r\n\0\0\r\n7", 9)},
                      OddTextCase{"ManyShortLines", std::string(5000, '1') + std::string(3000, '\n')},
                      OddTextCase{"MixedLineEnds", "1\n2\r\n\n3\r\r\n4"}),
    [](const ::testing::TestParamInfo<OddTextCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace sorvane
