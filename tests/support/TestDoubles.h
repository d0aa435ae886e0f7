#pragma once
// The main window in tests, driven by the shared stand-ins of CoreDoubles.h:
// a settable clock, a yield that handles Qt's events, jumps the clock to the
// moment the runner waits for and runs scripted actions on the way, and
// recording sound devices.
#include "engine/RunProgress.h"
#include "hotkeys/HotkeyReceiver.h"
#include "hotkeys/TimerHotkeys.h"
#include "ui/frmSorvaneTimer.h"

#include "support/CoreDoubles.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace testing_support {

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
    sorvane::RunProgress progress; // where a run stands, as a panel icon shows it
    std::vector<std::string> messages;
    int exits = 0;
    std::unique_ptr<sorvane::ui::frmSorvaneTimer> window;

    Harness() {
        // The clock starts well away from 0, and every yield lets Qt handle
        // its events before the scripted actions run.
        clock.now = 5000;
        pump.onYield = [](uint32_t) { QCoreApplication::processEvents(); };
        QDir::setCurrent(dir.path());
        window = std::make_unique<sorvane::ui::frmSorvaneTimer>(sorvane::ui::TimerServices{
            clock, pump, port, midi, hotkeys, keys, [this](const std::string& m) { messages.push_back(m); },
            [this] { ++exits; }, &progress});
    }
    ~Harness() {
        window.reset();
        QDir::setCurrent(previousFolder);
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    int beeps() const { return static_cast<int>(port.beepTicks.size()) + midi.plays; }
};

} // namespace testing_support
