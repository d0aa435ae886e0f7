// sorvane-timer-ctl: presses Start, Restart or Stop of a running Sorvane
// Timer over the session bus, so that a desktop's own key bindings can
// drive the timer where global hotkeys cannot be watched.
#include "hotkeys/DBusControl.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QString>
#include <QStringList>

#include <cstdio>

namespace {

constexpr int kCallTimeoutMs = 5000;

void printUsage(std::FILE* out) {
    std::fputs("Usage: sorvane-timer-ctl start|restart|stop\n"
               "Presses the Start, Restart or Stop hotkey of the running Sorvane Timer.\n"
               "Exits with 0 when the timer took the press, 1 otherwise.\n",
               out);
}

void fail(const QString& message) {
    std::fprintf(stderr, "sorvane-timer-ctl: %s\n", qPrintable(message));
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);

    if (args.size() == 1 && (args[0] == QLatin1String("-h") || args[0] == QLatin1String("--help"))) {
        printUsage(stdout);
        return 0;
    }
    QString method;
    if (args.size() == 1) {
        if (args[0] == QLatin1String("start"))
            method = QStringLiteral("Start");
        else if (args[0] == QLatin1String("restart"))
            method = QStringLiteral("Restart");
        else if (args[0] == QLatin1String("stop"))
            method = QStringLiteral("Stop");
    }
    if (method.isEmpty()) {
        if (args.isEmpty())
            fail(QStringLiteral("missing command"));
        else
            fail(QStringLiteral("unknown command \"%1\"").arg(args.join(QLatin1Char(' '))));
        printUsage(stderr);
        return 1;
    }

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        fail(QStringLiteral("cannot reach the session bus: %1").arg(bus.lastError().message()));
        return 1;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(sorvane::dbus::kServiceName),
                                                       QLatin1String(sorvane::dbus::kObjectPath),
                                                       QLatin1String(sorvane::dbus::kInterfaceName), method);
    // Never start a service for this: only a timer that is already open counts.
    call.setAutoStartService(false);
    const QDBusMessage reply = bus.call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return 0;

    const QString error = reply.errorName();
    if (error == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
        error == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner"))
        fail(QStringLiteral("Sorvane Timer is not running (nothing answers as %1 on the session bus)")
                 .arg(QLatin1String(sorvane::dbus::kServiceName)));
    else
        fail(QStringLiteral("%1 failed: %2").arg(args[0], reply.errorMessage()));
    return 1;
}
