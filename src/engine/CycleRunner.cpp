#include "engine/CycleRunner.h"

#include "engine/NumberText.h"
#include "hotkeys/TimerHotkeys.h"

#include <algorithm>

namespace sorvane {

int32_t momentToMs(float moment, int32_t unitMs) {
    // A float times 1000 or 60000 is exact in double precision, so the only
    // rounding is the final one.
    return toInt32(static_cast<double>(moment) * unitMs);
}

int32_t cycleLengthMs(const BeepTable& table, int32_t unitMs) {
    int32_t longest = 0;
    for (const float moment : table) {
        const int32_t ms = momentToMs(moment, unitMs);
        if (ms <= 0)
            break;
        longest = std::max(longest, ms);
    }
    return longest;
}

CycleRunner::CycleRunner(TimerState& state, TickClock& clock, EventPump& pump, std::function<void()> beep,
                         std::array<HotkeyReceiver*, 3> receivers, BeepSchedule* schedule,
                         RunProgressSink* progress)
    : m_state(state), m_clock(clock), m_pump(pump), m_beep(std::move(beep)), m_receivers(receivers),
      m_schedule(schedule), m_progress(progress) {}

void CycleRunner::run(int32_t unitMs) {
    bool again = false;
    for (;;) {
        m_state.stopFlag = kFalse;
        m_state.restartFlag = kFalse;
        m_state.exitFlag = kFalse;
        const Outcome outcome = playRepetitions(unitMs, again);
        if (outcome != Outcome::Completed && m_schedule)
            m_schedule->withdraw();
        switch (outcome) {
        case Outcome::Restart:
            again = true;
            continue;
        case Outcome::Exit:
            break;
        case Outcome::Completed:
        case Outcome::Stop:
            end();
            break;
        }
        if (m_progress)
            m_progress->ended();
        return;
    }
}

CycleRunner::Outcome CycleRunner::playRepetitions(int32_t unitMs, bool again) {
    // Longest single wait; the loop simply polls again after it.
    constexpr uint32_t kMaxWaitMs = 60000;

    // Wider than the 16-bit count so that 32767 repetitions end.
    const int32_t repetitions = m_state.repeatCount;
    if (m_progress) {
        if (again)
            m_progress->restarted(repetitions);
        else
            m_progress->started(repetitions);
    }
    for (int32_t repetition = 1; repetition <= repetitions; ++repetition) {
        const uint32_t startTick = m_clock.ticks();
        if (m_progress)
            m_progress->repetitionStarted(repetition, repetitions, startTick);
        m_pump.yield(0);
        std::size_t index = 0;
        int32_t target = momentToMs(m_state.beepTimes[0], unitMs);
        // The beep of a moment is due at the first tick past it.
        const auto expect = [&] {
            if (target > 0 && m_schedule)
                m_schedule->expect(startTick + static_cast<uint32_t>(target) + 1);
            // The table may have been rebuilt since the last beep: its
            // length is taken afresh with every target.
            if (m_progress)
                m_progress->nextTarget(target, cycleLengthMs(m_state.beepTimes, unitMs));
        };
        expect();
        while (target > 0) {
            // Unsigned difference: right across the counter's sign change and
            // its wrap to 0.
            const uint32_t elapsed = m_clock.ticks() - startTick;
            uint32_t wait = 0;
            if (elapsed > static_cast<uint32_t>(target)) {
                if (m_schedule)
                    m_schedule->arrive();
                m_beep();
                ++index;
                // A table always holds its 0 within the last slot; the bound
                // only guards a table that a writer left without it.
                target = index < m_state.beepTimes.size() ? momentToMs(m_state.beepTimes[index], unitMs) : 0;
                expect();
                const uint32_t now = m_clock.ticks() - startTick;
                if (target > 0 && now <= static_cast<uint32_t>(target))
                    wait = std::min(static_cast<uint32_t>(target) - now + 1, kMaxWaitMs);
            } else {
                wait = std::min(static_cast<uint32_t>(target) - elapsed + 1, kMaxWaitMs);
            }
            // A request made in an earlier yield (the one that opens the
            // repetition, or a handler that ran inside the beep) is acted on
            // at once: the runner never sleeps while a flag is set.
            if (m_state.restartFlag || m_state.stopFlag || m_state.exitFlag)
                wait = 0;
            // Sleeps in the event loop until an event arrives or the next
            // moment is due; pending events are always handled first.
            m_pump.yield(wait);
            if (m_state.restartFlag)
                return Outcome::Restart;
            if (m_state.stopFlag)
                return Outcome::Stop;
            if (m_state.exitFlag)
                return Outcome::Exit;
        }
    }
    return Outcome::Completed;
}

void CycleRunner::end() {
    switchReceivers(HotkeyMoment::RunEnded, m_receivers);
}

} // namespace sorvane
