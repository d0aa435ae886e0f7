// The cycle runner against a fake tick counter and a scripted event loop:
// every yield moves the clock and may run handlers (set flags, rebuild the
// table), so the timing and ordering rules are checked tick by tick.
#include "engine/CycleRunner.h"

#include "support/CoreDoubles.h"
#include "support/TableTests.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace sorvane {
namespace {

using testing_support::FakeClock;
using testing_support::PrintTo;
using testing_support::ScriptedPump;

// Thrown out of a yield when a run goes on far longer than it can.
struct Runaway {};

class CycleRunnerTest : public ::testing::Test {
protected:
    CycleRunnerTest() {
        pump.advance = [](uint32_t) { return 1u; }; // 1 ms per yield unless a test says otherwise
        pump.onYield = [this](uint32_t maxWait) {
            if (check)
                check(maxWait);
            if (pump.yields > limit) {
                // Ask the runner to leave; if it does not listen, stop it hard.
                runaway = true;
                state.exitFlag = kTrue;
                if (pump.yields > 2 * limit + 10)
                    throw Runaway{};
            }
        };
    }

    void setTable(std::initializer_list<float> moments) { setTable(std::vector<float>(moments)); }
    void setTable(const std::vector<float>& moments) {
        state.beepTimes.fill(0.0f);
        std::copy(moments.begin(), moments.end(), state.beepTimes.begin());
    }

    // The receivers as the Start handler leaves them before it calls the runner.
    void asStartHandlerLeavesThem() {
        startReceiver.setEnabled(false);
        restartReceiver.setEnabled(true);
        stopReceiver.setEnabled(true);
    }

    void expectIdleReceivers() {
        EXPECT_TRUE(startReceiver.isEnabled());
        EXPECT_FALSE(restartReceiver.isEnabled());
        EXPECT_FALSE(stopReceiver.isEnabled());
    }

    void expectRunningReceivers() {
        EXPECT_FALSE(startReceiver.isEnabled());
        EXPECT_TRUE(restartReceiver.isEnabled());
        EXPECT_TRUE(stopReceiver.isEnabled());
    }

    void run(int32_t unitMs = 1000) {
        try {
            runner.run(unitMs);
        } catch (const Runaway&) {
            FAIL() << "the run did not end";
        }
        EXPECT_FALSE(runaway) << "the run did not end by itself";
        // One beep per poll: never two beeps without a yield between them.
        EXPECT_FALSE(twoBeepsInOnePoll);
    }

    // Beep ticks relative to a base tick.
    std::vector<uint32_t> beepsFrom(uint32_t base) const {
        std::vector<uint32_t> v;
        for (uint32_t t : beepTicks)
            v.push_back(t - base);
        return v;
    }

    void beep() {
        twoBeepsInOnePoll = twoBeepsInOnePoll || (!beepTicks.empty() && pump.yields == yieldsAtLastBeep);
        yieldsAtLastBeep = pump.yields;
        beepTicks.push_back(clock.now);
    }

    TimerState state;
    FakeClock clock;
    ScriptedPump pump{clock};
    // Checked on entry to every yield, with the wait asked for.
    std::function<void(uint32_t maxWait)> check;
    uint64_t limit = 20'000'000; // yields before a run counts as endless
    bool runaway = false;
    HotkeyReceiver startReceiver;
    HotkeyReceiver restartReceiver;
    HotkeyReceiver stopReceiver;
    std::vector<uint32_t> beepTicks;
    uint64_t yieldsAtLastBeep = 0;
    bool twoBeepsInOnePoll = false;
    CycleRunner runner{
        state, clock, pump, [this] { beep(); }, {&startReceiver, &restartReceiver, &stopReceiver}};
};

// --- conversion of moments ---------------------------------------------------------------

struct MomentRow {
    const char* name;
    float moment;
    int32_t unitMs;
    int32_t ms;
};

class MomentToMsTest : public ::testing::TestWithParam<MomentRow> {};

TEST_P(MomentToMsTest, Converts) {
    const MomentRow& r = GetParam();
    EXPECT_EQ(momentToMs(r.moment, r.unitMs), r.ms) << r.moment << " x " << r.unitMs;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MomentToMsTest,
    ::testing::Values(
        MomentRow{"Sixteenth", 0.0625f, 1000, 62}, MomentRow{"ThreeSixteenths", 0.1875f, 1000, 188},
        MomentRow{"BelowHalfAMillisecond", 0.0004f, 1000, 0}, MomentRow{"Zero", 0.0f, 1000, 0},
        MomentRow{"Seconds", 10.0f, 1000, 10000}, MomentRow{"Minutes", 10.0f, 60000, 600000},
        MomentRow{"Hundredth", 0.01f, 1000, 10}, MomentRow{"OneMillisecondMore", 1.001f, 1000, 1001},
        MomentRow{"WarningBeep", 19.8f, 1000, 19800}, MomentRow{"MinutesExample", 1.9666667f, 60000, 118000},
        MomentRow{"HalfToEvenBelow", 2.5f, 1, 2}, MomentRow{"HalfToEvenAbove", 3.5f, 1, 4},
        MomentRow{"Negative", -1.0f, 1000, -1000}, MomentRow{"LargestThatFits", 35791.0f, 60000, 2147460000},
        MomentRow{"JustTooLarge", 36000.0f, 60000, INT32_MAX}, MomentRow{"Huge", 1e10f, 1000, INT32_MAX},
        MomentRow{"LargestSingle", FLT_MAX, 60000, INT32_MAX}),
    testing_support::ByName());

TEST(MomentToMs, HugeNegativeMomentStaysAnEnd) {
    EXPECT_LE(momentToMs(-1e10f, 1000), 0);
    EXPECT_LE(momentToMs(-FLT_MAX, 60000), 0);
}

// --- when the beeps sound ---------------------------------------------------------------

// A run of a table from a start tick, the clock moving a fixed step in each
// yield: the ticks of its beeps after the start.  Every beep sounds at the
// first poll past its moment, one beep per poll, each repetition measured
// from its own start, and the run ends with the receivers idle.
struct TicksRow {
    const char* name;
    std::vector<float> table;
    int16_t repetitions;
    uint32_t start;
    uint32_t stepMs;
    int32_t unitMs;
    std::vector<uint32_t> beeps;
};

class BeepTicksTest : public CycleRunnerTest, public ::testing::WithParamInterface<TicksRow> {};

TEST_P(BeepTicksTest, BeepsAtTheFirstPollPastEachMoment) {
    const TicksRow& r = GetParam();
    setTable(r.table);
    state.repeatCount = r.repetitions;
    clock.now = r.start;
    pump.advance = [step = r.stepMs](uint32_t) { return step; };
    asStartHandlerLeavesThem();
    run(r.unitMs);
    EXPECT_EQ(beepsFrom(r.start), r.beeps);
    expectIdleReceivers();
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BeepTicksTest,
    ::testing::Values(
        // 1 ms per yield: the poll at exactly the moment does not beep
        TicksRow{"FirstPollPastTheMoment", {0.01f, 0.02f, 0.03f}, 1, 1000, 1, 1000, {11, 21, 31}},
        // polls at 10, 20 (equal: no beep), 30
        TicksRow{"EqualityWaitsForTheNextPoll", {0.02f}, 1, 500, 10, 1000, {30}},
        // the second repetition starts one yield after the last beep
        TicksRow{"RepetitionsMeasureFromTheirOwnStart",
                 {10.0f, 20.0f, 30.0f},
                 2,
                 5000,
                 1,
                 1000,
                 {10001, 20001, 30001, 40003, 50003, 60003}},
        // polls a second apart: 600000 ms is polled exactly and does not beep
        TicksRow{"Minutes", {10.0f, 20.0f, 30.0f}, 1, 77, 1000, 60000, {601000, 1201000, 1801000}},
        TicksRow{"OneMillisecondApart", {1.0f, 1.001f}, 1, 10, 1, 1000, {1001, 1002}},
        TicksRow{"RepeatedMomentsOnConsecutivePolls", {0.05f, 0.05f, 0.05f}, 1, 0, 1, 1000, {51, 52, 53}},
        // moments need not rise: a moment already passed sounds at the next poll
        TicksRow{"DescendingMomentsOnePerPoll", {0.03f, 0.01f, 0.02f}, 1, 0, 1, 1000, {31, 32, 33}},
        // 62.5 and 187.5 ms round to even: 62 and 188
        TicksRow{"SixteenthsRoundToEvenMilliseconds", {0.0625f, 0.1875f}, 2, 0, 1, 1000, {63, 189, 253, 379}},
        TicksRow{"WrapOfTheTickCounter", {0.5f, 1.0f}, 1, 0xFFFFFF00u, 1, 1000, {501, 1001}},
        TicksRow{"SignChangeOfTheTickCounter", {0.5f, 1.0f}, 1, 0x7FFFFF00u, 1, 1000, {501, 1001}}),
    testing_support::ByName());

// --- what the runner does and does not do -------------------------------------------------

TEST_F(CycleRunnerTest, NoBeepAndNoReceiverChangeWhenTheRunBegins) {
    // before the first run all three receivers are on
    setTable({0.01f});
    state.repeatCount = 1;
    bool seenFirstYield = false;
    pump.handlers = [&] {
        if (seenFirstYield)
            return;
        seenFirstYield = true;
        EXPECT_TRUE(beepTicks.empty());
        EXPECT_TRUE(startReceiver.isEnabled());
        EXPECT_TRUE(restartReceiver.isEnabled());
        EXPECT_TRUE(stopReceiver.isEnabled());
    };
    run();
    EXPECT_TRUE(seenFirstYield);
    EXPECT_EQ(beepTicks.size(), 1u);
    expectIdleReceivers();
}

TEST_F(CycleRunnerTest, FlagsSetBeforeTheRunAreCleared) {
    setTable({0.01f, 0.02f, 0.03f});
    state.repeatCount = 1;
    state.restartFlag = kTrue;
    state.stopFlag = kTrue;
    state.exitFlag = kTrue;
    bool checked = false;
    check = [&](uint32_t) {
        if (checked)
            return;
        checked = true;
        EXPECT_EQ(state.restartFlag, kFalse);
        EXPECT_EQ(state.stopFlag, kFalse);
        EXPECT_EQ(state.exitFlag, kFalse);
    };
    clock.now = 1000;
    run();
    EXPECT_TRUE(checked);
    EXPECT_EQ(beepsFrom(1000), (std::vector<uint32_t>{11, 21, 31}));
}

TEST_F(CycleRunnerTest, LateMomentsCatchUpOnePerPoll) {
    setTable({1.0f, 1.001f, 1.002f, 1.003f, 2.0f});
    state.repeatCount = 1;
    clock.now = 0;
    bool jumped = false;
    // One slow yield (a long handler) moves the clock by 1000 ms.
    pump.advance = [&](uint32_t) -> uint32_t {
        if (!jumped && clock.now >= 500) {
            jumped = true;
            return 1000;
        }
        return 1;
    };
    // after each of the first three catch-up beeps the next moment is already
    // due, so the yield that follows must not wait
    std::size_t beepsSeen = 0;
    int checkedWaits = 0;
    check = [&](uint32_t maxWait) {
        if (beepTicks.size() > beepsSeen) {
            beepsSeen = beepTicks.size();
            if (beepTicks.back() < 1503) {
                EXPECT_EQ(maxWait, 0u) << "after the beep at " << beepTicks.back();
                ++checkedWaits;
            }
        }
    };
    run();
    // the poll right after the slow yield is at 1500
    EXPECT_EQ(beepTicks, (std::vector<uint32_t>{1500, 1501, 1502, 1503, 2001}));
    EXPECT_EQ(checkedWaits, 3);
}

// The runner hands the event loop a wait that never reaches past the moment
// that falls due next, and no wait at all when a moment is already due;
// whether the loop sleeps the whole wait or returns early (events keep
// arriving), every beep comes at the first tick past its moment.
class WaitTest : public CycleRunnerTest, public ::testing::WithParamInterface<uint32_t> {};

TEST_P(WaitTest, WaitsNeverPassTheNextMoment) {
    const uint32_t step = GetParam(); // longest stretch the loop sleeps at a time
    setTable({0.25f, 0.5f, 0.5f, 1.0f, 3.0f});
    const std::vector<int64_t> targets = {250, 500, 500, 1000, 3000};
    state.repeatCount = 1;
    const uint32_t start = 100;
    clock.now = start;
    check = [&](uint32_t maxWait) {
        const std::size_t next = beepTicks.size();
        if (next >= targets.size())
            return;
        const int64_t elapsed = static_cast<int64_t>(clock.now - start);
        const int64_t due = targets[next] + 1;
        if (elapsed >= due)
            EXPECT_EQ(maxWait, 0u) << "moment " << next << " was already due at " << elapsed;
        else
            EXPECT_LE(static_cast<int64_t>(maxWait), due - elapsed)
                << "waits past moment " << next << " from " << elapsed;
    };
    pump.advance = [step](uint32_t maxWait) { return std::min(maxWait, step); };
    limit = 5000;
    run();
    // the repeated moment is due at once: no wait, so the same tick
    EXPECT_EQ(beepsFrom(start), (std::vector<uint32_t>{251, 501, 501, 1001, 3001}));
    // and it does sleep: a 3 s cycle is not thousands of polls
    EXPECT_LT(pump.yields, 1000u);
}

INSTANTIATE_TEST_SUITE_P(Steps, WaitTest, ::testing::Values(7u, 60000u),
                         [](const ::testing::TestParamInfo<uint32_t>& info) {
                             return "SleepsAtMost" + std::to_string(info.param) + "ms";
                         });

// --- flags -------------------------------------------------------------------------------------

TEST_F(CycleRunnerTest, RestartBeginsAgainWithAFreshClockAndRepeatCount) {
    setTable({0.01f, 0.02f, 0.03f});
    state.repeatCount = 5;
    asStartHandlerLeavesThem();
    uint32_t restartTick = 0;
    bool restarted = false;
    bool checkedAfterRestart = false;
    pump.handlers = [&] {
        // during repetition 3, after its first beep: restart (and, in the
        // same yield, stop and exit, which restart beats)
        if (!restarted && beepTicks.size() == 7) {
            restarted = true;
            restartTick = clock.now;
            state.repeatCount = 2;
            state.restartFlag = kTrue;
            state.stopFlag = kTrue;
            state.exitFlag = kTrue;
        }
    };
    check = [&](uint32_t) {
        if (restarted && !checkedAfterRestart) {
            checkedAfterRestart = true;
            EXPECT_EQ(state.restartFlag, kFalse);
            EXPECT_EQ(state.stopFlag, kFalse);
            EXPECT_EQ(state.exitFlag, kFalse);
            expectRunningReceivers();
        }
    };
    run();
    ASSERT_TRUE(restarted);
    EXPECT_TRUE(checkedAfterRestart);
    ASSERT_EQ(beepTicks.size(), 13u);
    const std::vector<uint32_t> after(beepTicks.begin() + 7, beepTicks.end());
    std::vector<uint32_t> rel;
    rel.reserve(after.size());
    for (uint32_t t : after)
        rel.push_back(t - restartTick);
    EXPECT_EQ(rel, (std::vector<uint32_t>{11, 21, 31, 43, 53, 63}));
    expectIdleReceivers();
}

TEST_F(CycleRunnerTest, RepeatCountIsReadOnlyWhenTheRunBegins) {
    setTable({0.01f});
    state.repeatCount = 2;
    bool changed = false;
    pump.handlers = [&] {
        if (!changed) {
            changed = true;
            state.repeatCount = 5;
        }
    };
    run();
    EXPECT_EQ(beepTicks.size(), 2u);
}

// A stop or exit request set in the yield after a beep: the runner does not
// yield again.  Stop (which beats exit) returns the receivers to idle; exit
// leaves them as they are.
struct RequestRow {
    const char* name;
    bool stop;
    bool exit;
    std::size_t afterBeeps;
    bool idleAfter;
};

class RequestTest : public CycleRunnerTest, public ::testing::WithParamInterface<RequestRow> {};

TEST_P(RequestTest, EndsTheRunAtTheNextPoll) {
    const RequestRow& r = GetParam();
    setTable({0.01f, 0.02f, 0.03f});
    state.repeatCount = 3;
    asStartHandlerLeavesThem();
    uint64_t setIn = 0;
    pump.handlers = [&] {
        if (setIn == 0 && beepTicks.size() == r.afterBeeps) {
            setIn = pump.yields;
            state.stopFlag = r.stop ? kTrue : kFalse;
            state.exitFlag = r.exit ? kTrue : kFalse;
        }
    };
    run();
    EXPECT_EQ(beepTicks.size(), r.afterBeeps);
    EXPECT_EQ(pump.yields, setIn) << "the runner yielded again after the request";
    if (r.idleAfter)
        expectIdleReceivers();
    else
        expectRunningReceivers();
}

INSTANTIATE_TEST_SUITE_P(Rows, RequestTest,
                         ::testing::Values(RequestRow{"Stop", true, false, 2, true},
                                           RequestRow{"StopBeatsExit", true, true, 1, true},
                                           RequestRow{"ExitWithoutTouchingTheReceivers", false, true, 1,
                                                      false}),
                         testing_support::ByName());

TEST_F(CycleRunnerTest, ExitBeforeTheFirstBeep) {
    setTable({0.01f});
    state.repeatCount = 1;
    asStartHandlerLeavesThem();
    pump.handlers = [&] { state.exitFlag = kTrue; };
    run();
    // the yield right after the start tick is not followed by a flag test;
    // the first poll's yield is, and no moment is due by then
    EXPECT_TRUE(beepTicks.empty());
    EXPECT_EQ(pump.yields, 2u);
    expectRunningReceivers();
}

// A request set in any yield, the one that opens a repetition included, is
// acted on at the next poll: the yield that follows does not sleep, and the
// flag test after it acts.  A beep placed ahead is taken back when the run
// restarts, stops or is left.
struct FlagCase {
    const char* name;
    int16_t TimerState::*flag;
};

class FlagInAnyYieldTest : public CycleRunnerTest, public ::testing::WithParamInterface<FlagCase> {};

// Records what the runner tells about its next beep, in order.
class RecordingSchedule final : public BeepSchedule {
public:
    explicit RecordingSchedule(FakeClock& clock) : m_clock(clock) {}
    void expect(uint32_t dueTick) override { events.push_back({'E', dueTick}); }
    void arrive() override { events.push_back({'A', m_clock.now}); }
    void withdraw() override { events.push_back({'W', m_clock.now}); }
    struct Event {
        char kind;
        uint32_t tick;
    };
    std::vector<Event> events;

private:
    FakeClock& m_clock;
};

TEST_P(FlagInAnyYieldTest, ActsAtTheNextPollWithoutSleeping) {
    const FlagCase& c = GetParam();
    // A clean run to count its yields: the loop sleeps the whole wait.
    auto setUp = [&] {
        setTable({0.01f, 0.05f, 0.2f});
        state.repeatCount = 2;
        clock.now = 1000;
        pump.yields = 0;
        beepTicks.clear();
        pump.advance = [](uint32_t maxWait) { return std::max(maxWait, 1u); };
    };
    setUp();
    pump.handlers = nullptr;
    run();
    const uint64_t cleanYields = pump.yields;
    ASSERT_GT(cleanYields, 6u);

    for (uint64_t k = 1; k <= cleanYields; ++k) {
        SCOPED_TRACE("flag set in yield " + std::to_string(k));
        setUp();
        RecordingSchedule schedule(clock);
        CycleRunner withSchedule(
            state, clock, pump, [this] { beepTicks.push_back(clock.now); },
            {&startReceiver, &restartReceiver, &stopReceiver}, &schedule);
        uint64_t setIn = 0;
        std::size_t pendingWhenSet = 0;
        pump.handlers = [&] {
            if (pump.yields == k) {
                setIn = k;
                state.*c.flag = kTrue;
                // expectations made and not yet arrived when the flag is set
                pendingWhenSet = 0;
                for (const auto& e : schedule.events)
                    pendingWhenSet = e.kind == 'E' ? 1 : 0;
            }
        };
        check = [&](uint32_t maxWait) {
            if (setIn != 0 && pump.yields == setIn + 1 &&
                (state.restartFlag || state.stopFlag || state.exitFlag)) {
                EXPECT_EQ(maxWait, 0u) << "slept with the flag set";
            }
        };
        withSchedule.run(1000);
        check = nullptr;
        ASSERT_EQ(setIn, k);
        // Stop and exit end the run at the flag test after this yield, or
        // after the next one when this yield opened a repetition.
        if (c.flag != &TimerState::restartFlag) {
            EXPECT_LE(pump.yields, k + 1);
        }
        // Every expectation ends in an arrival or a withdrawal, and a
        // withdrawal follows at once when one was pending.
        std::size_t pending = 0;
        bool sawWithdraw = false;
        for (const auto& e : schedule.events) {
            if (e.kind == 'E') {
                EXPECT_EQ(pending, 0u) << "a second expectation while one is pending";
                pending = 1;
            } else if (e.kind == 'A') {
                EXPECT_EQ(pending, 1u) << "a beep arrived that was not expected";
                pending = 0;
            } else {
                sawWithdraw = true;
                pending = 0;
            }
        }
        EXPECT_EQ(pending, 0u) << "an expected beep was left placed";
        if (pendingWhenSet != 0) {
            EXPECT_TRUE(sawWithdraw);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Flags, FlagInAnyYieldTest,
                         ::testing::Values(FlagCase{"Restart", &TimerState::restartFlag},
                                           FlagCase{"Stop", &TimerState::stopFlag},
                                           FlagCase{"Exit", &TimerState::exitFlag}),
                         testing_support::ByName());

// Each beep is expected at the tick it is asked for: the first tick past
// its moment, counted from the repetition's own start.
TEST_F(CycleRunnerTest, ExpectsEachBeepAtTheTickItIsAskedFor) {
    setTable({0.01f, 0.011f, 0.3f});
    state.repeatCount = 2;
    clock.now = 0xFFFFFF00u; // across the wrap of the counter
    pump.advance = [](uint32_t maxWait) { return std::max(maxWait, 1u); };
    RecordingSchedule schedule(clock);
    std::vector<uint32_t> arrivals;
    CycleRunner withSchedule(
        state, clock, pump, [&] { arrivals.push_back(clock.now); },
        {&startReceiver, &restartReceiver, &stopReceiver}, &schedule);
    withSchedule.run(1000);
    std::vector<uint32_t> expected;
    for (const auto& e : schedule.events) {
        if (e.kind == 'E')
            expected.push_back(e.tick);
        EXPECT_NE(e.kind, 'W');
    }
    EXPECT_EQ(expected, arrivals);
    EXPECT_EQ(arrivals.size(), 6u);
}

// --- tables that end early or are empty -----------------------------------------------

TEST_F(CycleRunnerTest, EmptyTableEndsAfterOneYieldPerRepetition) {
    setTable({});
    state.repeatCount = 3;
    asStartHandlerLeavesThem();
    // requests made during such a run are never seen
    pump.handlers = [&] {
        state.restartFlag = kTrue;
        state.stopFlag = kTrue;
        state.exitFlag = kTrue;
    };
    run();
    EXPECT_EQ(pump.yields, 3u);
    EXPECT_TRUE(beepTicks.empty());
    expectIdleReceivers();
}

TEST_F(CycleRunnerTest, RepeatCountOfZeroOrLessPlaysNothing) {
    for (int16_t count : {int16_t{0}, int16_t{-1}, int16_t{-32768}}) {
        setTable({0.01f});
        state.repeatCount = count;
        asStartHandlerLeavesThem();
        pump.yields = 0;
        beepTicks.clear();
        run();
        EXPECT_EQ(pump.yields, 0u) << count;
        EXPECT_TRUE(beepTicks.empty()) << count;
        expectIdleReceivers();
    }
}

// The counter of repetitions steps past the largest 16-bit count: an empty
// table yields once per repetition, a table of one moment beeps once.
TEST_F(CycleRunnerTest, RepeatCount32767PlaysEveryRepetitionAndEnds) {
    setTable({});
    state.repeatCount = 32767;
    run();
    EXPECT_EQ(pump.yields, 32767u);
    expectIdleReceivers();

    setTable({0.001f});
    state.repeatCount = 32767;
    run();
    EXPECT_EQ(beepTicks.size(), 32767u);
}

struct EndCase {
    const char* name;
    std::vector<float> table;
    std::size_t beepsPerRepetition;
};

class TableEndTest : public CycleRunnerTest, public ::testing::WithParamInterface<EndCase> {};

TEST_P(TableEndTest, EndsAtTheFirstMomentOfNoMilliseconds) {
    setTable(GetParam().table);
    state.repeatCount = 2;
    run();
    EXPECT_EQ(beepTicks.size(), 2 * GetParam().beepsPerRepetition);
}

INSTANTIATE_TEST_SUITE_P(Rows, TableEndTest,
                         ::testing::Values(EndCase{"BelowHalfAMillisecond", {0.01f, 0.0004f, 0.02f}, 1},
                                           EndCase{"Negative", {0.01f, -0.5f, 0.02f}, 1},
                                           EndCase{"ZeroInTheMiddle", {0.01f, 0.0f, 0.02f}, 1},
                                           EndCase{"FirstBelowHalfAMillisecond", {0.0004f, 0.01f}, 0},
                                           EndCase{"FirstNegative", {-1.0f, 0.01f}, 0}),
                         testing_support::ByName());

TEST_F(CycleRunnerTest, TableRebuiltDuringTheRunContinuesAtTheCurrentIndex) {
    setTable({0.01f, 0.02f, 0.03f, 0.04f});
    state.repeatCount = 1;
    bool rebuilt = false;
    pump.handlers = [&] {
        if (!rebuilt && clock.now == 15) {
            rebuilt = true;
            setTable({0.005f, 0.006f, 0.05f});
        }
    };
    run();
    ASSERT_TRUE(rebuilt);
    // the target taken before the rebuild (20) stays; then entry 2 of the new
    // table (50); entry 3 is the new end
    EXPECT_EQ(beepTicks, (std::vector<uint32_t>{11, 21, 51}));
}

TEST_F(CycleRunnerTest, TableEmptiedDuringTheRunEndsTheRepetitionAfterTheCurrentTarget) {
    setTable({0.01f, 0.02f, 0.03f});
    state.repeatCount = 2;
    bool emptied = false;
    pump.handlers = [&] {
        if (!emptied && clock.now == 15) {
            emptied = true;
            setTable({});
        }
    };
    run();
    // 20 was already the target; after it the empty table ends repetition 1,
    // and repetition 2 has nothing to play
    EXPECT_EQ(beepTicks, (std::vector<uint32_t>{11, 21}));
}

// --- the tick counter --------------------------------------------------------------------------

TEST_F(CycleRunnerTest, HugeMomentWaitsForTheLargestTime) {
    // A moment beyond 32 bits of milliseconds counts as the largest; the
    // elapsed time across 2^31 ms is still right.
    setTable({1e10f});
    state.repeatCount = 1;
    const uint32_t start = 1000;
    clock.now = start;
    pump.advance = [&](uint32_t) -> uint32_t {
        // second yield: jump to exactly the largest signed value
        return pump.yields == 2 ? 0x7FFFFFFEu : 1u;
    };
    limit = 100;
    run();
    EXPECT_EQ(beepTicks, (std::vector<uint32_t>{start + 0x80000000u}));
}

} // namespace
} // namespace sorvane
