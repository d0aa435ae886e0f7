#pragma once
// Sound through SDL2: one audio output, opened when the program starts and
// kept open (playing silence between beeps, so a sound server never
// suspends it), that mixes the speaker tone with any MIDI beeps playing.
#include "engine/BeepOutput.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace sorvane {

inline constexpr int kSampleRate = 48000;

class SdlMixer {
public:
    // Opens the output.  When no real device opens, SDL's dummy output is
    // used (beeps keep their length but are silent) and failure() tells why.
    SdlMixer();
    ~SdlMixer();
    SdlMixer(const SdlMixer&) = delete;
    SdlMixer& operator=(const SdlMixer&) = delete;

    // Empty when the sound device opened, otherwise a text for the user.
    const std::string& failure() const { return m_failure; }
    // Name of the SDL audio driver in use ("pulseaudio", "dummy", ...).
    const std::string& driver() const { return m_driver; }

    using Clock = std::chrono::steady_clock;

    // The tone channel.  Samples handed over at time t are placed in the
    // output stream at the sample that t corresponds to, plus a fixed output
    // latency of one device buffer, so that the spacing of the beeps in the
    // sound is the spacing of the calls, not rounded to the device's buffer
    // period.  A piece that follows on from the previous one is joined to it
    // without a gap.
    void appendTone(std::vector<int16_t> samples);
    // Returns when no more than `left` tone samples are still waiting.
    void waitTone(size_t left);

    // Starts one more sound on top of whatever plays, placed like the tone,
    // and returns at once.
    void startVoice(std::shared_ptr<const std::vector<int16_t>> samples);
    // Returns when every voice has been played.
    void waitVoices();

private:
    struct Voice {
        std::shared_ptr<const std::vector<int16_t>> samples;
        size_t position = 0;
        uint64_t startFrame = 0;
    };

    static void callback(void* self, uint8_t* stream, int length);
    void fill(int16_t* out, size_t count);
    // Output frame at which a sound handed over now starts (lock held).
    uint64_t placeNow() const;
    // Waits until done() holds.  If the device stops taking samples, gives up
    // after about the time the waiting samples take to play and calls
    // dropWaiting(), so a beep never hangs the program.
    void waitUntil(std::unique_lock<std::mutex>& lock, const std::function<bool()>& done,
                   const std::function<size_t()>& samplesWaiting, const std::function<void()>& dropWaiting);

    uint32_t m_device = 0;
    bool m_subsystemStarted = false;
    bool m_dummyStarted = false;
    std::string m_driver;
    std::string m_failure;
    std::mutex m_mutex;
    std::condition_variable m_played;
    std::deque<int16_t> m_tone;
    uint64_t m_toneStartFrame = 0; // output frame of m_tone.front()
    std::list<Voice> m_voices;
    uint64_t m_pullFrame = 0;     // first frame of the buffer filled last
    size_t m_bufferFrames = 1024; // frames the device asks for at a time
    Clock::time_point m_lastPull{};
    Clock::time_point m_toneEnd{}; // when the last tone sample handed over is heard
};

// The PC speaker, emulated: every write to the speaker port is one output
// sample, high for 255 and low for 0, so a beep of pitch p and duration d is
// d periods of p high and p low samples.  Writes to other ports are ignored.
class SdlTonePort final : public PortOutput {
public:
    explicit SdlTonePort(std::shared_ptr<SdlMixer> mixer);

    void out(uint16_t port, uint8_t value) override;
    // Plays the samples written since the last beep and returns once they
    // have been played.
    void endOfBeep() override;
    void drain() override;

    static constexpr int16_t kAmplitude = 8000;

private:
    // Hands the written samples over; a beep lasts exactly its samples'
    // playing time from its first hand-over, like the loop of port writes
    // it stands for.
    void handOver();

    std::shared_ptr<SdlMixer> m_mixer;
    std::vector<int16_t> m_pending;
    bool m_inBeep = false;
    SdlMixer::Clock::time_point m_beepStart{};
    size_t m_beepSamples = 0;
};

// The square wave of a speaker beep with pitch p and duration d.
std::vector<int16_t> squareWave(int pitch, int duration);

} // namespace sorvane
