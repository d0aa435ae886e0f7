#pragma once
// Fakes for driving the main window in tests: a settable clock, a yield
// that jumps the clock to the moment the runner waits for and runs scripted
// actions on the way, and recording sound devices.
#include "engine/BeepOutput.h"
#include "engine/Clock.h"
#include "hotkeys/HotkeyReceiver.h"
#include "hotkeys/TimerHotkeys.h"
#include "ui/frmSorvaneTimer.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace testing_support {

struct FakeClock final : sorvane::TickClock {
    uint32_t now = 5000;
    uint32_t ticks() override { return now; }
};

struct ScriptedPump final : sorvane::EventPump {
    explicit ScriptedPump(FakeClock& c) : clock(c) {}
    FakeClock& clock;
    struct Action {
        uint32_t atTick;
        std::function<void()> run;
        bool done = false;
    };
    std::vector<Action> actions;
    int yields = 0;
    void at(uint32_t tick, std::function<void()> fn) { actions.push_back({tick, std::move(fn)}); }
    void yield(uint32_t maxWaitMs) override {
        ++yields;
        QCoreApplication::processEvents();
        // Run the next scripted action if it falls before the wake-up time,
        // otherwise sleep until the moment the runner asked for.
        for (auto& a : actions) {
            if (!a.done && a.atTick <= clock.now + maxWaitMs) {
                if (a.atTick > clock.now)
                    clock.now = a.atTick;
                a.done = true;
                a.run();
                return;
            }
        }
        clock.now += maxWaitMs;
    }
};

// Counts speaker beeps (one endOfBeep per beep) and when they sounded.
struct RecordingPort final : sorvane::PortOutput {
    explicit RecordingPort(FakeClock& c) : clock(c) {}
    FakeClock& clock;
    std::vector<uint32_t> beepTicks;
    long writes = 0;
    void out(uint16_t, uint8_t) override { ++writes; }
    void endOfBeep() override { beepTicks.push_back(clock.now); }
};

struct RecordingMidi final : sorvane::MidiPlayer {
    std::string file;
    int plays = 0;
    void setFileName(const std::string& path) override { file = path; }
    std::string fileName() const override { return file; }
    void play() override { ++plays; }
};

// One window in a fresh temporary working folder.
struct Harness {
    QTemporaryDir dir;
    QString previousFolder = QDir::currentPath();
    FakeClock clock;
    ScriptedPump pump{clock};
    RecordingPort port{clock};
    RecordingMidi midi;
    sorvane::TimerHotkeys keys;
    sorvane::NullHotkeyBackend hotkeys;
    std::vector<std::string> messages;
    int exits = 0;
    std::unique_ptr<sorvane::ui::frmSorvaneTimer> window;

    Harness() {
        QDir::setCurrent(dir.path());
        window = std::make_unique<sorvane::ui::frmSorvaneTimer>(sorvane::ui::TimerServices{
            clock, pump, port, midi, hotkeys, keys, [this](const std::string& m) { messages.push_back(m); },
            [this] { ++exits; }});
    }
    ~Harness() {
        window.reset();
        QDir::setCurrent(previousFolder);
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    int beeps() const { return static_cast<int>(port.beepTicks.size()) + midi.plays; }
};

} // namespace testing_support
