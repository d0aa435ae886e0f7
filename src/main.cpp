// Sorvane Timer: an interval timer driven by global hotkeys.
#include "engine/Clock.h"
#include "engine/Platform.h"
#include "hotkeys/OutsideControl.h"
#include "hotkeys/SessionBus.h"
#include "hotkeys/TimerHotkeys.h"
#include "settings/SettingsFile.h"
#include "ui/Notifier.h"
#include "ui/ProgramIcon.h"
#include "ui/QtEventPump.h"
#include "ui/StatusIndicator.h"
#include "ui/frmSorvaneTimer.h"

#include <QApplication>
#include <QSessionManager>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

int main(int argc, char* argv[]) {
    // The whole argument text is the settings file name: the arguments
    // joined by single blanks, neither split nor trimmed, kept as the bytes
    // they are (a name need not be UTF-8).  Qt is given the program's name
    // alone, so that an argument such as -platform or -reverse names a file
    // and is never taken as one of Qt's own options.
    std::string argumentText;
    for (int i = 1; i < argc; ++i)
        argumentText += (i > 1 ? " " : "") + std::string(argv[i]);
    const QString commandLine = QString::fromStdU16String(sorvane::nameFromBytes(argumentText));
    int qtArgc = 1;
    char programName[] = "sorvane-timer";
    char* qtArgv[] = {argc > 0 && argv[0] != nullptr ? argv[0] : programName, nullptr};

    sorvane::useOnlyARunningSessionBus();

    QApplication app(qtArgc, qtArgv);
    // Qt does not see the command line, so a session manager that restores
    // the program must not restart it with Qt's own options (which would
    // become a file name): it restarts it with the same settings file.
    QObject::connect(&app, &QGuiApplication::saveStateRequest, [&commandLine](QSessionManager& manager) {
        QStringList command{QCoreApplication::applicationFilePath()};
        if (!commandLine.isEmpty())
            command << commandLine;
        manager.setRestartCommand(command);
    });
    QApplication::setApplicationName(QStringLiteral("sorvane-timer"));
    // The desktop entry's name: the window's Wayland app id, which desktops
    // match with the entry (its icon, its name in shortcut settings).
    QApplication::setDesktopFileName(QStringLiteral("org.sorvane.Timer"));
    QApplication::setQuitOnLastWindowClosed(false);

    // Every window, notices included, carries the program's icon.
    QApplication::setWindowIcon(sorvane::ui::programIcon());

    // Notices belong to the main window: those from before it is shown wait
    // until it is, then stand above it.
    sorvane::ui::Notifier notifier;
    auto notify = [&notifier](const std::string& message) {
        notifier.notify(QString::fromStdString(message));
    };

    sorvane::MonotonicTickClock clock;
    sorvane::ui::QtEventPump pump;
    sorvane::SoundDevices sound = sorvane::createSoundDevices(notify);
    // The receivers outlive the backend that watches them.
    sorvane::TimerHotkeys timerHotkeys;
    std::unique_ptr<sorvane::HotkeyBackend> hotkeys = sorvane::createHotkeyBackend(notify);

    sorvane::RunProgress progress;

    // The window has sounded its exit beep in full: the process ends at once.
    auto endProcess = [] { std::_Exit(0); };

    auto* window = new sorvane::ui::frmSorvaneTimer(
        {clock, pump, *sound.port, *sound.midi, *hotkeys, timerHotkeys, notify, endProcess, &progress});
    notifier.setOwner(window);

    window->Form_Load(commandLine);
    window->show();

    // The run's progress in the desktop's panel, with Start, Restart, Stop,
    // the window and Exit in its menu.
    sorvane::ui::StatusIndicator indicator(
        progress, clock, {window, timerHotkeys.receivers(), [window] { window->Command1_Click(); }});

    // Start, Restart and Stop from outside (sorvane-timer-ctl); without a
    // session bus the timer runs on and says so once.
    const sorvane::OutsideControl control = sorvane::publishOutsideControl(timerHotkeys);
    if (!control.problem.isEmpty())
        std::fprintf(stderr, "sorvane-timer: %s\n", qPrintable(control.problem));
    return app.exec();
}
