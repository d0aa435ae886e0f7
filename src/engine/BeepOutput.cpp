#include "engine/BeepOutput.h"

#include <algorithm>

namespace sorvane {

void BeepOutput::playBeep(bool midi) {
    if (midi) {
        m_midi.play();
        return;
    }
    // The counters are wider than the 16-bit values so that a bound of
    // 32767 still ends the loop.  Pitch is read again for each half-wave.
    int32_t periods = beepDuration;
    if (periods <= 0)
        return;
    // A beep is cut to the whole periods that fit in the longest beep, so
    // that a pitch and duration near the 16-bit limits (hours of tone) cannot
    // hold the window for more than a few seconds.
    if (beepPitch > 0)
        periods = std::min<int32_t>(periods, std::max<int32_t>(1, kMaxBeepWrites / (2 * beepPitch)));
    for (int32_t period = 1; period <= periods; ++period) {
        const int32_t high = beepPitch;
        for (int32_t i = 1; i <= high; ++i)
            m_port.out(kSpeakerPort, 255);
        const int32_t low = beepPitch;
        for (int32_t i = 1; i <= low; ++i)
            m_port.out(kSpeakerPort, 0);
    }
    m_port.endOfBeep();
}

void BeepOutput::drain() {
    m_port.drain();
    m_midi.drain();
}

} // namespace sorvane
