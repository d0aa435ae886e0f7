#include "engine/BeepOutput.h"

namespace sorvane {

void BeepOutput::playBeep(bool midi) {
    if (midi) {
        m_midi.play();
        return;
    }
    // The counters are wider than the 16-bit values so that a bound of
    // 32767 still ends the loop.  Pitch is read again for each half-wave.
    const int32_t periods = beepDuration;
    if (periods <= 0)
        return;
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
