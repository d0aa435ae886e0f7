#include "ui/frmSorvaneTimer.h"

#include "engine/CycleRunner.h"
#include "engine/NumberText.h"
#include "hotkeys/KeyNames.h"
#include "schedule/BeepListText.h"
#include "schedule/Schedule.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsFormat.h"
#include "ui/CaptionFit.h"
#include "ui/FileNameText.h"
#include "ui/KeyBoxFilter.h"
#include "ui/Twips.h"
#include "ui/WindowPlacement.h"
#include "ui/frmAbout.h"
#include "ui/frmHelp.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>

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

std::string currentFolder() {
    std::vector<char> buf(4096);
    while (::getcwd(buf.data(), buf.size()) == nullptr) {
        if (errno != ERANGE)
            return ".";
        buf.resize(buf.size() * 2);
    }
    return buf.data();
}

// The size the window system's frame adds to a window, taken from the main
// window (none before it is shown).
QSize framing(const QWidget* window) {
    return window->frameGeometry().size() - window->size();
}

QRect screenArea(const QWidget* window) {
    const QScreen* screen = window->screen();
    return screen ? screen->availableGeometry() : QRect();
}

// Label11's captions after its design caption, one for each cycle unit.
const QString kBeepListSecCaption = QStringLiteral("Current Beep Cycle (in sec)");
const QString kBeepListMinCaption = QStringLiteral("Current Beep Cycle (in min)");

} // namespace

frmSorvaneTimer::frmSorvaneTimer(TimerServices services, QWidget* parent)
    : QWidget(parent), m_services(std::move(services)), m_hotkeys(m_services.timerHotkeys),
      m_beep(m_services.port, m_services.midi), m_folderBytes(currentFolder()) {
    setObjectName(QStringLiteral("frmSorvaneTimer"));
    setWindowTitle(QStringLiteral("SorvaneTimer"));
    createMainWindowControls(*this);
    static_cast<MainWindowControls&>(*this) = controlsOf(*this);
    new KeyBoxFilter(
        {Text1, Text2, Text3},
        {[this](int box) { KeyBox_GotFocus(box); }, [this](int box) { KeyBox_LostFocus(box); },
         [this](int box, int16_t keyCode, int16_t shift) { KeyBox_KeyDown(box, keyCode, shift); }},
        this);
    Text9->installEventFilter(this);
    File1->installEventFilter(this);
    File1->viewport()->installEventFilter(this);
    File1->setFolder(m_folderBytes);
    refreshFileList();
    bindSettings();
    fitCaptions();
    connectHandlers();

    m_hotkeys.startReceiver().setKeyDownHandler([this] { HotKeyCoReceiver1_HotKeyDown(); });
    m_hotkeys.restartReceiver().setKeyDownHandler([this] { HotKeyCoReceiver2_HotKeyDown(); });
    m_hotkeys.stopReceiver().setKeyDownHandler([this] { HotKeyCoReceiver3_HotKeyDown(); });
    for (HotkeyReceiver* receiver : m_hotkeys.receivers())
        m_services.hotkeys.attach(*receiver);
}

frmSorvaneTimer::~frmSorvaneTimer() = default;

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
            names.append({l, {designCaption("Label11"), kBeepListSecCaption, kBeepListMinCaption}});
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
    for (const auto chosen : {&QListWidget::itemClicked, &QListWidget::itemActivated}) {
        connect(File1, chosen, this, [this](QListWidgetItem* item) {
            if (item)
                File1_Click(SettingsFileList::fileName(item));
        });
    }
}

QString frmSorvaneTimer::text8() const {
    return Text8->rawText();
}

void frmSorvaneTimer::setText8(const QString& text) {
    Text8->setRawText(text);
}

QString frmSorvaneTimer::CreateHotKeyText(int16_t keyCode, int16_t shift) {
    return QString::fromLatin1(hotKeyText(keyCode, shift));
}

void frmSorvaneTimer::notify(const QString& message) {
    if (m_services.notify)
        m_services.notify(toStd(message));
}

std::string frmSorvaneTimer::settingsPath() const {
    return nameBytes(m_iniFileName);
}

// ---------------------------------------------------------------- start-up

void frmSorvaneTimer::Form_Load(const QString& commandLine) {
    m_programVersion = QStringLiteral("1.01b");
    setText8(QString());
    m_iniFileName = commandLine;
    LoadSettings();
    PlayBeep();
    // The list shows the file that start-up may just have created, and the
    // Exit button, first in the tab order, holds the focus when the window
    // opens (never a key box, which would switch the hotkeys off).
    refreshFileList();
    Command1->setFocus(Qt::OtherFocusReason);
}

void frmSorvaneTimer::Command1_Click() {
    exitProgram();
}

void frmSorvaneTimer::closeEvent(QCloseEvent* event) {
    exitProgram();
    event->accept();
}

void frmSorvaneTimer::exitProgram() {
    PlayBeep();
    // Nothing is saved and no further handler runs.
    m_beep.drain();
    m_services.endProcess();
}

// -------------------------------------------------------------- the beep

void frmSorvaneTimer::PlayBeep() {
    m_beep.playBeep(Check2->value() == 1);
}

void frmSorvaneTimer::Check2_Click() {
    if (Check2->value() == 1) {
        showMidiTones();
    } else {
        assignText(Text4, QStringLiteral("100"));
        assignText(Text5, QStringLiteral("25"));
        Text4->setEnabled(true);
        Text5->setEnabled(true);
    }
}

// ------------------------------------------------------- the cycle runner

void frmSorvaneTimer::HotKeyCoReceiver1_HotKeyDown() {
    m_hotkeys.switchFor(HotkeyMoment::StartPressed);
    PlayBeep();
    RunCycle();
}

void frmSorvaneTimer::HotKeyCoReceiver2_HotKeyDown() {
    m_state.restartFlag = kTrue;
    PlayBeep();
}

void frmSorvaneTimer::HotKeyCoReceiver3_HotKeyDown() {
    m_state.stopFlag = kTrue;
    PlayBeep();
}

void frmSorvaneTimer::RunCycle() {
    const int32_t unitMs = OptCycleUnitsSec->isChecked() ? 1000 : 60000;
    // The runner says ahead of time when its next beep falls due, so that
    // the beep is placed to sound exactly then, with the settings of now.
    struct Ahead final : BeepSchedule {
        explicit Ahead(frmSorvaneTimer& window) : w(window) {}
        void expect(uint32_t dueTick) override { w.m_beep.placeBeep(w.Check2->value() == 1, dueTick); }
        void arrive() override { w.m_beep.arrive(); }
        void withdraw() override { w.m_beep.withdraw(); }
        frmSorvaneTimer& w;
    } ahead(*this);
    CycleRunner runner(
        m_state, m_services.clock, m_services.pump, [this] { PlayBeep(); }, m_hotkeys.receivers(), &ahead,
        m_services.progress);
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
    buildSchedule(p, m_state.beepTimes, &cut);
    ++m_builds;
    m_tableCut = cut;
    if (cut && !m_deferScheduleNotice)
        notify(QStringLiteral("The beep cycle needs more than %1 beeps; only the first %1 are used.")
                   .arg(kMaxBeepMoments));
    ShowBeepList();
}

void frmSorvaneTimer::ShowBeepList() {
    setText8(fromStd(beepListText(m_state.beepTimes)));
}

void frmSorvaneTimer::ParseBeepList() {
    const ParseResult result = sorvane::parseBeepList(toStd(text8()), m_state.beepTimes);
    m_tableCut = false;
    if (result.cut)
        notify(QStringLiteral("The beep list has more than %1 lines; only the first %1 are used.")
                   .arg(kMaxBeepMoments));
}

// ------------------------------------------------------ parameter entry

void frmSorvaneTimer::Text4_Change() {
    m_beep.beepPitch = toInt16(valueOf(Text4));
}
void frmSorvaneTimer::Text5_Change() {
    m_beep.beepDuration = toInt16(valueOf(Text5));
}
void frmSorvaneTimer::Text6_Change() {
    m_state.repeatCount = toInt16(valueOf(Text6));
}

void frmSorvaneTimer::Text7_Change() {
    const double rate = valueOf(Text7);
    if (rate > 0 && Check1->value() == 0)
        BuildBeepSchedule();
    else
        assignText(Text7, QStringLiteral("5"));
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
    m_state.stopFlag = kTrue;
    if (Check1->value() == 1 && numberFromText(toStd(text8())) != 0)
        ParseBeepList();
    else
        BuildBeepSchedule();
    ShowBeepList();
    SaveSettings();
}

// ------------------------------------------------------------ settings

bool frmSorvaneTimer::SaveSettings() {
    m_iniFileName = nameText(completeSettingsName(settingsPath()));
    assignText(Text9, m_iniFileName);
    const std::string error = writeSettings();
    if (!error.empty())
        notify(fromStd(error) + QStringLiteral("."));
    else
        m_currentFile = m_iniFileName; // the file now holds the settings shown
    // A save may have created the file (again): the list shows what is there.
    refreshFileList();
    return error.empty();
}

std::string frmSorvaneTimer::writeSettings() {
    const FileResult result =
        saveSettingsFile(settingsPath(), settingsFileText(m_settings.values(), m_state.beepTimes));
    return result.ok ? std::string() : result.error;
}

void frmSorvaneTimer::LoadSettings() {
    m_beep.midiPlayer().setFileName(m_folderBytes + "/beep.mid");
    setWindowTitle(QStringLiteral("Sorvane Timer ") + m_programVersion);
    m_iniFileName = nameText(completeSettingsName(settingsPath()));

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
            m_settings.showDefaults();
            BuildBeepSchedule();
        }
    } else if (file.missing || file.data.empty()) {
        if (Text8->toPlainText().isEmpty()) {
            m_settings.showDefaults();
            BuildBeepSchedule();
        }
        failure = writeSettings();
    } else {
        showFileText(file.data);
    }
    m_deferScheduleNotice = false;

    for (std::size_t i = 0; i < TimerHotkeys::kCount; ++i) {
        const HotkeyAssignment& key = m_hotkeys.assignment(i);
        assignText(keyBox(static_cast<int>(i)), CreateHotKeyText(key.keyCode, key.shift));
    }
    m_hotkeys.watchAssignedKeys();
    m_beep.beepPitch = toInt16(valueOf(Text4));
    m_beep.beepDuration = toInt16(valueOf(Text5));
    m_state.repeatCount = toInt16(valueOf(Text6));

    if (!failure.empty())
        keepCurrentFileAfter(failure);
    else
        m_currentFile = m_iniFileName;
    assignText(Text9, m_iniFileName);
    if (m_tableCut && m_builds != buildsBefore)
        notify(QStringLiteral("The beep cycle needs more than %1 beeps; only the first %1 are used.")
                   .arg(kMaxBeepMoments));

    OptcycleUnitsMin->setChecked(!OptCycleUnitsSec->isChecked());
    showBeepSource();
    m_loadedOnce = true;
    File1->showFile(m_iniFileName);
}

// The records of a file that holds data go into the controls, then its list
// or the schedule computed from them.
void frmSorvaneTimer::showFileText(const std::string& data) {
    const SettingsRead read = readSettingsText(data);
    // A file that ends early keeps the settings in use for what it lacks;
    // at start-up those are the defaults.
    if (!m_loadedOnce && !read.complete())
        m_settings.showDefaults();
    m_settings.show(read);

    if (read.listRead) {
        m_state.beepTimes = read.list;
        m_tableCut = false;
        if (read.listCut)
            notify(QStringLiteral("%1 holds more than %2 beep times; only the first %2 are used.")
                       .arg(shownName(m_iniFileName))
                       .arg(kMaxBeepMoments));
    } else if (!read.present(&SettingsValues::customList) && Check1->value() == 1) {
        // The file ends before its custom-list switch: the custom list in
        // use stays.
    } else {
        BuildBeepSchedule();
    }
    if (!read.complete())
        notify(QStringLiteral("%1 ends after %2 of its %3 settings; %4")
                   .arg(shownName(m_iniFileName))
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
        m_iniFileName = m_currentFile;
        message += QStringLiteral("\"%1\" stays the current file.").arg(shownName(m_currentFile));
    } else {
        message += QStringLiteral("The settings in use were kept.");
    }
    notify(message);
}

void frmSorvaneTimer::bindSettings() {
    m_settings.bind(&SettingsValues::startKey, m_hotkeys.keyCodeSlot(TimerHotkeys::kStart));
    m_settings.bind(&SettingsValues::restartKey, m_hotkeys.keyCodeSlot(TimerHotkeys::kRestart));
    m_settings.bind(&SettingsValues::stopKey, m_hotkeys.keyCodeSlot(TimerHotkeys::kStop));
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
    assignText(Text4, QStringLiteral("midi"));
    assignText(Text5, QStringLiteral("midi"));
    Text4->setEnabled(false);
    Text5->setEnabled(false);
}

// ------------------------------------------------------ file selection

void frmSorvaneTimer::refreshFileList() {
    File1->refresh(m_iniFileName);
}

void frmSorvaneTimer::followListSelection() {
    const QList<QListWidgetItem*> selected = File1->selectedItems();
    if (selected.size() == 1 && selected.first() != File1->itemOf(m_iniFileName))
        File1_Click(SettingsFileList::fileName(selected.first()));
    else if (selected.isEmpty())
        File1->showFile(m_iniFileName);
}

void frmSorvaneTimer::File1_Click(const QString& fileName) {
    m_iniFileName = fileName;
    assignText(Text9, fileName);
    LoadSettings();
    refreshFileList();
}

void frmSorvaneTimer::Text9_LostFocus() {
    m_state.stopFlag = kTrue;
    m_iniFileName = Text9->text();
    LoadSettings();
    refreshFileList();
}

void frmSorvaneTimer::Command4_Click() {
    // A write-protected file is deleted only when the user says so (where
    // the folder lets it be deleted at all).  The question does not block:
    // a running cycle goes on while it is open.
    const std::string path = settingsPath();
    if (isWriteProtected(path) && folderAllowsRemoving(path)) {
        const QString name = m_iniFileName;
        auto* question = new QMessageBox(
            QMessageBox::Question, QStringLiteral("Sorvane Timer"),
            QStringLiteral("\"%1\" is write-protected. Delete it anyway?").arg(shownName(name)),
            QMessageBox::Yes | QMessageBox::No, this);
        question->setDefaultButton(QMessageBox::No);
        question->setAttribute(Qt::WA_DeleteOnClose);
        question->setWindowModality(Qt::WindowModal);
        connect(question, &QMessageBox::finished, this, [this, question, name](int) {
            if (question->clickedButton() == question->button(QMessageBox::Yes) && m_iniFileName == name)
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
               QStringLiteral(". \"%1\" stays the current file.").arg(shownName(m_iniFileName)));
        refreshFileList();
        return;
    }
    m_currentFile.clear();
    m_iniFileName = QString::fromLatin1(kDefaultSettingsName);
    LoadSettings();
    refreshFileList();
}

// ------------------------------------------------------------ key boxes

QLineEdit* frmSorvaneTimer::keyBox(int box) const {
    return box == 0 ? Text1 : box == 1 ? Text2 : Text3;
}

void frmSorvaneTimer::KeyBox_GotFocus(int) {
    PlayBeep();
    m_state.exitFlag = kTrue;
    m_hotkeys.switchFor(HotkeyMoment::KeyBoxFocused);
}

void frmSorvaneTimer::KeyBox_LostFocus(int) {
    m_hotkeys.switchFor(HotkeyMoment::KeyBoxLeft);
}

void frmSorvaneTimer::KeyBox_KeyDown(int box, int16_t keyCode, int16_t shift) {
    assignText(keyBox(box), CreateHotKeyText(keyCode, shift));
    m_hotkeys.assign(static_cast<std::size_t>(box), keyCode, shift);
}

// The file name box and the file list; the key boxes have a filter of their own.
bool frmSorvaneTimer::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Text9 && event->type() == QEvent::FocusOut && isFocusChangeInWindow(event)) {
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
        m_programVersion, [this] { PlayBeep(); }, this, QString::fromStdString(m_services.hotkeys.name()),
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
        m_programVersion, [this] { PlayBeep(); }, this, QString::fromStdString(m_services.hotkeys.name()),
        [this](const QString& message) { notify(message); });
    m_help->move(besideWindow(frameGeometry(), m_help->size() + framing(this), screenArea(this),
                              twipsToPixels(120, logicalDpiOf(this))));
    m_help->show();
}

} // namespace sorvane::ui
