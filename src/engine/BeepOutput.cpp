#include "engine/BeepOutput.h"

#include <algorithm>
#include <utility>

namespace sorvane {

void BeepOutput::playBeep(bool midi) {
    const Placed placed = std::exchange(m_placed, Placed::None);
    const bool arriving = std::exchange(m_arriving, false);
    // The placed beep is kept only when the runner asks for it and it went
    // to the device that sounds now.  Any other beep takes it back: that beep
    // comes from a handler that ran while the runner waited (Stop, Restart,
    // a key box, Apply, About, Exit...), and it may stop the run.
    const Placed now = midi ? Placed::Midi : Placed::Port;
    if (placed != Placed::None && (!arriving || placed != now))
        withdrawFrom(placed);
    sound(midi, arriving && placed == now);
    // The other beep has sounded: the runner's beep goes back in place, as
    // far as it can still be taken back whole, so that it is heard at its
    // moment if the run goes on.  A run that ends takes it back at its next
    // poll, before it sleeps.
    if (!arriving && placed != Placed::None)
        place(placed, m_placedTick, true);
}

void BeepOutput::sound(bool midi, bool keep) {
    if (midi) {
        keep ? m_midi.playPlaced() : m_midi.play();
        return;
    }
    const int32_t writes = writeSpeakerBeep();
    if (writes < 0)
        return;
    if (keep && writes == 0)
        m_port.withdraw(); // the placed beep became silent
    keep&& writes > 0 ? m_port.endOfPlacedBeep() : m_port.endOfBeep();
}

void BeepOutput::placeBeep(bool midi, uint32_t dueTick) {
    withdraw();
    place(midi ? Placed::Midi : Placed::Port, dueTick, false);
}

void BeepOutput::place(Placed device, uint32_t dueTick, bool wholeOnly) {
    if (device == Placed::Midi) {
        if (!m_midi.placesAhead())
            return;
        m_midi.playAt(dueTick, wholeOnly);
    } else {
        if (!m_port.placesAhead())
            return;
        if (writeSpeakerBeep() <= 0)
            return; // silent: nothing to place
        m_port.endOfBeepAt(dueTick, wholeOnly);
    }
    m_placed = device;
    m_placedTick = dueTick;
}

void BeepOutput::arrive() {
    m_arriving = true;
}

void BeepOutput::withdraw() {
    withdrawFrom(std::exchange(m_placed, Placed::None));
}

void BeepOutput::withdrawFrom(Placed device) {
    if (device == Placed::Port)
        m_port.withdraw();
    else if (device == Placed::Midi)
        m_midi.withdraw();
}

int32_t BeepOutput::writeSpeakerBeep() {
    // The counters are wider than the 16-bit values so that a bound of
    // 32767 still ends the loop.  Pitch is read again for each half-wave.
    int32_t periods = beepDuration;
    if (periods <= 0)
        return -1;
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
    return std::max(beepPitch, int16_t{0}) * 2 * periods;
}

void BeepOutput::drain() {
    withdraw();
    m_port.drain();
    m_midi.drain();
}

} // namespace sorvane
