// The chain of ways of watching keys: the first that works is used, one
// that fails later is replaced by the next, and when none is left the user
// is told once, in these words, what works instead.
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
