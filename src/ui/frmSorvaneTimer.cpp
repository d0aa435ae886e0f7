#include "ui/frmSorvaneTimer.h"

#include "engine/CycleRunner.h"
#include "engine/NumberText.h"
#include "hotkeys/KeyNames.h"
#include "schedule/BeepListText.h"
#include "schedule/Schedule.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsFormat.h"
#include "ui/CaptionFit.h"
#include "ui/QtKeyMap.h"
#include "ui/Twips.h"
#include "ui/WindowPlacement.h"
#include "ui/frmAbout.h"
#include "ui/frmHelp.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QCollator>
#include <QContextMenuEvent>
#include <QDir>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>

#include <QRadioButton>
#include <QScreen>
#include <algorithm>
#include <cerrno>
#include <unistd.h>
#include <vector>

namespace sorvane::ui {

namespace {

std::string toStd(const QString& text) {
    return text.toStdString();
}
QString fromStd(const std::string& text) {
    return QString::fromStdString(text);
}
double valueOf(const QLineEdit* box) {
    return numberFromText(toStd(box->text()));
}

// File names travel as the system's bytes; in the window they are texts in
// which a byte that is not valid UTF-8 stands as a lone surrogate, so that
// it turns back into the same byte.
QString nameText(const std::string& bytes) {
    return QString::fromStdU16String(nameFromBytes(bytes));
}
std::string nameBytes(const QString& name) {
    return bytesFromName(name.toStdU16String());
}
// A name in a message: bytes that are not UTF-8 show as replacement characters.
QString shownName(const QString& name) {
    const std::string bytes = nameBytes(name);
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string currentFolder() {
    std::vector<char> buf(4096);
    while (::getcwd(buf.data(), buf.size()) == nullptr) {
        if (errno != ERANGE)
            return ".";
        buf.resize(buf.size() * 2);
    }
    return buf.data();
}

// The beep-list box keeps the text the user gave it, line breaks included,
// because the list is read back by its line feeds and carriage returns.  A
// text document knows only one kind of line break, so each break remembers
// what it was: CR LF (what Enter types, and what the list is shown with) or
// a lone LF, marked on the line behind it.  Any other CR is kept in its line
// as the visible symbol for a carriage return.
class LoneLineFeed : public QTextBlockUserData {};
constexpr char16_t kCarriageReturnSymbol = 0x240D;

class BeepListBox : public QPlainTextEdit {
public:
    using QPlainTextEdit::QPlainTextEdit;

    QString rawText() const { return rawSlice(0, document()->characterCount() - 1); }

    void setRawText(const QString& raw) {
        if (raw == rawText())
            return;
        QString shown;
        QList<int> loneFeeds;
        const QStringList lines = raw.split(QLatin1Char('\n'));
        for (int i = 0; i < lines.size(); ++i) {
            QString line = lines[i];
            if (i + 1 < lines.size()) {
                if (line.endsWith(QLatin1Char('\r')))
                    line.chop(1);
                else
                    loneFeeds << i + 1;
            }
            shown += shownLine(line);
            if (i + 1 < lines.size())
                shown += QLatin1Char('\n');
        }
        setPlainText(shown);
        for (int block : loneFeeds)
            document()->findBlockByNumber(block).setUserData(new LoneLineFeed);
    }

protected:
    // Pasted or dropped text keeps its line breaks.
    void insertFromMimeData(const QMimeData* source) override {
        if (!source->hasText())
            return;
        const QStringList lines = source->text().split(QLatin1Char('\n'));
        QTextCursor cursor = textCursor();
        cursor.beginEditBlock();
        cursor.removeSelectedText();
        for (int i = 0; i < lines.size(); ++i) {
            QString line = lines[i];
            bool crlf = false;
            if (i + 1 < lines.size() && line.endsWith(QLatin1Char('\r'))) {
                line.chop(1);
                crlf = true;
            }
            cursor.insertText(shownLine(line));
            if (i + 1 < lines.size()) {
                cursor.insertBlock();
                if (!crlf)
                    cursor.block().setUserData(new LoneLineFeed);
            }
        }
        cursor.endEditBlock();
        setTextCursor(cursor);
        ensureCursorVisible();
    }

    // Copied or dragged text carries the line breaks it stands for.
    QMimeData* createMimeDataFromSelection() const override {
        const QTextCursor cursor = textCursor();
        auto* mime = new QMimeData;
        mime->setText(rawSlice(cursor.selectionStart(), cursor.selectionEnd()));
        return mime;
    }

private:
    static QString shownLine(QString line) {
        line.replace(QLatin1Char('\r'), QChar(kCarriageReturnSymbol));
        return line;
    }

    // The text between two document positions with its breaks as they were.
    QString rawSlice(int from, int to) const {
        QString raw;
        for (QTextBlock b = document()->findBlock(from); b.isValid() && b.position() <= to; b = b.next()) {
            if (b.position() > from)
                raw += b.userData() ? QStringLiteral("\n") : QStringLiteral("\r\n");
            const int start = std::max(from - b.position(), 0);
            const int end = std::min(to - b.position(), b.length() - 1);
            QString part = b.text().mid(start, end - start);
            part.replace(QChar(kCarriageReturnSymbol), QLatin1Char('\r'));
            raw += part;
        }
        return raw;
    }
};
// The size the window system's frame adds to a window, taken from the main
// window (none before it is shown).
QSize framing(const QWidget* window) {
    return window->frameGeometry().size() - window->size();
}

QRect screenArea(const QWidget* window) {
    const QScreen* screen = window->screen();
    return screen ? screen->availableGeometry() : QRect();
}

// Label11's captions: its design caption, then one for each cycle unit.
const QString kBeepListDesignCaption = QStringLiteral("Current Beep Cycle in sec:");
const QString kBeepListSecCaption = QStringLiteral("Current Beep Cycle (in sec)");
const QString kBeepListMinCaption = QStringLiteral("Current Beep Cycle (in min)");

} // namespace

frmSorvaneTimer::frmSorvaneTimer(TimerServices services, QWidget* parent)
    : QWidget(parent), beep(services.port, services.midi), m_services(std::move(services)),
      m_folderBytes(currentFolder()), m_folder(nameText(m_folderBytes)) {
    setObjectName(QStringLiteral("frmSorvaneTimer"));
    setWindowTitle(QStringLiteral("SorvaneTimer"));
    createControls();
    bindSettings();
    applyLayout();
    connectHandlers();

    HotKeyCoReceiver1.setKeyDownHandler([this] { HotKeyCoReceiver1_HotKeyDown(); });
    HotKeyCoReceiver2.setKeyDownHandler([this] { HotKeyCoReceiver2_HotKeyDown(); });
    HotKeyCoReceiver3.setKeyDownHandler([this] { HotKeyCoReceiver3_HotKeyDown(); });
    m_services.hotkeys.attach(HotKeyCoReceiver1);
    m_services.hotkeys.attach(HotKeyCoReceiver2);
    m_services.hotkeys.attach(HotKeyCoReceiver3);
}

frmSorvaneTimer::~frmSorvaneTimer() = default;

void frmSorvaneTimer::createControls() {
    auto label = [this](const char* name, const QString& caption) {
        auto* l = new QLabel(caption, this);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    auto text = [this](const char* name, const QString& initial, const QString& tip) {
        auto* t = new QLineEdit(initial, this);
        t->setObjectName(QLatin1String(name));
        t->setToolTip(tip);
        return t;
    };
    auto button = [this](const char* name, const QString& caption, const QString& tip) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setToolTip(tip);
        // Enter presses the button that has the focus, as Space does.
        b->setAutoDefault(true);
        return b;
    };
    auto check = [this](const char* name, const QString& caption, int value, const QString& tip) {
        auto* c = new VbCheckBox(caption, this);
        c->setObjectName(QLatin1String(name));
        c->setValue(value);
        c->setToolTip(tip);
        return c;
    };

    const QString keyTail = QStringLiteral(
        "Restarts the cycle timer and number of repetitions.  Click here, press a key, then click apply to "
        "save the key assignment.");
    Label1 = label("Label1", QStringLiteral("Start Key:"));
    Text1 = text("Text1", QStringLiteral("118"), QStringLiteral("Starts the cycle timer.") + keyTail);
    Label2 = label("Label2", QStringLiteral("Restart Key:"));
    Text2 = text("Text2", QStringLiteral("20"), keyTail);
    Label3 = label("Label3", QStringLiteral("Stop Key:"));
    Text3 = text("Text3", QStringLiteral("119"),
                 QStringLiteral("Stops the cycle timer and resets the number of repetitions.") + keyTail);
    for (QLineEdit* box : {Text1, Text2, Text3}) {
        box->setReadOnly(true);
        box->installEventFilter(this);
    }

    Label5 = label("Label5", QStringLiteral("Beep Pitch (100):"));
    Text4 =
        text("Text4", QStringLiteral("10"),
             QStringLiteral(
                 "Keep the beep pitch value lower to reduce cpu load. A lower value gives a higher pitch."));
    Label6 = label("Label6", QStringLiteral("Beep Duration (25):"));
    Text5 = text("Text5", QStringLiteral("10"),
                 QStringLiteral("Keep the beep duration as low as possible to reduce cpu load."));
    Check2 = check(
        "Check2", QStringLiteral("Midi Beeps"), 0,
        QStringLiteral("Beeps are produced by your midi device if enabled. Beeps are produced by your built "
                       "in pc speaker when disabled."));

    Label12 = label("Label12", QStringLiteral("Cycle time (60s):"));
    TxtCycleTime = text("TxtCycleTime", QStringLiteral("60"), QStringLiteral("Total cycle time."));
    OptCycleUnitsSec = new VbOptionButton(QStringLiteral("sec"), this);
    OptCycleUnitsSec->setObjectName(QStringLiteral("OptCycleUnitsSec"));
    OptCycleUnitsSec->setChecked(true);
    OptcycleUnitsMin = new VbOptionButton(QStringLiteral("min"), this);
    OptcycleUnitsMin->setObjectName(QStringLiteral("OptcycleUnitsMin"));
    ChkWarn = check("ChkWarn", QStringLiteral("Warnings every"), 1,
                    QStringLiteral("Enable warning beeps during cycle."));
    TxtCycleWarnTime =
        text("TxtCycleWarnTime", QStringLiteral("10"),
             QStringLiteral("Periodic warning interval. The number of beeps starts at 1 and increases by "
                            "one with each warning."));
    Label9 = label("Label9", QStringLiteral("Warning Beeps per Sec (5):"));
    Text7 = text("Text7", QStringLiteral("5"), QStringLiteral("Speed of  beeps in warnings."));
    Label7 = label("Label7", QStringLiteral("Repetitions (19):"));
    Text6 =
        text("Text6", QStringLiteral("19"), QStringLiteral("Number of repetitions of the cycle to perform."));
    ChkFinalCount = check("ChkFinalCount", QStringLiteral("Final Count of"), 1,
                          QStringLiteral("Execute a final countdown before end of cycle."));
    TxtFinalCountTime =
        text("TxtFinalCountTime", QStringLiteral("5"), QStringLiteral("Final countdown time."));
    Label14 = label("Label14", QStringLiteral("sec"));
    Label15 = label("Label15", QStringLiteral("Warning beeps per Sec (1):"));
    TxtFinalCountBps = text("TxtFinalCountBps", QStringLiteral("1"),
                            QStringLiteral("Beeps per second during final countdown."));

    Check1 = check("Check1", QStringLiteral("Custom Beep Cycle"), 0,
                   QStringLiteral("Check to enable custom beep cycles. Default is 60 seconds."));
    Label11 = label("Label11", kBeepListDesignCaption);
    Text8 = new BeepListBox(this);
    Text8->setObjectName(QStringLiteral("Text8"));
    Text8->setToolTip(QStringLiteral("List of current beep times in seconds."));
    Text8->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text8->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text8->setTabChangesFocus(true);
    setText8(QStringLiteral("none\r\n"));

    Label10 = label("Label10", QStringLiteral("Current ini File:"));
    Text9 =
        text("Text9", QStringLiteral("Text9"), QStringLiteral("Edit the file name to create a new file."));
    Text9->installEventFilter(this);
    Command4 =
        button("Command4", QStringLiteral("Delete"), QStringLiteral("Click to delete current ini file."));
    Label8 = label("Label8", QStringLiteral("Initialization Files:"));
    File1 = new QListWidget(this);
    File1->setObjectName(QStringLiteral("File1"));
    File1->setToolTip(QStringLiteral("Click a file to load the settings."));
    File1->installEventFilter(this);
    File1->viewport()->installEventFilter(this);

    Command3 = button("Command3", QStringLiteral("About"), QStringLiteral("About Sorvane Timer."));
    Command5 = button("Command5", QStringLiteral("Help"), QStringLiteral("Help for new users."));
    Command2 =
        button("Command2", QStringLiteral("Apply"),
               QStringLiteral("Apply changes to the current ini file and update the current beep cycle."));
    Command1 = button("Command1", QStringLiteral("Exit"), QString());

    // Tab order: Exit first, then straight into the three key boxes.
    const QList<QWidget*> order = {Command1,
                                   Text1,
                                   Text2,
                                   Text3,
                                   Command2,
                                   Text4,
                                   Text5,
                                   Text6,
                                   Text7,
                                   Text8,
                                   Check1,
                                   File1,
                                   Command4,
                                   Text9,
                                   TxtCycleTime,
                                   OptCycleUnitsSec,
                                   OptcycleUnitsMin,
                                   TxtCycleWarnTime,
                                   ChkFinalCount,
                                   TxtFinalCountTime,
                                   TxtFinalCountBps,
                                   ChkWarn,
                                   Command3,
                                   Command5,
                                   Check2};
    for (int i = 0; i + 1 < order.size(); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
    refreshFileList();
}

void frmSorvaneTimer::applyLayout() {
    const double dpi = logicalDpiOf(this);
    QFont small = font();
    small.setPointSizeF(8.0);
    setFont(small);
    auto place = [dpi](QWidget* w, int left, int top, int width, int height) {
        w->setGeometry(twipsRect(left, top, width, height, dpi));
    };
    place(Label1, 2280, 120, 735, 255);
    place(Text1, 3120, 120, 2295, 285);
    place(Label2, 2040, 600, 975, 255);
    place(Text2, 3120, 600, 2295, 285);
    place(Label3, 2280, 1080, 735, 255);
    place(Text3, 3120, 1080, 2295, 285);
    place(Label5, 2040, 1440, 1575, 255);
    place(Text4, 3720, 1440, 495, 285);
    place(Label6, 2040, 1800, 1575, 255);
    place(Text5, 3720, 1800, 495, 285);
    place(Check2, 4320, 1680, 1215, 375);
    place(Label12, 2280, 2160, 1215, 255);
    place(TxtCycleTime, 3600, 2160, 615, 285);
    place(OptCycleUnitsSec, 4320, 2400, 615, 255);
    place(OptcycleUnitsMin, 4920, 2400, 615, 255);
    place(ChkWarn, 2160, 2520, 1455, 255);
    place(TxtCycleWarnTime, 3600, 2520, 615, 285);
    place(Label9, 2160, 2880, 2175, 255);
    place(Text7, 4440, 2880, 495, 285);
    place(Label7, 2760, 3240, 1575, 255);
    place(Text6, 4440, 3240, 495, 285);
    place(ChkFinalCount, 2280, 3720, 1335, 255);
    place(TxtFinalCountTime, 3600, 3720, 615, 285);
    place(Label14, 4320, 3720, 375, 255);
    place(Label15, 2280, 4080, 2055, 255);
    place(TxtFinalCountBps, 4440, 4080, 495, 285);
    place(Check1, 120, 2520, 1815, 255);
    place(Label11, 120, 2760, 2055, 255);
    place(Text8, 120, 3000, 2055, 1815);
    place(Label10, 120, 240, 1095, 255);
    place(Text9, 120, 480, 1815, 285);
    place(Command4, 1200, 120, 615, 315);
    place(Label8, 120, 840, 1335, 255);
    place(File1, 120, 1080, 2055, 1260);
    place(Command3, 2280, 4560, 615, 315);
    place(Command5, 3120, 4560, 615, 315);
    place(Command2, 3960, 4560, 615, 315);
    place(Command1, 4800, 4560, 615, 315);
    setFixedSize(twipsToPixels(5475, dpi), twipsToPixels(4935, dpi));
    for (QLineEdit* box : findChildren<QLineEdit*>())
        box->setTextMargins(0, 0, 0, 0);
    // Labels in front of a box end where the box begins: right-aligned.
    for (QLabel* l : {Label1, Label2, Label3, Label5, Label6, Label12, Label9, Label7, Label15})
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Labels lie below the other controls: where a label's box reaches over
    // the file list's edge, the list stays whole and takes its clicks.  The
    // captions themselves are fitted to stay clear of it.
    for (QLabel* l : findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
        l->lower();
    fitCaptions();
}

// Every caption is drawn whole in the part of its control the user sees.
// Captions of one kind share one size: the largest, up to the window's 8
// points, at which all of them fit.  The kinds: the texts that name a field
// (labels and check boxes), the two unit options at the window's edge, and
// the buttons.  Label11 is fitted in each of its captions, so switching the
// unit never changes its size.
void frmSorvaneTimer::fitCaptions() {
    QList<CaptionStates> names;
    QList<CaptionStates> options;
    QList<CaptionStates> buttons;
    for (QLabel* l : findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        if (l == Label11)
            names.append({l, {kBeepListDesignCaption, kBeepListSecCaption, kBeepListMinCaption}});
        else
            names.append({l, {l->text()}});
    }
    for (QAbstractButton* b : findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly)) {
        auto& kind = qobject_cast<QPushButton*>(b)    ? buttons
                     : qobject_cast<QRadioButton*>(b) ? options
                                                      : names;
        kind.append({b, {b->text()}});
    }
    const double designSize = font().pointSizeF();
    for (const auto* kind : {&names, &options, &buttons})
        fitCaptionGroup(*kind, designSize);
}

void frmSorvaneTimer::connectHandlers() {
    connect(Text4, &QLineEdit::textChanged, this, [this] { Text4_Change(); });
    connect(Text5, &QLineEdit::textChanged, this, [this] { Text5_Change(); });
    connect(Text6, &QLineEdit::textChanged, this, [this] { Text6_Change(); });
    connect(Text7, &QLineEdit::textChanged, this, [this] { Text7_Change(); });
    connect(Check1, &VbCheckBox::Click, this, [this] { Check1_Click(); });
    connect(Check2, &VbCheckBox::Click, this, [this] { Check2_Click(); });
    connect(OptCycleUnitsSec, &VbOptionButton::Click, this, [this] {
        OptcycleUnitsMin->setChecked(false);
        OptCycleUnitsSec_Click();
    });
    connect(OptcycleUnitsMin, &VbOptionButton::Click, this, [this] {
        OptCycleUnitsSec->setChecked(false);
        OptcycleUnitsMin_Click();
    });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
    // Each entry carries its file's name (as bytes can be) in its data; the
    // text shown may have replacement characters where bytes are not UTF-8.
    connect(File1, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (item)
            File1_Click(item->data(Qt::UserRole).toString());
    });
    connect(File1, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        if (item)
            File1_Click(item->data(Qt::UserRole).toString());
    });
}

void frmSorvaneTimer::assign(QLineEdit* box, const QString& text) {
    if (box->text() != text)
        box->setText(text);
}

QString frmSorvaneTimer::text8() const {
    return static_cast<const BeepListBox*>(Text8)->rawText();
}

void frmSorvaneTimer::setText8(const QString& text) {
    static_cast<BeepListBox*>(Text8)->setRawText(text);
}

QString frmSorvaneTimer::CreateHotKeyText(int16_t keyCode, int16_t shift) {
    return QString::fromLatin1(hotKeyText(keyCode, shift));
}

void frmSorvaneTimer::notify(const QString& message) {
    if (m_services.notify)
        m_services.notify(toStd(message));
}

std::string frmSorvaneTimer::settingsPath() const {
    return nameBytes(IniFileName);
}

// ---------------------------------------------------------------- start-up

void frmSorvaneTimer::Form_Load(const QString& commandLine) {
    ProgramVersion = QStringLiteral("1.01b");
    setText8(QString());
    IniFileName = commandLine;
    LoadSettings();
    PlayBeep();
    // The list shows the file that start-up may just have created, and the
    // Exit button, first in the tab order, holds the focus when the window
    // opens (never a key box, which would switch the hotkeys off).
    refreshFileList();
    Command1->setFocus(Qt::OtherFocusReason);
}

void frmSorvaneTimer::Command1_Click() {
    PlayBeep();
    m_services.endProcess();
}

void frmSorvaneTimer::closeEvent(QCloseEvent* event) {
    PlayBeep();
    m_services.endProcess();
    event->accept();
}

// -------------------------------------------------------------- the beep

void frmSorvaneTimer::PlayBeep() {
    beep.playBeep(Check2->value() == 1);
}

void frmSorvaneTimer::Check2_Click() {
    if (Check2->value() == 1) {
        showMidiTones();
    } else {
        assign(Text4, QStringLiteral("100"));
        assign(Text5, QStringLiteral("25"));
        Text4->setEnabled(true);
        Text5->setEnabled(true);
    }
}

// ------------------------------------------------------- the cycle runner

void frmSorvaneTimer::HotKeyCoReceiver1_HotKeyDown() {
    HotKeyCoReceiver1.setEnabled(false);
    HotKeyCoReceiver2.setEnabled(true);
    HotKeyCoReceiver3.setEnabled(true);
    PlayBeep();
    RunCycle();
}

void frmSorvaneTimer::HotKeyCoReceiver2_HotKeyDown() {
    state.restartFlag = kTrue;
    PlayBeep();
}

void frmSorvaneTimer::HotKeyCoReceiver3_HotKeyDown() {
    state.stopFlag = kTrue;
    PlayBeep();
}

void frmSorvaneTimer::RunCycle() {
    const int32_t unitMs = OptCycleUnitsSec->isChecked() ? 1000 : 60000;
    // The runner says ahead of time when its next beep falls due, so that
    // the beep is placed to sound exactly then, with the settings of now.
    struct Ahead final : BeepSchedule {
        explicit Ahead(frmSorvaneTimer& window) : w(window) {}
        void expect(uint32_t dueTick) override { w.beep.placeBeep(w.Check2->value() == 1, dueTick); }
        void arrive() override { w.beep.arrive(); }
        void withdraw() override { w.beep.withdraw(); }
        frmSorvaneTimer& w;
    } ahead(*this);
    CycleRunner runner(
        state, m_services.clock, m_services.pump, [this] { PlayBeep(); },
        {&HotKeyCoReceiver1, &HotKeyCoReceiver2, &HotKeyCoReceiver3}, &ahead, m_services.progress);
    runner.run(unitMs);
}

// ------------------------------------------------- schedule and beep list

void frmSorvaneTimer::BuildBeepSchedule() {
    ScheduleParams p;
    p.cycleTime = valueOf(TxtCycleTime);
    p.secondsUnit = OptCycleUnitsSec->isChecked();
    p.warnings = ChkWarn->value() == 1;
    p.warnInterval = valueOf(TxtCycleWarnTime);
    p.warnRate = valueOf(Text7);
    p.finalCount = ChkFinalCount->value() == 1;
    p.finalCountTime = valueOf(TxtFinalCountTime);
    p.finalCountGap = valueOf(TxtFinalCountBps);
    bool cut = false;
    buildSchedule(p, state.beepTimes, &cut);
    ++m_builds;
    m_tableCut = cut;
    if (cut && !m_deferScheduleNotice)
        notify(QStringLiteral("The beep cycle needs more than %1 beeps; only the first %1 are used.")
                   .arg(kMaxBeepMoments));
    ShowBeepList();
}

void frmSorvaneTimer::ShowBeepList() {
    setText8(fromStd(beepListText(state.beepTimes)));
}

void frmSorvaneTimer::ParseBeepList() {
    const ParseResult result = sorvane::parseBeepList(toStd(text8()), state.beepTimes);
    m_tableCut = false;
    if (result.cut)
        notify(QStringLiteral("The beep list has more than %1 lines; only the first %1 are used.")
                   .arg(kMaxBeepMoments));
}

// ------------------------------------------------------ parameter entry

void frmSorvaneTimer::Text4_Change() {
    beep.beepPitch = toInt16(valueOf(Text4));
}
void frmSorvaneTimer::Text5_Change() {
    beep.beepDuration = toInt16(valueOf(Text5));
}
void frmSorvaneTimer::Text6_Change() {
    state.repeatCount = toInt16(valueOf(Text6));
}

void frmSorvaneTimer::Text7_Change() {
    const double rate = valueOf(Text7);
    if (rate > 0 && Check1->value() == 0)
        BuildBeepSchedule();
    else
        assign(Text7, QStringLiteral("5"));
}

void frmSorvaneTimer::Check1_Click() {
    const bool on = Check1->value() == 0;
    for (QWidget* w : std::initializer_list<QWidget*>{Text6, Text7, TxtCycleTime, ChkWarn, TxtCycleWarnTime,
                                                      ChkFinalCount, TxtFinalCountTime, TxtFinalCountBps})
        w->setEnabled(on);
    setBeepListCaption();
}

void frmSorvaneTimer::setBeepListCaption() {
    Label11->setText(OptCycleUnitsSec->isChecked() ? kBeepListSecCaption : kBeepListMinCaption);
    fitCaptions();
}

void frmSorvaneTimer::OptCycleUnitsSec_Click() {
    setBeepListCaption();
}

void frmSorvaneTimer::OptcycleUnitsMin_Click() {
    setBeepListCaption();
}

void frmSorvaneTimer::Command2_Click() {
    PlayBeep();
    state.stopFlag = kTrue;
    if (Check1->value() == 1 && numberFromText(toStd(text8())) != 0)
        ParseBeepList();
    else
        BuildBeepSchedule();
    ShowBeepList();
    SaveSettings();
}

// ------------------------------------------------------------ settings

bool frmSorvaneTimer::SaveSettings() {
    IniFileName = nameText(completeSettingsName(settingsPath()));
    assign(Text9, IniFileName);
    const std::string error = writeSettings();
    if (!error.empty())
        notify(fromStd(error) + QStringLiteral("."));
    else
        m_currentFile = IniFileName; // the file now holds the settings shown
    // A save may have created the file (again): the list shows what is there.
    refreshFileList();
    return error.empty();
}

std::string frmSorvaneTimer::writeSettings() {
    const FileResult result =
        saveSettingsFile(settingsPath(), settingsFileText(m_settings.values(), state.beepTimes));
    return result.ok ? std::string() : result.error;
}

void frmSorvaneTimer::LoadSettings() {
    beep.midiPlayer().setFileName(m_folderBytes + "/beep.mid");
    setWindowTitle(QStringLiteral("Sorvane Timer ") + ProgramVersion);
    IniFileName = nameText(completeSettingsName(settingsPath()));

    // Each value loaded raises its control's handling, and a rate may rebuild
    // the table from a mix of old and new values on the way: only the table
    // the load ends with is reported.
    m_deferScheduleNotice = true;
    const int buildsBefore = m_builds;

    // The file is opened for reading only.  What keeps it from loading, or a
    // new or empty file from being filled, is said once the load is done.
    std::string failure;
    const ReadResult file = readSettingsFile(settingsPath());
    if (!file.ok) {
        failure = file.error;
        // At start-up there are no settings in use yet: the defaults are.
        if (!m_loadedOnce) {
            setDefaults();
            BuildBeepSchedule();
        }
    } else if (file.missing || file.data.empty()) {
        if (Text8->toPlainText().isEmpty()) {
            setDefaults();
            BuildBeepSchedule();
        }
        failure = writeSettings();
    } else {
        showFileText(file.data);
    }
    m_deferScheduleNotice = false;

    assign(Text1, CreateHotKeyText(hotkeys[0].keyCode, hotkeys[0].shift));
    assign(Text2, CreateHotKeyText(hotkeys[1].keyCode, hotkeys[1].shift));
    assign(Text3, CreateHotKeyText(hotkeys[2].keyCode, hotkeys[2].shift));
    HotKeyCoReceiver1.setKeyCode(hotkeys[0].keyCode);
    HotKeyCoReceiver2.setKeyCode(hotkeys[1].keyCode);
    HotKeyCoReceiver3.setKeyCode(hotkeys[2].keyCode);
    beep.beepPitch = toInt16(valueOf(Text4));
    beep.beepDuration = toInt16(valueOf(Text5));
    state.repeatCount = toInt16(valueOf(Text6));

    if (!failure.empty())
        keepCurrentFileAfter(failure);
    else
        m_currentFile = IniFileName;
    assign(Text9, IniFileName);
    if (m_tableCut && m_builds != buildsBefore)
        notify(QStringLiteral("The beep cycle needs more than %1 beeps; only the first %1 are used.")
                   .arg(kMaxBeepMoments));

    OptcycleUnitsMin->setChecked(!OptCycleUnitsSec->isChecked());
    showBeepSource();
    m_loadedOnce = true;
    showCurrentFileInList();
}

// The records of a file that holds data go into the controls, then its list
// or the schedule computed from them.
void frmSorvaneTimer::showFileText(const std::string& data) {
    const SettingsRead read = readSettingsText(data);
    // A file that ends early keeps the settings in use for what it lacks;
    // at start-up those are the defaults.
    if (!m_loadedOnce && !read.complete())
        setDefaults();
    m_settings.show(read);

    if (read.listRead) {
        state.beepTimes = read.list;
        m_tableCut = false;
        if (read.listCut)
            notify(QStringLiteral("%1 holds more than %2 beep times; only the first %2 are used.")
                       .arg(shownName(IniFileName))
                       .arg(kMaxBeepMoments));
    } else if (!read.present(&SettingsValues::customList) && Check1->value() == 1) {
        // The file ends before its custom-list switch: the custom list in
        // use stays.
    } else {
        BuildBeepSchedule();
    }
    if (!read.complete())
        notify(QStringLiteral("%1 ends after %2 of its %3 settings; %4")
                   .arg(shownName(IniFileName))
                   .arg(read.recordCount)
                   .arg(kSettingsRecordCount)
                   .arg(m_loadedOnce ? QStringLiteral("the others were kept as they were.")
                                     : QStringLiteral("the defaults were used for the others.")));
    ShowBeepList();
}

// A file that could not be loaded or filled does not become current: the one
// in use before stays, so that the file box, the list and a later Apply all
// name the file whose settings the window holds.
void frmSorvaneTimer::keepCurrentFileAfter(const std::string& failure) {
    QString message = fromStd(failure) + QStringLiteral(". ");
    if (!m_loadedOnce) {
        message += QStringLiteral("The default settings are in use.");
    } else if (!m_currentFile.isEmpty()) {
        IniFileName = m_currentFile;
        message += QStringLiteral("\"%1\" stays the current file.").arg(shownName(m_currentFile));
    } else {
        message += QStringLiteral("The settings in use were kept.");
    }
    notify(message);
}

void frmSorvaneTimer::bindSettings() {
    m_settings.bind(&SettingsValues::startKey, &hotkeys[0].keyCode);
    m_settings.bind(&SettingsValues::restartKey, &hotkeys[1].keyCode);
    m_settings.bind(&SettingsValues::stopKey, &hotkeys[2].keyCode);
    m_settings.bind(&SettingsValues::beepPitch, Text4, DefaultText::Plain);
    m_settings.bind(&SettingsValues::beepDuration, Text5, DefaultText::Plain);
    m_settings.bind(&SettingsValues::repetitions, Text6, DefaultText::Plain);
    m_settings.bind(&SettingsValues::warnRate, Text7, DefaultText::Plain);
    m_settings.bind(&SettingsValues::customList, Check1);
    m_settings.bind(&SettingsValues::cycleTime, TxtCycleTime, DefaultText::FromNumber);
    m_settings.bind(&SettingsValues::secondsUnit, OptCycleUnitsSec);
    m_settings.bind(&SettingsValues::warnings, ChkWarn);
    m_settings.bind(&SettingsValues::warnInterval, TxtCycleWarnTime, DefaultText::FromNumber);
    m_settings.bind(&SettingsValues::finalCount, ChkFinalCount);
    m_settings.bind(&SettingsValues::finalCountTime, TxtFinalCountTime, DefaultText::FromNumber);
    m_settings.bind(&SettingsValues::finalCountGap, TxtFinalCountBps, DefaultText::FromNumber);
}

void frmSorvaneTimer::setDefaults() {
    m_settings.showDefaults();
}

void frmSorvaneTimer::showBeepSource() {
    if (valueOf(Text4) == 0) {
        // Checking the switch runs its click handling when it was clear; the
        // boxes are set here as well for when it was checked already.
        Check2->setValue(1);
        showMidiTones();
    } else {
        // The switch is cleared without its click handling, which would put
        // the default pitch and duration over the ones the boxes hold.
        const QSignalBlocker keepTones(Check2);
        Check2->setValue(0);
        Text4->setEnabled(true);
        Text5->setEnabled(true);
    }
}

void frmSorvaneTimer::showMidiTones() {
    assign(Text4, QStringLiteral("midi"));
    assign(Text5, QStringLiteral("midi"));
    Text4->setEnabled(false);
    Text5->setEnabled(false);
}

// ------------------------------------------------------ file selection

void frmSorvaneTimer::refreshFileList() {
    struct Entry {
        QString shown; // replacement characters where the name is not UTF-8
        QString name;
        std::string bytes;
    };
    std::vector<Entry> entries;
    for (std::string& bytes : listSettingsFiles(m_folderBytes))
        entries.push_back({QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())),
                           nameText(bytes), std::move(bytes)});
    // The order of a file dialog: letter case aside, numbers by their value
    // (a2 before a10).  The C locale compares code points and knows no
    // numbers; the common order of Unicode, which English uses, stands in.
    QLocale locale;
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English);
    QCollator collator(locale);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(entries.begin(), entries.end(), [&collator](const Entry& a, const Entry& b) {
        const int order = collator.compare(a.shown, b.shown);
        return order != 0 ? order < 0 : a.bytes < b.bytes;
    });

    // Rebuilt only when the folder changed, so that the list keeps its place.
    bool same = File1->count() == static_cast<int>(entries.size());
    for (int i = 0; same && i < File1->count(); ++i)
        same = File1->item(i)->data(Qt::UserRole).toString() == entries[static_cast<std::size_t>(i)].name;
    if (!same) {
        File1->clear();
        for (const Entry& e : entries) {
            auto* item = new QListWidgetItem(e.shown, File1);
            item->setData(Qt::UserRole, e.name);
        }
    }
    showCurrentFileInList();
}

QListWidgetItem* frmSorvaneTimer::currentFileItem() const {
    for (int i = 0; i < File1->count(); ++i) {
        if (File1->item(i)->data(Qt::UserRole).toString() == IniFileName)
            return File1->item(i);
    }
    // The same file under another name: a folder part, or a link.
    const std::string current = settingsPath();
    for (int i = 0; i < File1->count(); ++i) {
        const std::string listed =
            m_folderBytes + "/" + nameBytes(File1->item(i)->data(Qt::UserRole).toString());
        if (isSameFile(listed, current))
            return File1->item(i);
    }
    return nullptr;
}

void frmSorvaneTimer::showCurrentFileInList() {
    if (QListWidgetItem* item = currentFileItem()) {
        File1->setCurrentItem(item);
        File1->scrollToItem(item);
    } else {
        File1->setCurrentItem(nullptr);
        File1->clearSelection();
    }
}

void frmSorvaneTimer::followListSelection() {
    const QList<QListWidgetItem*> selected = File1->selectedItems();
    if (selected.size() == 1 && selected.first() != currentFileItem())
        File1_Click(selected.first()->data(Qt::UserRole).toString());
    else if (selected.isEmpty())
        showCurrentFileInList();
}

void frmSorvaneTimer::File1_Click(const QString& fileName) {
    IniFileName = fileName;
    assign(Text9, fileName);
    LoadSettings();
    refreshFileList();
}

void frmSorvaneTimer::Text9_LostFocus() {
    state.stopFlag = kTrue;
    IniFileName = Text9->text();
    LoadSettings();
    refreshFileList();
}

void frmSorvaneTimer::Command4_Click() {
    // A write-protected file is deleted only when the user says so (where
    // the folder lets it be deleted at all).  The question does not block:
    // a running cycle goes on while it is open.
    const std::string path = settingsPath();
    if (isWriteProtected(path) && folderAllowsRemoving(path)) {
        const QString name = IniFileName;
        auto* question = new QMessageBox(
            QMessageBox::Question, QStringLiteral("Sorvane Timer"),
            QStringLiteral("\"%1\" is write-protected. Delete it anyway?").arg(shownName(name)),
            QMessageBox::Yes | QMessageBox::No, this);
        question->setDefaultButton(QMessageBox::No);
        question->setAttribute(Qt::WA_DeleteOnClose);
        question->setWindowModality(Qt::WindowModal);
        connect(question, &QMessageBox::finished, this, [this, question, name](int) {
            if (question->clickedButton() == question->button(QMessageBox::Yes) && IniFileName == name)
                deleteCurrentFile();
        });
        question->open();
        return;
    }
    deleteCurrentFile();
}

void frmSorvaneTimer::deleteCurrentFile() {
    const FileResult removed = deleteSettingsFile(settingsPath());
    if (!removed.ok) {
        notify(fromStd(removed.error) +
               QStringLiteral(". \"%1\" stays the current file.").arg(shownName(IniFileName)));
        refreshFileList();
        return;
    }
    m_currentFile.clear();
    IniFileName = QString::fromLatin1(kDefaultSettingsName);
    LoadSettings();
    refreshFileList();
}

// ------------------------------------------------------------ key boxes

QLineEdit* frmSorvaneTimer::keyBox(int box) const {
    return box == 0 ? Text1 : box == 1 ? Text2 : Text3;
}

HotkeyReceiver& frmSorvaneTimer::receiver(int box) {
    return box == 0 ? HotKeyCoReceiver1 : box == 1 ? HotKeyCoReceiver2 : HotKeyCoReceiver3;
}

void frmSorvaneTimer::KeyBox_GotFocus(int) {
    PlayBeep();
    state.exitFlag = kTrue;
    HotKeyCoReceiver1.setEnabled(false);
    HotKeyCoReceiver2.setEnabled(false);
    HotKeyCoReceiver3.setEnabled(false);
}

void frmSorvaneTimer::KeyBox_LostFocus(int) {
    HotKeyCoReceiver1.setEnabled(true);
}

void frmSorvaneTimer::KeyBox_KeyDown(int box, int16_t keyCode, int16_t shift) {
    assign(keyBox(box), CreateHotKeyText(keyCode, shift));
    receiver(box).setKeyCode(keyCode);
    hotkeys[static_cast<std::size_t>(box)] = {keyCode, shift};
}

bool frmSorvaneTimer::eventFilter(QObject* watched, QEvent* event) {
    const int box = watched == Text1 ? 0 : watched == Text2 ? 1 : watched == Text3 ? 2 : -1;
    // Switching to another window is not a loss of focus for these handlers:
    // the box still has the focus when the window comes back.
    auto realFocusChange = [](QEvent* e) {
        const auto reason = static_cast<QFocusEvent*>(e)->reason();
        return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
    };
    if (box >= 0) {
        switch (event->type()) {
        case QEvent::FocusIn:
            if (realFocusChange(event))
                KeyBox_GotFocus(box);
            break;
        case QEvent::FocusOut:
            if (realFocusChange(event))
                KeyBox_LostFocus(box);
            break;
        case QEvent::ShortcutOverride: {
            // Every key but Tab belongs to the box while it has the focus.
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab)
                event->accept();
            break;
        }
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
                return false; // moves the focus on
            const int16_t code = virtualKeyForKeyPress(key->key(), key->modifiers(), key->nativeVirtualKey(),
                                                       key->nativeScanCode());
            if (code != 0)
                KeyBox_KeyDown(box, code, shiftMaskForKeyPress(key->key(), key->modifiers()));
            return true;
        }
        case QEvent::ContextMenu:
            // The Menu key is assigned like any other key; its menu does not
            // open.  A right click still opens it.
            if (static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard)
                return true;
            break;
        default:
            break;
        }
    } else if (watched == Text9 && event->type() == QEvent::FocusOut && realFocusChange(event)) {
        Text9_LostFocus();
    } else if ((watched == File1 && event->type() == QEvent::KeyPress) ||
               (watched == File1->viewport() && event->type() == QEvent::MouseButtonRelease)) {
        // The list moves its selection while it handles the event; what it
        // selected is looked at once it is done.
        QTimer::singleShot(0, this, [this] { followListSelection(); });
    }
    return QWidget::eventFilter(watched, event);
}

// ------------------------------------------------------ Help and About

void frmSorvaneTimer::Command3_Click() {
    PlayBeep();
    const QRect place = frameGeometry();
    hide();
    auto* about = new frmAbout(
        ProgramVersion, [this] { PlayBeep(); }, this, QString::fromStdString(m_services.hotkeys.name()),
        [this](const QString& message) { notify(message); });
    about->move(inPlaceOf(place, about->size() + framing(this), screenArea(this)));
    about->show();
}

void frmSorvaneTimer::Command5_Click() {
    if (m_help) {
        m_help->show();
        m_help->raise();
        m_help->activateWindow();
        return;
    }
    m_help = new frmHelp(
        ProgramVersion, [this] { PlayBeep(); }, this, QString::fromStdString(m_services.hotkeys.name()),
        [this](const QString& message) { notify(message); });
    m_help->move(besideWindow(frameGeometry(), m_help->size() + framing(this), screenArea(this),
                              twipsToPixels(120, logicalDpiOf(this))));
    m_help->show();
}

} // namespace sorvane::ui
