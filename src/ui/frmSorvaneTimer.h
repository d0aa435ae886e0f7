#pragma once
// The timer's main window.  Its controls hold the settings as text and
// check states; handlers named after the control and the event keep the
// shared timer state in step with them.
#include "engine/BeepOutput.h"
#include "engine/Clock.h"
#include "engine/Platform.h"
#include "engine/RunProgress.h"
#include "engine/TimerState.h"
#include "hotkeys/HotkeyReceiver.h"
#include "ui/SettingsBinding.h"
#include "ui/VbControls.h"

#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>

class frmHelp;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QPushButton;

namespace sorvane::ui {

class QtEventPump;

// What the window needs from the platform, passed in so that tests can
// drive it with a fake clock and recording devices.
struct TimerServices {
    TickClock& clock;
    EventPump& pump;
    PortOutput& port;
    MidiPlayer& midi;
    HotkeyBackend& hotkeys;
    Notify notify;                    // tells the user without blocking
    std::function<void()> endProcess; // ends the process at once

    // Told where a run stands (may be null).
    RunProgressSink* progress = nullptr;
};

struct HotkeyAssignment {
    int16_t keyCode = 0;
    int16_t shift = 0;
};

class frmSorvaneTimer : public QWidget {
    Q_OBJECT
public:
    explicit frmSorvaneTimer(TimerServices services, QWidget* parent = nullptr);
    ~frmSorvaneTimer() override;

    // Start-up: version, empty beep list, the command-line text as the file
    // name, the settings loaded, one ready beep.
    void Form_Load(const QString& commandLine);

    // Procedures of the window.
    void RunCycle();
    void BuildBeepSchedule();
    void ShowBeepList();
    void ParseBeepList();
    void LoadSettings();
    bool SaveSettings();
    void PlayBeep();
    static QString CreateHotKeyText(int16_t keyCode, int16_t shift);

    // Handlers.
    void HotKeyCoReceiver1_HotKeyDown();
    void HotKeyCoReceiver2_HotKeyDown();
    void HotKeyCoReceiver3_HotKeyDown();
    void Text4_Change();
    void Text5_Change();
    void Text6_Change();
    void Text7_Change();
    void Check1_Click();
    void Check2_Click();
    void OptCycleUnitsSec_Click();
    void OptcycleUnitsMin_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void File1_Click(const QString& fileName);
    void Text9_LostFocus();
    void KeyBox_GotFocus(int box);
    void KeyBox_LostFocus(int box);
    void KeyBox_KeyDown(int box, int16_t keyCode, int16_t shift);

    // The text of the beep-list box exactly as it is parsed: every line break
    // as the user typed (CR LF) or pasted it (CR CR LF, a lone LF, ...).
    QString text8() const;
    void setText8(const QString& text);
    // The folder the file list shows (the working folder at start-up).
    QString fileListPath() const { return m_folder; }
    // Re-reads the working folder and highlights the current file.
    void refreshFileList();

    // Shared state.
    TimerState state;
    BeepOutput beep;
    QString IniFileName;
    QString ProgramVersion;
    std::array<HotkeyAssignment, 3> hotkeys{};
    HotkeyReceiver HotKeyCoReceiver1;
    HotkeyReceiver HotKeyCoReceiver2;
    HotkeyReceiver HotKeyCoReceiver3;

    // Controls.
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    QLabel* Label8;
    QLabel* Label9;
    QLabel* Label10;
    QLabel* Label11;
    QLabel* Label12;
    QLabel* Label14;
    QLabel* Label15;
    QLineEdit* Text1;
    QLineEdit* Text2;
    QLineEdit* Text3;
    QLineEdit* Text4;
    QLineEdit* Text5;
    QLineEdit* Text6;
    QLineEdit* Text7;
    QPlainTextEdit* Text8;
    QLineEdit* Text9;
    QLineEdit* TxtCycleTime;
    QLineEdit* TxtCycleWarnTime;
    QLineEdit* TxtFinalCountTime;
    QLineEdit* TxtFinalCountBps;
    VbCheckBox* Check1;
    VbCheckBox* Check2;
    VbCheckBox* ChkWarn;
    VbCheckBox* ChkFinalCount;
    VbOptionButton* OptCycleUnitsSec;
    VbOptionButton* OptcycleUnitsMin;
    QListWidget* File1;
    QPushButton* Command1;
    QPushButton* Command2;
    QPushButton* Command3;
    QPushButton* Command4;
    QPushButton* Command5;

    // Assigns a text the way the window's handlers expect: a different text
    // raises the box's change handler, the same text raises nothing.
    static void assign(QLineEdit* box, const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void connectHandlers();
    void applyLayout();
    void fitCaptions();
    // "Current Beep Cycle (in sec)" or "(in min)", after the unit option.
    void setBeepListCaption();
    // Which control shows each setting.
    void bindSettings();
    // Steps of LoadSettings.
    void showFileText(const std::string& data);
    void keepCurrentFileAfter(const std::string& failure);
    // The default settings, put into the window's controls.
    void setDefaults();
    // MIDI beeps when the pitch box reads as 0, speaker beeps with the pitch
    // and duration as they stand otherwise.
    void showBeepSource();
    // "midi" in the pitch and duration boxes, both disabled.
    void showMidiTones();
    QLineEdit* keyBox(int box) const;
    HotkeyReceiver& receiver(int box);
    void notify(const QString& message);
    // IniFileName as the system's bytes.
    std::string settingsPath() const;
    // Writes the settings shown into the current file; the error, if any.
    std::string writeSettings();
    // The list entry of the current file, if the list shows it.
    QListWidgetItem* currentFileItem() const;
    void showCurrentFileInList();
    // After a key or the mouse moved the list's selection: a selected file
    // that is not the current one is loaded as if clicked.
    void followListSelection();
    void deleteCurrentFile();

    TimerServices m_services;
    std::string m_folderBytes; // the working folder at start-up
    QString m_folder;
    // The file last loaded or created; a load that fails goes back to it.
    QString m_currentFile;
    // The Help window while it is open: a second click on Help brings it
    // forward instead of opening another.
    QPointer<frmHelp> m_help;
    SettingsBinding m_settings;
    bool m_loadedOnce = false;
    // Loading holds back the cut notice of the rebuilds on its way; only the
    // table it ends with is reported.
    bool m_deferScheduleNotice = false;
    bool m_tableCut = false; // the table in use is a schedule that was cut
    int m_builds = 0;
};

} // namespace sorvane::ui
