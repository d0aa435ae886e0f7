// Sorvane Timer: an interval timer driven by global hotkeys.
#include "engine/Clock.h"
#include "engine/Platform.h"
#include "hotkeys/OutsideControl.h"
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
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A D-Bus address names a path with the bytes outside a small safe set
// written as %XX.
std::string dbusAddressEscaped(const std::string& path) {
    static const char hex[] = "0123456789abcdef";
    std::string out;
    for (const char ch : path) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' ||
            c == '_' || c == '/' || c == '.' || c == '\\' || c == '*') {
            out += ch;
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

// The session bus is used only where one is running.  Without an address
// libdbus would start a bus of its own ("autolaunch", through the X display),
// and that bus and the services it starts would outlive the program.  So the
// address is settled here, before Qt or anything else touches the bus: the
// one given (less any autolaunch entry), else the user's bus socket in the
// runtime folder, else an address that connects to nothing.
void useOnlyARunningSessionBus() {
    std::string kept;
    if (const char* given = std::getenv("DBUS_SESSION_BUS_ADDRESS")) {
        const std::string address = given;
        std::size_t start = 0;
        while (start <= address.size()) {
            std::size_t end = address.find(';', start);
            if (end == std::string::npos)
                end = address.size();
            const std::string entry = address.substr(start, end - start);
            if (!entry.empty() && entry.rfind("autolaunch:", 0) != 0)
                kept += (kept.empty() ? "" : ";") + entry;
            start = end + 1;
        }
    }
    if (kept.empty()) {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        struct stat st {};
        if (runtime != nullptr && *runtime == '/') {
            const std::string socket = std::string(runtime) + "/bus";
            if (::stat(socket.c_str(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_uid == ::getuid())
                kept = "unix:path=" + dbusAddressEscaped(socket);
        }
    }
    // "disabled:" is no transport libdbus knows: connecting fails at once.
    ::setenv("DBUS_SESSION_BUS_ADDRESS", kept.empty() ? "disabled:" : kept.c_str(), 1);
}

} // namespace

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

    useOnlyARunningSessionBus();

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
    std::unique_ptr<sorvane::HotkeyBackend> hotkeys = sorvane::createHotkeyBackend(notify);

    sorvane::RunProgress progress;
    sorvane::ui::frmSorvaneTimer* window = nullptr;
    auto endProcess = [&] {
        // The exit beep is heard in full, then the process ends at once:
        // no further handler runs and nothing is saved.
        if (window)
            window->beep.drain();
        std::_Exit(0);
    };

    window = new sorvane::ui::frmSorvaneTimer(
        {clock, pump, *sound.port, *sound.midi, *hotkeys, notify, endProcess, &progress});
    notifier.setOwner(window);

    window->Form_Load(commandLine);
    window->show();

    // The run's progress in the desktop's panel, with Start, Restart, Stop,
    // the window and Exit in its menu.
    sorvane::ui::StatusIndicator indicator(
        progress, clock,
        {window,
         {&window->HotKeyCoReceiver1, &window->HotKeyCoReceiver2, &window->HotKeyCoReceiver3},
         [window] { window->Command1_Click(); }});

    // Start, Restart and Stop from outside (sorvane-timer-ctl); without a
    // session bus the timer runs on and says so once.
    const sorvane::OutsideControl control = sorvane::publishOutsideControl(
        window->HotKeyCoReceiver1, window->HotKeyCoReceiver2, window->HotKeyCoReceiver3);
    if (!control.problem.isEmpty())
        std::fprintf(stderr, "sorvane-timer: %s\n", qPrintable(control.problem));
    return app.exec();
}
