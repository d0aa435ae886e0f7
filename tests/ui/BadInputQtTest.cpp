// Bad input of every kind the user can hand the timer: broken, huge and
// strange settings files, names that cannot work, files changed behind the
// program's back and saves that are cut off.  Each case runs in a folder of
// its own and checks that the program goes on working, that the window
// shows settings it can run with, that no stored file changes unless the
// action was meant to rewrite it, and that the user is told when something
// could not be done.
//
// The window is built here the way the program builds it (real clock and
// event pump, null sound and hotkey devices) so that its state can be
// examined.  The cases that only need a command-line name are then run once
// more against the real program, all at once, to see that it starts, keeps
// running and says what it says on its error output.
//
// Both runs print a table (case, what happened, what the user saw).
#include "engine/BeepOutput.h"
#include "engine/Clock.h"
#include "engine/NumberText.h"
#include "hotkeys/HotkeyReceiver.h"
#include "schedule/BeepListText.h"
#include "ui/QtEventPump.h"
#include "ui/frmSorvaneTimer.h"

#include "support/DefaultSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <grp.h>
#include <memory>
#include <pwd.h>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace sorvane;

namespace {

// The records of the default file, without their line ends.
QList<QByteArray> defaultRecords() {
    QList<QByteArray> records = QByteArray::fromStdString(testing_support::kDefaultSettingsFile).split('\n');
    records.removeLast(); // behind the last line end
    for (QByteArray& record : records)
        record.chop(1); // its carriage return
    return records;
}
const QList<QByteArray> kRecords = defaultRecords();

// The default file with some record values replaced (1-based), cut after
// `keep` records, with `tail` behind it.
QByteArray settingsFile(const QMap<int, QByteArray>& values = {}, int keep = 15,
                        const QByteArray& tail = {}) {
    QByteArray out;
    for (int i = 0; i < keep; ++i) {
        QByteArray line = kRecords[i];
        if (values.contains(i + 1))
            line = values[i + 1] + line.mid(line.indexOf(','));
        out += line + "\r\n";
    }
    return out + tail;
}

QByteArray listLines(int count, const QByteArray& value = {}) {
    QByteArray out;
    for (int i = 1; i <= count; ++i)
        out += (value.isEmpty() ? QByteArray::number(i) : value) + "\r\n";
    return out;
}

bool writeBytes(const QString& path, const QByteArray& data) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(data) == data.size();
}

// Every entry of a folder, recursively: files with their bytes, folders as
// a marker.
using Snapshot = QMap<QString, QByteArray>;
// Walked by the system's bytes, so that names that are not UTF-8 are seen
// too (shown with replacement characters).
Snapshot snapshot(const QString& root) {
    Snapshot s;
    namespace fs = std::filesystem;
    const fs::path base = QFile::encodeName(root).toStdString();
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(base, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        const std::string rel = it->path().lexically_relative(base).native();
        const QString name = QString::fromUtf8(rel.data(), static_cast<qsizetype>(rel.size()));
        if (it->is_directory(ec) && !it->is_symlink(ec)) {
            s[name] = "<folder>";
        } else {
            QFile f;
            s[name] = f.open(std::fopen(it->path().c_str(), "rb"), QIODevice::ReadOnly,
                             QFileDevice::AutoCloseHandle)
                          ? f.readAll()
                          : QByteArray("<unreadable>");
        }
    }
    return s;
}

// Removes what a case left in its folder, whatever the names' bytes, so that
// the temporary folder can go.
void emptyFolder(const QString& root) {
    namespace fs = std::filesystem;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(QFile::encodeName(root).toStdString(), ec))
        fs::remove_all(entry.path(), ec);
}

// Names whose entries differ between two snapshots (changed, new or gone).
QStringList changedEntries(const Snapshot& before, const Snapshot& after) {
    QStringList names;
    for (auto it = before.begin(); it != before.end(); ++it)
        if (!after.contains(it.key()) || after[it.key()] != it.value())
            names << it.key();
    for (auto it = after.begin(); it != after.end(); ++it)
        if (!before.contains(it.key()))
            names << it.key();
    names.sort();
    return names;
}

// Entries that may differ: exact names, or a prefix ending in '*'.
bool allowed(const QString& name, const QStringList& patterns) {
    for (const QString& p : patterns) {
        if (p.endsWith('*') ? name.startsWith(p.chopped(1)) : name == p)
            return true;
    }
    return false;
}

struct Case {
    QString name;
    std::function<void(const QDir&)> prepare;                      // files in the folder before start
    QString commandLine;                                           // settings file name given at start
    std::function<void(ui::frmSorvaneTimer&, const QDir&)> action; // what the user does then
    bool toldUser = false;                                         // a notification is expected
    QStringList rewritten;                                         // entries the case may create or change
    QString knownFault;      // why the usable-settings check fails by design
    bool realProgram = true; // also run against the real program (no action)
    // The real program's arguments as bytes, when they are not the command
    // line as one argument; the file they name must exist under exactly
    // those bytes (joined by blanks, ".ini" added) afterwards.
    QList<QByteArray> argv;
};

void typeName(ui::frmSorvaneTimer& w, const QString& name) {
    ui::controlsOf(w).Text9->setText(name);
    w.Text9_LostFocus();
}

std::vector<Case> buildCases() {
    std::vector<Case> cases;
    const auto file = [](const QString& name, QByteArray data) {
        return [name, data](const QDir& d) { QVERIFY(writeBytes(d.filePath(name), data)); };
    };

    for (int k = 1; k <= 15; ++k) {
        Case c;
        c.name = QStringLiteral("truncated after record %1").arg(k, 2);
        c.prepare = file("t.ini", settingsFile({}, k));
        c.commandLine = "t.ini";
        c.toldUser = k < 15;
        c.realProgram = k == 1 || k == 8 || k == 14;
        cases.push_back(c);
    }
    {
        Case c;
        c.name = "cut in the middle of record 9";
        c.prepare = file("t.ini", settingsFile({}, 15).left(170));
        c.commandLine = "t.ini";
        c.toldUser = true;
        cases.push_back(c);
    }
    {
        QByteArray data = settingsFile();
        data.replace("25,\"Beep_Duration\"", "");
        Case c;
        c.name = "empty line instead of record 5";
        c.prepare = file("t.ini", data);
        c.commandLine = "t.ini";
        // Every field after the empty line moves up one place: the
        // duration, repetitions and cycle time read as 0, silently.
        c.knownFault = "records are read by position: an empty line moves every later field up";
        cases.push_back(c);
    }
    {
        std::mt19937 random(20240607);
        QByteArray garbage;
        for (int i = 0; i < 4096; ++i)
            garbage += static_cast<char>(random() & 0xff);
        Case c;
        c.name = "binary garbage (4 KB)";
        c.prepare = file("g.ini", garbage);
        c.commandLine = "g.ini";
        // Enough commas and line ends for fifteen records: it loads as a
        // settings file with no keys, and nobody is told.
        c.knownFault = "records are read by position: garbage with fifteen fields loads, naming no keys";
        cases.push_back(c);
    }
    {
        Case c;
        c.name = "10 MB file (list of 2 million values)";
        c.prepare = file("big.ini", settingsFile({{8, "1"}}, 15, listLines(2'000'000, "1.25")));
        c.commandLine = "big.ini";
        c.toldUser = true;
        cases.push_back(c);
    }
    {
        Case c;
        c.name = "300 list values, record 8 = 1";
        c.prepare = file("many.ini", settingsFile({{8, "1"}}, 15, listLines(300)));
        c.commandLine = "many.ini";
        c.toldUser = true;
        cases.push_back(c);
    }
    {
        Case c;
        c.name = "numbers beyond 16 and 32 bits";
        c.prepare = file("big.ini", settingsFile({{1, "70000"},
                                                  {2, "5000000000"},
                                                  {3, "99999999999999999999"},
                                                  {4, "70000"},
                                                  {6, "5000000000"},
                                                  {8, "65537"},
                                                  {11, "4294967297"},
                                                  {13, "-4294967297"}}));
        c.commandLine = "big.ini";
        cases.push_back(c);
    }
    {
        Case c;
        c.name = "negative key codes";
        c.prepare = file("neg.ini", settingsFile({{1, "-5"}, {2, "-32769"}, {3, "-1"}}));
        c.commandLine = "neg.ini";
        cases.push_back(c);
    }
    {
        Case c;
        c.name = "NaN and infinity texts";
        c.prepare = file("nan.ini", settingsFile({{1, "nan"},
                                                  {4, "inf"},
                                                  {5, "1e999"},
                                                  {6, "-1e999"},
                                                  {7, "nan"},
                                                  {9, "1e999"},
                                                  {12, "-inf"},
                                                  {14, "1e-999"},
                                                  {15, "1e999"}}));
        c.commandLine = "nan.ini";
        // The warning interval reads as 0: the first moment is 0 and ends the
        // table, so the moments that do not fit would never have been played
        // and there is no cut to tell of.
        c.toldUser = false;
        c.knownFault = "a field that is not a number reads as 0: a start key of NaN names no key";
        cases.push_back(c);
    }
    {
        Case c;
        c.name = "NaN and infinity in a custom list";
        c.prepare =
            file("nanlist.ini", settingsFile({{8, "1"}}, 15, "nan\r\ninf\r\n1e999\r\n-1e999\r\n5\r\n"));
        c.commandLine = "nanlist.ini";
        cases.push_back(c);
    }
    {
        Case c;
        c.name = "command line names a folder";
        c.prepare = [](const QDir& d) { QVERIFY(d.mkdir("dir.ini")); };
        c.commandLine = "dir.ini";
        c.toldUser = true;
        cases.push_back(c);
    }
    {
        Case c;
        c.name = "typed name names a folder";
        c.prepare = [](const QDir& d) { QVERIFY(d.mkdir("dir.ini")); };
        c.action = [](ui::frmSorvaneTimer& w, const QDir&) { typeName(w, "dir.ini"); };
        c.toldUser = true;
        c.rewritten = {"SorvaneTimer.ini"};
        cases.push_back(c);
    }
    {
        Case c;
        c.name = "command line: folder does not exist";
        c.commandLine = "no/such/folder/x";
        c.toldUser = true;
        cases.push_back(c);
    }
    {
        Case c;
        c.name = "typed name: folder does not exist, then Apply";
        c.action = [](ui::frmSorvaneTimer& w, const QDir&) {
            typeName(w, "no/such/folder/x");
            w.Command2_Click();
        };
        c.toldUser = true;
        c.rewritten = {"SorvaneTimer.ini"};
        cases.push_back(c);
    }
    // Qt's own options are names like any other: Qt never sees them.
    for (const QList<QByteArray>& argv : QList<QList<QByteArray>>{{"-platform", "foo"}, {"-reverse"}}) {
        Case c;
        c.name = "command line: " + QString::fromLatin1(argv.join(' '));
        c.commandLine = QString::fromLatin1(argv.join(' '));
        c.rewritten = {c.commandLine + ".ini"};
        c.argv = argv;
        cases.push_back(c);
    }
    {
        Case c;
        c.name = "command line: name that is not UTF-8";
        c.commandLine = QStringLiteral("caf") + QChar(0xDCE9); // how the window carries the byte E9
        c.rewritten = {QStringLiteral("caf\uFFFD.ini")};       // how QDir shows it
        c.argv = {"caf\xe9"};
        cases.push_back(c);
    }
    {
        Case c;
        c.name = "command line name with quotes";
        c.commandLine = "\"my timer\"";
        c.rewritten = {"\"my timer\".ini"};
        cases.push_back(c);
    }
    {
        Case c;
        c.name = "typed name with quotes";
        c.action = [](ui::frmSorvaneTimer& w, const QDir&) { typeName(w, "it's \"x\".cfg"); };
        c.rewritten = {"SorvaneTimer.ini", "it's \"x\".cfg"};
        cases.push_back(c);
    }
    {
        Case c;
        c.name = "file deleted by someone else before Delete";
        c.prepare = file("other.ini", settingsFile({{4, "200"}}));
        c.commandLine = "other.ini";
        c.action = [](ui::frmSorvaneTimer& w, const QDir& d) {
            QVERIFY(QFile::remove(d.filePath("other.ini")));
            w.Command4_Click();
        };
        c.rewritten = {"other.ini", "SorvaneTimer.ini"};
        cases.push_back(c);
    }
    {
        Case c;
        c.name = "settings file replaced by a folder, then Apply and reload";
        c.prepare = file("work.ini", settingsFile({{4, "150"}}));
        c.commandLine = "work.ini";
        c.action = [](ui::frmSorvaneTimer& w, const QDir& d) {
            QVERIFY(QFile::remove(d.filePath("work.ini")));
            QVERIFY(d.mkdir("work.ini"));
            QVERIFY(writeBytes(d.filePath("work.ini/keep.txt"), "keep"));
            w.Command2_Click();
            w.File1_Click("work.ini");
        };
        c.toldUser = true;
        c.rewritten = {"work.ini", "work.ini/keep.txt"}; // changed by the case itself, checked below
        cases.push_back(c);
    }
    {
        Case c;
        c.name = "save under a regular file (plain.ini/x.ini)";
        c.prepare = file("plain.ini", settingsFile({{4, "300"}}));
        c.action = [](ui::frmSorvaneTimer& w, const QDir&) {
            typeName(w, "plain.ini/x.ini");
            w.Command2_Click();
        };
        c.toldUser = true;
        c.rewritten = {"SorvaneTimer.ini"};
        cases.push_back(c);
    }
    {
        Case c;
        c.name = "save into /proc";
        c.action = [](ui::frmSorvaneTimer& w, const QDir&) {
            typeName(w, "/proc/sorvane-timer-test.ini");
            w.Command2_Click();
        };
        c.toldUser = true;
        c.rewritten = {"SorvaneTimer.ini"};
        cases.push_back(c);
    }
    {
        Case c;
        c.name = "command line under a regular file";
        c.prepare = file("plain.ini", settingsFile({{4, "300"}}));
        c.commandLine = "plain.ini/x.ini";
        c.toldUser = true;
        cases.push_back(c);
    }
    // A save cut off half-way: the window saves in a child process whose
    // file size limit is below the size of the settings text.  With the
    // default action of the limit signal the child is killed inside its
    // write; with the signal ignored the write fails.  Either way the old
    // file must be left as it was.
    for (const bool killed : {true, false}) {
        Case c;
        c.name =
            killed ? "save killed half-way (file size signal)" : "save failing half-way (file too large)";
        c.prepare = file("keep.ini", settingsFile({{4, "123"}}));
        c.commandLine = "keep.ini";
        c.action = [killed](ui::frmSorvaneTimer& w, const QDir&) {
            ui::controlsOf(w).Text6->setText("77");
            std::fflush(nullptr);
            const pid_t child = ::fork();
            if (child == 0) {
                struct rlimit core {
                    0, 0
                };
                ::setrlimit(RLIMIT_CORE, &core);
                struct rlimit size {
                    200, 200
                };
                ::setrlimit(RLIMIT_FSIZE, &size);
                std::signal(SIGXFSZ, killed ? SIG_DFL : SIG_IGN);
                ::_exit(w.SaveSettings() ? 0 : 3);
            }
            QVERIFY(child > 0);
            int status = 0;
            QCOMPARE(::waitpid(child, &status, 0), child);
            if (killed) {
                QVERIFY(WIFSIGNALED(status));
                QCOMPARE(WTERMSIG(status), SIGXFSZ);
            } else {
                QVERIFY(WIFEXITED(status));
                QCOMPARE(WEXITSTATUS(status), 3);
                w.Command2_Click(); // and once more in the program itself: this one succeeds
            }
        };
        // The killed child leaves its half-written temporary file behind;
        // the completed save rewrites keep.ini.
        c.rewritten = killed ? QStringList{".sorvane-save-*"} : QStringList{"keep.ini"};
        c.realProgram = false;
        cases.push_back(c);
    }
    return cases;
}

// What is wrong with the window's settings, if anything: every number box
// reads as a finite number, the key boxes name keys, the cached values agree
// with the boxes, and the beep table is closed within its slots and shown.
QStringList unusable(const ui::frmSorvaneTimer& w, const TimerHotkeys& keys) {
    const auto ctl = ui::controlsOf(w);
    QStringList problems;
    for (const QLineEdit* box : {ctl.Text6, ctl.Text7, ctl.TxtCycleTime, ctl.TxtCycleWarnTime,
                                 ctl.TxtFinalCountTime, ctl.TxtFinalCountBps}) {
        if (!std::isfinite(numberFromText(box->text().toStdString())) || box->text().trimmed().isEmpty())
            problems << box->objectName() + " holds \"" + box->text() + "\"";
    }
    const bool midi = ctl.Check2->value() == 1;
    for (const QLineEdit* box : {ctl.Text4, ctl.Text5}) {
        const double v = numberFromText(box->text().toStdString());
        if (midi ? box->text() != "midi" : !(v > 0))
            problems << box->objectName() + " holds \"" + box->text() + "\"";
    }
    for (std::size_t i = 0; i < 3; ++i) {
        if (keys.assignment(i).keyCode == 0)
            problems << QStringLiteral("key %1 is None").arg(i + 1);
    }
    for (const QLineEdit* box : {ctl.Text1, ctl.Text2, ctl.Text3})
        if (box->text().isEmpty())
            problems << box->objectName() + " is empty";
    if (w.beepOutput().beepPitch != toInt16(numberFromText(ctl.Text4->text().toStdString())) ||
        w.state().repeatCount != toInt16(numberFromText(ctl.Text6->text().toStdString())))
        problems << "cached values differ from the boxes";
    for (const ui::VbCheckBox* c : {ctl.Check1, ctl.Check2, ctl.ChkWarn, ctl.ChkFinalCount})
        if (c->value() < 0 || c->value() > 2)
            problems << c->objectName() + " has state " + QString::number(c->value());
    if (ctl.OptcycleUnitsMin->isChecked() == ctl.OptCycleUnitsSec->isChecked())
        problems << "unit options disagree";
    std::size_t end = 0;
    while (end < kBeepTableSize && w.state().beepTimes[end] != 0.0f)
        ++end;
    if (end > kMaxBeepMoments)
        problems << "beep table has no closing 0";
    for (std::size_t i = 0; i < end && i < kBeepTableSize; ++i)
        if (!std::isfinite(w.state().beepTimes[i]))
            problems << "beep table holds a value that is not finite";
    if (w.text8() != QString::fromStdString(beepListText(w.state().beepTimes)))
        problems << "Text8 does not show the table in use";
    if (ctl.Text9->text() != w.iniFileName() || w.iniFileName().isEmpty())
        problems << "Text9 does not show the current file";
    return problems;
}

QString shortened(QString text, int max = 90) {
    text.replace('\n', ' ');
    return text.size() > max ? text.left(max - 3) + "..." : text;
}

QString windowSummary(const ui::frmSorvaneTimer& w) {
    const auto ctl = ui::controlsOf(w);
    std::size_t end = 0;
    while (end < kBeepTableSize && w.state().beepTimes[end] != 0.0f)
        ++end;
    return QStringLiteral("keys %1/%2/%3, pitch %4, dur %5, reps %6, cycle%7, %8 beeps")
        .arg(ctl.Text1->text(), ctl.Text2->text(), ctl.Text3->text(), ctl.Text4->text(), ctl.Text5->text(),
             ctl.Text6->text(), ctl.TxtCycleTime->text())
        .arg(end);
}

struct Row {
    QString name;
    QString happened;
    QString saw;
};

std::vector<Row>& inProcessRows() {
    static std::vector<Row> rows;
    return rows;
}
std::vector<Row>& realRows() {
    static std::vector<Row> rows;
    return rows;
}

void printTable(const char* title, const std::vector<Row>& rows) {
    std::printf("\n%s\n\n| case | what happened | what the user saw |\n|---|---|---|\n", title);
    for (const Row& r : rows)
        std::printf("| %s | %s | %s |\n", qPrintable(r.name), qPrintable(r.happened), qPrintable(r.saw));
    std::fflush(stdout);
}

const std::vector<Case>& allCases() {
    static const std::vector<Case> cases = buildCases();
    return cases;
}

// ------------------------------------------------------------- permissions
//
// The permission matrix: a settings file x.ini that the user owns, in each of
// four modes, in a folder the user may or may not write, used in each of the
// four ways a file is used: started on, clicked in the list, applied to,
// deleted.  The folder also holds the user's SorvaneTimer.ini.  Each cell
// runs the window in a child process as an unprivileged user (the suite may
// run as root, who may write anything) and then checks the bytes and mode of
// every file in the folder and what the user saw.

enum class Use { Start, Click, Apply, Delete };

struct PermissionCell {
    mode_t folder;
    mode_t file;
    Use use;
    bool answerYes = true; // to the question before deleting, should one come
};

std::vector<PermissionCell> permissionCells() {
    std::vector<PermissionCell> cells;
    for (const mode_t folder : {mode_t{0755}, mode_t{0555}})
        for (const mode_t file : {mode_t{0644}, mode_t{0444}, mode_t{0200}, mode_t{0000}})
            for (const Use use : {Use::Start, Use::Click, Use::Apply, Use::Delete})
                cells.push_back({folder, file, use});
    cells.push_back({0755, 0444, Use::Delete, false});
    return cells;
}

QString cellName(const PermissionCell& c) {
    static const char* const uses[] = {"start on it", "click it", "Apply", "Delete"};
    return QStringLiteral("folder %1, x.ini %2, %3%4")
        .arg(c.folder, 3, 8, QLatin1Char('0'))
        .arg(c.file, 3, 8, QLatin1Char('0'))
        .arg(QLatin1String(uses[static_cast<int>(c.use)]))
        .arg(c.answerYes ? QString() : QStringLiteral(", answered No"));
}

const char* const kCellOption = "--permission-cell";
const QByteArray kUserDefaultFile = settingsFile({{6, "3"}});
const QByteArray kUserFile = settingsFile({{4, "300"}, {6, "7"}});
const QByteArray kUserFileApplied = settingsFile({{4, "300"}, {6, "8"}});

// What a cell prints: one "key<TAB>value" line each.
using CellReport = QMap<QString, QString>;

// Runs in the child, in the cell's folder, as the unprivileged user.
int runPermissionCell(int index) {
    const PermissionCell cell = permissionCells().at(static_cast<std::size_t>(index));
    MonotonicTickClock clock;
    ui::QtEventPump pump;
    NullPortOutput port;
    NullMidiPlayer midi;
    TimerHotkeys keys;
    NullHotkeyBackend hotkeys;
    QStringList notices;
    auto window = std::make_unique<ui::frmSorvaneTimer>(
        ui::TimerServices{clock, pump, port, midi, hotkeys, keys,
                          [&](const std::string& m) { notices << QString::fromStdString(m); }, [] {}});
    auto& w = *window;
    const auto ctl = ui::controlsOf(w);
    w.show();
    QString asked = QStringLiteral("no question");
    switch (cell.use) {
    case Use::Start:
        w.Form_Load(QStringLiteral("x.ini"));
        break;
    case Use::Click: {
        w.Form_Load(QString());
        QCoreApplication::processEvents();
        const QList<QListWidgetItem*> items = ctl.File1->findItems(QStringLiteral("x.ini"), Qt::MatchExactly);
        if (items.size() != 1)
            return 3;
        QTest::mouseClick(ctl.File1->viewport(), Qt::LeftButton, {},
                          ctl.File1->visualItemRect(items[0]).center());
        break;
    }
    case Use::Apply:
        w.Form_Load(QStringLiteral("x.ini"));
        ctl.Text6->setText(QStringLiteral("8"));
        ctl.Command2->click();
        break;
    case Use::Delete:
        w.Form_Load(QStringLiteral("x.ini"));
        ctl.Command4->click();
        QCoreApplication::processEvents();
        if (auto* question = w.findChild<QMessageBox*>(); question && question->isVisible()) {
            asked = "asked \"" + question->text() + "\", answered " + (cell.answerYes ? "Yes" : "No");
            question->button(cell.answerYes ? QMessageBox::Yes : QMessageBox::No)->click();
        }
        break;
    }
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    const QListWidgetItem* lit = ctl.File1->currentItem();
    const bool highlighted = lit && lit->isSelected() && ctl.File1->selectedItems().size() == 1;
    std::printf("notices\t%s\n", qPrintable(notices.join(QStringLiteral(" / "))));
    std::printf("question\t%s\n", qPrintable(asked));
    std::printf("file box\t%s\n", qPrintable(ctl.Text9->text()));
    std::printf("highlight\t%s\n", highlighted ? qPrintable(lit->text()) : "(none)");
    std::printf("repetitions\t%s\n", qPrintable(ctl.Text6->text()));
    std::fflush(stdout);
    return 0;
}

// Every entry of the folder with its mode and bytes.  The test's own user
// may need to lend itself read permission for a moment to see the bytes of
// a file it has taken it from.
QMap<QString, QByteArray> filesWithModes(const QString& folder) {
    QMap<QString, QByteArray> files;
    for (const QString& name :
         QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        const QByteArray path = QFile::encodeName(QDir(folder).filePath(name));
        struct stat st {};
        if (::lstat(path.constData(), &st) != 0)
            continue;
        const mode_t mode = st.st_mode & 07777;
        QFile f(QString::fromLocal8Bit(path));
        bool lent = false;
        if (!f.open(QIODevice::ReadOnly)) {
            lent = ::chmod(path.constData(), mode | 0400) == 0;
            f.open(QIODevice::ReadOnly);
        }
        files[name] = QByteArray::number(mode, 8).rightJustified(3, '0') + ":" +
                      (f.isOpen() ? f.readAll() : QByteArray("<unreadable>"));
        f.close();
        if (lent)
            ::chmod(path.constData(), mode);
    }
    return files;
}

// What the user should see and find, worked out from the modes alone.
struct CellExpectation {
    QStringList notices;
    QString question = QStringLiteral("no question");
    QString fileBox;
    QString repetitions;
    QMap<QString, QByteArray> files;
};

CellExpectation expectationFor(const PermissionCell& c) {
    const bool readable = c.file & 0400;
    const bool writable = c.file & 0200;
    const bool folderWritable = c.folder & 0200;
    CellExpectation e;
    const QByteArray octal = QByteArray::number(c.file, 8).rightJustified(3, '0');
    e.files = {{QStringLiteral("SorvaneTimer.ini"), "644:" + kUserDefaultFile},
               {QStringLiteral("x.ini"), octal + ":" + kUserFile}};
    const QString cannotRead = QStringLiteral("Cannot read settings file \"x.ini\": Permission denied. ");
    // Started on x.ini: loaded, or the defaults when it cannot be read.
    if (c.use != Use::Click && !readable)
        e.notices << cannotRead + "The default settings are in use.";
    e.fileBox = QStringLiteral("x.ini");
    e.repetitions = readable ? QStringLiteral(" 7") : QStringLiteral("19");
    switch (c.use) {
    case Use::Start:
        break;
    case Use::Click:
        if (!readable) {
            e.notices << cannotRead + "\"SorvaneTimer.ini\" stays the current file.";
            e.fileBox = QStringLiteral("SorvaneTimer.ini");
            e.repetitions = QStringLiteral(" 3");
        }
        break;
    case Use::Apply:
        e.repetitions = QStringLiteral("8");
        if (!writable)
            e.notices << "Cannot save settings file \"x.ini\": it is write-protected.";
        else if (!readable)
            e.notices << "Cannot save settings file \"x.ini\": it cannot be read, so it is not replaced.";
        else
            e.files[QStringLiteral("x.ini")] = octal + ":" + kUserFileApplied;
        break;
    case Use::Delete:
        if (!folderWritable) {
            e.notices << "Cannot delete settings file \"x.ini\": Permission denied. \"x.ini\" stays the "
                         "current file.";
            break;
        }
        if (!writable)
            e.question =
                QStringLiteral("asked \"\"x.ini\" is write-protected. Delete it anyway?\", answered ") +
                (c.answerYes ? "Yes" : "No");
        if (writable || c.answerYes) {
            e.files.remove(QStringLiteral("x.ini"));
            e.fileBox = QStringLiteral("SorvaneTimer.ini");
            e.repetitions = QStringLiteral(" 3");
        }
        break;
    }
    return e;
}

QString filesSummary(const QMap<QString, QByteArray>& before, const QMap<QString, QByteArray>& after) {
    QStringList parts;
    for (auto it = before.begin(); it != before.end(); ++it) {
        const QString mode = QString::fromLatin1(it.value().left(it.value().indexOf(':')));
        if (!after.contains(it.key()))
            parts << it.key() + " deleted";
        else if (after[it.key()] != it.value())
            parts << it.key() + " rewritten (mode " +
                         QString::fromLatin1(after[it.key()].left(after[it.key()].indexOf(':'))) + ")";
        else
            parts << it.key() + " unchanged (" + mode + ")";
    }
    for (auto it = after.begin(); it != after.end(); ++it)
        if (!before.contains(it.key()))
            parts << it.key() + " new";
    return parts.join(QStringLiteral(", "));
}

std::vector<Row>& permissionRows() {
    static std::vector<Row> rows;
    return rows;
}

} // namespace

class BadInputTest : public QObject {
    Q_OBJECT
private slots:
    void matrix_data();
    void matrix();
    void realProgram();
    void permissionMatrix();
    void noSessionBusIsStarted();
    void cleanupTestCase();
};

void BadInputTest::matrix_data() {
    QTest::addColumn<int>("index");
    for (std::size_t i = 0; i < allCases().size(); ++i)
        QTest::newRow(qPrintable(allCases()[i].name)) << static_cast<int>(i);
}

void BadInputTest::matrix() {
    QFETCH(int, index);
    const Case& c = allCases()[static_cast<std::size_t>(index)];

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    struct Back {
        QString folder;
        QString scratch;
        ~Back() {
            QDir::setCurrent(folder);
            emptyFolder(scratch);
        }
    } back{previous, dir.path()};
    const QDir folder(dir.path());
    if (c.prepare)
        c.prepare(folder);
    const Snapshot before = snapshot(dir.path());

    // The window as the program builds it, with silent devices.
    MonotonicTickClock clock;
    ui::QtEventPump pump;
    NullPortOutput port;
    NullMidiPlayer midi;
    TimerHotkeys keys;
    NullHotkeyBackend hotkeys;
    QStringList messages;
    int exits = 0;
    auto window = std::make_unique<ui::frmSorvaneTimer>(ui::TimerServices{
        clock, pump, port, midi, hotkeys, keys,
        [&](const std::string& m) { messages << QString::fromStdString(m); }, [&] { ++exits; }});
    auto& w = *window;
    const auto ctl = ui::controlsOf(w);
    const QString expectedStartFile =
        c.commandLine.isEmpty() ? QStringLiteral("SorvaneTimer.ini") : QString();
    w.Form_Load(c.commandLine);
    const qsizetype startMessages = messages.size();
    if (c.action)
        c.action(w, folder);
    if (QTest::currentTestFailed())
        return;
    pump.yield(0); // the window still answers events

    const Snapshot after = snapshot(dir.path());
    const QStringList changed = changedEntries(before, after);
    QStringList unexpected;
    for (const QString& name : changed)
        if (!allowed(name, c.rewritten))
            unexpected << name;
    const QStringList problems = unusable(w, keys);

    QString happened = QStringLiteral("kept running");
    happened += changed.isEmpty() ? QStringLiteral("; no file changed") : "; changed: " + changed.join(", ");
    if (!problems.isEmpty())
        happened += "; window: " + problems.join(", ");
    const QString saw =
        (messages.isEmpty() ? QStringLiteral("no message") : "\"" + messages.join("\" / \"") + "\"") + "; " +
        windowSummary(w);
    inProcessRows().push_back({c.name, shortened(happened, 140), shortened(saw, 260)});

    QCOMPARE(exits, 0);
    QVERIFY2(unexpected.isEmpty(), qPrintable("stored files changed: " + unexpected.join(", ")));
    QVERIFY2(!messages.isEmpty() == c.toldUser, qPrintable("messages: " + messages.join(" / ")));
    if (c.commandLine.isEmpty() && !c.action)
        QCOMPARE(w.iniFileName(), expectedStartFile);
    Q_UNUSED(startMessages);

    // Case-specific outcomes.
    if (c.name.startsWith("settings file replaced by a folder")) {
        QVERIFY(QFileInfo(dir.filePath("work.ini")).isDir());
        QCOMPARE(after.value("work.ini/keep.txt"), QByteArray("keep"));
        QCOMPARE(ctl.Text4->text(), QString(" 150")); // the settings in use stay
        QCOMPARE(messages.size(), 2);
    } else if (c.name.startsWith("300 list values") || c.name.startsWith("10 MB")) {
        QCOMPARE(w.text8().count("\r\n"), 255);
        QCOMPARE(w.state().beepTimes[255], 0.0f);
    } else if (c.name == "save killed half-way (file size signal)") {
        QCOMPARE(after.value("keep.ini"), before.value("keep.ini"));
        const QStringList temps = QDir(dir.path()).entryList({".sorvane-save-*"}, QDir::Files | QDir::Hidden);
        QCOMPARE(temps.size(), 1);
        QCOMPARE(QFileInfo(dir.filePath(temps.first())).size(), 200); // cut off inside the write
    } else if (c.name == "save failing half-way (file too large)") {
        // The failed save left nothing; the one that followed wrote the new value.
        QVERIFY(after.value("keep.ini").contains("77,\"Cycle_Repetitions\""));
        QVERIFY(after.value("keep.ini").contains("123,\"Beep_Pitch\""));
    } else if (c.name.startsWith("file deleted by someone else")) {
        QVERIFY(!after.contains("other.ini"));
        QVERIFY(
            after.value("SorvaneTimer.ini").contains("200,\"Beep_Pitch\"")); // a copy of the settings in use
    } else if (c.name.startsWith("truncated after record") && !c.name.endsWith("15")) {
        // At start-up the settings a short file lacks are the defaults.
        QVERIFY2(messages.last().endsWith("the defaults were used for the others."),
                 qPrintable(messages.last()));
    } else if (c.name == "negative key codes") {
        QCOMPARE(ctl.Text1->text(), QString("Ascii Key -5"));
        QCOMPARE(keys.assignment(1).keyCode, int16_t(-32768));
    } else if (c.name == "numbers beyond 16 and 32 bits") {
        QCOMPARE(keys.assignment(0).keyCode, int16_t(32767));
        QCOMPARE(w.state().repeatCount, int16_t(32767));
        QCOMPARE(ctl.Check1->value(), 2);
    }

    if (!c.knownFault.isEmpty())
        QEXPECT_FAIL("", qPrintable(c.knownFault), Continue);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join("; ")));
}

void BadInputTest::realProgram() {
#ifndef SORVANE_TIMER_PATH
    QSKIP("the path of the program was not given to this test");
#else
    const QString program = QStringLiteral(SORVANE_TIMER_PATH);
    QVERIFY2(QFileInfo(program).isExecutable(), qPrintable(program));

    struct Run {
        const Case* c;
        std::unique_ptr<QTemporaryDir> dir;
        Snapshot before;
        std::unique_ptr<QProcess> process;
        QByteArray err;
    };
    std::vector<Run> runs;
    struct EmptyAll {
        std::vector<Run>& runs;
        ~EmptyAll() {
            for (Run& r : runs)
                if (r.dir)
                    emptyFolder(r.dir->path());
        }
    } emptyAll{runs};
    // A plain start in an empty folder first: what it prints is about the
    // platform (no display, no session bus), not about any settings file.
    static const Case baseline{"plain start (baseline)", {}, {},   {}, false,
                               {"SorvaneTimer.ini"},     {}, true, {}};
    {
        Run r;
        r.c = &baseline;
        r.dir = std::make_unique<QTemporaryDir>();
        r.before = snapshot(r.dir->path());
        runs.push_back(std::move(r));
    }
    for (const Case& c : allCases()) {
        if (c.action || !c.realProgram)
            continue;
        Run r;
        r.c = &c;
        r.dir = std::make_unique<QTemporaryDir>();
        QVERIFY(r.dir->isValid());
        if (c.prepare)
            c.prepare(QDir(r.dir->path()));
        // The program's MIDI beep lives next to the settings, as in a real
        // working folder (a pitch of 0 chooses MIDI beeps).
        QFile::copy(QFileInfo(program).dir().filePath("beep.mid"), r.dir->filePath("beep.mid"));
        r.before = snapshot(r.dir->path());
        runs.push_back(std::move(r));
    }

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("SDL_AUDIODRIVER", "dummy");
    env.remove("DISPLAY");
    const auto notices = [](const QByteArray& err) {
        QStringList lines;
        for (const QByteArray& line : err.split('\n'))
            if (line.startsWith("sorvane-timer: "))
                lines << QString::fromLocal8Bit(line.mid(15));
        return lines;
    };
    QStringList platformNotices;
    const auto fileMessages = [&](const QByteArray& err) {
        QStringList lines = notices(err);
        for (const QString& n : platformNotices)
            lines.removeAll(n);
        return lines;
    };

    // All at once: start every case, wait until each is up (its message,
    // when one is expected, is on its error output) and has stayed up for a
    // while, then end them.
    for (Run& r : runs) {
        r.process = std::make_unique<QProcess>();
        r.process->setProcessEnvironment(env);
        r.process->setWorkingDirectory(r.dir->path());
        if (r.c->argv.isEmpty()) {
            r.process->start(program,
                             r.c->commandLine.isEmpty() ? QStringList{} : QStringList{r.c->commandLine});
        } else {
            // Bytes that are not UTF-8 cannot pass through QProcess: the shell
            // turns escapes back into bytes.
            QStringList args{
                QStringLiteral("-c"),
                QStringLiteral("p=$1; shift; n=$#; while [ $n -gt 0 ]; do set -- \"$@\" "
                               "\"$(printf '%b' \"$1\")\"; shift; n=$((n-1)); done; exec \"$p\" \"$@\""),
                QStringLiteral("sh"), program};
            for (const QByteArray& arg : r.c->argv) {
                QString escaped;
                for (const char ch : arg)
                    escaped +=
                        QStringLiteral("\\0%1").arg(static_cast<unsigned char>(ch), 3, 8, QLatin1Char('0'));
                args << escaped;
            }
            r.process->start(QStringLiteral("/bin/sh"), args);
        }
    }
    for (Run& r : runs)
        QVERIFY2(r.process->waitForStarted(30000), qPrintable(r.c->name));
    // The baseline is up once it has written its new settings file.
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(runs.front().dir->filePath("SorvaneTimer.ini")).size() == 393, 60000);
    QTest::qWait(1000);
    runs.front().err += runs.front().process->readAllStandardError();
    platformNotices = notices(runs.front().err);
    QElapsedTimer waited;
    waited.start();
    const auto allReady = [&] {
        bool ready = true;
        for (Run& r : runs) {
            r.err += r.process->readAllStandardError();
            if (r.process->state() != QProcess::Running)
                continue; // ended: reported below
            if (r.c->toldUser && fileMessages(r.err).isEmpty())
                ready = false;
        }
        return ready;
    };
    while (!allReady() && waited.elapsed() < 60000)
        QTest::qWait(50);
    QTest::qWait(2000); // settle: each must still be running after this

    std::vector<bool> alive;
    for (Run& r : runs) {
        r.err += r.process->readAllStandardError();
        alive.push_back(r.process->state() == QProcess::Running);
        if (alive.back())
            r.process->terminate();
    }
    for (std::size_t i = 0; i < runs.size(); ++i) {
        Run& r = runs[i];
        r.process->waitForFinished(10000);
        r.err += r.process->readAllStandardError();
        const QStringList told = fileMessages(r.err);
        const QStringList changed = changedEntries(r.before, snapshot(r.dir->path()));
        QStringList unexpected;
        for (const QString& name : changed)
            if (!allowed(name, r.c->rewritten))
                unexpected << name;
        QString happened = alive[i] ? QStringLiteral("kept running until ended")
                                    : QStringLiteral("ENDED BY ITSELF (exit %1)").arg(r.process->exitCode());
        happened +=
            changed.isEmpty() ? QStringLiteral("; no file changed") : "; changed: " + changed.join(", ");
        realRows().push_back(
            {r.c->name, happened,
             shortened(told.isEmpty() ? QStringLiteral("no message") : told.join(" / "), 200)});
    }
    if (!platformNotices.isEmpty())
        realRows().push_back(
            {"(every case)", "platform notices, left out above", platformNotices.join(" / ")});
    for (std::size_t i = 0; i < runs.size(); ++i) {
        Run& r = runs[i];
        const QStringList told = fileMessages(r.err);
        const QStringList changed = changedEntries(r.before, snapshot(r.dir->path()));
        QStringList unexpected;
        for (const QString& name : changed)
            if (!allowed(name, r.c->rewritten))
                unexpected << name;
        QVERIFY2(alive[i], qPrintable(r.c->name + ": " + QString::fromLocal8Bit(r.err.right(2000))));
        QVERIFY2(unexpected.isEmpty(), qPrintable(r.c->name + ": changed " + unexpected.join(", ")));
        QVERIFY2(told.isEmpty() != r.c->toldUser, qPrintable(r.c->name + ": " + told.join(" / ")));
        if (!r.c->argv.isEmpty()) {
            const QByteArray file = r.c->argv.join(' ') + ".ini";
            QFile created;
            QVERIFY2(
                created.open(std::fopen((QFile::encodeName(r.dir->path()) + "/" + file).constData(), "rb"),
                             QIODevice::ReadOnly, QFileDevice::AutoCloseHandle),
                qPrintable(r.c->name + ": no file under the argument's bytes"));
            QCOMPARE(created.size(), 393);
        }
    }
#endif
}

void BadInputTest::permissionMatrix() {
    // Root may write anything: the cells then run as an unprivileged user.
    const bool drop = ::geteuid() == 0;
    uid_t uid = ::getuid();
    gid_t gid = ::getgid();
    if (drop) {
        const passwd* nobody = ::getpwnam("nobody");
        uid = nobody ? nobody->pw_uid : 65534;
        gid = nobody ? nobody->pw_gid : 65534;
    }
    QTemporaryDir base(QStringLiteral("/tmp/sorvane-permissions-XXXXXX"));
    QVERIFY(base.isValid());
    QVERIFY(::chmod(QFile::encodeName(base.path()).constData(), 0711) == 0);
    auto own = [&](const QString& path) {
        return !drop || ::chown(QFile::encodeName(path).constData(), uid, gid) == 0;
    };
    const QString home = base.filePath(QStringLiteral("home"));
    const QString runtime = base.filePath(QStringLiteral("runtime"));
    QVERIFY(QDir().mkdir(home) && QDir().mkdir(runtime) && own(home) && own(runtime));
    QVERIFY(::chmod(QFile::encodeName(runtime).constData(), 0700) == 0);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("SDL_AUDIODRIVER", "dummy");
    env.insert("HOME", home);
    env.insert("XDG_RUNTIME_DIR", runtime);
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS"})
        env.remove(name);

    const std::vector<PermissionCell> cells = permissionCells();
    QStringList failures;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const PermissionCell& c = cells[i];
        const QString folder = base.filePath(QStringLiteral("cell%1").arg(i));
        QVERIFY(QDir().mkdir(folder) && own(folder));
        const QString defaultFile = QDir(folder).filePath("SorvaneTimer.ini");
        const QString xFile = QDir(folder).filePath("x.ini");
        QVERIFY(writeBytes(defaultFile, kUserDefaultFile) && writeBytes(xFile, kUserFile));
        QVERIFY(own(defaultFile) && own(xFile));
        QVERIFY(::chmod(QFile::encodeName(defaultFile).constData(), 0644) == 0);
        QVERIFY(::chmod(QFile::encodeName(xFile).constData(), c.file) == 0);
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), c.folder) == 0);
        const QMap<QString, QByteArray> before = filesWithModes(folder);

        QProcess child;
        child.setProcessEnvironment(env);
        child.setWorkingDirectory(folder);
        if (drop) {
            child.setChildProcessModifier([uid, gid] {
                if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
                    ::_exit(97);
            });
        }
        // Started through /proc/self/exe: the unprivileged user may not be
        // able to reach this program's folder, but may run its file.
        child.start(QStringLiteral("/proc/self/exe"), {kCellOption, QString::number(i)});
        QVERIFY2(child.waitForFinished(60000), qPrintable(cellName(c)));
        const QByteArray err = child.readAllStandardError();
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
                 qPrintable(cellName(c) + ": exit " + QString::number(child.exitCode()) + " " +
                            QString::fromLocal8Bit(err.right(1500))));
        CellReport report;
        for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
            const qsizetype tab = line.indexOf('\t');
            if (tab > 0)
                report[QString::fromUtf8(line.left(tab))] = QString::fromUtf8(line.mid(tab + 1));
        }
        const QMap<QString, QByteArray> after = filesWithModes(folder);
        ::chmod(QFile::encodeName(folder).constData(), 0755); // so that it can be cleaned up

        const CellExpectation e = expectationFor(c);
        const QString notices = e.notices.join(QStringLiteral(" / "));
        QStringList wrong;
        if (after != e.files)
            wrong << "files: " + filesSummary(before, after);
        if (report.value("notices") != notices)
            wrong << "notices: " + report.value("notices");
        if (report.value("question") != e.question)
            wrong << "question: " + report.value("question");
        if (report.value("file box") != e.fileBox || report.value("highlight") != e.fileBox)
            wrong << "file box " + report.value("file box") + ", list " + report.value("highlight");
        if (report.value("repetitions") != e.repetitions)
            wrong << "repetitions " + report.value("repetitions");
        if (!wrong.isEmpty())
            failures << cellName(c) + ": " + wrong.join(QStringLiteral("; "));

        QString saw = report.value("notices").isEmpty() ? QStringLiteral("no notice")
                                                        : "\"" + report.value("notices") + "\"";
        if (report.value("question") != QLatin1String("no question"))
            saw += "; " + report.value("question");
        saw += "; file box and list: " + report.value("file box") + ", repetitions " +
               report.value("repetitions").trimmed();
        permissionRows().push_back({cellName(c), filesSummary(before, after), saw});
    }
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QStringLiteral("\n"))));
}

// Without a session bus and with an X display named, the bus library would
// start a bus of its own through dbus-launch, which then outlives the
// program.  A dbus-launch found first on the PATH records any such call.
void BadInputTest::noSessionBusIsStarted() {
#ifndef SORVANE_TIMER_PATH
    QSKIP("the path of the program was not given to this test");
#else
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QDir d(dir.path());
    QVERIFY(d.mkdir("bin") && d.mkdir("runtime") && d.mkdir("work"));
    QVERIFY(writeBytes(d.filePath("bin/dbus-launch"),
                       "#!/bin/sh\necho \"$@\" >> \"$(dirname \"$0\")/../called\"\nexit 1\n"));
    QVERIFY(QFile::setPermissions(d.filePath("bin/dbus-launch"), QFile::ReadOwner | QFile::ExeOwner));
    QVERIFY(
        QFile::setPermissions(d.filePath("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DBUS_SESSION_BUS_ADDRESS");
    env.remove("WAYLAND_DISPLAY");
    env.insert("DISPLAY", ":424242"); // named, never opened by the offscreen window
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("SDL_AUDIODRIVER", "dummy");
    env.insert("XDG_RUNTIME_DIR", d.filePath("runtime"));
    env.insert("HOME", d.filePath("work"));
    env.insert("PATH", d.filePath("bin") + ":" + env.value("PATH"));
    QProcess program;
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(d.filePath("work"));
    program.start(QStringLiteral(SORVANE_TIMER_PATH), {});
    QVERIFY(program.waitForStarted(30000));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(d.filePath("work/SorvaneTimer.ini")).size() == 393, 60000);
    QTest::qWait(1000); // the bus is looked for after the window is up
    program.terminate();
    QVERIFY(program.waitForFinished(10000));
    const QByteArray err = program.readAllStandardError();
    QVERIFY2(!QFile::exists(d.filePath("called")),
             qPrintable("dbus-launch was run: " + QString::fromLocal8Bit(err)));
    QVERIFY2(err.contains("no session bus"), err.constData());
#endif
}

void BadInputTest::cleanupTestCase() {
    printTable("Bad-input matrix, window in this process", inProcessRows());
    printTable("Bad-input matrix, the real program (offscreen, started with the name on its command line)",
               realRows());
    printTable(::geteuid() == 0 ? "Permission matrix (each cell run as the user nobody)"
                                : "Permission matrix (each cell run as this user)",
               permissionRows());
}

// The test program doubles as the child of a permission cell.
int main(int argc, char* argv[]) {
    if (argc == 3 && std::strcmp(argv[1], kCellOption) == 0) {
        int qtArgc = 1;
        QApplication app(qtArgc, argv);
        return runPermissionCell(std::atoi(argv[2]));
    }
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    BadInputTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "BadInputQtTest.moc"
