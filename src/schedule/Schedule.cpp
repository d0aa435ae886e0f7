#include "schedule/Schedule.h"

#include "engine/NumberText.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace sorvane {

namespace {

// Writes moments from slot 0, never more than the table's 255 moments.
class TableWriter {
public:
    explicit TableWriter(BeepTable& table) : m_table(table) {}
    // False once the table is full: the rest of the schedule is left out.
    // That is a cut only when a moment that would have been played is lost:
    // a 0 moment ends the table for every reader, and so does one written
    // before it.
    bool put(double moment) {
        const float value = toSingle(moment);
        if (m_count >= kMaxBeepMoments) {
            if (!m_ended && value != 0.0f)
                m_cut = true;
            return false;
        }
        m_table[m_count] = value;
        if (value == 0.0f)
            m_ended = true;
        ++m_count;
        return true;
    }
    void close() { m_table[m_count] = 0.0f; }
    std::size_t count() const { return m_count; }
    bool cut() const { return m_cut; }

private:
    BeepTable& m_table;
    std::size_t m_count = 0;
    bool m_cut = false;
    bool m_ended = false;
};

void generate(const ScheduleParams& p, TableWriter& out) {
    const int16_t f = p.secondsUnit ? 1 : 60;
    // The window never lets the rate drop to 0 or below; should a caller pass
    // one anyway, the beeps of a warning fall together instead of failing.
    // A rate so small that its spacing is beyond the double range is taken
    // as the largest double, as any other number too large is: the last
    // beep of each warning stays at its warning time (0 times that spacing
    // is 0, where infinity would give no number at all).
    double spacing = p.warnRate > 0 ? 1.0 / p.warnRate : 0.0;
    if (!std::isfinite(spacing))
        spacing = std::numeric_limits<double>::max();

    if (p.warnings) {
        int32_t k = 0;
        float w = toSingle(p.warnInterval);
        const float limit = toSingle(p.cycleTime - p.finalCountTime / f);
        bool full = false;
        while (!full && w <= limit) {
            for (int32_t j = k; j >= 0; --j) {
                if (!out.put(w - j * spacing / f)) {
                    full = true;
                    break;
                }
            }
            ++k;
            w = toSingle(p.warnInterval * (k + 1));
        }
    }

    if (p.finalCount) {
        // A gap of 0 leaves the step count undefined: one beep at C then.
        const int32_t steps = p.finalCountGap == 0 ? 0 : toInt16(p.finalCountTime / p.finalCountGap);
        for (int32_t n = steps; n >= 0; --n) {
            if (!out.put(p.cycleTime - n * p.finalCountGap / f))
                break;
        }
    }
}

} // namespace

std::size_t buildSchedule(const ScheduleParams& params, BeepTable& table, bool* cut) {
    TableWriter out(table);
    generate(params, out);
    out.close();
    if (cut)
        *cut = out.cut();
    return out.count();
}

} // namespace sorvane
