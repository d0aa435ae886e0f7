#include "ui/frmSorvaneTimer.h"

#include "engine/CycleRunner.h"
#include "engine/NumberText.h"
#include "hotkeys/KeyNames.h"
#include "schedule/BeepListText.h"
#include "schedule/Schedule.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsFormat.h"
#include "ui/QtKeyMap.h"
#include "ui/Twips.h"
#include "ui/frmAbout.h"
#include "ui/frmHelp.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

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

} // namespace

frmSorvaneTimer::frmSorvaneTimer(TimerServices services, QWidget* parent)
    : QWidget(parent), beep(services.port, services.midi), m_services(std::move(services)),
      m_folder(QDir::currentPath()) {
    setObjectName(QStringLiteral("frmSorvaneTimer"));
    setWindowTitle(QStringLiteral("SorvaneTimer"));
    createControls();
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
        b->setAutoDefault(false);
        b->setDefault(false);
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
    Label11 = label("Label11", QStringLiteral("Current Beep Cycle in sec:"));
    Text8 = new QPlainTextEdit(this);
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
    // Labels have no background of their own: drawn above the file list's
    // edge where the two meet, their text stays readable.
    for (QLabel* l : findChildren<QLabel*>())
        l->raise();
    fitCaptions();
}

void frmSorvaneTimer::fitCaptions() {
    // The layout's sizes are fixed; a caption that does not fit the user's
    // font gets a slightly smaller one instead of being cut off.
    auto fit = [](QWidget* w, const QString& caption, int extra) {
        QFont f = w->font();
        while (f.pointSizeF() > 6.0 && QFontMetrics(f).horizontalAdvance(caption) + extra > w->width())
            f.setPointSizeF(f.pointSizeF() - 0.25);
        w->setFont(f);
    };
    for (QLabel* l : findChildren<QLabel*>())
        fit(l, l->text(), 2);
    for (QAbstractButton* b : findChildren<QAbstractButton*>()) {
        if (qobject_cast<QPushButton*>(b))
            fit(b, b->text(), 8);
        else
            fit(b, b->text(), 22); // room for the check mark or option circle
    }
}

void frmSorvaneTimer::connectHandlers() {
    connect(Text4, &QLineEdit::textChanged, this, [this] { Text4_Change(); });
    connect(Text5, &QLineEdit::textChanged, this, [this] { Text5_Change(); });
    connect(Text6, &QLineEdit::textChanged, this, [this] { Text6_Change(); });
    connect(Text7, &QLineEdit::textChanged, this, [this] { Text7_Change(); });
    connect(Check1, &VbCheckBox::Click, this, [this] { Check1_Click(); });
    connect(Check2, &VbCheckBox::Click, this, [this] {
        if (!m_suppressCheck2Click)
            Check2_Click();
    });
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
    connect(File1, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (item)
            File1_Click(item->text());
    });
    connect(File1, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        if (item)
            File1_Click(item->text());
    });
}

void frmSorvaneTimer::assign(QLineEdit* box, const QString& text) {
    if (box->text() != text)
        box->setText(text);
}

QString frmSorvaneTimer::text8() const {
    QString text = Text8->toPlainText();
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

void frmSorvaneTimer::setText8(const QString& text) {
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (Text8->toPlainText() != shown)
        Text8->setPlainText(shown);
}

QString frmSorvaneTimer::CreateHotKeyText(int16_t keyCode, int16_t shift) {
    return QString::fromLatin1(hotKeyText(keyCode, shift));
}

void frmSorvaneTimer::notify(const QString& message) {
    if (m_services.notify)
        m_services.notify(toStd(message));
}

std::string frmSorvaneTimer::settingsPath() const {
    return QFile::encodeName(IniFileName).toStdString();
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
        assign(Text4, QStringLiteral("midi"));
        assign(Text5, QStringLiteral("midi"));
        Text4->setEnabled(false);
        Text5->setEnabled(false);
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
    CycleRunner runner(state, m_services.clock, m_services.pump, [this] { PlayBeep(); },
                       {&HotKeyCoReceiver1, &HotKeyCoReceiver2, &HotKeyCoReceiver3});
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
    if (cut)
        notify(QStringLiteral("The beep cycle needs more than %1 beeps; only the first %1 are used.")
                   .arg(kMaxBeepMoments));
    ShowBeepList();
}

void frmSorvaneTimer::ShowBeepList() {
    setText8(fromStd(beepListText(state.beepTimes)));
}

void frmSorvaneTimer::ParseBeepList() {
    const ParseResult result = sorvane::parseBeepList(toStd(text8()), state.beepTimes);
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
    Label11->setText(OptCycleUnitsSec->isChecked() ? QStringLiteral("Current Beep Cycle (in sec)")
                                                   : QStringLiteral("Current Beep Cycle (in min)"));
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
    IniFileName = fromStd(completeSettingsName(toStd(IniFileName)));
    assign(Text9, IniFileName);

    SettingsValues v;
    v.startKey = hotkeys[0].keyCode;
    v.restartKey = hotkeys[1].keyCode;
    v.stopKey = hotkeys[2].keyCode;
    v.beepPitch = valueOf(Text4);
    v.beepDuration = valueOf(Text5);
    v.repetitions = valueOf(Text6);
    v.warnRate = valueOf(Text7);
    v.customList = static_cast<int16_t>(Check1->value());
    v.cycleTime = valueOf(TxtCycleTime);
    v.secondsUnit = OptCycleUnitsSec->isChecked();
    v.warnings = static_cast<int16_t>(ChkWarn->value());
    v.warnInterval = valueOf(TxtCycleWarnTime);
    v.finalCount = static_cast<int16_t>(ChkFinalCount->value());
    v.finalCountTime = valueOf(TxtFinalCountTime);
    v.finalCountGap = valueOf(TxtFinalCountBps);

    const FileResult result = saveSettingsFile(settingsPath(), settingsFileText(v, state.beepTimes));
    if (!result.ok)
        notify(fromStd(result.error));
    return result.ok;
}

void frmSorvaneTimer::LoadSettings() {
    beep.midiPlayer().setFileName(toStd(m_folder + QStringLiteral("/beep.mid")));
    setWindowTitle(QStringLiteral("Sorvane Timer ") + ProgramVersion);
    IniFileName = fromStd(completeSettingsName(toStd(IniFileName)));

    // Nothing could be read or created: the settings in use stay.  At
    // start-up there are none yet, so the defaults are used (and not saved
    // anywhere).
    auto cannotLoad = [this](const std::string& error) {
        notify(fromStd(error) + QStringLiteral(". The settings in use were kept."));
        if (!m_loadedOnce) {
            setDefaults();
            BuildBeepSchedule();
        }
    };

    const ProbeResult probe = probeSettingsFile(settingsPath());
    if (!probe.ok) {
        cannotLoad(probe.error);
    } else if (probe.isEmpty) {
        if (Text8->toPlainText().isEmpty()) {
            setDefaults();
            BuildBeepSchedule();
        }
        SaveSettings();
    } else {
        const ReadResult file = readSettingsFile(settingsPath());
        if (!file.ok) {
            cannotLoad(file.error);
        } else {
            const SettingsRead read = readSettingsText(file.data);
            // A file that ends early keeps the settings in use for what it
            // lacks; at start-up those are the defaults.
            if (!m_loadedOnce && read.recordsRead() < read.records.size())
                setDefaults();
            const auto& r = read.records;
            auto keyCode = [](float v) { return toInt16(v); };
            auto boxText = [](float v) { return fromStd(textFromSingle(v)); };
            auto checkState = [](float v) { return std::clamp<int>(toInt16(v), 0, 2); };
            if (r[0])
                hotkeys[0].keyCode = keyCode(*r[0]);
            if (r[1])
                hotkeys[1].keyCode = keyCode(*r[1]);
            if (r[2])
                hotkeys[2].keyCode = keyCode(*r[2]);
            if (r[3])
                assign(Text4, boxText(*r[3]));
            if (r[4])
                assign(Text5, boxText(*r[4]));
            if (r[5])
                assign(Text6, boxText(*r[5]));
            if (r[6])
                assign(Text7, boxText(*r[6]));
            if (r[7])
                Check1->setValue(checkState(*r[7]));
            if (r[8])
                assign(TxtCycleTime, boxText(*r[8]));
            if (r[9])
                OptCycleUnitsSec->setChecked(*r[9] != 0.0f);
            if (r[10])
                ChkWarn->setValue(checkState(*r[10]));
            if (r[11])
                assign(TxtCycleWarnTime, boxText(*r[11]));
            if (r[12])
                ChkFinalCount->setValue(checkState(*r[12]));
            if (r[13])
                assign(TxtFinalCountTime, boxText(*r[13]));
            if (r[14])
                assign(TxtFinalCountBps, boxText(*r[14]));

            if (read.listRead) {
                state.beepTimes = read.list;
                if (read.listCut)
                    notify(QStringLiteral("%1 holds more than %2 beep times; only the first %2 are used.")
                               .arg(IniFileName)
                               .arg(kMaxBeepMoments));
            } else if (!r[7] && Check1->value() == 1) {
                // The file ends before its custom-list switch: the custom list
                // in use stays.
            } else {
                BuildBeepSchedule();
            }
            if (read.recordsRead() < read.records.size())
                notify(
                    QStringLiteral("%1 ends after %2 of its 15 settings; the others were kept as they were.")
                        .arg(IniFileName)
                        .arg(read.recordsRead()));
            ShowBeepList();
        }
    }

    assign(Text1, CreateHotKeyText(hotkeys[0].keyCode, hotkeys[0].shift));
    assign(Text2, CreateHotKeyText(hotkeys[1].keyCode, hotkeys[1].shift));
    assign(Text3, CreateHotKeyText(hotkeys[2].keyCode, hotkeys[2].shift));
    HotKeyCoReceiver1.setKeyCode(hotkeys[0].keyCode);
    HotKeyCoReceiver2.setKeyCode(hotkeys[1].keyCode);
    HotKeyCoReceiver3.setKeyCode(hotkeys[2].keyCode);
    beep.beepPitch = toInt16(valueOf(Text4));
    beep.beepDuration = toInt16(valueOf(Text5));
    state.repeatCount = toInt16(valueOf(Text6));
    assign(Text9, IniFileName);
    OptcycleUnitsMin->setChecked(!OptCycleUnitsSec->isChecked());
    if (valueOf(Text4) == 0) {
        Check2->setValue(1);
        assign(Text4, QStringLiteral("midi"));
        assign(Text5, QStringLiteral("midi"));
        Text4->setEnabled(false);
        Text5->setEnabled(false);
    } else {
        // Clearing the MIDI switch here must not put the default pitch and
        // duration over the ones just loaded.
        m_suppressCheck2Click = true;
        Check2->setValue(0);
        m_suppressCheck2Click = false;
        Text4->setEnabled(true);
        Text5->setEnabled(true);
    }
    m_loadedOnce = true;
}

void frmSorvaneTimer::setDefaults() {
    hotkeys[0].keyCode = 118;
    hotkeys[1].keyCode = 65;
    hotkeys[2].keyCode = 119;
    assign(Text4, QStringLiteral("100"));
    assign(Text5, QStringLiteral("25"));
    assign(Text6, QStringLiteral("19"));
    assign(Text7, QStringLiteral("5"));
    Check1->setValue(0);
    assign(TxtCycleTime, fromStd(textFromDouble(60)));
    OptCycleUnitsSec->setChecked(true);
    ChkWarn->setValue(1);
    assign(TxtCycleWarnTime, fromStd(textFromDouble(10)));
    ChkFinalCount->setValue(1);
    assign(TxtFinalCountTime, fromStd(textFromDouble(5)));
    assign(TxtFinalCountBps, fromStd(textFromDouble(1)));
}

// ------------------------------------------------------ file selection

void frmSorvaneTimer::refreshFileList() {
    const QString current = File1->currentItem() ? File1->currentItem()->text() : QString();
    QDir dir(m_folder);
    const QStringList names =
        dir.entryList({QStringLiteral("*.ini")}, QDir::Files | QDir::Readable, QDir::Name);
    File1->clear();
    File1->addItems(names);
    const auto found = File1->findItems(current.isEmpty() ? IniFileName : current, Qt::MatchExactly);
    if (!found.isEmpty())
        File1->setCurrentItem(found.first());
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
    const FileResult removed = deleteSettingsFile(settingsPath());
    if (!removed.ok)
        notify(fromStd(removed.error));
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
    }
    return QWidget::eventFilter(watched, event);
}

// ------------------------------------------------------ Help and About

void frmSorvaneTimer::Command3_Click() {
    PlayBeep();
    hide();
    auto* about = new frmAbout(
        ProgramVersion, [this] { PlayBeep(); }, this, QString::fromStdString(m_services.hotkeys.name()));
    about->show();
}

void frmSorvaneTimer::Command5_Click() {
    auto* help = new frmHelp(
        ProgramVersion, [this] { PlayBeep(); }, this);
    help->show();
}

} // namespace sorvane::ui
