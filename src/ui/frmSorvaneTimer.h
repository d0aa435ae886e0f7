#pragma once
// The timer's main window.  Its controls hold the settings as text and
// check states; handlers named after the control and the event keep the
// shared timer state in step with them.  What the window shows is laid down
// in ui/MainWindowLayout; the key boxes' capture is ui/KeyBoxFilter; the
// hotkeys themselves and their on/off rules are hotkeys/TimerHotkeys.
#include "engine/BeepOutput.h"
#include "engine/Clock.h"
#include "engine/Platform.h"
#include "engine/RunProgress.h"
#include "engine/TimerState.h"
#include "hotkeys/HotkeyReceiver.h"
#include "hotkeys/TimerHotkeys.h"
#include "ui/MainWindowLayout.h"
#include "ui/SettingsBinding.h"

#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>

class frmHelp;

namespace sorvane::ui {

// What the window needs from the platform, passed in so that tests can
// drive it with a fake clock and recording devices.
struct TimerServices {
    TickClock& clock;
    EventPump& pump;
    PortOutput& port;
    MidiPlayer& midi;
    HotkeyBackend& hotkeys;
    // The Start, Restart and Stop receivers and keys, which the window
    // attaches to the backend and answers.
    TimerHotkeys& timerHotkeys;
    Notify notify;                    // tells the user without blocking
    std::function<void()> endProcess; // ends the process at once

    // Told where a run stands (may be null).
    RunProgressSink* progress = nullptr;
};

// The controls are the window's own (private); others find them by name
// (controlsOf in ui/MainWindowLayout.h).
class frmSorvaneTimer : public QWidget, private MainWindowControls {
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

    // The shared state, as the handlers left it.
    const TimerState& state() const { return m_state; }
    const BeepOutput& beepOutput() const { return m_beep; }
    // The name of the current settings file.
    const QString& iniFileName() const { return m_iniFileName; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectHandlers();
    void fitCaptions();
    // "Current Beep Cycle (in sec)" or "(in min)", after the unit option.
    void setBeepListCaption();
    // Which control shows each setting.
    void bindSettings();
    // Steps of LoadSettings.
    void showFileText(const std::string& data);
    void keepCurrentFileAfter(const std::string& failure);
    // MIDI beeps when the pitch box reads as 0, speaker beeps with the pitch
    // and duration as they stand otherwise.
    void showBeepSource();
    // "midi" in the pitch and duration boxes, both disabled.
    void showMidiTones();
    QLineEdit* keyBox(int box) const;
    void notify(const QString& message);
    // The beep of the Exit button and the close box, heard in full; then the
    // process ends.
    void exitProgram();
    // IniFileName as the system's bytes.
    std::string settingsPath() const;
    // Writes the settings shown into the current file; the error, if any.
    std::string writeSettings();
    // Re-reads the working folder and highlights the current file.
    void refreshFileList();
    // After a key or the mouse moved the list's selection: a selected file
    // that is not the current one is loaded as if clicked.
    void followListSelection();
    void deleteCurrentFile();

    TimerServices m_services;
    TimerHotkeys& m_hotkeys;
    TimerState m_state;
    BeepOutput m_beep;
    QString m_iniFileName;
    QString m_programVersion;
    std::string m_folderBytes; // the working folder at start-up
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
