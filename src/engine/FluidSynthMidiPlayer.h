#pragma once
// MIDI beeps: the beep file is rendered into PCM by FluidSynth with a General
// MIDI sound font the first time a MIDI beep is asked for (and again when
// the file changes), and the result is kept in the user's cache folder, so
// that later starts read the samples back instead of rendering.  FluidSynth
// itself (with the many libraries it brings) is loaded only to render, and
// its sound font let go as soon as the PCM is made: a timer that beeps with
// tones, or reads its MIDI beep from the cache, holds neither.  Each play
// hands the PCM to the sound output and returns at once.
#include "engine/BeepCache.h"
#include "engine/BeepOutput.h"
#include "engine/Platform.h"
#include "engine/PulseSound.h"

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace sorvane {

class FluidSynthLibrary;

class FluidSynthMidiPlayer final : public MidiPlayer {
public:
    // library: FluidSynth's shared library, as dlopen finds it.
    FluidSynthMidiPlayer(std::shared_ptr<PulseOutput> output, Notify notify, std::string soundFont,
                         BeepCache cache, std::string library);
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

    // What the rendered beep of these file bytes depends on: the bytes, the
    // sound font (path, size, time and file), the rate and the renderer.
    // Empty when the sound font cannot be examined.
    std::string renderKey(const std::string& bytes) const;

private:
    // The sound of one play: the rendered file, or the stand-in tone.
    Samples sound();
    // Makes m_pcm from m_fileName (from the cache or by rendering); on
    // failure leaves it empty and says why in m_problem.
    void prepare();
    void render(const std::string& bytes);

    std::shared_ptr<PulseOutput> m_output;
    Notify m_notify;
    std::string m_soundFont;
    BeepCache m_cache;
    std::string m_library;
    std::unique_ptr<FluidSynthLibrary> m_fluid; // loaded at the first rendering
    std::string m_fileName;
    std::string m_preparedStamp; // file name, size and time of the prepared file
    std::shared_ptr<const std::vector<int16_t>> m_pcm;
    std::string m_problem = "no file has been named";
    std::shared_ptr<const std::vector<int16_t>> m_fallback;
    std::set<std::string> m_told;
};

} // namespace sorvane
