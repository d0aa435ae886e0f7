#pragma once
// Generation of the beep table from the cycle parameters: periodic warnings
// whose beep count grows by one each time, then a final countdown whose last
// beep falls exactly at the end of the cycle.
#include "engine/BeepTable.h"

#include <cstddef>

namespace sorvane {

struct ScheduleParams {
    double cycleTime = 0;      // C, in the cycle unit
    bool secondsUnit = true;   // f = 1 for seconds, 60 for minutes
    bool warnings = false;     // periodic warnings on
    double warnInterval = 0;   // I, in the cycle unit
    double warnRate = 0;       // R, beeps per second within a warning
    bool finalCount = false;   // final countdown on
    double finalCountTime = 0; // T, seconds
    double finalCountGap = 0;  // S, seconds between countdown beeps
};

// Rewrites the table from slot 0 and ends it with a 0 entry.  Returns the
// number of moments written.  A schedule that needs more than 255 moments is
// cut after 255; sets that would never end (an interval of 0 or less) stop
// there too.  A countdown gap of 0 gives a single countdown beep at C.
// When cut is given, it tells whether the cut lost a moment that would have
// been played (one in front of the first 0 moment).
std::size_t buildSchedule(const ScheduleParams& params, BeepTable& table, bool* cut = nullptr);

} // namespace sorvane
