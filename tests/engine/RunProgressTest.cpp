// The progress record that the cycle runner keeps up to date, read back as
// a status indicator reads it: the runner is driven by a fake tick counter
// and a yield that jumps to the moment the runner waits for.
#include "engine/RunProgress.h"
#include "engine/CycleRunner.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

namespace sorvane {
namespace {

class FakeClock final : public TickClock {
public:
    uint32_t now = 0;
    uint32_t ticks() override { return now; }
};

// Sleeps exactly as long as the runner asks; an action scheduled before the
// wake-up runs at its own tick instead (the runner polls again after it).
class JumpingPump final : public EventPump {
public:
    explicit JumpingPump(FakeClock& clock) : m_clock(clock) {}
    std::map<uint32_t, std::function<void()>> actions; // by ticks after the first
    uint32_t origin = 0;

    void yield(uint32_t maxWaitMs) override {
        const uint32_t wake = m_clock.now - origin + maxWaitMs;
        const auto next = actions.begin();
        if (next != actions.end() && next->first <= wake) {
            m_clock.now = origin + next->first;
            const std::function<void()> action = next->second;
            actions.erase(next);
            action();
            return;
        }
        m_clock.now += maxWaitMs;
    }

private:
    FakeClock& m_clock;
};

struct DrivenRun {
    FakeClock clock;
    JumpingPump pump{clock};
    TimerState state;
    std::array<HotkeyReceiver, 3> receivers;
    RunProgress progress;
    std::vector<uint32_t> beeps; // ticks after the start
    int hookCalls = 0;
    // What the record says each time it tells that the next beep changed.
    std::vector<std::pair<uint32_t, std::string>> told;

    DrivenRun(std::initializer_list<float> moments, int16_t repetitions, uint32_t startTick = 5000) {
        clock.now = startTick;
        pump.origin = startTick;
        std::size_t i = 0;
        for (const float m : moments)
            state.beepTimes[i++] = m;
        state.repeatCount = repetitions;
        progress.setRunningChangedHook([this] { ++hookCalls; });
        progress.setNextBeepChangedHook(
            [this] { told.emplace_back(clock.now - pump.origin, progress.statusText(clock.now)); });
    }
    std::string textAt(uint32_t tick) const { return progress.statusText(pump.origin + tick); }
    void play(RunProgressSink* sink) {
        CycleRunner runner(
            state, clock, pump, [this] { beeps.push_back(clock.now - pump.origin); },
            {&receivers[0], &receivers[1], &receivers[2]}, nullptr, sink);
        runner.run(1000);
    }
};

TEST(RunProgress, CountdownIsShownInWholeSecondsRoundedUp) {
    const struct {
        uint32_t ms;
        const char* text;
    } rows[] = {
        {0, "0:00"},
        {1, "0:01"},
        {1000, "0:01"},
        {1001, "0:02"},
        {59'999, "1:00"},
        {61'000, "1:01"},
        {599'000, "9:59"},
        {3'599'001, "1:00:00"},
        {3'723'000, "1:02:03"},
        {36'000'000, "10:00:00"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(countdownText(row.ms), row.text) << row.ms;
}

// Moments 10, 20 and 30 s, two repetitions: beeps at 10, 20, 30 s after
// Start, then 10, 20, 30 s after the third beep.  What the record says
// between them, looked at from inside the run.
TEST(RunProgress, FollowsTheRepetitionsAndTheNextBeep) {
    DrivenRun run({10, 20, 30}, 2);
    std::map<uint32_t, std::string> seen;
    std::map<uint32_t, double> fraction;
    for (const uint32_t at : {0u, 4'200u, 10'000u, 10'002u, 15'000u, 29'999u, 30'002u, 45'001u, 60'001u}) {
        run.pump.actions[at] = [&run, &seen, &fraction, at] {
            seen[at] = run.progress.statusText(run.clock.now);
            fraction[at] = run.progress.cycleFraction(run.clock.now);
        };
    }
    run.play(&run.progress);

    EXPECT_EQ(run.beeps, (std::vector<uint32_t>{10'001, 20'001, 30'001, 40'002, 50'002, 60'002}));
    const std::map<uint32_t, std::string> expected = {
        // The first yield of a repetition comes before its first target is
        // read: the run is not in view yet.
        {0, "Idle"},
        {4'200, "Repetition 1 of 2\nNext beep in 0:06"},
        {10'000, "Repetition 1 of 2\nNext beep in 0:00"},
        {10'002, "Repetition 1 of 2\nNext beep in 0:10"},
        {15'000, "Repetition 1 of 2\nNext beep in 0:05"},
        {29'999, "Repetition 1 of 2\nNext beep in 0:01"},
        {30'002, "Repetition 2 of 2\nNext beep in 0:10"},
        {45'001, "Repetition 2 of 2\nNext beep in 0:05"},
        {60'001, "Repetition 2 of 2\nNext beep in 0:00"},
    };
    EXPECT_EQ(seen, expected);
    EXPECT_DOUBLE_EQ(fraction[15'000], 0.5);
    EXPECT_DOUBLE_EQ(fraction[45'001], 0.5);
    EXPECT_DOUBLE_EQ(fraction[60'001], 1.0);
    EXPECT_EQ(run.textAt(60'002), "Idle");
    EXPECT_EQ(run.hookCalls, 2); // into view, then over
    // Told at once with every beep and with the second repetition's first
    // target; the first target of all comes with the run into view.
    const std::vector<std::pair<uint32_t, std::string>> told = {
        {10'001, "Repetition 1 of 2\nNext beep in 0:10"},
        {20'001, "Repetition 1 of 2\nNext beep in 0:10"},
        {30'001, "Repetition 1 of 2"},
        {30'001, "Repetition 2 of 2\nNext beep in 0:10"},
        {40'002, "Repetition 2 of 2\nNext beep in 0:10"},
        {50'002, "Repetition 2 of 2\nNext beep in 0:10"},
        {60'002, "Repetition 2 of 2"}};
    EXPECT_EQ(run.told, told);
}

// The sink does not change what the runner does.
TEST(RunProgress, RunnerBeepsAlikeWithAndWithoutIt) {
    DrivenRun told({0.5f, 1.5f, 1.0f, 2.0f}, 3);
    DrivenRun untold({0.5f, 1.5f, 1.0f, 2.0f}, 3);
    told.play(&told.progress);
    untold.play(nullptr);
    EXPECT_EQ(told.beeps, untold.beeps);
    EXPECT_EQ(told.beeps.size(), 12u);
}

// Each way a run can end, and the runs that never come into view.
TEST(RunProgress, RestartStopKeyBoxAndRunsWithoutBeeps) {
    struct Row {
        const char* what;
        std::initializer_list<float> table;
        int16_t repetitions;
        std::function<void(DrivenRun&)> at12s; // inside the run, 12 s after Start
        std::string textAfter12s;
        int hookCalls;
    };
    const Row rows[] = {
        {"restart in repetition 3 of 5",
         {4},
         5,
         [](DrivenRun& r) { r.state.restartFlag = kTrue; },
         "Repetition 1 of 5\nNext beep in 0:04",
         2},
        {"restart reads the count again",
         {4},
         5,
         [](DrivenRun& r) {
             r.state.repeatCount = 7;
             r.state.restartFlag = kTrue;
         },
         "Repetition 1 of 7\nNext beep in 0:04",
         2},
        {"stop", {10, 20, 30}, 2, [](DrivenRun& r) { r.state.stopFlag = kTrue; }, "Idle", 2},
        {"a key box takes the focus",
         {10, 20, 30},
         2,
         [](DrivenRun& r) { r.state.exitFlag = kTrue; },
         "Idle",
         2},
        {"empty table", {}, 3, nullptr, "Idle", 0},
        {"no repetitions", {10}, 0, nullptr, "Idle", 0},
    };
    for (const Row& row : rows) {
        DrivenRun run(row.table, row.repetitions);
        std::string after;
        if (row.at12s) {
            run.pump.actions[12'000] = [&run, &row] { row.at12s(run); };
            // Looked at once the runner has acted on the request.
            run.pump.actions[12'001] = [&run, &after] { after = run.progress.statusText(run.clock.now); };
        }
        run.play(&run.progress);
        if (after.empty()) // the run ended before it was looked at
            after = run.progress.statusText(run.clock.now);
        EXPECT_EQ(after, row.textAfter12s) << row.what;
        EXPECT_FALSE(run.progress.isRunning()) << row.what;
        EXPECT_EQ(run.hookCalls, row.hookCalls) << row.what;
    }
}

// The tick counter wrapping to 0 in the middle of a repetition; and a table
// rebuilt during the run, whose new length counts from its next beep on.
TEST(RunProgress, CountsAcrossTheCounterWrapAndFollowsARebuiltTable) {
    DrivenRun run({10, 20}, 1, 0xFFFF'F000u); // wraps 4096 ms after Start
    std::string at15s;
    double halfBefore = 0;
    double threeQuarters = 0;
    run.pump.actions[5'000] = [&] { halfBefore = run.progress.cycleFraction(run.clock.now); };
    run.pump.actions[15'000] = [&] { at15s = run.progress.statusText(run.clock.now); };
    // Rebuilt between the two beeps: 40 s is the new end of the cycle.
    run.pump.actions[11'000] = [&] {
        run.state.beepTimes[1] = 20;
        run.state.beepTimes[2] = 40;
    };
    run.pump.actions[30'000] = [&] { threeQuarters = run.progress.cycleFraction(run.clock.now); };
    run.play(&run.progress);
    EXPECT_EQ(at15s, "Repetition 1 of 1\nNext beep in 0:05");
    EXPECT_DOUBLE_EQ(halfBefore, 0.25);
    EXPECT_DOUBLE_EQ(threeQuarters, 0.75);
    EXPECT_EQ(run.beeps, (std::vector<uint32_t>{10'001, 20'001, 40'001}));
}

} // namespace
} // namespace sorvane
