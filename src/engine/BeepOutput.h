#pragma once
// The one way the program makes a sound: a square-wave tone written to the
// speaker port, or one play of the MIDI beep file.
#include <cstdint>
#include <string>

namespace sorvane {

inline constexpr uint16_t kSpeakerPort = 97;
// The longest speaker beep, in port writes: ten seconds of output samples.
inline constexpr int32_t kMaxBeepWrites = 480000;

// Byte-wide output port.  A tone backend turns the stream of writes into
// sound, one write per output sample.
class PortOutput {
public:
    virtual ~PortOutput() = default;
    virtual void out(uint16_t port, uint8_t value) = 0;
    // Called after the last write of a beep: the backend sounds what it was
    // given and returns when the beep has been heard.
    virtual void endOfBeep() {}
    // Returns once everything already handed over has been played.
    virtual void drain() {}

    // Placing a beep ahead of its moment.  A port that can place returns
    // true from placesAhead(); the others sound every beep when it ends.
    virtual bool placesAhead() const { return false; }
    // The writes since the last end of a beep are the beep due when the tick
    // counter reaches dueTick: placed to sound then, returns at once.  With
    // wholeOnly the beep is placed only if it could still be taken back
    // whole at once; otherwise it is left to sound when it is asked for.
    virtual void endOfBeepAt(uint32_t /*dueTick*/, bool /*wholeOnly*/ = false) {}
    // The writes since the last end of a beep are the beep placed with
    // endOfBeepAt, asked for now: if that beep is still placed and sounds
    // the same, returns when it has been heard; otherwise takes it back and
    // sounds these writes now, like endOfBeep.
    virtual void endOfPlacedBeep() { endOfBeep(); }
    // Takes back a placed beep, as far as it has not been heard yet.
    virtual void withdraw() {}
};

class MidiPlayer {
public:
    virtual ~MidiPlayer() = default;
    virtual void setFileName(const std::string& path) = 0;
    virtual std::string fileName() const = 0;
    // Sounds the file once and returns at once.
    virtual void play() = 0;
    virtual void drain() {}

    // Placing a play ahead of its moment, as for PortOutput.
    virtual bool placesAhead() const { return false; }
    virtual void playAt(uint32_t /*dueTick*/, bool /*wholeOnly*/ = false) {}
    // The play placed with playAt, asked for now: kept if it is still placed
    // and sounds the same, otherwise taken back and played now.
    virtual void playPlaced() { play(); }
    virtual void withdraw() {}
};

// Port that goes nowhere: beeps are silent and take no time.
class NullPortOutput final : public PortOutput {
public:
    void out(uint16_t, uint8_t) override {}
};

class NullMidiPlayer final : public MidiPlayer {
public:
    void setFileName(const std::string& path) override { m_fileName = path; }
    std::string fileName() const override { return m_fileName; }
    void play() override {}

private:
    std::string m_fileName;
};

// The beep and its two tone parameters.
class BeepOutput {
public:
    BeepOutput(PortOutput& port, MidiPlayer& midi) : m_port(port), m_midi(midi) {}

    int16_t beepPitch = 0;    // port writes per half-wave
    int16_t beepDuration = 0; // square-wave periods per beep

    // One beep: one play request when midi is true, otherwise beepDuration
    // periods of beepPitch writes of 255 then beepPitch writes of 0 to the
    // speaker port.  A pitch or duration of 0 or less is silent; a beep
    // longer than kMaxBeepWrites is cut to the whole periods that fit.
    void playBeep(bool midi);

    // Waits until every sound already started has been heard; a beep placed
    // ahead and not yet heard is taken back first.
    void drain();

    // The beeps of a running cycle, known ahead: the next one is placed to
    // sound exactly when it falls due (when the tick counter reaches
    // dueTick), with the parameters of this moment.  Any other beep takes it
    // back while it sounds and places it again when it has sounded, so that
    // the runner's beep is still heard at its moment when the run goes on
    // (when it does not, the runner takes it back at its next poll).
    void placeBeep(bool midi, uint32_t dueTick);
    // The next playBeep is the placed beep, asked for: it keeps the placed
    // sound when nothing changed since, otherwise sounds at once.
    void arrive();
    // Takes back the placed beep.
    void withdraw();

    MidiPlayer& midiPlayer() { return m_midi; }

private:
    enum class Placed { None, Port, Midi };
    void place(Placed device, uint32_t dueTick, bool wholeOnly);
    void withdrawFrom(Placed device);
    // Sounds the beep; keep: it is the placed beep, asked for.
    void sound(bool midi, bool keep);
    // Writes the speaker beep to the port and gives the number of writes;
    // -1 when the beep has no periods at all (nothing to end).
    int32_t writeSpeakerBeep();

    PortOutput& m_port;
    MidiPlayer& m_midi;
    Placed m_placed = Placed::None;
    uint32_t m_placedTick = 0;
    bool m_arriving = false;
};

} // namespace sorvane
