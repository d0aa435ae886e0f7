#include "engine/FluidSynthMidiPlayer.h"

#include "engine/Clock.h"

#include <fluidsynth.h>
#include <malloc.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>

namespace sorvane {
namespace {

// A beep file is meant to be short; a long one is cut here.
constexpr size_t kMaxSamples = static_cast<size_t>(kSampleRate) * 20;
// After the last event, notes ring out until they fall silent or this ends.
constexpr size_t kMaxTailSamples = kSampleRate / 2;
constexpr size_t kFadeSamples = kSampleRate / 20;
constexpr float kTargetPeak = 0.5f;
constexpr float kMaxGain = 16.0f;
constexpr int kBlock = 480;
constexpr float kSilentLevel = 1.0f / 32768.0f;
// The tone that stands in for a file that cannot be played.
constexpr int kFallbackPitch = 100;
constexpr int kFallbackDuration = 25;

// Name, size and modification time of a file; empty when it is missing.
std::string fileStamp(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return {};
    return path + '\n' + std::to_string(info.st_size) + '\n' + std::to_string(info.st_mtim.tv_sec) + '.' +
           std::to_string(info.st_mtim.tv_nsec);
}

bool readFile(const std::string& path, std::vector<char>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

} // namespace

namespace {

// The synthesizer with its sound font, alive only while a file is rendered.
struct Synth {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    bool fontLoaded = false;

    ~Synth() {
        if (synth != nullptr)
            delete_fluid_synth(synth);
        if (settings != nullptr)
            delete_fluid_settings(settings);
    }
};

} // namespace

FluidSynthMidiPlayer::FluidSynthMidiPlayer(std::shared_ptr<PulseOutput> output, Notify notify,
                                           std::string soundFont)
    : m_output(std::move(output)), m_notify(std::move(notify)), m_soundFont(std::move(soundFont)),
      m_fallback(
          std::make_shared<const std::vector<int16_t>>(squareWave(kFallbackPitch, kFallbackDuration))) {
    // FluidSynth chats about what it loads; only its warnings and errors
    // stay on stderr.
    fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
    fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
}

FluidSynthMidiPlayer::~FluidSynthMidiPlayer() = default;

void FluidSynthMidiPlayer::setFileName(const std::string& path) {
    m_fileName = path;
}

void FluidSynthMidiPlayer::render() {
    m_pcm.reset();
    m_problem.clear();
    m_renderedStamp = fileStamp(m_fileName);

    std::vector<char> bytes;
    if (!readFile(m_fileName, bytes)) {
        m_problem = "the file cannot be read";
        return;
    }
    if (bytes.size() < 14 || !std::equal(bytes.begin(), bytes.begin() + 4, "MThd")) {
        m_problem = "it is not a MIDI file";
        return;
    }

    // The synthesizer and its sound font live only while the file is rendered.
    Synth loaded;
    loaded.settings = new_fluid_settings();
    if (loaded.settings != nullptr) {
        fluid_settings_setnum(loaded.settings, "synth.sample-rate", kSampleRate);
        loaded.synth = new_fluid_synth(loaded.settings);
    }
    if (loaded.synth != nullptr)
        loaded.fontLoaded = fluid_synth_sfload(loaded.synth, m_soundFont.c_str(), 1) != FLUID_FAILED;
    if (!loaded.fontLoaded) {
        m_problem = "the sound font " + m_soundFont + " cannot be loaded";
        return;
    }
    fluid_synth_t* synth = loaded.synth;
    fluid_synth_system_reset(synth);

    fluid_player_t* player = new_fluid_player(synth);
    if (player == nullptr || fluid_player_add_mem(player, bytes.data(), bytes.size()) != FLUID_OK ||
        fluid_player_play(player) != FLUID_OK) {
        if (player != nullptr)
            delete_fluid_player(player);
        m_problem = "it cannot be played";
        return;
    }

    // Offline, as fast as the synthesizer goes: the player's clock is the
    // count of samples written.  The player itself would go on until the
    // last voice has died away, which for a bell is many seconds of near
    // silence, so it is followed only to its last event.
    auto pcm = std::make_shared<std::vector<int16_t>>();
    std::vector<float> mono;
    float left[kBlock];
    float right[kBlock];
    const auto writeBlock = [&] {
        fluid_synth_write_float(synth, kBlock, left, 0, 1, right, 0, 1);
        float blockPeak = 0.0f;
        for (int i = 0; i < kBlock; ++i) {
            const float sample = (left[i] + right[i]) * 0.5f;
            blockPeak = std::max(blockPeak, std::fabs(sample));
            mono.push_back(sample);
        }
        return blockPeak;
    };
    // The player reads the file at its first tick, so the length is known
    // only once something has been written.
    do {
        writeBlock();
    } while (fluid_player_get_status(player) == FLUID_PLAYER_PLAYING &&
             fluid_player_get_current_tick(player) < fluid_player_get_total_ticks(player) &&
             mono.size() < kMaxSamples);
    delete_fluid_player(player);
    // The notes ring out for a while; a tail still sounding at the end is
    // faded out rather than cut.
    bool cut = true;
    for (size_t tail = 0; tail < kMaxTailSamples; tail += kBlock) {
        if (writeBlock() < kSilentLevel) {
            cut = false;
            break;
        }
    }
    fluid_synth_system_reset(synth);
    if (cut) {
        const size_t fade = std::min(mono.size(), kFadeSamples);
        for (size_t i = 0; i < fade; ++i)
            mono[mono.size() - fade + i] *= static_cast<float>(fade - i) / static_cast<float>(fade);
    }

    float loudest = 0.0f;
    for (float sample : mono)
        loudest = std::max(loudest, std::fabs(sample));
    if (loudest < kSilentLevel) {
        m_problem = "it makes no sound";
        return;
    }
    // Sound fonts and files differ widely in loudness: the beep is brought
    // to about the loudness of the tone beep (quiet files only so far that
    // their noise stays unheard).
    const float gain = std::min(kTargetPeak / loudest, kMaxGain);
    pcm->reserve(mono.size());
    for (float sample : mono)
        pcm->push_back(static_cast<int16_t>(std::lround(std::clamp(sample * gain, -1.0f, 1.0f) * 32767.0f)));
    m_pcm = std::move(pcm);
}

Samples FluidSynthMidiPlayer::sound() {
    // Rendered again only when another file is named or the file changed.
    const std::string stamp = fileStamp(m_fileName);
    if (stamp.empty() || stamp != m_renderedStamp) {
        render();
        // The synthesizer and its sound font are gone; the memory they held
        // goes back to the system instead of staying with the process.
        malloc_trim(0);
    }
    if (m_pcm)
        return m_pcm;
    if (m_told.insert(m_fileName).second) {
        m_notify("The MIDI beep file \"" + m_fileName + "\" cannot be played (" + m_problem +
                 "). A tone beep sounds instead.");
    }
    return m_fallback;
}

void FluidSynthMidiPlayer::play() {
    m_output->play(sound(), false);
}

void FluidSynthMidiPlayer::playAt(uint32_t dueTick, bool wholeOnly) {
    m_output->place(sound(), MonotonicTickClock::nanosecondsAt(dueTick), wholeOnly);
}

void FluidSynthMidiPlayer::playPlaced() {
    m_output->playPlaced(sound(), false);
}

void FluidSynthMidiPlayer::withdraw() {
    m_output->withdraw();
}

void FluidSynthMidiPlayer::drain() {
    m_output->drain();
}

} // namespace sorvane
