#pragma once
// State shared between the window's event handlers and a running cycle.
#include "engine/BeepTable.h"

#include <cstdint>

namespace sorvane {

// Booleans of the shared state use -1 for true and 0 for false.
inline constexpr int16_t kTrue = -1;
inline constexpr int16_t kFalse = 0;

struct TimerState {
    int16_t restartFlag = kFalse; // start the run over from its first repetition
    int16_t stopFlag = kFalse;    // end the run and return to idle
    int16_t exitFlag = kFalse;    // leave the run at once, receivers untouched
    int16_t repeatCount = 0;      // repetitions per run, read when a run (re)starts
    BeepTable beepTimes{};        // all 0: an empty table
};

} // namespace sorvane
