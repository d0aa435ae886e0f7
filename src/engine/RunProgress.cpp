#include "engine/RunProgress.h"

#include <algorithm>
#include <cstdio>

namespace sorvane {

void RunProgress::started(int32_t repetitions) {
    m_running = true;
    m_repetition = 0;
    m_repetitions = repetitions;
    m_targetMs = 0;
}

void RunProgress::restarted(int32_t repetitions) {
    started(repetitions);
}

void RunProgress::repetitionStarted(int32_t repetition, int32_t repetitions, uint32_t startTick) {
    m_repetition = repetition;
    m_repetitions = repetitions;
    m_startTick = startTick;
    m_targetMs = 0;
}

void RunProgress::nextTarget(int32_t targetMs, int32_t cycleMs) {
    const bool wasVisible = m_visible;
    m_targetMs = targetMs;
    m_cycleMs = cycleMs;
    if (m_running && targetMs > 0)
        setVisible(true);
    // The run's coming into view is told by the running hook alone.
    if (wasVisible && m_visible && m_nextBeepChanged)
        m_nextBeepChanged();
}

void RunProgress::ended() {
    m_running = false;
    m_repetition = 0;
    m_repetitions = 0;
    m_targetMs = 0;
    m_cycleMs = 0;
    setVisible(false);
}

void RunProgress::setVisible(bool visible) {
    if (m_visible == visible)
        return;
    m_visible = visible;
    if (m_runningChanged)
        m_runningChanged();
}

std::optional<uint32_t> RunProgress::untilNextBeep(uint32_t now) const {
    if (!m_visible || m_targetMs <= 0)
        return std::nullopt;
    // Counted to the moment itself (the beep sounds on the tick after it).
    // Differences of tick readings are unsigned, right across the wrap.
    const auto moment = static_cast<uint32_t>(m_targetMs);
    const uint32_t elapsed = now - m_startTick;
    return elapsed >= moment ? 0 : moment - elapsed;
}

double RunProgress::cycleFraction(uint32_t now) const {
    if (!m_visible || m_cycleMs <= 0)
        return 0.0;
    const double elapsed = static_cast<double>(now - m_startTick);
    return std::clamp(elapsed / m_cycleMs, 0.0, 1.0);
}

std::string RunProgress::statusText(uint32_t now) const {
    if (!m_visible)
        return "Idle";
    std::string text = "Repetition " + std::to_string(m_repetition) + " of " + std::to_string(m_repetitions);
    if (const std::optional<uint32_t> left = untilNextBeep(now))
        text += "\nNext beep in " + countdownText(*left);
    return text;
}

std::string countdownText(uint32_t ms) {
    const uint32_t seconds = ms / 1000 + (ms % 1000 != 0 ? 1 : 0);
    const uint32_t h = seconds / 3600;
    const uint32_t m = seconds / 60 % 60;
    const uint32_t s = seconds % 60;
    char text[32];
    if (h > 0)
        std::snprintf(text, sizeof text, "%u:%02u:%02u", h, m, s);
    else
        std::snprintf(text, sizeof text, "%u:%02u", m, s);
    return text;
}

} // namespace sorvane
