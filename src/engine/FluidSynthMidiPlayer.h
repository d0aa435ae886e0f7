#pragma once
// MIDI beeps: the beep file is rendered once, when it is named, into PCM by
// FluidSynth with a General MIDI sound font; each play hands that PCM to
// the sound output and returns at once.
#include "engine/BeepOutput.h"
#include "engine/Platform.h"
#include "engine/SdlSound.h"

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace sorvane {

class FluidSynthMidiPlayer final : public MidiPlayer {
public:
    FluidSynthMidiPlayer(std::shared_ptr<SdlMixer> mixer, Notify notify, std::string soundFont);
    ~FluidSynthMidiPlayer() override;
    FluidSynthMidiPlayer(const FluidSynthMidiPlayer&) = delete;
    FluidSynthMidiPlayer& operator=(const FluidSynthMidiPlayer&) = delete;

    void setFileName(const std::string& path) override;
    std::string fileName() const override { return m_fileName; }
    // A file that is missing or cannot be played gives a speaker-style tone
    // instead; the user hears about it once per file name.
    void play() override;
    void drain() override;

    // The seconds of sound rendered from the current file (0 when it could
    // not be played).
    double renderedSeconds() const;

private:
    struct Synth;

    // Renders m_fileName; on failure leaves m_pcm empty and says why.
    void render();

    std::shared_ptr<SdlMixer> m_mixer;
    Notify m_notify;
    std::string m_soundFont;
    std::unique_ptr<Synth> m_synth;
    std::string m_fileName;
    std::shared_ptr<const std::vector<int16_t>> m_pcm;
    std::string m_problem = "no file has been named";
    std::shared_ptr<const std::vector<int16_t>> m_fallback;
    std::set<std::string> m_told;
};

} // namespace sorvane
