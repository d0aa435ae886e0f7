#pragma once
// MIDI beeps: the beep file is rendered into PCM by FluidSynth with a General
// MIDI sound font the first time a MIDI beep is asked for (and again when
// the file changes); the sound font is let go as soon as the PCM is made, so
// a timer that beeps with tones never holds it.  Each play hands the PCM to
// the sound output and returns at once.
#include "engine/BeepOutput.h"
#include "engine/Platform.h"
#include "engine/PulseSound.h"

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace sorvane {

class FluidSynthMidiPlayer final : public MidiPlayer {
public:
    FluidSynthMidiPlayer(std::shared_ptr<PulseOutput> output, Notify notify, std::string soundFont);
    ~FluidSynthMidiPlayer() override;
    FluidSynthMidiPlayer(const FluidSynthMidiPlayer&) = delete;
    FluidSynthMidiPlayer& operator=(const FluidSynthMidiPlayer&) = delete;

    void setFileName(const std::string& path) override;
    std::string fileName() const override { return m_fileName; }
    // A file that is missing or cannot be played gives a speaker-style tone
    // instead; the user hears about it once per file name.
    void play() override;
    void drain() override;
    bool placesAhead() const override { return true; }
    void playAt(uint32_t dueTick, bool wholeOnly) override;
    void playPlaced() override;
    void withdraw() override;

private:
    // The sound of one play: the rendered file, or the stand-in tone.
    Samples sound();
    // Renders m_fileName; on failure leaves m_pcm empty and says why.
    void render();

    std::shared_ptr<PulseOutput> m_output;
    Notify m_notify;
    std::string m_soundFont;
    std::string m_fileName;
    std::string m_renderedStamp; // file name, size and time of the rendered file
    std::shared_ptr<const std::vector<int16_t>> m_pcm;
    std::string m_problem = "no file has been named";
    std::shared_ptr<const std::vector<int16_t>> m_fallback;
    std::set<std::string> m_told;
};

} // namespace sorvane
