#pragma once
// Which output sample is heard when: built from the sound server's timing
// reports, each saying that at a moment of the monotonic clock a certain
// sample of the stream was being heard and the server had read the stream
// up to a certain sample.
//
// A server may compute its report at the start of its last processing
// cycle and send it later (PipeWire does: its figures stand still for a
// whole cycle, up to 40 ms and more), so a report can only say that the
// sample was heard no later than it claims.  The earliest claim among the
// recent reports is the one nearest the truth; reports asked for right after
// a cycle (when the server asks for data) make it exact to a fraction of a
// millisecond.  Reports age out after a second, so that the clock of a
// sound card, which runs a little faster or slower than the system's,
// cannot pull the estimate away; and when the two newest reports agree that
// the stream plays later than the older ones said (the server changed the
// length of its cycle, or skipped), the older ones are dropped at once.
#include <array>
#include <cstddef>
#include <cstdint>

namespace sorvane {

class PlaybackClock {
public:
    explicit PlaybackClock(int sampleRate) : m_rate(sampleRate) {}

    // At atNs (CLOCK_MONOTONIC) the stream's sample heardFrame was being
    // heard, and the server had read the stream up to readFrame.
    void report(int64_t atNs, int64_t heardFrame, int64_t readFrame);
    // Forgets every report: the stream was opened again or ran dry.
    void reset();

    // Whether any report is in, that is whether the stream plays.
    bool known() const { return m_count > 0; }
    // The sample heard at ns (CLOCK_MONOTONIC), by the best report.
    int64_t frameAt(int64_t ns) const;
    // When the sample is heard.
    int64_t timeOf(int64_t frame) const;
    // How far the server had read ahead of the sample heard, at most, by
    // the recent reports.
    int64_t readAhead() const { return m_readAhead; }

    // Reports older than this (behind the newest) no longer count.
    static constexpr int64_t kWindowNs = 1'000'000'000;
    static constexpr std::size_t kReports = 16;
    // Two newest reports both this much later than the estimate, and within
    // kAgreeNs of each other, mean that the stream's timing has moved (late
    // answers are late by different amounts).
    static constexpr int64_t kMovedNs = 3'000'000;
    static constexpr int64_t kAgreeNs = 1'000'000;

    // Durations in samples and nanoseconds at a rate, rounded down (towards
    // minus infinity), without overflow for streams that play for years.
    static int64_t framesIn(int64_t ns, int rate);
    static int64_t nsOf(int64_t frames, int rate);

private:
    struct Report {
        int64_t atNs;
        int64_t originNs; // when sample 0 would have been heard, by this report
        int64_t read;
    };
    void settle();

    int m_rate;
    std::array<Report, kReports> m_reports{};
    std::size_t m_next = 0;
    std::size_t m_count = 0;
    int64_t m_originNs = 0;
    int64_t m_readAhead = 0;
};

} // namespace sorvane
