#include "engine/PlaybackClock.h"

#include <algorithm>
#include <cstdlib>

namespace sorvane {

namespace {

constexpr int64_t kNsPerSecond = 1'000'000'000;

// a = q * b + r with 0 <= r < b (b > 0).
void divide(int64_t a, int64_t b, int64_t& q, int64_t& r) {
    q = a / b;
    r = a % b;
    if (r < 0) {
        r += b;
        --q;
    }
}

} // namespace

int64_t PlaybackClock::framesIn(int64_t ns, int rate) {
    int64_t seconds = 0;
    int64_t rest = 0;
    divide(ns, kNsPerSecond, seconds, rest);
    return seconds * rate + rest * rate / kNsPerSecond;
}

int64_t PlaybackClock::nsOf(int64_t frames, int rate) {
    int64_t seconds = 0;
    int64_t rest = 0;
    divide(frames, rate, seconds, rest);
    return seconds * kNsPerSecond + rest * kNsPerSecond / rate;
}

void PlaybackClock::report(int64_t atNs, int64_t heardFrame, int64_t readFrame) {
    // A report older than the newest (replies overtaking each other) still
    // counts: the window is measured from the newest.
    const Report added{atNs, atNs - nsOf(heardFrame, m_rate), readFrame};
    if (m_count > 0) {
        const Report& previous = m_reports[(m_next + kReports - 1) % kReports];
        if (added.originNs - m_originNs > kMovedNs && previous.originNs - m_originNs > kMovedNs &&
            std::abs(added.originNs - previous.originNs) < kAgreeNs) {
            // The timing moved: only the newest two still describe it.
            m_reports[0] = previous;
            m_next = 1;
            m_count = 1;
        }
    }
    m_reports[m_next] = added;
    m_next = (m_next + 1) % kReports;
    m_count = std::min(m_count + 1, kReports);
    settle();
}

void PlaybackClock::reset() {
    m_count = 0;
    m_next = 0;
    m_readAhead = 0;
}

void PlaybackClock::settle() {
    int64_t newest = INT64_MIN;
    for (std::size_t i = 0; i < m_count; ++i)
        newest = std::max(newest, m_reports[i].atNs);
    bool first = true;
    for (std::size_t i = 0; i < m_count; ++i) {
        const Report& r = m_reports[i];
        if (r.atNs < newest - kWindowNs)
            continue;
        if (first || r.originNs < m_originNs)
            m_originNs = r.originNs;
        first = false;
    }
    m_readAhead = INT64_MIN;
    for (std::size_t i = 0; i < m_count; ++i) {
        const Report& r = m_reports[i];
        if (r.atNs >= newest - kWindowNs)
            m_readAhead = std::max(m_readAhead, r.read - frameAt(r.atNs));
    }
}

int64_t PlaybackClock::frameAt(int64_t ns) const {
    return framesIn(ns - m_originNs, m_rate);
}

int64_t PlaybackClock::timeOf(int64_t frame) const {
    return m_originNs + nsOf(frame, m_rate);
}

} // namespace sorvane
