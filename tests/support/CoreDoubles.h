#pragma once
// Stand-ins for the program's clock, event loop and sound devices, shared by
// the tests: a settable clock, an event loop that moves that clock and runs
// scripted handlers inside its yields, and sound devices that record what
// they were given.  Qt-free, so the core tests use them as well as the
// window's.
#include "engine/BeepOutput.h"
#include "engine/Clock.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

struct FakeClock final : sorvane::TickClock {
    uint32_t now = 0;
    uint32_t ticks() override { return now; }
};

// An event loop whose yields move the fake clock.  A yield first calls
// onYield (checks, logs, a toolkit's own event handling), then runs the
// first scripted action due within the wait, moving the clock on to its
// tick; when none is due it moves the clock by advance(wait) and runs the
// handlers.
struct ScriptedPump final : sorvane::EventPump {
    explicit ScriptedPump(FakeClock& clock) : clock(clock) {}

    FakeClock& clock;
    uint64_t yields = 0;
    std::function<void(uint32_t maxWaitMs)> onYield;
    // By default the whole wait passes, as in a loop with nothing to do.
    std::function<uint32_t(uint32_t maxWaitMs)> advance = [](uint32_t maxWaitMs) { return maxWaitMs; };
    std::function<void()> handlers;

    void at(uint32_t tick, std::function<void()> action) { m_actions.push_back({tick, std::move(action)}); }

    void yield(uint32_t maxWaitMs) override {
        ++yields;
        if (onYield)
            onYield(maxWaitMs);
        for (Action& a : m_actions) {
            // Ticks ahead of the clock; an action whose tick has passed runs at once.
            const int64_t ahead = static_cast<int32_t>(a.tick - clock.now);
            if (!a.done && ahead <= static_cast<int64_t>(maxWaitMs)) {
                if (ahead > 0)
                    clock.now = a.tick;
                a.done = true;
                a.run();
                return;
            }
        }
        clock.now += advance(maxWaitMs);
        if (handlers)
            handlers();
    }

private:
    struct Action {
        uint32_t tick;
        std::function<void()> run;
        bool done = false;
    };
    std::vector<Action> m_actions;
};

// A speaker port that records the wave it is given as runs of equal values,
// the writes to any other port, and when each beep ended: the tick of the
// clock it was given, and the writes made by then.
struct RecordingPort final : sorvane::PortOutput {
    using Run = std::pair<uint8_t, long>; // value, writes in a row
    RecordingPort() = default;
    explicit RecordingPort(sorvane::TickClock& clock) : m_clock(&clock) {}

    long writes = 0;
    long otherPortWrites = 0;
    std::vector<Run> wave;
    std::vector<uint32_t> beepTicks;
    std::vector<long> writesAtEnd;

    void out(uint16_t port, uint8_t value) override {
        ++writes;
        if (port != sorvane::kSpeakerPort)
            ++otherPortWrites;
        if (wave.empty() || wave.back().first != value)
            wave.emplace_back(value, 0);
        ++wave.back().second;
    }
    void endOfBeep() override {
        beepTicks.push_back(m_clock != nullptr ? m_clock->ticks() : 0);
        writesAtEnd.push_back(writes);
    }
    int beeps() const { return static_cast<int>(beepTicks.size()); }

private:
    sorvane::TickClock* m_clock = nullptr;
};

// A speaker port that only counts, for runs of hundreds of thousands of beeps.
struct CountingPort final : sorvane::PortOutput {
    long writes = 0;
    long beeps = 0;
    void out(uint16_t, uint8_t) override { ++writes; }
    void endOfBeep() override { ++beeps; }
};

struct RecordingMidi final : sorvane::MidiPlayer {
    std::string file;
    int plays = 0;
    void setFileName(const std::string& path) override { file = path; }
    std::string fileName() const override { return file; }
    void play() override { ++plays; }
};

} // namespace testing_support
