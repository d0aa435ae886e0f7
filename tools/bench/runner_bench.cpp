// Timing figures of the cycle runner inside a real Qt event loop, with the
// machine's own millisecond tick counter: lateness of each beep from its due
// moment, processor time while a run waits, and drift over repetitions.
// Prints a table; it is a measurement, not a test.
#include "engine/Clock.h"
#include "engine/CycleRunner.h"
#include "engine/TimerState.h"
#include "hotkeys/HotkeyReceiver.h"
#include "ui/QtEventPump.h"

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double cpuSeconds() {
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
           static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

double percentile(std::vector<double> v, double p) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const auto i = static_cast<std::size_t>(std::lround(p * static_cast<double>(v.size() - 1)));
    return v[std::min(i, v.size() - 1)];
}

struct Result {
    std::vector<double> lateMs; // beep time minus due time (due = moment + 1 ms)
    double wallS = 0;
    double cpuS = 0;
};

// Runs the table `repetitions` times; the beep only records when it came.
Result run(const std::vector<float>& moments, int16_t repetitions) {
    sorvane::TimerState state;
    std::copy(moments.begin(), moments.end(), state.beepTimes.begin());
    state.beepTimes[moments.size()] = 0;
    state.repeatCount = repetitions;
    sorvane::MonotonicTickClock ticks;
    sorvane::ui::QtEventPump pump;
    sorvane::HotkeyReceiver r1, r2, r3;

    Result result;
    Clock::time_point repStart = Clock::now();
    std::size_t index = 0;
    auto beep = [&] {
        const double at = std::chrono::duration<double, std::milli>(Clock::now() - repStart).count();
        result.lateMs.push_back(at - (static_cast<double>(moments[index]) * 1000.0 + 1.0));
        if (++index == moments.size()) {
            index = 0;
            repStart = Clock::now(); // the next repetition starts after this beep
        }
    };
    sorvane::CycleRunner runner(state, ticks, pump, beep, {&r1, &r2, &r3});
    const double cpu0 = cpuSeconds();
    const auto t0 = Clock::now();
    repStart = t0;
    runner.run(1000);
    result.wallS = std::chrono::duration<double>(Clock::now() - t0).count();
    result.cpuS = cpuSeconds() - cpu0;
    return result;
}

} // namespace

// The tick counter of this machine that also remembers the full time of
// its first reading: the start tick of a one-repetition run.
class FirstReadingClock final : public sorvane::TickClock {
public:
    uint32_t ticks() override {
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        const int64_t ms = static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
        if (firstMs < 0)
            firstMs = ms;
        return static_cast<uint32_t>(ms);
    }
    int64_t firstMs = -1;
};

int64_t monotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

// How late the beep is called after one long wait: a table of one moment
// of `seconds`, one repetition.  The beep is due the instant the tick
// counter passes the moment, so lateness is measured from that instant.
double lateAfterWait(int seconds) {
    sorvane::TimerState state;
    state.beepTimes[0] = static_cast<float>(seconds);
    state.repeatCount = 1;
    FirstReadingClock ticks;
    sorvane::ui::QtEventPump pump;
    sorvane::HotkeyReceiver r1, r2, r3;
    int64_t beepNs = 0;
    sorvane::CycleRunner runner(state, ticks, pump, [&] { beepNs = monotonicNs(); }, {&r1, &r2, &r3});
    runner.run(1000);
    const int64_t dueNs = (ticks.firstMs + seconds * 1000 + 1) * 1'000'000;
    return static_cast<double>(beepNs - dueNs) / 1e6;
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);

    // `sorvane-bench wait S...`: only the lateness of a beep call after a
    // wait of S seconds, one line each.
    if (argc > 2 && std::string(argv[1]) == "wait") {
        for (int i = 2; i < argc; ++i) {
            const int seconds = std::atoi(argv[i]);
            std::printf("%d %.3f\n", seconds, lateAfterWait(seconds));
            std::fflush(stdout);
        }
        return 0;
    }

    // 1. A long table of closely spaced moments: 250 moments 20 ms apart.
    std::vector<float> dense;
    for (int i = 1; i <= 250; ++i)
        dense.push_back(static_cast<float>(i) * 0.02f);
    const Result d = run(dense, 2);

    // 2. A sparse table: one moment a second, to see what waiting costs.
    const Result s = run({1.0f, 2.0f, 3.0f, 4.0f, 5.0f}, 2);

    // 3. Drift over many repetitions of a short cycle: each repetition lasts
    //    its last moment plus the first poll after it (1 ms), nothing more.
    const int reps = 200;
    const Result r = run({0.05f}, reps);
    const double expectedS = reps * 0.051;

    std::printf("%-52s %12s\n", "figure", "value");
    std::printf("%-52s %12zu\n", "dense table: beeps", d.lateMs.size());
    std::printf("%-52s %9.3f ms\n", "dense table: lateness p50", percentile(d.lateMs, 0.50));
    std::printf("%-52s %9.3f ms\n", "dense table: lateness p99", percentile(d.lateMs, 0.99));
    std::printf("%-52s %9.3f ms\n", "dense table: lateness max", percentile(d.lateMs, 1.0));
    std::printf("%-52s %9.2f %%\n", "dense table: CPU of one core", 100.0 * d.cpuS / d.wallS);
    std::printf("%-52s %9.3f ms\n", "sparse table: lateness max", percentile(s.lateMs, 1.0));
    std::printf("%-52s %9.2f %%\n", "sparse table: CPU of one core while waiting", 100.0 * s.cpuS / s.wallS);
    std::printf("%-52s %9.3f s\n", "drift: 200 repetitions of 0.05 s, measured", r.wallS);
    std::printf("%-52s %9.3f s\n", "drift: expected by the rule (200 x 51 ms)", expectedS);
    std::printf("%-52s %9.3f ms\n", "drift: per repetition", 1000.0 * (r.wallS - expectedS) / reps);
    return 0;
}
