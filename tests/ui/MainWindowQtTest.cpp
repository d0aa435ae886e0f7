// The main window driven as a user would: start-up, edits, Apply, file
// choice, key boxes and runs, with a fake clock and recording devices.
#include "support/DefaultSettings.h"
#include "support/TestDoubles.h"

#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include <dirent.h>
#include <filesystem>
#include <set>
#include <string>

using testing_support::Harness;
using namespace sorvane;

namespace {

const QByteArray kDefaultFile = QByteArray::fromStdString(testing_support::kDefaultSettingsFile);

QByteArray readAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return f.readAll();
}

void writeFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
}

// The default file with some records replaced (1-based record number).
QByteArray withRecords(std::initializer_list<std::pair<int, QByteArray>> changes,
                       const QByteArray& tail = {}) {
    QList<QByteArray> lines = kDefaultFile.split('\n');
    lines.removeLast();
    for (const auto& [record, value] : changes) {
        QByteArray& line = lines[record - 1];
        line = value + line.mid(line.indexOf(','));
    }
    return lines.join('\n') + '\n' + tail;
}

// The names in a folder as the system holds them (bytes).
std::set<std::string> folderBytes(const QString& folder) {
    std::set<std::string> names;
    if (DIR* dir = ::opendir(QFile::encodeName(folder).constData())) {
        while (const dirent* e = ::readdir(dir))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                names.insert(e->d_name);
        ::closedir(dir);
    }
    return names;
}

QByteArray readBytes(const std::string& path) {
    QFile f;
    if (!f.open(std::fopen(path.c_str(), "rb"), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return QByteArray("<missing>");
    return f.readAll();
}

// How the window carries a name given as bytes: each byte that is not UTF-8
// as a lone surrogate (independent of the code under test).
QString windowName(const QByteArray& bytes) {
    QString name;
    for (qsizetype i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        const qsizetype length = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : 4;
        const QString decoded = QString::fromUtf8(bytes.mid(i, length));
        if (!decoded.contains(QChar(0xFFFD)) && decoded.toUtf8() == bytes.mid(i, length)) {
            name += decoded;
            i += length;
        } else {
            name += QChar(0xDC00 + b);
            ++i;
        }
    }
    return name;
}

QStringList fileListNames(const ui::frmSorvaneTimer& w) {
    const QListWidget* list = ui::controlsOf(w).File1;
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names << list->item(i)->text();
    return names;
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void designTimeTextsBeforeStartUp();
    void startUpInEmptyFolderWritesDefaults();
    void commandLineNamesTheFile_data();
    void commandLineNamesTheFile();
    void applyWithCustomListWritesTheList();
    void shiftRecordsLoadAndVanishOnSave();
    void record8GrayedLoadsWithoutList();
    void pitchZeroChoosesMidi();
    void loadingSpeakerFileAfterMidiKeepsLoadedPitch();
    void rateChainPutsFiveBack();
    void midiCheckBoxSwitchesTexts();
    void unitOptionsSetCaption();
    void runPlaysTableAndEndsIdle();
    void restartAndStopDuringRun();
    void keyBoxCaptureDuringRunEndsIt();
    void keyBoxAssignsKeys();
    void deleteFallsBackToDefaultFile();
    void leavingText9CreatesCopyOfSettingsInUse();
    void emptiedListGivesDefaultsForNewName();
    void exitBeepsOnceAndSavesNothing();
    void badFilesKeepProgramRunning();
    void namesAreBytes_data();
    void namesAreBytes();
    void fileListFollowsTheCurrentFile();
    void beepListKeepsItsLineBreaks();
};

void MainWindowTest::designTimeTextsBeforeStartUp() {
    Harness h;
    auto& w = *h.window;
    const auto ctl = ui::controlsOf(w);
    QCOMPARE(ctl.Text1->text(), QString("118"));
    QCOMPARE(ctl.Text2->text(), QString("20"));
    QCOMPARE(ctl.Text3->text(), QString("119"));
    QCOMPARE(ctl.Text9->text(), QString("Text9"));
    QCOMPARE(ctl.Label11->text(), QString("Current Beep Cycle in sec:"));
    QCOMPARE(w.windowTitle(), QString("SorvaneTimer"));
    QCOMPARE(ctl.Check1->value(), 0);
    QCOMPARE(ctl.ChkWarn->value(), 1);
    QVERIFY(ctl.OptCycleUnitsSec->isChecked());
    QCOMPARE(h.beeps(), 0);
    QCOMPARE(w.state().repeatCount, int16_t(0));
    QVERIFY(w.findChild<QLineEdit*>("TxtCycleWarnTime") != nullptr);
    QCOMPARE(
        ctl.Text4->toolTip(),
        QString("Keep the beep pitch value lower to reduce cpu load. A lower value gives a higher pitch."));
    QCOMPARE(ctl.Text7->toolTip(), QString("Speed of  beeps in warnings."));
}

void MainWindowTest::startUpInEmptyFolderWritesDefaults() {
    Harness h;
    auto& w = *h.window;
    const auto ctl = ui::controlsOf(w);
    w.Form_Load(QString());
    QCOMPARE(readAll(h.path("SorvaneTimer.ini")), kDefaultFile);
    QCOMPARE(kDefaultFile.size(), 393);
    QCOMPARE(ctl.Text1->text(), QString("F7"));
    QCOMPARE(ctl.Text2->text(), QString("A"));
    QCOMPARE(ctl.Text3->text(), QString("F8"));
    QCOMPARE(ctl.Text9->text(), QString("SorvaneTimer.ini"));
    QCOMPARE(w.windowTitle(), QString("Sorvane Timer 1.01b"));
    QCOMPARE(ctl.TxtCycleTime->text(), QString(" 60"));
    QCOMPARE(ctl.Text4->text(), QString("100"));
    QCOMPARE(w.beepOutput().beepPitch, int16_t(100));
    QCOMPARE(w.beepOutput().beepDuration, int16_t(25));
    QCOMPARE(w.state().repeatCount, int16_t(19));
    QCOMPARE(h.keys.startReceiver().keyCode(), 118);
    QCOMPARE(h.keys.restartReceiver().keyCode(), 65);
    QCOMPARE(h.keys.stopReceiver().keyCode(), 119);
    QCOMPARE(w.text8().count("\r\n"), 21);
    QVERIFY(w.text8().startsWith(" 10\r\n 19.8\r\n"));
    QCOMPARE(h.beeps(), 1); // the one ready beep
    QCOMPARE(h.port.writes, 5000L);
    QCOMPARE(fileListNames(w), QStringList{"SorvaneTimer.ini"});
    QCOMPARE(QString::fromStdString(h.midi.file), QDir::currentPath() + "/beep.mid");
    // All receivers start switched on; start-up does not touch them.
    QVERIFY(h.keys.startReceiver().isEnabled() && h.keys.restartReceiver().isEnabled() &&
            h.keys.stopReceiver().isEnabled());
    QVERIFY(h.messages.empty());
}

void MainWindowTest::commandLineNamesTheFile_data() {
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("file");
    QTest::newRow("plain") << "work"
                           << "work.ini";
    QTest::newRow("other extension") << "work.cfg"
                                     << "work.cfg";
    QTest::newRow("two words, one name") << "my timer"
                                         << "my timer.ini";
    QTest::newRow("blanks kept") << " lead"
                                 << " lead.ini";
}

void MainWindowTest::commandLineNamesTheFile() {
    QFETCH(QString, argument);
    QFETCH(QString, file);
    Harness h;
    h.window->Form_Load(argument);
    QCOMPARE(h.window->iniFileName(), file);
    QCOMPARE(readAll(h.path(file)), kDefaultFile);
}

void MainWindowTest::applyWithCustomListWritesTheList() {
    Harness h;
    auto& w = *h.window;
    const auto ctl = ui::controlsOf(w);
    w.Form_Load(QString());
    ctl.Check1->setValue(1);
    QVERIFY(!ctl.Text6->isEnabled() && !ctl.TxtFinalCountBps->isEnabled());
    QVERIFY(ctl.Text4->isEnabled() && ctl.Text8->isEnabled() && ctl.OptCycleUnitsSec->isEnabled());
    w.setText8("10\r\n20.5\r\nabc\r\n30\r\n");
    const int before = h.beeps();
    ctl.Command2->click();
    QCOMPARE(h.beeps(), before + 1);
    QCOMPARE(w.text8(), QString(" 10\r\n 20.5\r\n"));
    QCOMPARE(readAll(h.path("SorvaneTimer.ini")), withRecords({{8, "1"}}, "10\r\n20.5\r\n"));
    QCOMPARE(w.state().stopFlag, kTrue);

    // Loading it again brings the list back.
    Harness again;
    writeFile(again.path("SorvaneTimer.ini"), withRecords({{8, "1"}}, "10\r\n20.5\r\n"));
    again.window->Form_Load(QString());
    QCOMPARE(again.window->text8(), QString(" 10\r\n 20.5\r\n"));
    QCOMPARE(again.window->state().beepTimes[2], 0.0f);
}

void MainWindowTest::shiftRecordsLoadAndVanishOnSave() {
    Harness h;
    QByteArray file = kDefaultFile;
    file.replace("118,\"Start_Key_Code\"\r\n",
                 "120,\"Start_Key_Code\"\r\n2,\"Start_Key_Shift1_Ctrl2_Alt4_Code\"\r\n");
    file.replace("119,\"Stop_Key_Code\"\r\n",
                 "119,\"Stop_Key_Code\"\r\n4,\"Stop_Key_Shift1_Ctrl2_Alt4_Code\"\r\n");
    writeFile(h.path("SorvaneTimer.ini"), file);
    auto& w = *h.window;
    const auto ctl = ui::controlsOf(w);
    w.Form_Load(QString());
    QCOMPARE(ctl.Text1->text(), QString("F9"));
    QCOMPARE(ctl.Text4->text(), QString(" 100"));
    QCOMPARE(w.beepOutput().beepPitch, int16_t(100));
    ctl.Command2->click();
    QCOMPARE(readAll(h.path("SorvaneTimer.ini")), withRecords({{1, "120"}}));
}

void MainWindowTest::record8GrayedLoadsWithoutList() {
    Harness h;
    writeFile(h.path("SorvaneTimer.ini"), withRecords({{8, "2"}}, "7\r\n8\r\n"));
    auto& w = *h.window;
    const auto ctl = ui::controlsOf(w);
    w.Form_Load(QString());
    QCOMPARE(ctl.Check1->value(), 2);
    QVERIFY(!ctl.Text7->isEnabled());
    QCOMPARE(w.state().beepTimes[0], 10.0f); // computed, not the stored list
    ctl.Text7->setText("3");
    QCOMPARE(ctl.Text7->text(), QString("5"));
    ctl.Command2->click();
    QCOMPARE(readAll(h.path("SorvaneTimer.ini")), withRecords({{8, "2"}}));
}

void MainWindowTest::pitchZeroChoosesMidi() {
    Harness h;
    writeFile(h.path("SorvaneTimer.ini"), withRecords({{4, "0"}, {5, "0"}}));
    auto& w = *h.window;
    const auto ctl = ui::controlsOf(w);
    w.Form_Load(QString());
    QCOMPARE(ctl.Check2->value(), 1);
    QCOMPARE(ctl.Text4->text(), QString("midi"));
    QCOMPARE(ctl.Text5->text(), QString("midi"));
    QVERIFY(!ctl.Text4->isEnabled() && !ctl.Text5->isEnabled());
    QCOMPARE(w.beepOutput().beepPitch, int16_t(0));
    QCOMPARE(h.midi.plays, 1); // the ready beep already goes to MIDI
    QCOMPARE(h.port.writes, 0L);
    ctl.Command2->click();
    QCOMPARE(readAll(h.path("SorvaneTimer.ini")), withRecords({{4, "0"}, {5, "0"}}));
    // A new file named while MIDI is chosen stays MIDI.
    ctl.Text9->setText("other");
    w.Text9_LostFocus();
    QCOMPARE(ctl.Check2->value(), 1);
    QCOMPARE(readAll(h.path("other.ini")), withRecords({{4, "0"}, {5, "0"}}));
}

void MainWindowTest::loadingSpeakerFileAfterMidiKeepsLoadedPitch() {
    Harness h;
    writeFile(h.path("SorvaneTimer.ini"), withRecords({{4, "0"}, {5, "0"}}));
    writeFile(h.path("tone.ini"), withRecords({{4, "40"}, {5, "7"}}));
    auto& w = *h.window;
    const auto ctl = ui::controlsOf(w);
    w.Form_Load(QString());
    QCOMPARE(ctl.Check2->value(), 1);
    w.File1_Click("tone.ini");
    QCOMPARE(ctl.Check2->value(), 0);
    QCOMPARE(ctl.Text4->text(), QString(" 40"));
    QCOMPARE(ctl.Text5->text(), QString(" 7"));
    QCOMPARE(w.beepOutput().beepPitch, int16_t(40));
    QCOMPARE(w.beepOutput().beepDuration, int16_t(7));
    QVERIFY(ctl.Text4->isEnabled());
}

void MainWindowTest::rateChainPutsFiveBack() {
    Harness h;
    auto& w = *h.window;
    const auto ctl = ui::controlsOf(w);
    w.Form_Load(QString());
    for (const char* bad : {"0", "-2", "abc"}) {
        ctl.Text7->setText(bad);
        QCOMPARE(ctl.Text7->text(), QString("5"));
    }
    QCOMPARE(w.text8().count("\r\n"), 21);
    ctl.Text7->setText("2.5");
    QVERIFY(w.text8().startsWith(" 10\r\n 19.6\r\n 20\r\n"));
    // Other edits wait for Apply.
    ctl.TxtCycleTime->setText("");
    QVERIFY(w.text8().startsWith(" 10\r\n 19.6\r\n"));
    // With the custom cycle on, any rate edit gives 5 back.
    ctl.Check1->setValue(1);
    ctl.Text7->setText("7");
    QCOMPARE(ctl.Text7->text(), QString("5"));
    // Pitch and repetitions follow their boxes, halves to even.
    ctl.Text4->setText("12.5");
    QCOMPARE(w.beepOutput().beepPitch, int16_t(12));
    ctl.Text4->setText("13.5");
    QCOMPARE(w.beepOutput().beepPitch, int16_t(14));
    ctl.Text6->setText("-3");
    QCOMPARE(w.state().repeatCount, int16_t(-3));
    ctl.Text6->setText("99999");
    QCOMPARE(w.state().repeatCount, int16_t(32767));
}

void MainWindowTest::midiCheckBoxSwitchesTexts() {
    Harness h;
    auto& w = *h.window;
    const auto ctl = ui::controlsOf(w);
    w.Form_Load(QString());
    ctl.Text4->setText("7");
    ctl.Check2->click();
    QCOMPARE(ctl.Check2->value(), 1);
    QCOMPARE(ctl.Text4->text(), QString("midi"));
    QCOMPARE(w.beepOutput().beepDuration, int16_t(0));
    QVERIFY(!ctl.Text5->isEnabled());
    ctl.Check2->click();
    QCOMPARE(ctl.Text4->text(), QString("100"));
    QCOMPARE(ctl.Text5->text(), QString("25"));
    QCOMPARE(w.beepOutput().beepPitch, int16_t(100));
    QVERIFY(ctl.Text4->isEnabled());
}

void MainWindowTest::unitOptionsSetCaption() {
    Harness h;
    auto& w = *h.window;
    const auto ctl = ui::controlsOf(w);
    w.Form_Load(QString());
    const QString list = w.text8();
    ctl.OptcycleUnitsMin->click();
    QVERIFY(!ctl.OptCycleUnitsSec->isChecked());
    QCOMPARE(ctl.Label11->text(), QString("Current Beep Cycle (in min)"));
    QCOMPARE(w.text8(), list);
    ctl.OptcycleUnitsMin->click(); // a click never deselects
    QVERIFY(ctl.OptcycleUnitsMin->isChecked());
    ctl.OptCycleUnitsSec->click();
    QCOMPARE(ctl.Label11->text(), QString("Current Beep Cycle (in sec)"));
    QVERIFY(!ctl.OptcycleUnitsMin->isChecked());
}

void MainWindowTest::runPlaysTableAndEndsIdle() {
    Harness h;
    auto& w = *h.window;
    const auto ctl = ui::controlsOf(w);
    w.Form_Load(QString());
    ctl.Check1->setValue(1);
    w.setText8("0.25\r\n0.5\r\n");
    ctl.Text6->setText("2");
    ctl.Command2->click();
    h.port.beepTicks.clear();
    const uint32_t start = h.clock.now;
    h.keys.startReceiver().press();
    // Start beep, then 251 and 501 ms after the start, twice.
    const std::vector<uint32_t> expected = {start, start + 251, start + 501, start + 752, start + 1002};
    QCOMPARE(h.port.beepTicks, expected);
    QVERIFY(h.keys.startReceiver().isEnabled());
    QVERIFY(!h.keys.restartReceiver().isEnabled());
    QVERIFY(!h.keys.stopReceiver().isEnabled());
    // Idle: Stop and Restart keys do nothing now, Start runs again.
    h.keys.stopReceiver().press();
    QCOMPARE(h.port.beepTicks.size(), expected.size());
}

void MainWindowTest::restartAndStopDuringRun() {
    Harness h;
    auto& w = *h.window;
    const auto ctl = ui::controlsOf(w);
    w.Form_Load(QString());
    ctl.Check1->setValue(1);
    w.setText8("1\r\n2\r\n");
    ctl.Text6->setText("3");
    ctl.Command2->click();
    h.port.beepTicks.clear();
    const uint32_t start = h.clock.now;
    // Restart at 1.5 s: one beep, and the run starts over with a fresh
    // clock and a fresh repetition count; then Stop at 3 s after that.
    h.pump.at(start + 1500, [&] {
        ctl.Text6->setText("1");
        h.keys.restartReceiver().press();
    });
    h.pump.at(start + 1500 + 1200, [&] { h.keys.stopReceiver().press(); });
    h.keys.startReceiver().press();
    const std::vector<uint32_t> expected = {start, start + 1001, start + 1500, start + 2501, start + 2700};
    QCOMPARE(h.port.beepTicks, expected);
    QVERIFY(h.keys.startReceiver().isEnabled() && !h.keys.restartReceiver().isEnabled() &&
            !h.keys.stopReceiver().isEnabled());
    QCOMPARE(w.state().stopFlag, kTrue); // left set; cleared when the next run begins
}

void MainWindowTest::keyBoxCaptureDuringRunEndsIt() {
    Harness h;
    auto& w = *h.window;
    const auto ctl = ui::controlsOf(w);
    w.Form_Load(QString());
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    ctl.Check1->setValue(1);
    w.setText8("1\r\n2\r\n3\r\n");
    ctl.Command2->click();
    h.port.beepTicks.clear();
    const uint32_t start = h.clock.now;
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(ctl.Command1));
    h.pump.at(start + 1500, [&] { ctl.Text1->setFocus(Qt::MouseFocusReason); });
    h.keys.startReceiver().press();
    // Start beep, the moment at 1 s, the key box's own beep; nothing after.
    QCOMPARE(h.port.beepTicks.size(), size_t(3));
    QVERIFY(!h.keys.startReceiver().isEnabled() && !h.keys.restartReceiver().isEnabled() &&
            !h.keys.stopReceiver().isEnabled());
    // Pressing the Start key while capturing assigns it and starts nothing.
    QTest::keyClick(ctl.Text1, Qt::Key_F7);
    QCOMPARE(ctl.Text1->text(), QString("F7"));
    QCOMPARE(h.port.beepTicks.size(), size_t(3));
    // Leaving the box turns Start back on only.
    ctl.Text4->setFocus(Qt::MouseFocusReason);
    QCoreApplication::processEvents();
    QVERIFY(h.keys.startReceiver().isEnabled() && !h.keys.restartReceiver().isEnabled() &&
            !h.keys.stopReceiver().isEnabled());
}

void MainWindowTest::keyBoxAssignsKeys() {
    Harness h;
    auto& w = *h.window;
    const auto ctl = ui::controlsOf(w);
    w.Form_Load(QString());
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    ctl.Text2->setFocus(Qt::MouseFocusReason);
    QCoreApplication::processEvents();
    QCOMPARE(h.beeps(), 2); // ready beep + the box's focus beep
    QCOMPARE(w.state().exitFlag, kTrue);

    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        QString text;
        int code;
        int shift;
    };
    const Case cases[] = {
        {Qt::Key_Escape, Qt::NoModifier, "Escape", 27, 0},
        {Qt::Key_Return, Qt::NoModifier, "Enter", 13, 0},
        {Qt::Key_Control, Qt::ControlModifier, "Control", 17, 2},
        {Qt::Key_F7, Qt::ControlModifier, "F7", 118, 2},
        {Qt::Key_5, Qt::KeypadModifier, "Num 5", 101, 0},
        {Qt::Key_PageUp, Qt::NoModifier, "Page Up", 33, 0},
        {Qt::Key_Exclam, Qt::ShiftModifier, "1", 49, 1},
    };
    for (const Case& c : cases) {
        QTest::keyClick(ctl.Text2, c.key, c.mods);
        QCOMPARE(ctl.Text2->text(), c.text);
        QCOMPARE(h.keys.restartReceiver().keyCode(), c.code);
        QCOMPARE(int(h.keys.assignment(1).keyCode), c.code);
        QCOMPARE(int(h.keys.assignment(1).shift), c.shift);
    }
    // Tab is never assigned: it moves the focus on to the Stop key box.
    QTest::keyClick(ctl.Text2, Qt::Key_Tab);
    QCoreApplication::processEvents();
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(ctl.Text3));
    QCOMPARE(ctl.Text2->text(), QString("1"));
    // Nothing reaches the file before Apply; a load brings the stored keys back.
    QCOMPARE(readAll(h.path("SorvaneTimer.ini")), kDefaultFile);
    w.File1_Click("SorvaneTimer.ini");
    QCOMPARE(ctl.Text2->text(), QString("A"));
}

void MainWindowTest::deleteFallsBackToDefaultFile() {
    Harness h;
    writeFile(h.path("other.ini"), withRecords({{6, "3"}}));
    auto& w = *h.window;
    const auto ctl = ui::controlsOf(w);
    w.Form_Load("other");
    QCOMPARE(w.state().repeatCount, int16_t(3));
    ctl.Command4->click();
    QVERIFY(!QFile::exists(h.path("other.ini")));
    QCOMPARE(w.iniFileName(), QString("SorvaneTimer.ini"));
    // Created from the settings in use, not the defaults.
    QCOMPARE(readAll(h.path("SorvaneTimer.ini")), withRecords({{6, "3"}}));
    QCOMPARE(fileListNames(w), QStringList{"SorvaneTimer.ini"});
    // Deleting the default file re-creates it at once from the settings in use.
    ctl.Text6->setText("4");
    ctl.Command4->click();
    QCOMPARE(readAll(h.path("SorvaneTimer.ini")), withRecords({{6, "4"}}));
    // A file removed by someone else before Delete: nothing to complain about.
    QFile::remove(h.path("SorvaneTimer.ini"));
    ctl.Command4->click();
    QVERIFY(QFile::exists(h.path("SorvaneTimer.ini")));
    QVERIFY(h.messages.empty());
}

void MainWindowTest::leavingText9CreatesCopyOfSettingsInUse() {
    Harness h;
    auto& w = *h.window;
    const auto ctl = ui::controlsOf(w);
    w.Form_Load(QString());
    ctl.Text4->setText("50"); // not applied
    ctl.Text9->setText("test");
    w.Text9_LostFocus();
    QCOMPARE(ctl.Text9->text(), QString("test.ini"));
    QCOMPARE(readAll(h.path("test.ini")), withRecords({{4, "50"}}));
    QCOMPARE(fileListNames(w), (QStringList{"SorvaneTimer.ini", "test.ini"}));
    QCOMPARE(w.state().stopFlag, kTrue);
    // Another extension is created but not listed.
    ctl.Text9->setText("notes.txt");
    w.Text9_LostFocus();
    QVERIFY(QFile::exists(h.path("notes.txt")));
    QCOMPARE(fileListNames(w), (QStringList{"SorvaneTimer.ini", "test.ini"}));
    // Leaving the box unedited reads the file again: unapplied edits go.
    ctl.Text9->setText("SorvaneTimer.ini");
    w.Text9_LostFocus();
    ctl.Text6->setText("8");
    w.Text9_LostFocus();
    QCOMPARE(ctl.Text6->text(), QString(" 19"));
    // Emptying the box makes the default file current.
    ctl.Text9->setText("");
    w.Text9_LostFocus();
    QCOMPARE(ctl.Text9->text(), QString("SorvaneTimer.ini"));
}

void MainWindowTest::emptiedListGivesDefaultsForNewName() {
    Harness h;
    auto& w = *h.window;
    const auto ctl = ui::controlsOf(w);
    w.Form_Load(QString());
    ctl.Text4->setText("50");
    w.setText8("");
    ctl.Text9->setText("fresh");
    w.Text9_LostFocus();
    QCOMPARE(readAll(h.path("fresh.ini")), kDefaultFile);
    QCOMPARE(ctl.Text4->text(), QString("100"));
}

void MainWindowTest::exitBeepsOnceAndSavesNothing() {
    Harness h;
    auto& w = *h.window;
    const auto ctl = ui::controlsOf(w);
    w.Form_Load(QString());
    ctl.Text6->setText("3");
    const int before = h.beeps();
    ctl.Command1->click();
    QCOMPARE(h.beeps(), before + 1);
    QCOMPARE(h.exits, 1);
    w.close();
    QCOMPARE(h.beeps(), before + 2);
    QCOMPARE(h.exits, 2);
    QCOMPARE(readAll(h.path("SorvaneTimer.ini")), kDefaultFile);
}

void MainWindowTest::badFilesKeepProgramRunning() {
    Harness h;
    auto& w = *h.window;
    const auto ctl = ui::controlsOf(w);
    w.Form_Load(QString());
    QDir(h.dir.path()).mkdir("folder.ini");
    w.File1_Click("folder.ini");
    QCOMPARE(h.messages.size(), size_t(1));
    QCOMPARE(ctl.Text4->text(), QString("100")); // settings in use kept
    QVERIFY(QFileInfo(h.path("folder.ini")).isDir());

    // A name whose folder does not exist cannot be created: the file in use
    // stays current, and Apply saves into it.
    ctl.Text9->setText("no/such/folder/x");
    w.Text9_LostFocus();
    QCOMPARE(h.messages.size(), size_t(2));
    QCOMPARE(QString::fromStdString(h.messages.back()),
             QString("Cannot create settings file \"no/such/folder/x.ini\": No such file or directory. "
                     "\"SorvaneTimer.ini\" stays the current file."));
    QCOMPARE(ctl.Text9->text(), QString("SorvaneTimer.ini"));
    ctl.Command2->click();
    QCOMPARE(h.messages.size(), size_t(2));
    QVERIFY(!QFile::exists(h.path("no")));

    // A truncated file loads what it can and says so.
    writeFile(h.path("short.ini"), "120,\"Start_Key_Code\"\r\n66,\"Restart_Key_Code\"\r\n");
    w.File1_Click("short.ini");
    QCOMPARE(ctl.Text1->text(), QString("F9"));
    QCOMPARE(ctl.Text2->text(), QString("B"));
    QCOMPARE(ctl.Text3->text(), QString("F8"));
    QCOMPARE(h.messages.size(), size_t(3));
    QCOMPARE(readAll(h.path("short.ini")),
             QByteArray("120,\"Start_Key_Code\"\r\n66,\"Restart_Key_Code\"\r\n"));

    // 300 list values: 255 are used, the file stays as it was.
    QByteArray list;
    for (int i = 1; i <= 300; ++i)
        list += QByteArray::number(i) + "\r\n";
    const QByteArray many = withRecords({{8, "1"}}, list);
    writeFile(h.path("many.ini"), many);
    w.File1_Click("many.ini");
    QCOMPARE(w.text8().count("\r\n"), 255);
    QCOMPARE(w.state().beepTimes[255], 0.0f);
    QCOMPARE(readAll(h.path("many.ini")), many);
}

void MainWindowTest::namesAreBytes_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("UTF-8") << QByteArray("Z\xc3\xbcrich \xe2\x82\xac");
    QTest::newRow("not UTF-8") << QByteArray("caf\xe9 \xff");
    QTest::newRow("leading dash") << QByteArray("-reverse");
    QTest::newRow("blanks") << QByteArray("  two  words ");
}

// A name is the system's bytes all the way: given at start, listed, clicked,
// typed, saved and created under exactly those bytes.
void MainWindowTest::namesAreBytes() {
    QFETCH(QByteArray, name);
    const std::string file = name.toStdString() + ".ini";
    Harness h;
    auto& w = *h.window;
    const auto ctl = ui::controlsOf(w);
    const std::string folder = QFile::encodeName(h.dir.path()).toStdString();
    // Qt cannot remove a name that is not UTF-8, so the folder goes by its bytes.
    struct RemoveFolder {
        std::string path;
        ~RemoveFolder() {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    } removeFolder{folder};
    {
        QFile f;
        QVERIFY(f.open(std::fopen((folder + "/" + file).c_str(), "wb"), QIODevice::WriteOnly,
                       QFileDevice::AutoCloseHandle));
        f.write(withRecords({{6, "7"}}));
    }
    // Started on the name: loaded, shown and highlighted.
    w.Form_Load(windowName(name));
    QVERIFY(h.messages.empty());
    QCOMPARE(ctl.Text6->text(), QString(" 7"));
    QCOMPARE(ctl.Text9->text(), windowName(name) + ".ini");
    QVERIFY(ctl.File1->currentItem() && ctl.File1->currentItem()->isSelected());
    QCOMPARE(ctl.File1->currentItem()->text(), QString::fromUtf8(name) + ".ini");
    // Applied: the same file, not a look-alike.
    ctl.Text6->setText("8");
    ctl.Command2->click();
    QCOMPARE(folderBytes(h.dir.path()), (std::set<std::string>{file}));
    QCOMPARE(readBytes(folder + "/" + file), withRecords({{6, "8"}}));
    // Another file, then a click on this one in the list brings it back.
    ctl.Text9->setText("other");
    w.Text9_LostFocus();
    QCOMPARE(ctl.Text6->text(), QString("8"));
    ctl.Text6->setText("9");
    const auto items = ctl.File1->findItems(QString::fromUtf8(name) + ".ini", Qt::MatchExactly);
    QCOMPARE(items.size(), 1);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTest::mouseClick(ctl.File1->viewport(), Qt::LeftButton, {},
                      ctl.File1->visualItemRect(items[0]).center());
    QCOMPARE(ctl.Text6->text(), QString(" 8"));
    QCOMPARE(w.iniFileName(), windowName(name) + ".ini");
    // Typed as a new name, with another ending: created under its bytes.
    ctl.Text9->setText(windowName(name) + ".cfg");
    w.Text9_LostFocus();
    QCOMPARE(folderBytes(h.dir.path()),
             (std::set<std::string>{file, "other.ini", name.toStdString() + ".cfg"}));
    QCOMPARE(readBytes(folder + "/" + name.toStdString() + ".cfg"), withRecords({{6, "8"}}));
    QVERIFY(h.messages.empty());
}

// The list shows the folder in the order of a file dialog and always
// highlights the current file; moving the highlight with the keys loads the
// file as a click does.
void MainWindowTest::fileListFollowsTheCurrentFile() {
    Harness h;
    auto& w = *h.window;
    const auto ctl = ui::controlsOf(w);
    const QList<QPair<QString, QByteArray>> files = {{"b.ini", "2"}, {"A.ini", "1"},    {"Zed.ini", "6"},
                                                     {"c.INI", "3"}, {"a10.ini", "10"}, {"a2.ini", "22"}};
    for (const auto& [name, reps] : files)
        writeFile(h.path(name), withRecords({{6, reps}}));
    // A file whose schedule is cut (warnings every 0.5 s need 6000 beeps).
    writeFile(h.path("tight.ini"), withRecords({{7, "4"}, {12, ".5"}}));
    auto highlighted = [&ctl] {
        const QList<QListWidgetItem*> selected = ctl.File1->selectedItems();
        return selected.size() == 1 && selected[0] == ctl.File1->currentItem() ? selected[0]->text()
                                                                               : QString("(none)");
    };
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.Form_Load(QString());
    QCOMPARE(fileListNames(w), (QStringList{"A.ini", "a2.ini", "a10.ini", "b.ini", "c.INI",
                                            "SorvaneTimer.ini", "tight.ini", "Zed.ini"}));
    QCOMPARE(highlighted(), QString("SorvaneTimer.ini"));

    // A new name typed in the file box: the new file is highlighted.
    ctl.Text9->setText("new");
    w.Text9_LostFocus();
    QCOMPARE(highlighted(), QString("new.ini"));
    // A name the list does not show: nothing is highlighted.
    ctl.Text9->setText("notes.txt");
    w.Text9_LostFocus();
    QCOMPARE(highlighted(), QString("(none)"));
    // After Delete, the default file.
    ctl.Command4->click();
    QCOMPARE(highlighted(), QString("SorvaneTimer.ini"));
    QVERIFY(!QFile::exists(h.path("notes.txt")));

    // Keys move the highlight and load what they reach.
    ctl.File1->setFocus();
    QTest::keyClick(ctl.File1, Qt::Key_Up);
    QCoreApplication::processEvents();
    QCOMPARE(ctl.Text9->text(), QString("new.ini"));
    QTest::keyClick(ctl.File1, Qt::Key_Up);
    QCoreApplication::processEvents();
    QCOMPARE(highlighted(), QString("c.INI"));
    QCOMPARE(ctl.Text9->text(), QString("c.INI"));
    QCOMPARE(ctl.Text6->text(), QString(" 3"));
    QTest::keyClick(ctl.File1, Qt::Key_Home);
    QCoreApplication::processEvents();
    QCOMPARE(ctl.Text6->text(), QString(" 1"));
    QCOMPARE(w.iniFileName(), QString("A.ini"));

    // A cut schedule is told once; a rebuild on the way to the next file,
    // made from a mix of both files' values, tells nothing.
    QVERIFY(h.messages.empty());
    w.File1_Click("tight.ini");
    QCOMPARE(h.messages.size(), size_t(1));
    QCOMPARE(QString::fromStdString(h.messages[0]),
             QString("The beep cycle needs more than 255 beeps; only the first 255 are used."));
    w.File1_Click("a2.ini");
    QCOMPARE(w.text8().count("\r\n"), 21);
    QCOMPARE(h.messages.size(), size_t(1));
    QCOMPARE(highlighted(), QString("a2.ini"));
}

// The beep-list box hands the parser the line breaks the user gave it:
// Enter types CR LF; pasted text keeps CR CR LF and lone line feeds.
void MainWindowTest::beepListKeepsItsLineBreaks() {
    Harness h;
    auto& w = *h.window;
    const auto ctl = ui::controlsOf(w);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.Form_Load(QString());
    ctl.Check1->setValue(1);
    auto pasteAndApply = [&w, &ctl](const QString& text) {
        w.setText8(QString());
        ctl.Text8->setFocus();
        QGuiApplication::clipboard()->setText(text);
        ctl.Text8->paste();
        const QString kept = w.text8();
        ctl.Command2->click();
        return kept;
    };
    QCOMPARE(pasteAndApply("5\r\r\n7\r\r\n"), QString("5\r\r\n7\r\r\n"));
    QCOMPARE(w.text8(), QString(" 5\r\n 7\r\n"));
    QCOMPARE(pasteAndApply("12\n20"), QString("12\n20")); // the line loses its last character
    QCOMPARE(w.text8(), QString(" 1\r\n 20\r\n"));
    QCOMPARE(pasteAndApply("3\r4\r\n6"), QString("3\r4\r\n6")); // a lone CR stays inside its line
    QCOMPARE(w.text8(), QString(" 3\r\n 6\r\n"));
    // Typing: Enter is CR LF, also between pasted lines.
    w.setText8(QString());
    QGuiApplication::clipboard()->setText("9\n8");
    ctl.Text8->paste();
    QTest::keyClick(ctl.Text8, Qt::Key_Home);
    QTest::keyClicks(ctl.Text8, "1");
    QTest::keyClick(ctl.Text8, Qt::Key_Return);
    QCOMPARE(w.text8(), QString("9\n1\r\n8"));
    // Copying gives back the same breaks.
    ctl.Text8->selectAll();
    ctl.Text8->copy();
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("9\n1\r\n8"));
}

QTEST_MAIN(MainWindowTest)
#include "MainWindowQtTest.moc"
