// Generation of the beep table from the cycle parameters.
#include "schedule/Schedule.h"

#include "support/TableTests.h"

#include <gtest/gtest.h>

#include <array>
#include <cfloat>
#include <cstddef>
#include <initializer_list>
#include <utility>
#include <vector>

namespace sorvane {
namespace {

using testing_support::PrintTo;

// A table with guard slots behind it, to see that generation never writes
// past its 256 entries.
struct GuardedTable {
    BeepTable table;
    std::array<float, 16> after;
};
constexpr float kGuard = 4242.0f;

GuardedTable freshTable(float fill = 777.0f) {
    GuardedTable g;
    g.table.fill(fill);
    g.after.fill(kGuard);
    return g;
}

void expectGuardsIntact(const GuardedTable& g) {
    for (float v : g.after)
        ASSERT_EQ(v, kGuard) << "generation wrote past the table";
}

// The first n entries of the table.
std::vector<float> head(const BeepTable& t, std::size_t n) {
    return std::vector<float>(t.begin(), t.begin() + static_cast<std::ptrdiff_t>(n));
}

// Whether building the schedule cuts it, as the window learns it.
bool scheduleWasCut(const ScheduleParams& params) {
    BeepTable table{};
    bool cut = false;
    buildSchedule(params, table, &cut);
    return cut;
}

// The design-time values of the window's controls.
ScheduleParams designParams() {
    ScheduleParams p;
    p.cycleTime = 60;
    p.secondsUnit = true;
    p.warnings = true;
    p.warnInterval = 10;
    p.warnRate = 5;
    p.finalCount = true;
    p.finalCountTime = 5;
    p.finalCountGap = 1;
    return p;
}

const std::vector<float> kDesignWarnings = {10.0f, 19.8f, 20.0f, 29.6f, 29.8f, 30.0f, 39.4f, 39.6f,
                                            39.8f, 40.0f, 49.2f, 49.4f, 49.6f, 49.8f, 50.0f};

struct ScheduleCase {
    const char* name;
    ScheduleParams params;
    std::vector<float> expected; // entries before the closing 0
};

ScheduleParams make(double c, bool warn, double i, double r, bool count, double t, double s,
                    bool seconds = true) {
    ScheduleParams p;
    p.cycleTime = c;
    p.secondsUnit = seconds;
    p.warnings = warn;
    p.warnInterval = i;
    p.warnRate = r;
    p.finalCount = count;
    p.finalCountTime = t;
    p.finalCountGap = s;
    return p;
}

std::vector<float> growingWarnings() {
    // C = 10, I = 1, R = 1: warning n has the beeps 1, 2, ..., n.
    std::vector<float> v;
    for (int w = 1; w <= 10; ++w)
        for (int b = 1; b <= w; ++b)
            v.push_back(static_cast<float>(b));
    return v;
}

// The warnings and a countdown of the given seconds after them.
std::vector<float> warningsThen(std::vector<float> warnings, std::initializer_list<float> countdown) {
    warnings.insert(warnings.end(), countdown);
    return warnings;
}

// A rate so small that 1/R is beyond the double range: the spacing is taken
// as the largest double, so each warning still ends on its warning time and
// its earlier beeps are the lowest single.
std::vector<float> warningsOfInfiniteSpacing() {
    std::vector<float> v;
    for (int w = 1; w <= 5; ++w) {
        v.insert(v.end(), static_cast<std::size_t>(w - 1), -FLT_MAX);
        v.push_back(10.0f * static_cast<float>(w));
    }
    return v;
}

class ScheduleCaseTest : public ::testing::TestWithParam<ScheduleCase> {};

TEST_P(ScheduleCaseTest, GeneratesTheTable) {
    const ScheduleCase& c = GetParam();
    GuardedTable g = freshTable();
    const std::size_t n = buildSchedule(c.params, g.table);
    EXPECT_EQ(n, c.expected.size());
    EXPECT_EQ(head(g.table, c.expected.size()), c.expected);
    EXPECT_EQ(g.table[c.expected.size()], 0.0f);
    EXPECT_FALSE(scheduleWasCut(c.params));
    expectGuardsIntact(g);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ScheduleCaseTest,
    ::testing::Values(
        // the worked examples
        ScheduleCase{"DesignTimeValues", designParams(),
                     warningsThen(kDesignWarnings, {55.0f, 56.0f, 57.0f, 58.0f, 59.0f, 60.0f})},
        // each entry computed in double precision and stored as a single
        ScheduleCase{"MinutesExample",
                     make(2, true, 1, 2, true, 3, 1, false),
                     {1.0f, 1.95f, 1.9666667f, 1.9833333f, 2.0f}},
        // the edge cases
        ScheduleCase{"BothSectionsOff", make(60, false, 10, 5, false, 5, 1), {}},
        // the warnings still stop short of the last T seconds
        ScheduleCase{"WarningsOnlyStopAtL", make(60, true, 10, 5, false, 5, 1), kDesignWarnings},
        // 2.5 rounds to 2
        ScheduleCase{"CountdownHalfRoundsDown", make(60, false, 10, 5, true, 5, 2), {56.0f, 58.0f, 60.0f}},
        // 3.5 rounds to 4: the countdown starts before L
        ScheduleCase{
            "CountdownHalfRoundsUp", make(60, false, 10, 5, true, 7, 2), {52.0f, 54.0f, 56.0f, 58.0f, 60.0f}},
        ScheduleCase{"CountdownShorterThanHalfAGap", make(60, false, 10, 5, true, 0.4, 1), {60.0f}},
        ScheduleCase{"CountdownOfZeroLength", make(60, false, 10, 5, true, 0, 1), {60.0f}},
        ScheduleCase{"NegativeCountdownWritesNothing", make(60, false, 10, 5, true, -5, 1), {}},
        ScheduleCase{"NegativeGapWritesNothing", make(60, false, 10, 5, true, 5, -1), {}},
        // the last warning ends on L and the countdown starts there too
        ScheduleCase{"TiedMomentKeptTwice", make(60, true, 10, 5, true, 10, 1),
                     warningsThen(kDesignWarnings, {50, 51, 52, 53, 54, 55, 56, 57, 58, 59, 60})},
        ScheduleCase{"OverlappingWarningsNotSorted", make(10, true, 1, 1, false, 0, 1), growingWarnings()},
        // an entry of exactly 0 is written like any other
        ScheduleCase{"ZeroEntryInTheMiddle",
                     make(2, true, 0.5, 1, false, 0, 1),
                     {0.5f, 0.0f, 1.0f, -0.5f, 0.5f, 1.5f, -1.0f, 0.0f, 1.0f, 2.0f}},
        // countdown in minutes: T and S stay seconds
        ScheduleCase{"CountdownInMinutes",
                     make(1, false, 1, 1, true, 2, 1, false),
                     {static_cast<float>(1.0 - 2 * 1.0 / 60), static_cast<float>(1.0 - 1 * 1.0 / 60), 1.0f}},
        // warnings in minutes: the beep spacing 1/R seconds becomes minutes
        ScheduleCase{"WarningsInMinutes",
                     make(3, true, 1, 1, false, 0, 1, false),
                     {1.0f, static_cast<float>(2.0 - 1 * (1.0 / 1) / 60), 2.0f,
                      static_cast<float>(3.0 - 2 * (1.0 / 1) / 60),
                      static_cast<float>(3.0 - 1 * (1.0 / 1) / 60), 3.0f}},
        // a warning falling exactly on L is still generated
        ScheduleCase{"WarningOnTheLimit", make(20, true, 10, 5, false, 10, 1), {10.0f}},
        ScheduleCase{"WarningJustPastTheLimit", make(19.9, true, 10, 5, false, 10, 1), {}},
        // a first warning beyond the limit gives no warnings at all
        ScheduleCase{"CycleShorterThanInterval", make(5, true, 10, 5, true, 2, 1), {3.0f, 4.0f, 5.0f}},
        // a spacing of 0: one countdown beep at the end, after the warnings
        ScheduleCase{"ZeroGap", make(60, false, 10, 5, true, 5, 0), {60.0f}},
        ScheduleCase{"ZeroGapWithWarnings", make(60, true, 10, 5, true, 5, 0),
                     warningsThen(kDesignWarnings, {60.0f})},
        ScheduleCase{"RateWhoseSpacingIsInfinite", make(60, true, 10, 1e-310, false, 5, 1),
                     warningsOfInfiniteSpacing()}),
    testing_support::ByName());

// --- parameter sets the table cannot hold ---------------------------------------

// The table keeps the first 255 moments of the schedule, in order, and its
// closing 0; it was cut when a moment that would have been played is left
// out.  An interval of 0 makes the first moment 0: the table ends there and
// what is left out would never have been played.
struct ScheduleCapacityCase {
    const char* name;
    ScheduleParams params;
    bool cut;
    std::vector<std::pair<std::size_t, float>> entries; // some entries: slot, moment
};

class ScheduleCapacityTest : public ::testing::TestWithParam<ScheduleCapacityCase> {};

TEST_P(ScheduleCapacityTest, KeepsTheFirst255Moments) {
    const ScheduleCapacityCase& c = GetParam();
    EXPECT_EQ(scheduleWasCut(c.params), c.cut);
    GuardedTable g = freshTable();
    bool cut = !c.cut;
    EXPECT_EQ(buildSchedule(c.params, g.table, &cut), 255u);
    EXPECT_EQ(cut, c.cut);
    EXPECT_EQ(g.table[255], 0.0f);
    expectGuardsIntact(g);
    for (const auto& [slot, moment] : c.entries)
        EXPECT_EQ(g.table[slot], moment) << "slot " << slot;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ScheduleCapacityTest,
    ::testing::Values(
        // C = 60, I = 2 needs 378 warning beeps alone; warning 23 (W = 46,
        // 23 beeps) starts at slot 253
        ScheduleCapacityCase{"TooManyWarnings",
                             make(60, true, 2, 5, true, 5, 1),
                             true,
                             {{0, 2.0f},
                              {1, static_cast<float>(4.0 - 1 * (1.0 / 5))},
                              {2, 4.0f},
                              {252, 44.0f},
                              {253, static_cast<float>(46.0 - 22 * (1.0 / 5))},
                              {254, static_cast<float>(46.0 - 21 * (1.0 / 5))}}},
        // a countdown of 254 steps: 255 moments
        ScheduleCapacityCase{
            "ExactlyFull", make(300, false, 10, 5, true, 254, 1), false, {{0, 46.0f}, {254, 300.0f}}},
        // 256 countdown moments: the last one (C itself) is left out
        ScheduleCapacityCase{
            "OneMomentTooMany", make(300, false, 10, 5, true, 255, 1), true, {{0, 45.0f}, {254, 299.0f}}},
        ScheduleCapacityCase{"HugeCountdown", make(60, false, 10, 5, true, 1e9, 1), true, {}},
        ScheduleCapacityCase{"ZeroInterval", make(60, true, 0, 5, false, 5, 1), false, {{0, 0.0f}}},
        // W = -1, then -2 (two beeps 0.2 s apart), ...
        ScheduleCapacityCase{"NegativeInterval",
                             make(60, true, -1, 5, false, 5, 1),
                             true,
                             {{0, -1.0f}, {1, static_cast<float>(-2.0 - 1 * (1.0 / 5))}, {2, -2.0f}}},
        ScheduleCapacityCase{"TinyNegativeInterval", make(60, true, -0.001, 5, false, 5, 1), true, {}}),
    testing_support::ByName());

struct EndlessCase {
    const char* name;
    ScheduleParams params;
};

class EndlessScheduleTest : public ::testing::TestWithParam<EndlessCase> {};

// Sets that would run on for ever or need an undefined step count end, stay
// inside the table and leave a closing 0 in it.
TEST_P(EndlessScheduleTest, TerminatesInsideTheTable) {
    const ScheduleParams& p = GetParam().params;
    GuardedTable g = freshTable();
    const std::size_t n = buildSchedule(p, g.table);
    ASSERT_LE(n, 255u);
    EXPECT_EQ(g.table[n], 0.0f);
    expectGuardsIntact(g);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, EndlessScheduleTest,
    ::testing::Values(EndlessCase{"ZeroInterval", make(60, true, 0, 5, true, 5, 1)},
                      EndlessCase{"NegativeInterval", make(60, true, -1, 5, true, 5, 1)},
                      EndlessCase{"TinyInterval", make(60, true, 1e-9, 5, false, 5, 1)},
                      EndlessCase{"HugeCycle", make(1e30, true, 1, 5, true, 5, 1)},
                      EndlessCase{"HugeCountdown", make(60, false, 10, 5, true, 1e9, 1)},
                      EndlessCase{"HugeCountdownWithWarnings", make(60, true, 10, 5, true, 1e9, 1)},
                      EndlessCase{"HugeNegativeCountdown", make(60, true, 10, 5, true, -1e9, 1)},
                      EndlessCase{"TinyGap", make(60, false, 10, 5, true, 5, 1e-300)},
                      EndlessCase{"CountdownBeyond16Bits", make(60, false, 10, 5, true, 40000, 1)},
                      EndlessCase{"HugeEverything", make(1e300, true, 1e-300, 1e-300, true, 1e300, 1e-300)}),
    testing_support::ByName());

TEST(BuildSchedule, RebuildingOverwritesFromSlotZero) {
    GuardedTable g = freshTable();
    buildSchedule(designParams(), g.table);
    EXPECT_EQ(buildSchedule(make(60, false, 10, 5, true, 2, 1), g.table), 3u);
    EXPECT_EQ(head(g.table, 4), (std::vector<float>{58.0f, 59.0f, 60.0f, 0.0f}));
}

} // namespace
} // namespace sorvane
