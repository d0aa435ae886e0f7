#pragma once
// Where a run stands, for showing it outside the window: which repetition
// of how many, how far through the cycle, how long until the next beep.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace sorvane {

// Told by the cycle runner as a run goes on.  Every call is made from the
// runner's own steps, on the thread that runs it; none may yield.
class RunProgressSink {
public:
    virtual ~RunProgressSink() = default;
    // A run begins with this many repetitions (the count it read).
    virtual void started(int32_t repetitions) = 0;
    // A restart request made the run begin again with this many.
    virtual void restarted(int32_t repetitions) = 0;
    // Repetition `repetition` (from 1) of `repetitions` begins at startTick.
    virtual void repetitionStarted(int32_t repetition, int32_t repetitions, uint32_t startTick) = 0;
    // The next beep of the current repetition falls due after targetMs from
    // its start (0 or less: the repetition has no further beep).  cycleMs is
    // the length of one repetition as the table stands now: its latest
    // moment.
    virtual void nextTarget(int32_t targetMs, int32_t cycleMs) = 0;
    // The run is over: completed, stopped, or left for a key box.
    virtual void ended() = 0;
};

// The sink's record of the run, read back at any moment of the tick counter.
class RunProgress final : public RunProgressSink {
public:
    // Called when the run comes into view (its first beep is scheduled) and
    // when it ends; not for the steps in between, which readers pick up
    // when they next look.
    void setRunningChangedHook(std::function<void()> hook) { m_runningChanged = std::move(hook); }
    // Called whenever the next beep changes while the run is in view (a
    // beep has come, a repetition begins): what tells of the next beep can
    // say so at once instead of at its next look.
    void setNextBeepChangedHook(std::function<void()> hook) { m_nextBeepChanged = std::move(hook); }

    // A run is going and its first beep has been scheduled.  (A run whose
    // table is empty ends before it comes into view.)
    bool isRunning() const { return m_visible; }
    int32_t repetition() const { return m_repetition; }
    int32_t repetitions() const { return m_repetitions; }
    // Milliseconds from `now` to the moment of the next beep (0 once it
    // has come); nothing when no beep is scheduled.
    std::optional<uint32_t> untilNextBeep(uint32_t now) const;
    // How far the current repetition is through its cycle at `now`, from 0
    // to 1; 0 when idle.
    double cycleFraction(uint32_t now) const;
    // "Idle", or the repetition and the time to the next beep, one a line:
    // "Repetition 3 of 19" and "Next beep in 0:07".
    std::string statusText(uint32_t now) const;

    void started(int32_t repetitions) override;
    void restarted(int32_t repetitions) override;
    void repetitionStarted(int32_t repetition, int32_t repetitions, uint32_t startTick) override;
    void nextTarget(int32_t targetMs, int32_t cycleMs) override;
    void ended() override;

private:
    void setVisible(bool visible);

    bool m_running = false;
    bool m_visible = false;
    int32_t m_repetition = 0;
    int32_t m_repetitions = 0;
    uint32_t m_startTick = 0;
    int32_t m_targetMs = 0; // 0 or less: no beep scheduled
    int32_t m_cycleMs = 0;
    std::function<void()> m_runningChanged;
    std::function<void()> m_nextBeepChanged;
};

// A countdown as a clock shows it, whole seconds rounded up: "0:07",
// "12:05", "1:02:05".
std::string countdownText(uint32_t ms);

} // namespace sorvane
