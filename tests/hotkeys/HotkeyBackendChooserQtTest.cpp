// The choice of the ways of watching keys by the session, and the chain of
// those ways: the first that works is used, one that fails later is
// replaced by the next, and when none is left the user is told once, in
// these words, what works instead.  The session's environment and the ways
// themselves are the test's own: nothing depends on the machine it runs on.
#include "hotkeys/HotkeyBackendChooser.h"

#include <QtTest>

#include <memory>
#include <string>
#include <vector>

using namespace sorvane;

namespace {

// A way of watching keys whose fate the test decides.
struct FakeBackend final : HotkeyBackend {
    std::string label;
    bool available = true;
    std::string why;
    std::vector<HotkeyReceiver*> attached;
    bool* gone = nullptr;

    ~FakeBackend() override {
        for (HotkeyReceiver* receiver : attached)
            receiver->setKeyChangedHook({});
        if (gone)
            *gone = true;
    }
    void attach(HotkeyReceiver& receiver) override {
        attached.push_back(&receiver);
        receiver.setKeyChangedHook([] {});
    }
    bool isAvailable() const override { return available; }
    std::string name() const override { return available ? label : label + " (failed)"; }
    std::string failure() const override { return why; }
    void failNow(const std::string& reason) {
        available = false;
        why = reason;
        changed();
    }
};

// One way in the chain: missing at once (with a reason), working, or
// working until the test makes it fail.
struct Way {
    QString label;
    QString missingBecause; // empty: the way is there
};

const QString kCtl = QStringLiteral(
    " The timer still works from its window. To start, restart and stop it from any application, bind the "
    "commands 'sorvane-timer-ctl start', 'sorvane-timer-ctl restart' and 'sorvane-timer-ctl stop' to keys in "
    "your desktop's keyboard settings.");

} // namespace

Q_DECLARE_METATYPE(Way)
Q_DECLARE_METATYPE(QList<Way>)

class HotkeyBackendChooserQtTest : public QObject {
    Q_OBJECT

private slots:
    // Which ways are tried, in order, for a session's environment; the
    // input devices come last everywhere, and are used when this user may
    // read a keyboard.
    void triesTheWaysOfTheSession_data() {
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<bool>("keyboardsReadable");
        QTest::addColumn<QStringList>("tried");
        const QStringList x11{"x11", "evdev"};
        const QStringList wayland{"portal", "evdev"};
        const QStringList devicesOnly{"evdev"};
        QTest::newRow("X11 session") << QStringList{"XDG_SESSION_TYPE=x11", "DISPLAY=:0"} << false << x11;
        QTest::newRow("X11 session, keyboards readable")
            << QStringList{"XDG_SESSION_TYPE=x11", "DISPLAY=:0"} << true << x11;
        QTest::newRow("X11 session without a display") << QStringList{"XDG_SESSION_TYPE=x11"} << false << x11;
        QTest::newRow("X11 session with a Wayland display")
            << QStringList{"XDG_SESSION_TYPE=x11", "DISPLAY=:0", "WAYLAND_DISPLAY=wayland-0"} << false << x11;
        QTest::newRow("Wayland session with Xwayland")
            << QStringList{"XDG_SESSION_TYPE=wayland", "WAYLAND_DISPLAY=wayland-0", "DISPLAY=:0"} << false
            << wayland;
        QTest::newRow("Wayland session, no display named")
            << QStringList{"XDG_SESSION_TYPE=wayland"} << false << wayland;
        QTest::newRow("no session type, X display") << QStringList{"DISPLAY=:0"} << false << x11;
        QTest::newRow("no session type, both displays")
            << QStringList{"DISPLAY=:0", "WAYLAND_DISPLAY=wayland-0"} << false << wayland;
        QTest::newRow("no session type, Wayland display")
            << QStringList{"WAYLAND_DISPLAY=wayland-0"} << false << wayland;
        QTest::newRow("console with a display")
            << QStringList{"XDG_SESSION_TYPE=tty", "DISPLAY=:0"} << false << x11;
        QTest::newRow("console") << QStringList{"XDG_SESSION_TYPE=tty"} << false << devicesOnly;
        QTest::newRow("console, keyboards readable")
            << QStringList{"XDG_SESSION_TYPE=tty"} << true << devicesOnly;
        QTest::newRow("empty environment") << QStringList{} << false << devicesOnly;
    }

    void triesTheWaysOfTheSession() {
        QFETCH(QStringList, environment);
        QFETCH(bool, keyboardsReadable);
        QFETCH(QStringList, tried);

        QStringList asked;
        auto way = [&](const QString& name, bool works) {
            return [&asked, name, works](std::string& whyNot) -> std::unique_ptr<HotkeyBackend> {
                asked << name;
                if (!works) {
                    whyNot = "no " + name.toStdString();
                    return nullptr;
                }
                auto backend = std::make_unique<FakeBackend>();
                backend->label = name.toStdString();
                return backend;
            };
        };
        HotkeyProbes probes{[&](const char* name) {
                                for (const QString& entry : environment) {
                                    if (entry.startsWith(QLatin1String(name) + QLatin1Char('=')))
                                        return entry.section(QLatin1Char('='), 1).toStdString();
                                }
                                return std::string();
                            },
                            way(QStringLiteral("x11"), false),
                            way(QStringLiteral("portal"), false),
                            way(QStringLiteral("evdev"), keyboardsReadable),
                            {}};
        QStringList notices;
        HotkeyReceiver receiver; // outlives the chain that watches it
        std::unique_ptr<HotkeyBackend> chosen = chooseHotkeyBackend(
            std::move(probes), [&](const std::string& text) { notices << QString::fromStdString(text); });
        chosen->attach(receiver);
        QCOMPARE(asked, tried);
        QCOMPARE(chosen->isAvailable(), keyboardsReadable);
        if (keyboardsReadable) {
            QCOMPARE(QString::fromStdString(chosen->name()), QStringLiteral("evdev"));
            QVERIFY(notices.isEmpty());
        } else {
            QStringList reasons;
            for (const QString& name : tried)
                reasons << QStringLiteral("no ") + name;
            QCOMPARE(notices, QStringList{"Global hotkeys are unavailable: " +
                                          reasons.join(QStringLiteral("; ")) + "." + kCtl});
        }
    }

    void choosesAndFallsBack_data() {
        QTest::addColumn<QList<Way>>("ways");
        QTest::addColumn<QString>("failsLater"); // the reason the first way fails after a while, if it does
        QTest::addColumn<QString>("used");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<QString>("told");

        QTest::newRow("the first works")
            << QList<Way>{{"X11 (XInput2 raw keys)", {}}, {"evdev", {}}} << QString()
            << "X11 (XInput2 raw keys)" << QStringList{"global hotkeys: X11 (XInput2 raw keys)"} << QString();
        QTest::newRow("the first is missing")
            << QList<Way>{{"portal", "the desktop offers no GlobalShortcuts portal"}, {"evdev", {}}}
            << QString() << "evdev" << QStringList{"global hotkeys: evdev"} << QString();
        QTest::newRow("the portal fails, the keyboards work")
            << QList<Way>{{"portal", {}}, {"evdev", {}}} << "the desktop refused a global shortcuts session"
            << "evdev"
            << QStringList{"global hotkeys: portal", "global hotkeys: portal (failed)",
                           "global hotkeys: evdev"}
            << QString();
        QTest::newRow("nothing is there")
            << QList<Way>{{"X11", "no X11 display"},
                          {"evdev", "no keyboard under /dev/input is readable by this user"}}
            << QString() << "none" << QStringList{"global hotkeys: none"}
            << "Global hotkeys are unavailable: no X11 display; no keyboard under /dev/input is readable by "
               "this user." +
                   kCtl;
        QTest::newRow("the portal fails, nothing else is there")
            << QList<Way>{{"portal", {}}, {"evdev", "no keyboard under /dev/input is readable by this user"}}
            << "the desktop bound none of the timer's keys"
            << "none"
            << QStringList{"global hotkeys: portal", "global hotkeys: portal (failed)",
                           "global hotkeys: none"}
            << "Global hotkeys are unavailable: the desktop bound none of the timer's keys; no keyboard "
               "under "
               "/dev/input is readable by this user." +
                   kCtl;
    }

    void choosesAndFallsBack() {
        QFETCH(QList<Way>, ways);
        QFETCH(QString, failsLater);
        QFETCH(QString, used);
        QFETCH(QStringList, log);
        QFETCH(QString, told);

        std::vector<FakeBackend*> made;
        std::unique_ptr<bool[]> gone(new bool[static_cast<size_t>(ways.size())]());
        std::vector<HotkeyBackendChain::Factory> factories;
        for (qsizetype i = 0; i < ways.size(); ++i) {
            factories.push_back([&, i](std::string& whyNot) -> std::unique_ptr<HotkeyBackend> {
                if (!ways[i].missingBecause.isEmpty()) {
                    whyNot = ways[i].missingBecause.toStdString();
                    return nullptr;
                }
                auto backend = std::make_unique<FakeBackend>();
                backend->label = ways[i].label.toStdString();
                backend->gone = &gone[static_cast<size_t>(i)];
                made.push_back(backend.get());
                return backend;
            });
        }
        QStringList logged;
        QStringList notices;
        HotkeyReceiver start; // the receivers outlive the chain
        HotkeyReceiver stop;
        HotkeyBackendChain chain(
            std::move(factories), [&](const std::string& text) { notices << QString::fromStdString(text); },
            [&](const std::string& line) { logged << QString::fromStdString(line); });
        int changes = 0;
        chain.setChangedHook([&] { ++changes; });
        chain.attach(start);
        chain.attach(stop);

        if (!failsLater.isEmpty()) {
            QVERIFY(!made.empty());
            made.front()->failNow(failsLater.toStdString());
            QTRY_VERIFY(QString::fromStdString(chain.name()) != QStringLiteral("portal (failed)"));
            QVERIFY(gone[0]); // the failed way let go of the receivers
            QVERIFY(changes > 0);
        }
        QCoreApplication::processEvents(); // whatever the chain left for the event loop
        QCOMPARE(QString::fromStdString(chain.name()), used);
        QCOMPARE(chain.isAvailable(), used != QLatin1String("none"));
        QCOMPARE(logged, log);
        QCOMPARE(notices, told.isEmpty() ? QStringList() : QStringList{told});
        // The way in use watches every receiver.
        if (used != QLatin1String("none"))
            QCOMPARE(made.back()->attached, (std::vector<HotkeyReceiver*>{&start, &stop}));
    }
};

QTEST_GUILESS_MAIN(HotkeyBackendChooserQtTest)
#include "HotkeyBackendChooserQtTest.moc"
