// The estimate of which output sample is heard when, from a sound server's
// timing reports.  The reports come from a model stream whose sample 0 is
// heard at kOrigin and which plays 48000 samples a second.
#include "engine/PlaybackClock.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace sorvane {
namespace {

constexpr int kRate = 48000;
constexpr int64_t kOrigin = 5'000'000'000'000; // 5000 s after boot
constexpr int64_t kMs = 1'000'000;

// The sample heard at t by the model, rounded down.
int64_t heardAt(int64_t t) {
    return (t - kOrigin) * kRate / 1'000'000'000;
}

TEST(PlaybackClockTest, NoReportNoClock) {
    PlaybackClock clock(kRate);
    EXPECT_FALSE(clock.known());
    clock.report(kOrigin + 100 * kMs, heardAt(kOrigin + 100 * kMs), 0);
    EXPECT_TRUE(clock.known());
    clock.reset();
    EXPECT_FALSE(clock.known());
}

// Exact reports (a server that computes them when asked): the clock gives
// every sample's moment, before and after the reports.
TEST(PlaybackClockTest, ExactReportsGiveTheStream) {
    PlaybackClock clock(kRate);
    clock.report(kOrigin + 1000 * kMs, 48000, 48000 + 4800);
    struct Case {
        int64_t at;
        int64_t frame;
    };
    for (const Case c :
         {Case{kOrigin, 0}, Case{kOrigin + 1000 * kMs, 48000}, Case{kOrigin + 2500 * kMs, 120000},
          Case{kOrigin + 1 * kMs, 48}, Case{kOrigin - 1 * kMs, -48}}) {
        EXPECT_EQ(clock.frameAt(c.at), c.frame) << c.at - kOrigin;
        EXPECT_EQ(clock.timeOf(c.frame), c.at) << c.frame;
    }
    // The server had read 100 ms ahead of the sample heard.
    EXPECT_EQ(clock.readAhead(), 4800);
}

// A server that computes its figures at the start of each cycle of 2048
// samples and answers later: every report claims too early a moment by
// its delay, and the earliest claim wins.
TEST(PlaybackClockTest, TheEarliestClaimOfCycleReportsWins) {
    constexpr int64_t kCycle = 2048;
    const int64_t cycleNs = kCycle * 1'000'000'000 / kRate; // 42.67 ms
    PlaybackClock clock(kRate);
    // Delays after their cycle of 30, 12, 41 and 0.2 ms.
    const std::vector<int64_t> delays{30 * kMs, 12 * kMs, 41 * kMs, 200'000};
    std::vector<int64_t> errors;
    for (std::size_t k = 0; k < delays.size(); ++k) {
        const int64_t cycleStart = kOrigin + static_cast<int64_t>(10 + 5 * k) * cycleNs;
        const int64_t read = heardAt(cycleStart);
        clock.report(cycleStart + delays[k], read, read);
        const int64_t now = cycleStart + 50 * kMs;
        errors.push_back(heardAt(now) - clock.frameAt(now));
    }
    // Each error is the smallest delay so far, in samples (with rounding).
    EXPECT_NEAR(errors[0], 30 * kRate / 1000, 2);
    EXPECT_NEAR(errors[1], 12 * kRate / 1000, 2);
    EXPECT_NEAR(errors[2], 12 * kRate / 1000, 2);
    EXPECT_NEAR(errors[3], 10, 2);
    // Such a server reports what it has read as the sample heard: it has
    // read nothing ahead of it.
    EXPECT_LE(clock.readAhead(), 1); // rounding
    EXPECT_GE(clock.readAhead(), -12);
}

// A report from long ago no longer counts: an early claim made more than
// the window before the newest report ages out.
TEST(PlaybackClockTest, OldReportsAgeOut) {
    PlaybackClock clock(kRate);
    const int64_t t0 = kOrigin + 1000 * kMs;
    clock.report(t0, heardAt(t0) + 96, 0); // claims 2 ms early
    const int64_t t1 = t0 + PlaybackClock::kWindowNs / 2;
    clock.report(t1, heardAt(t1), 0);
    EXPECT_EQ(clock.frameAt(t1), heardAt(t1) + 96);
    const int64_t t2 = t0 + PlaybackClock::kWindowNs + kMs;
    clock.report(t2, heardAt(t2), 0);
    EXPECT_EQ(clock.frameAt(t2), heardAt(t2));
}

// The stream's timing moved later by 20 ms (the server lengthened its
// cycle, or skipped): two reports that agree are believed at once; one alone
// may be a late answer and moves nothing.
TEST(PlaybackClockTest, TwoReportsThatAgreeMoveTheClock) {
    PlaybackClock clock(kRate);
    int64_t t = kOrigin + 1000 * kMs;
    for (int i = 0; i < 3; ++i, t += 200 * kMs)
        clock.report(t, heardAt(t), 0);
    const int64_t moved = 20 * kRate / 1000;
    clock.report(t, heardAt(t) - moved, 0);
    EXPECT_EQ(clock.frameAt(t), heardAt(t));
    t += 200 * kMs;
    clock.report(t, heardAt(t) - moved, 0);
    EXPECT_EQ(clock.frameAt(t), heardAt(t) - moved);
    // Reports 2 ms later than the estimate are within what late answers
    // give, and two late answers 10 and 14 ms late do not agree: nothing
    // moves.
    for (const int64_t late : {96, 96, 480, 672}) {
        t += 200 * kMs;
        clock.report(t, heardAt(t) - moved - late, 0);
        EXPECT_EQ(clock.frameAt(t), heardAt(t) - moved) << late;
    }
}

TEST(PlaybackClockTest, DurationsRoundDownWithoutOverflow) {
    struct Case {
        int64_t ns;
        int64_t frames;
    };
    constexpr int64_t kYear = 365LL * 24 * 3600;
    for (const Case c : {Case{0, 0}, Case{20'833, 0}, Case{20'834, 1}, Case{1'000'000'000, 48000},
                         Case{-1, -1}, Case{-20'834, -2}, Case{kYear * 1'000'000'000, kYear * 48000}}) {
        EXPECT_EQ(PlaybackClock::framesIn(c.ns, kRate), c.frames) << c.ns;
    }
    EXPECT_EQ(PlaybackClock::nsOf(kYear * 48000 + 1, kRate), kYear * 1'000'000'000 + 20'833);
    EXPECT_EQ(PlaybackClock::nsOf(-1, kRate), -20'834);
}

} // namespace
} // namespace sorvane
