#pragma once
// Plays the beep table against the tick counter, repetition after
// repetition, while the event loop keeps running between polls.
#include "engine/Clock.h"
#include "engine/RunProgress.h"
#include "engine/TimerState.h"
#include "hotkeys/HotkeyReceiver.h"

#include <array>
#include <cstdint>
#include <functional>

namespace sorvane {

// Moment in table units -> whole milliseconds (product in double precision,
// halves to even).  Values too large for 32 bits become the largest.
int32_t momentToMs(float moment, int32_t unitMs);

// Length of one repetition of the table: its latest moment in whole
// milliseconds (moments need not be ascending), 0 for an empty table.
int32_t cycleLengthMs(const BeepTable& table, int32_t unitMs);

// Told by the runner ahead of time when its next beep falls due, so that a
// sound output can place the beep at that moment instead of at the poll that
// asks for it.
class BeepSchedule {
public:
    virtual ~BeepSchedule() = default;
    // The next beep of the run falls due when the tick counter reaches dueTick.
    virtual void expect(uint32_t dueTick) = 0;
    // The beep about to be asked for is the one expected.
    virtual void arrive() = 0;
    // The expected beep will not be asked for (restart, stop, exit).
    virtual void withdraw() = 0;
};

class CycleRunner {
public:
    // receivers: Start, Restart, Stop.  schedule and progress may be null.
    CycleRunner(TimerState& state, TickClock& clock, EventPump& pump, std::function<void()> beep,
                std::array<HotkeyReceiver*, 3> receivers, BeepSchedule* schedule = nullptr,
                RunProgressSink* progress = nullptr);

    // Runs until the last repetition is complete, a stop request ends it, or
    // an exit request leaves it at once.  unitMs is 1000 (seconds) or 60000
    // (minutes), fixed for the whole run.
    void run(int32_t unitMs);

private:
    enum class Outcome { Completed, Restart, Stop, Exit };
    Outcome playRepetitions(int32_t unitMs, bool again);
    void end();

    TimerState& m_state;
    TickClock& m_clock;
    EventPump& m_pump;
    std::function<void()> m_beep;
    std::array<HotkeyReceiver*, 3> m_receivers;
    BeepSchedule* m_schedule;
    RunProgressSink* m_progress;
};

} // namespace sorvane
