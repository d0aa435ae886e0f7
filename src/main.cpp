// Sorvane Timer: an interval timer driven by global hotkeys.
#include "engine/Clock.h"
#include "engine/Platform.h"
#include "hotkeys/DBusControl.h"
#include "ui/Notifier.h"
#include "ui/QtEventPump.h"
#include "ui/frmSorvaneTimer.h"

#include <QApplication>
#include <QDBusConnection>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <memory>

int main(int argc, char* argv[]) {
    // The whole argument text is the settings file name: the arguments
    // joined by single blanks, neither split nor trimmed.  Taken before Qt
    // looks at the arguments.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const QString commandLine = args.join(QLatin1Char(' '));

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("sorvane-timer"));
    // The desktop entry's name: the window's Wayland app id, which desktops
    // match with the entry (its icon, its name in shortcut settings).
    QApplication::setDesktopFileName(QStringLiteral("org.sorvane.Timer"));
    QApplication::setQuitOnLastWindowClosed(false);

    // The notifier needs a window to belong to; it is created right after
    // the main window and messages from before that are kept until then.
    sorvane::ui::Notifier* notifier = nullptr;
    QStringList early;
    auto notify = [&](const std::string& message) {
        const QString text = QString::fromStdString(message);
        if (notifier)
            notifier->notify(text);
        else
            early << text;
    };

    sorvane::MonotonicTickClock clock;
    sorvane::ui::QtEventPump pump;
    sorvane::SoundDevices sound = sorvane::createSoundDevices(notify);
    std::unique_ptr<sorvane::HotkeyBackend> hotkeys = sorvane::createHotkeyBackend(notify);

    sorvane::ui::frmSorvaneTimer* window = nullptr;
    auto endProcess = [&] {
        // The exit beep is heard in full, then the process ends at once:
        // no further handler runs and nothing is saved.
        if (window)
            window->beep.drain();
        std::_Exit(0);
    };

    window = new sorvane::ui::frmSorvaneTimer(
        {clock, pump, *sound.port, *sound.midi, *hotkeys, notify, endProcess});
    notifier = new sorvane::ui::Notifier(window);
    for (const QString& message : early)
        notifier->notify(message);

    window->Form_Load(commandLine);
    window->show();

    // Start, Restart and Stop from outside (sorvane-timer-ctl); without a
    // session bus the timer runs on and says so once.
    sorvane::DBusControl control(QDBusConnection::sessionBus(), window->HotKeyCoReceiver1,
                                 window->HotKeyCoReceiver2, window->HotKeyCoReceiver3);
    if (const QString problem = control.publish(); !problem.isEmpty())
        std::fprintf(stderr, "sorvane-timer: %s\n", qPrintable(problem));
    return app.exec();
}
