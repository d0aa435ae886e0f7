// The beep table shown as text, and a hand-edited list read back.
#include "schedule/BeepListText.h"

#include "support/DefaultSettings.h"
#include "support/TableTests.h"

#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <string>
#include <vector>

namespace sorvane {
namespace {

using testing_support::countingLines;
using testing_support::PrintTo;

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

struct ShowCase {
    const char* name;
    BeepTable table;
    std::string text;
};

// The table 1, 2, ... n, then 0.
BeepTable countingTable(std::size_t n) {
    BeepTable t;
    t.fill(0.0f);
    for (std::size_t i = 0; i < n; ++i)
        t[i] = static_cast<float>(i + 1);
    return t;
}

std::string repeated(const std::string& line, std::size_t n) {
    std::string text;
    for (std::size_t i = 0; i < n; ++i)
        text += line;
    return text;
}

// The lines " 1", " 2", ... " n" as the box shows them.
std::string shownCounting(int n) {
    std::string text;
    for (int i = 1; i <= n; ++i)
        text += " " + std::to_string(i) + "\r\n";
    return text;
}

class ShowCaseTest : public ::testing::TestWithParam<ShowCase> {};

TEST_P(ShowCaseTest, ShowsTheTable) {
    EXPECT_EQ(beepListText(GetParam().table), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ShowCaseTest,
    ::testing::Values(
        ShowCase{"DesignTimeSchedule",
                 tableOf({10.0f, 19.8f, 20.0f, 29.6f, 29.8f, 30.0f, 39.4f, 39.6f, 39.8f, 40.0f, 49.2f,
                          49.4f, 49.6f, 49.8f, 50.0f, 55.0f, 56.0f, 57.0f, 58.0f, 59.0f, 60.0f}),
                 " 10\r\n 19.8\r\n 20\r\n 29.6\r\n 29.8\r\n 30\r\n 39.4\r\n 39.6\r\n"
                 " 39.8\r\n 40\r\n 49.2\r\n 49.4\r\n 49.6\r\n 49.8\r\n 50\r\n 55\r\n"
                 " 56\r\n 57\r\n 58\r\n 59\r\n 60\r\n"},
        ShowCase{"Empty", tableOf({}), "none"},
        // later entries behind a first 0 are stale
        ShowCase{"FirstEntryZero", tableOf({0.0f, 5.0f, 6.0f}, 9.0f), "none"},
        ShowCase{"ZeroInTheMiddleEndsTheList", tableOf({10.0f, 0.0f, 20.0f}, 9.0f), " 10\r\n"},
        ShowCase{"NegativeEntriesShown", tableOf({5.0f, -0.5f, -3.0f, 2.0f}), " 5\r\n-.5\r\n-3\r\n 2\r\n"},
        ShowCase{"Fractions", tableOf({0.1f, 1.9666667f, 12.25f}), " .1\r\n 1.966667\r\n 12.25\r\n"},
        ShowCase{"MinutesExample", tableOf({1.0f, 1.95f, 1.9666667f, 1.9833333f, 2.0f}),
                 " 1\r\n 1.95\r\n 1.966667\r\n 1.983333\r\n 2\r\n"},
        ShowCase{"RepeatsAndDisorderKept", tableOf({30.0f, 10.0f, 10.0f}), " 30\r\n 10\r\n 10\r\n"},
        ShowCase{"FullTableIs255Lines", countingTable(255), shownCounting(255)},
        // a table that a writer left without its 0 stops at the last slot
        ShowCase{"TableWithoutZeroStopsAtTheLastSlot", tableOf({}, 1.5f), repeated(" 1.5\r\n", 256)}),
    testing_support::ByName());

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
    Rows, ParseCaseTest,
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
        ParseCase{"TrailingBlankLineWithCarriageReturn", "4\r\n\r\n", {4.0f, 0.0f}},
        // a line feed with no carriage return before it, where the line would
        // lose more than it has: an empty line
        ParseCase{"LeadingLineFeedIsAnEmptyLine", "\n5\r\n6\r\n", {0.0f, 5.0f, 6.0f, 0.0f}}),
    testing_support::ByName());

TEST(ParseBeepList, ShownListReadsBackToTheSameTable) {
    const BeepTable original = tableOf({10.0f, 19.8f, 0.5f, -0.5f, 1.25f, 55.2f, 1e7f});
    BeepTable t;
    t.fill(99.0f);
    parseBeepList(beepListText(original), t);
    EXPECT_EQ(head(t, 8), head(original, 8));
}

// The table has room for 255 lines before its closing 0.  A line left out
// is a loss only when it would have been played: a line that reads as 0
// (blank, letters, 0) or any line behind one is not; trailing line breaks
// are no lines at all.
struct ListCapacityCase {
    const char* name;
    std::string text;
    bool cut;
    std::vector<float> head; // the first entries
};

std::vector<float> counting(int n) {
    std::vector<float> v;
    for (int i = 1; i <= n; ++i)
        v.push_back(static_cast<float>(i));
    return v;
}

class ListCapacityTest : public ::testing::TestWithParam<ListCapacityCase> {};

TEST_P(ListCapacityTest, Keeps255Lines) {
    const ListCapacityCase& c = GetParam();
    BeepTable t;
    t.fill(99.0f);
    const ParseResult r = parseBeepList(c.text, t);
    EXPECT_EQ(r.cut, c.cut);
    EXPECT_EQ(r.lines, 255u);
    EXPECT_EQ(head(t, c.head.size()), c.head);
    EXPECT_EQ(t[255], 0.0f);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ListCapacityTest,
    ::testing::Values(
        ListCapacityCase{"Exactly255Fit", countingLines(255), false, counting(255)},
        ListCapacityCase{"Line256IsTheFirstCut", countingLines(256), true, counting(255)},
        ListCapacityCase{"MoreThan255AreCut", countingLines(300), true, counting(255)},
        ListCapacityCase{"TrailingBreaksAreNoLines", countingLines(255) + "\r\n\r\n\r\n", false,
                         counting(255)},
        ListCapacityCase{"BlankLineBehind255", countingLines(255) + " \r\n", false, counting(255)},
        ListCapacityCase{"LettersBehind255", countingLines(255) + "abc\r\n12\r\n", false, counting(255)},
        ListCapacityCase{
            "LinesBehindAnEarlyEmptyLine", "5\r\n\r\n" + countingLines(300), false, {5.0f, 0.0f, 1.0f}},
        ListCapacityCase{"FractionBehind255", countingLines(255) + " .5\r\n", true, counting(255)}),
    testing_support::ByName());

struct OddTextCase {
    const char* name;
    std::string text;
};

class OddTextTest : public ::testing::TestWithParam<OddTextCase> {};

TEST_P(OddTextTest, EndsTheTableInsideItsSlots) {
    BeepTable t;
    t.fill(99.0f);
    const ParseResult r = parseBeepList(GetParam().text, t);
    ASSERT_LE(r.lines, 255u);
    EXPECT_EQ(t[r.lines], 0.0f);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, OddTextTest,
    ::testing::Values(OddTextCase{"LoneLineFeed", "\n"}, OddTextCase{"TwoLineFeeds", "\n\n"},
                      OddTextCase{"ShrinksToALoneLineFeed", "\n5\n"},
                      OddTextCase{"LineFeedsOnly", std::string(1001, '\n')},
                      OddTextCase{"CarriageReturnsOnly", "\r\r\r"},
                      OddTextCase{"NumberThenLoneFeeds", "5\n\n\n"},
                      OddTextCase{"NulBytes", std::string("5\r\n\0\0\r\n7\0", 9)},
                      OddTextCase{"ManyShortLines", std::string(5000, '1') + std::string(3000, '\n')},
                      OddTextCase{"MixedLineEnds", "1\n2\r\n\n3\r\r\n4"}),
    testing_support::ByName());

} // namespace
} // namespace sorvane
