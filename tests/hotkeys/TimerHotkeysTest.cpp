// The three hotkeys' receivers and assignments: which receivers hear their
// key after each moment of a run and of key assignment, and where a key
// pressed in a key box or loaded from a file ends up.
#include "hotkeys/TimerHotkeys.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace sorvane {
namespace {

using Moment = HotkeyMoment;

struct SwitchCase {
    const char* name;
    std::vector<Moment> moments; // from start-up, in order
    std::array<bool, 3> heard;   // Start, Restart, Stop
};

// The states of the runner and the receivers: start-up all on; running
// Start off and the others on; idle Start on and the others off; key
// assignment all off; leaving a key box turns Start on and nothing else.
const SwitchCase kSwitchCases[] = {
    {"start-up", {}, {true, true, true}},
    {"Start pressed", {Moment::StartPressed}, {false, true, true}},
    {"run over", {Moment::StartPressed, Moment::RunEnded}, {true, false, false}},
    {"second run", {Moment::StartPressed, Moment::RunEnded, Moment::StartPressed}, {false, true, true}},
    {"key box before the first run", {Moment::KeyBoxFocused}, {false, false, false}},
    {"key box left before the first run", {Moment::KeyBoxFocused, Moment::KeyBoxLeft}, {true, false, false}},
    {"key box during a run", {Moment::StartPressed, Moment::KeyBoxFocused}, {false, false, false}},
    {"key box left after the run it ended",
     {Moment::StartPressed, Moment::KeyBoxFocused, Moment::KeyBoxLeft},
     {true, false, false}},
    {"key box left, idle",
     {Moment::StartPressed, Moment::RunEnded, Moment::KeyBoxLeft},
     {true, false, false}},
    // Leaving a box leaves Restart and Stop as they are, even when on.
    {"leaving without taking the focus", {Moment::KeyBoxLeft}, {true, true, true}},
    {"leaving during a run", {Moment::StartPressed, Moment::KeyBoxLeft}, {true, true, true}},
};

TEST(TimerHotkeysTest, ReceiversHeardAfterEachMoment) {
    for (const SwitchCase& c : kSwitchCases) {
        TimerHotkeys keys;
        std::array<int, 3> presses{};
        for (std::size_t i = 0; i < TimerHotkeys::kCount; ++i)
            keys.receiver(i).setKeyDownHandler([&presses, i] { ++presses[i]; });
        for (const Moment m : c.moments)
            keys.switchFor(m);
        keys.startReceiver().press();
        keys.restartReceiver().press();
        keys.stopReceiver().press();
        for (std::size_t i = 0; i < TimerHotkeys::kCount; ++i) {
            EXPECT_EQ(keys.receiver(i).isEnabled(), c.heard[i]) << c.name << ", receiver " << i;
            EXPECT_EQ(presses[i], c.heard[i] ? 1 : 0) << c.name << ", receiver " << i;
        }
    }
}

TEST(TimerHotkeysTest, RunEndSwitchesAnyReceiversGiven) {
    // The cycle runner ends a run through the same rule with the receivers
    // it was given.
    std::array<HotkeyReceiver, 3> own;
    switchReceivers(Moment::KeyBoxFocused, {&own[0], &own[1], &own[2]});
    switchReceivers(Moment::RunEnded, {&own[0], &own[1], &own[2]});
    EXPECT_TRUE(own[0].isEnabled());
    EXPECT_FALSE(own[1].isEnabled());
    EXPECT_FALSE(own[2].isEnabled());
}

struct KeyPress {
    std::size_t box;
    int16_t keyCode;
    int16_t shift;
};

struct AssignCase {
    const char* name;
    std::vector<KeyPress> presses;
    std::array<HotkeyAssignment, 3> assignments;
};

// Ctrl then F7 in the Start box leaves F7 with Ctrl's mask; a modifier
// alone is a key like any other; the same key may go to two boxes.
const AssignCase kAssignCases[] = {
    {"nothing pressed", {}, {{{0, 0}, {0, 0}, {0, 0}}}},
    {"Ctrl, then F7 in the Start box", {{0, 17, 2}, {0, 118, 2}}, {{{118, 2}, {0, 0}, {0, 0}}}},
    {"Shift alone in the Restart box", {{1, 16, 1}}, {{{0, 0}, {16, 1}, {0, 0}}}},
    {"Alt alone in the Stop box", {{2, 18, 4}}, {{{0, 0}, {0, 0}, {18, 4}}}},
    {"one key in two boxes", {{0, 65, 0}, {2, 65, 0}}, {{{65, 0}, {0, 0}, {65, 0}}}},
};

TEST(TimerHotkeysTest, KeyBoxPressAssignsAndWatchesAtOnce) {
    for (const AssignCase& c : kAssignCases) {
        TimerHotkeys keys;
        // While a key box has the focus every receiver is off; the new key
        // is watched all the same.
        keys.switchFor(Moment::KeyBoxFocused);
        for (const KeyPress& p : c.presses)
            keys.assign(p.box, p.keyCode, p.shift);
        for (std::size_t i = 0; i < TimerHotkeys::kCount; ++i) {
            EXPECT_EQ(keys.assignment(i).keyCode, c.assignments[i].keyCode) << c.name << ", box " << i;
            EXPECT_EQ(keys.assignment(i).shift, c.assignments[i].shift) << c.name << ", box " << i;
            // The receiver gets the key code alone, never the mask.
            EXPECT_EQ(keys.receiver(i).keyCode(), c.assignments[i].keyCode) << c.name << ", box " << i;
        }
    }
}

TEST(TimerHotkeysTest, LoadedKeyCodesReplaceCodesAndKeepMasks) {
    TimerHotkeys keys;
    keys.assign(TimerHotkeys::kStart, 118, 2);
    keys.assign(TimerHotkeys::kStop, 119, 4);
    std::string order;
    const char names[] = {'S', 'R', 'T'};
    for (std::size_t i = 0; i < TimerHotkeys::kCount; ++i)
        keys.receiver(i).setKeyChangedHook([&order, &names, i] { order += names[i]; });

    // A file storing 0, 65 and 120: the receivers go on watching the old keys
    // until they are given the new ones, Start first.
    *keys.keyCodeSlot(TimerHotkeys::kStart) = 0;
    *keys.keyCodeSlot(TimerHotkeys::kRestart) = 65;
    *keys.keyCodeSlot(TimerHotkeys::kStop) = 120;
    EXPECT_EQ(keys.startReceiver().keyCode(), 118);
    EXPECT_EQ(order, "");
    keys.watchAssignedKeys();
    EXPECT_EQ(order, "SRT");
    EXPECT_EQ(keys.startReceiver().keyCode(), 0);
    EXPECT_EQ(keys.restartReceiver().keyCode(), 65);
    EXPECT_EQ(keys.stopReceiver().keyCode(), 120);
    // The masks live in memory only: loading leaves them alone.
    EXPECT_EQ(keys.assignment(TimerHotkeys::kStart).shift, 2);
    EXPECT_EQ(keys.assignment(TimerHotkeys::kStop).shift, 4);
}

} // namespace
} // namespace sorvane
