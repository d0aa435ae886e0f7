// Settings and the window's controls: which control each record goes to,
// in what order the controls change (each change runs that control's own
// handling), and the texts the boxes get from a file and as defaults.
#include "settings/SettingsFormat.h"
#include "support/TestDoubles.h"
#include "ui/SettingsBinding.h"
#include "ui/VbControls.h"

#include <QFile>
#include <QLineEdit>
#include <QtTest>

using namespace sorvane;
using sorvane::ui::DefaultText;
using sorvane::ui::VbCheckBox;
using sorvane::ui::VbOptionButton;

namespace {

const std::string kDefaultFile = "118,\"Start_Key_Code\"\r\n"
                                 "65,\"Restart_Key_Code\"\r\n"
                                 "119,\"Stop_Key_Code\"\r\n"
                                 "100,\"Beep_Pitch\"\r\n"
                                 "25,\"Beep_Duration\"\r\n"
                                 "19,\"Cycle_Repetitions\"\r\n"
                                 "5,\"Warning_Beeps_per_Second\"\r\n"
                                 "0,\"Custom_Beeps_yes1_no0\"\r\n"
                                 "60,\"Cycle_Time\"\r\n"
                                 "1,\"Cycle_Units_sec1_min0\"\r\n"
                                 "1,\"Enable_Periodic_Warnings_During_Cycle\"\r\n"
                                 "10,\"Periodic_Warning_Time.\"\r\n"
                                 "1,\"Enable_Final_Countdown\"\r\n"
                                 "5,\"Final_Countdown_Time\"\r\n"
                                 "1,\"Final_Countdown_Beeps_Per_Second\"\r\n";

// A file whose every record differs from the default, as it is written.
const std::string kOtherFile = "120,\"Start_Key_Code\"\r\n"
                               "66,\"Restart_Key_Code\"\r\n"
                               "120,\"Stop_Key_Code\"\r\n"
                               "40,\"Beep_Pitch\"\r\n"
                               "7,\"Beep_Duration\"\r\n"
                               "3,\"Cycle_Repetitions\"\r\n"
                               "2.5,\"Warning_Beeps_per_Second\"\r\n"
                               "2,\"Custom_Beeps_yes1_no0\"\r\n"
                               "1.23456789,\"Cycle_Time\"\r\n"
                               "0,\"Cycle_Units_sec1_min0\"\r\n"
                               "0,\"Enable_Periodic_Warnings_During_Cycle\"\r\n"
                               ".5,\"Periodic_Warning_Time.\"\r\n"
                               "0,\"Enable_Final_Countdown\"\r\n"
                               "-2,\"Final_Countdown_Time\"\r\n"
                               "3,\"Final_Countdown_Beeps_Per_Second\"\r\n";

// The controls in file order, as the window has them.
const QStringList kFileOrder = {"Text4",
                                "Text5",
                                "Text6",
                                "Text7",
                                "Check1",
                                "TxtCycleTime",
                                "OptCycleUnitsSec",
                                "ChkWarn",
                                "TxtCycleWarnTime",
                                "ChkFinalCount",
                                "TxtFinalCountTime",
                                "TxtFinalCountBps"};

// The settings controls of the window, bound as the window binds them, with
// a log of every change in the order the controls see them.
struct Controls {
    QWidget parent;
    std::array<int16_t, 3> keys{};
    QLineEdit* Text4 = box("Text4");
    QLineEdit* Text5 = box("Text5");
    QLineEdit* Text6 = box("Text6");
    QLineEdit* Text7 = box("Text7");
    VbCheckBox* Check1 = check("Check1");
    QLineEdit* TxtCycleTime = box("TxtCycleTime");
    VbOptionButton* OptCycleUnitsSec = option("OptCycleUnitsSec");
    VbCheckBox* ChkWarn = check("ChkWarn");
    QLineEdit* TxtCycleWarnTime = box("TxtCycleWarnTime");
    VbCheckBox* ChkFinalCount = check("ChkFinalCount");
    QLineEdit* TxtFinalCountTime = box("TxtFinalCountTime");
    QLineEdit* TxtFinalCountBps = box("TxtFinalCountBps");
    ui::SettingsBinding binding;
    QStringList changes;
    std::array<int16_t, 3> keysAtFirstChange{};

    Controls() {
        binding.bind(&SettingsValues::startKey, &keys[0]);
        binding.bind(&SettingsValues::restartKey, &keys[1]);
        binding.bind(&SettingsValues::stopKey, &keys[2]);
        binding.bind(&SettingsValues::beepPitch, Text4, DefaultText::Plain);
        binding.bind(&SettingsValues::beepDuration, Text5, DefaultText::Plain);
        binding.bind(&SettingsValues::repetitions, Text6, DefaultText::Plain);
        binding.bind(&SettingsValues::warnRate, Text7, DefaultText::Plain);
        binding.bind(&SettingsValues::customList, Check1);
        binding.bind(&SettingsValues::cycleTime, TxtCycleTime, DefaultText::FromNumber);
        binding.bind(&SettingsValues::secondsUnit, OptCycleUnitsSec);
        binding.bind(&SettingsValues::warnings, ChkWarn);
        binding.bind(&SettingsValues::warnInterval, TxtCycleWarnTime, DefaultText::FromNumber);
        binding.bind(&SettingsValues::finalCount, ChkFinalCount);
        binding.bind(&SettingsValues::finalCountTime, TxtFinalCountTime, DefaultText::FromNumber);
        binding.bind(&SettingsValues::finalCountGap, TxtFinalCountBps, DefaultText::FromNumber);
    }

    void changed(const QString& name) {
        if (changes.isEmpty())
            keysAtFirstChange = keys;
        changes << name;
    }
    QLineEdit* box(const char* name) {
        auto* b = new QLineEdit(&parent);
        QObject::connect(b, &QLineEdit::textChanged, [this, name] { changed(name); });
        return b;
    }
    VbCheckBox* check(const char* name) {
        auto* c = new VbCheckBox(name, &parent);
        QObject::connect(c, &VbCheckBox::Click, [this, name] { changed(name); });
        return c;
    }
    VbOptionButton* option(const char* name) {
        auto* o = new VbOptionButton(name, &parent);
        QObject::connect(o, &QAbstractButton::toggled, [this, name] { changed(name); });
        return o;
    }
    QStringList texts() const {
        return {Text4->text(),
                Text5->text(),
                Text6->text(),
                Text7->text(),
                TxtCycleTime->text(),
                TxtCycleWarnTime->text(),
                TxtFinalCountTime->text(),
                TxtFinalCountBps->text()};
    }
    QList<int> states() const {
        return {Check1->value(), OptCycleUnitsSec->isChecked() ? 1 : 0, ChkWarn->value(),
                ChkFinalCount->value()};
    }
    QByteArray saved() const {
        return QByteArray::fromStdString(settingsFileText(binding.values(), BeepTable{}));
    }
};

QByteArray bytes(const std::string& text) {
    return QByteArray::fromStdString(text);
}

} // namespace

class SettingsBindingTest : public QObject {
    Q_OBJECT
private slots:
    void defaultsGoInInFileOrder();
    void aFileGoesInInFileOrder();
    void aShortFileLeavesTheRestAlone();
    void theSameValueIsNoChange();
    void loadOrderReachesTheHandlers();
    void loadingMidiWhileMidiIsChosen();
};

// A new file's defaults: plain digits in the beep and repetition boxes,
// TextFromNumber in the cycle boxes; saved, they are the 393-byte file.
void SettingsBindingTest::defaultsGoInInFileOrder() {
    Controls c;
    c.binding.showDefaults();
    QStringList expected = kFileOrder;
    expected.removeOne("Check1"); // clear already
    QCOMPARE(c.changes, expected);
    QCOMPARE(c.keysAtFirstChange, (std::array<int16_t, 3>{118, 65, 119}));
    QCOMPARE(c.texts(), (QStringList{"100", "25", "19", "5", " 60", " 10", " 5", " 1"}));
    QCOMPARE(c.states(), (QList<int>{0, 1, 1, 1}));
    QCOMPARE(c.saved(), bytes(kDefaultFile));
}

// Loaded, every box shows TextFromNumber of the single-precision value, and
// saving writes what the boxes show.
void SettingsBindingTest::aFileGoesInInFileOrder() {
    Controls c;
    c.binding.showDefaults();
    c.changes.clear();
    c.binding.show(readSettingsText(kOtherFile));
    QCOMPARE(c.changes, kFileOrder);
    QCOMPARE(c.keysAtFirstChange, (std::array<int16_t, 3>{120, 66, 120}));
    QCOMPARE(c.texts(), (QStringList{" 40", " 7", " 3", " 2.5", " 1.234568", " .5", "-2", " 3"}));
    QCOMPARE(c.states(), (QList<int>{2, 0, 0, 0}));
    QByteArray expected = bytes(kOtherFile);
    expected.replace("1.23456789,", "1.234568,");
    QCOMPARE(c.saved(), expected);
}

void SettingsBindingTest::aShortFileLeavesTheRestAlone() {
    Controls c;
    c.binding.showDefaults();
    c.changes.clear();
    c.binding.show(readSettingsText(kOtherFile.substr(0, kOtherFile.find("1.23456789"))));
    QCOMPARE(c.changes, kFileOrder.mid(0, 5));
    QCOMPARE(c.texts(), (QStringList{" 40", " 7", " 3", " 2.5", " 60", " 10", " 5", " 1"}));
    QCOMPARE(c.states(), (QList<int>{2, 1, 1, 1}));
}

void SettingsBindingTest::theSameValueIsNoChange() {
    Controls c;
    const SettingsRead read = readSettingsText(kOtherFile);
    c.binding.show(read);
    c.changes.clear();
    c.binding.show(read);
    QCOMPARE(c.changes, QStringList{});
}

// Text7 is loaded before Check1: its change handling sees the custom-list
// switch as it was before the load.
void SettingsBindingTest::loadOrderReachesTheHandlers() {
    testing_support::Harness h;
    auto& w = *h.window;
    auto file = [&](const char* name, const std::string& rate, const std::string& custom) {
        std::string text = kDefaultFile;
        text.replace(text.find("5,\"Warning"), 1, rate);
        text.replace(text.find("0,\"Custom"), 1, custom);
        QFile f(h.path(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes(text));
    };
    file("custom.ini", "4", "1");
    file("plain.ini", "3", "0");
    w.Form_Load(QStringLiteral("plain.ini"));
    QCOMPARE(w.Text7->text(), QString(" 3"));
    // Switch off at the rate's turn: the rate stays.
    w.File1_Click(QStringLiteral("custom.ini"));
    QCOMPARE(w.Check1->value(), 1);
    QCOMPARE(w.Text7->text(), QString(" 4"));
    // Switch still on at the rate's turn: the rate handling puts 5 back.
    w.File1_Click(QStringLiteral("plain.ini"));
    QCOMPARE(w.Check1->value(), 0);
    QCOMPARE(w.Text7->text(), QString("5"));
}

// The pitch box of a file with pitch 0 shows "midi" also when MIDI beeps were
// chosen already (the switch does not change, so its click handling does
// not run).
void SettingsBindingTest::loadingMidiWhileMidiIsChosen() {
    testing_support::Harness h;
    auto& w = *h.window;
    std::string text = kDefaultFile;
    text.replace(text.find("100,"), 3, "0");
    for (const char* name : {"a.ini", "b.ini"}) {
        QFile f(h.path(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes(text));
    }
    w.Form_Load(QStringLiteral("a.ini"));
    QCOMPARE(w.Check2->value(), 1);
    w.File1_Click(QStringLiteral("b.ini"));
    QCOMPARE(w.Check2->value(), 1);
    QCOMPARE(w.Text4->text(), QString("midi"));
    QCOMPARE(w.Text5->text(), QString("midi"));
    QVERIFY(!w.Text4->isEnabled() && !w.Text5->isEnabled());
    QCOMPARE(w.beep.beepPitch, int16_t(0));
}

QTEST_MAIN(SettingsBindingTest)
#include "SettingsBindingQtTest.moc"
