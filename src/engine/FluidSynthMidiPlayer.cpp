#include "engine/FluidSynthMidiPlayer.h"

#include "engine/Clock.h"

#include <dlfcn.h>
#include <fluidsynth.h>
#include <malloc.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
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
// Goes up whenever the rendering below changes what it makes, so that beeps
// rendered before are not taken from the cache.
constexpr int kRenderVersion = 1;

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

// FluidSynth, loaded the first time a beep is rendered.  It stays loaded
// (RTLD_NODELETE) once it has been: the GLib types its libraries register
// cannot be registered again by a second copy.  Each function keeps the type
// its header gives it.
class FluidSynthLibrary {
public:
    explicit FluidSynthLibrary(const std::string& name) {
        m_handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        if (m_handle == nullptr) {
            const char* why = dlerror();
            problem =
                "FluidSynth (" + name + ") cannot be loaded: " + (why != nullptr ? why : "unknown reason");
            return;
        }
        bool all = true;
        const auto find = [&](auto& function, const char* symbol) {
            void* address = dlsym(m_handle, symbol);
            std::memcpy(&function, &address, sizeof function);
            all = all && address != nullptr;
        };
        find(newSettings, "new_fluid_settings");
        find(deleteSettings, "delete_fluid_settings");
        find(settingsSetNum, "fluid_settings_setnum");
        find(settingsSetInt, "fluid_settings_setint");
        find(newSynth, "new_fluid_synth");
        find(deleteSynth, "delete_fluid_synth");
        find(sfload, "fluid_synth_sfload");
        find(systemReset, "fluid_synth_system_reset");
        find(writeFloat, "fluid_synth_write_float");
        find(newPlayer, "new_fluid_player");
        find(deletePlayer, "delete_fluid_player");
        find(playerAddMem, "fluid_player_add_mem");
        find(playerPlay, "fluid_player_play");
        find(playerStatus, "fluid_player_get_status");
        find(playerTick, "fluid_player_get_current_tick");
        find(playerTotalTicks, "fluid_player_get_total_ticks");
        find(setLogFunction, "fluid_set_log_function");
        if (!all) {
            problem = "FluidSynth (" + name + ") lacks functions this program needs";
            return;
        }
        // FluidSynth chats about what it loads; only its warnings and
        // errors stay on stderr.
        setLogFunction(FLUID_INFO, nullptr, nullptr);
        setLogFunction(FLUID_DBG, nullptr, nullptr);
        m_loaded = true;
    }
    ~FluidSynthLibrary() {
        if (m_handle != nullptr)
            dlclose(m_handle);
    }
    FluidSynthLibrary(const FluidSynthLibrary&) = delete;
    FluidSynthLibrary& operator=(const FluidSynthLibrary&) = delete;

    bool loaded() const { return m_loaded; }
    std::string problem;

    decltype(&::new_fluid_settings) newSettings = nullptr;
    decltype(&::delete_fluid_settings) deleteSettings = nullptr;
    decltype(&::fluid_settings_setnum) settingsSetNum = nullptr;
    decltype(&::fluid_settings_setint) settingsSetInt = nullptr;
    decltype(&::new_fluid_synth) newSynth = nullptr;
    decltype(&::delete_fluid_synth) deleteSynth = nullptr;
    decltype(&::fluid_synth_sfload) sfload = nullptr;
    decltype(&::fluid_synth_system_reset) systemReset = nullptr;
    decltype(&::fluid_synth_write_float) writeFloat = nullptr;
    decltype(&::new_fluid_player) newPlayer = nullptr;
    decltype(&::delete_fluid_player) deletePlayer = nullptr;
    decltype(&::fluid_player_add_mem) playerAddMem = nullptr;
    decltype(&::fluid_player_play) playerPlay = nullptr;
    decltype(&::fluid_player_get_status) playerStatus = nullptr;
    decltype(&::fluid_player_get_current_tick) playerTick = nullptr;
    decltype(&::fluid_player_get_total_ticks) playerTotalTicks = nullptr;
    decltype(&::fluid_set_log_function) setLogFunction = nullptr;

private:
    void* m_handle = nullptr;
    bool m_loaded = false;
};

namespace {

// The synthesizer with its sound font, alive only while a file is rendered.
struct Synth {
    explicit Synth(const FluidSynthLibrary& library) : fluid(library) {}
    ~Synth() {
        if (player != nullptr)
            fluid.deletePlayer(player);
        if (synth != nullptr)
            fluid.deleteSynth(synth);
        if (settings != nullptr)
            fluid.deleteSettings(settings);
    }
    Synth(const Synth&) = delete;
    Synth& operator=(const Synth&) = delete;

    const FluidSynthLibrary& fluid;
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    fluid_player_t* player = nullptr;
};

} // namespace

FluidSynthMidiPlayer::FluidSynthMidiPlayer(std::shared_ptr<PulseOutput> output, Notify notify,
                                           std::string soundFont, BeepCache cache, std::string library)
    : m_output(std::move(output)), m_notify(std::move(notify)), m_soundFont(std::move(soundFont)),
      m_cache(std::move(cache)), m_library(std::move(library)),
      m_fallback(
          std::make_shared<const std::vector<int16_t>>(squareWave(kFallbackPitch, kFallbackDuration))) {}

FluidSynthMidiPlayer::~FluidSynthMidiPlayer() = default;

void FluidSynthMidiPlayer::setFileName(const std::string& path) {
    m_fileName = path;
}

std::string FluidSynthMidiPlayer::renderKey(const std::string& bytes) const {
    struct stat font {};
    if (stat(m_soundFont.c_str(), &font) != 0)
        return {};
    char midi[48];
    std::snprintf(midi, sizeof midi, "%016llx%016llx %zu", static_cast<unsigned long long>(hash64(bytes)),
                  static_cast<unsigned long long>(hash64(bytes, 0x84222325cbf29ce4ULL)), bytes.size());
    return std::string("midi ") + midi + "\nfont " + m_soundFont + " " + std::to_string(font.st_size) + " " +
           std::to_string(font.st_mtim.tv_sec) + "." + std::to_string(font.st_mtim.tv_nsec) + " " +
           std::to_string(font.st_dev) + ":" + std::to_string(font.st_ino) + "\nrate " +
           std::to_string(kSampleRate) + "\nfluidsynth " + FLUIDSYNTH_VERSION + "\nrender " +
           std::to_string(kRenderVersion);
}

void FluidSynthMidiPlayer::prepare() {
    m_pcm.reset();
    m_problem.clear();
    m_preparedStamp = fileStamp(m_fileName);

    std::vector<char> bytes;
    if (!readFile(m_fileName, bytes)) {
        m_problem = "the file cannot be read";
        return;
    }
    if (bytes.size() < 14 || !std::equal(bytes.begin(), bytes.begin() + 4, "MThd")) {
        m_problem = "it is not a MIDI file";
        return;
    }
    const std::string content(bytes.begin(), bytes.end());
    const std::string key = renderKey(content);
    if (!key.empty()) {
        if (std::optional<std::vector<int16_t>> cached = m_cache.load(key)) {
            m_pcm = std::make_shared<const std::vector<int16_t>>(std::move(*cached));
            return;
        }
    }
    render(content);
    // The synthesizer and its sound font are gone; the memory they held goes
    // back to the system instead of staying with the process.
    malloc_trim(0);
    if (m_pcm && !key.empty())
        m_cache.store(key, *m_pcm);
}

void FluidSynthMidiPlayer::render(const std::string& bytes) {
    if (!m_fluid)
        m_fluid = std::make_unique<FluidSynthLibrary>(m_library);
    const FluidSynthLibrary& fluid = *m_fluid;
    if (!fluid.loaded()) {
        m_problem = fluid.problem;
        return;
    }
    // The synthesizer and its sound font live only while the file is
    // rendered.  Samples are loaded only for the instruments the file uses.
    Synth loaded(fluid);
    loaded.settings = fluid.newSettings();
    if (loaded.settings != nullptr) {
        fluid.settingsSetNum(loaded.settings, "synth.sample-rate", kSampleRate);
        fluid.settingsSetInt(loaded.settings, "synth.dynamic-sample-loading", 1);
        loaded.synth = fluid.newSynth(loaded.settings);
    }
    if (loaded.synth == nullptr || fluid.sfload(loaded.synth, m_soundFont.c_str(), 1) == FLUID_FAILED) {
        m_problem = "the sound font " + m_soundFont + " cannot be loaded";
        return;
    }
    fluid_synth_t* synth = loaded.synth;
    fluid.systemReset(synth);

    loaded.player = fluid.newPlayer(synth);
    if (loaded.player == nullptr ||
        fluid.playerAddMem(loaded.player, bytes.data(), bytes.size()) != FLUID_OK ||
        fluid.playerPlay(loaded.player) != FLUID_OK) {
        m_problem = "it cannot be played";
        return;
    }
    fluid_player_t* player = loaded.player;

    // Offline, as fast as the synthesizer goes: the player's clock is the
    // count of samples written.  The player itself would go on until the
    // last voice has died away, which for a bell is many seconds of near
    // silence, so it is followed only to its last event.
    auto pcm = std::make_shared<std::vector<int16_t>>();
    std::vector<float> mono;
    float left[kBlock];
    float right[kBlock];
    const auto writeBlock = [&] {
        fluid.writeFloat(synth, kBlock, left, 0, 1, right, 0, 1);
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
    } while (fluid.playerStatus(player) == FLUID_PLAYER_PLAYING &&
             fluid.playerTick(player) < fluid.playerTotalTicks(player) && mono.size() < kMaxSamples);
    fluid.deletePlayer(player);
    loaded.player = nullptr;
    // The notes ring out for a while; a tail still sounding at the end is
    // faded out rather than cut.
    bool cut = true;
    for (size_t tail = 0; tail < kMaxTailSamples; tail += kBlock) {
        if (writeBlock() < kSilentLevel) {
            cut = false;
            break;
        }
    }
    fluid.systemReset(synth);
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
    // Made again only when another file is named or the file changed.
    const std::string stamp = fileStamp(m_fileName);
    if (stamp.empty() || stamp != m_preparedStamp)
        prepare();
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
