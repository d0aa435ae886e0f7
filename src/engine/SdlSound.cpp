#include "engine/SdlSound.h"

#include "engine/FluidSynthMidiPlayer.h"
#include "engine/Platform.h"

#include <SDL.h>

#include <algorithm>
#include <thread>
#include <utility>

namespace sorvane {
namespace {

// Time the device may stay silent on us before we take it for stalled; it is
// well above one buffer of the callback (1024 samples, about 21 ms).
constexpr std::chrono::milliseconds kStallTime{200};
constexpr size_t kMaxVoices = 16;
// Long speaker beeps are handed over in pieces of this many samples.
constexpr size_t kToneChunk = kSampleRate / 2;

std::chrono::nanoseconds playTime(size_t samples) {
    return std::chrono::nanoseconds(static_cast<int64_t>(samples) * 1'000'000'000 / kSampleRate);
}

} // namespace

SdlMixer::SdlMixer() {
    // The program handles its own signals; SDL must not take SIGINT/SIGTERM.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");

    SDL_AudioSpec want{};
    want.freq = kSampleRate;
    want.format = AUDIO_S16SYS;
    want.channels = 1;
    want.samples = 1024;
    want.callback = &SdlMixer::callback;
    want.userdata = this;

    // SDL picks the driver itself, honouring SDL_AUDIODRIVER when it is set.
    std::string error;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
        m_subsystemStarted = true;
        m_device = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
        if (m_device == 0)
            error = SDL_GetError();
        else
            m_driver = SDL_GetCurrentAudioDriver();
    } else {
        error = SDL_GetError();
    }

    if (m_device == 0) {
        // Keep a device that takes samples in real time, so beeps keep their
        // length, only without sound.
        if (m_subsystemStarted)
            SDL_AudioQuit();
        if (SDL_AudioInit("dummy") == 0) {
            m_dummyStarted = !m_subsystemStarted;
            m_device = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
            if (m_device != 0)
                m_driver = "dummy";
        }
        m_failure = "No sound device could be opened (" + error + "). Beeps are silent.";
    }
    if (m_device != 0)
        SDL_PauseAudioDevice(m_device, 0);
}

SdlMixer::~SdlMixer() {
    if (m_device != 0)
        SDL_CloseAudioDevice(m_device);
    if (m_subsystemStarted)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    else if (m_dummyStarted)
        SDL_AudioQuit();
}

void SdlMixer::callback(void* self, uint8_t* stream, int length) {
    static_cast<SdlMixer*>(self)->fill(reinterpret_cast<int16_t*>(stream),
                                       static_cast<size_t>(length) / sizeof(int16_t));
}

void SdlMixer::fill(int16_t* out, size_t count) {
    {
        std::lock_guard lock(m_mutex);
        const Clock::time_point now = Clock::now();
        // The frames filled now are the ones that follow the last buffer.
        const uint64_t first = m_pullFrame + (m_lastPull == Clock::time_point{} ? 0 : m_bufferFrames);
        for (size_t i = 0; i < count; ++i) {
            const uint64_t frame = first + i;
            int32_t sum = 0;
            if (!m_tone.empty() && frame >= m_toneStartFrame) {
                sum += m_tone.front();
                m_tone.pop_front();
                ++m_toneStartFrame;
                // This buffer starts to sound about now; the tone's last
                // sample is heard i + 1 samples later.
                if (m_tone.empty())
                    m_toneEnd = now + playTime(i + 1);
            }
            for (Voice& voice : m_voices) {
                if (frame >= voice.startFrame && voice.position < voice.samples->size())
                    sum += (*voice.samples)[voice.position++];
            }
            out[i] = static_cast<int16_t>(std::clamp<int32_t>(sum, -32768, 32767));
        }
        m_voices.remove_if([](const Voice& voice) { return voice.position >= voice.samples->size(); });
        m_pullFrame = first;
        m_bufferFrames = count;
        m_lastPull = now;
    }
    m_played.notify_all();
}

uint64_t SdlMixer::placeNow() const {
    // The buffer filled last covers [m_pullFrame, m_pullFrame + buffer) and
    // started at m_lastPull; the next one is filled one buffer later.  A
    // sound handed over now goes one buffer after the frame that "now" is,
    // which is always in a buffer not yet filled.
    const uint64_t next = m_pullFrame + m_bufferFrames;
    if (m_lastPull == Clock::time_point{})
        return next;
    const auto since = Clock::now() - m_lastPull;
    if (since > kStallTime)
        return next; // the device is not pulling; play as soon as it does
    const auto frames = static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(since).count() * kSampleRate / 1'000'000'000);
    return std::max(next, m_pullFrame + frames + m_bufferFrames);
}

void SdlMixer::appendTone(std::vector<int16_t> samples) {
    if (samples.empty())
        return;
    std::lock_guard lock(m_mutex);
    const uint64_t at = placeNow();
    if (m_tone.empty()) {
        m_toneStartFrame = at;
    } else {
        // Join on to what is still queued; fill a gap with silence.
        const uint64_t end = m_toneStartFrame + m_tone.size();
        if (at > end)
            m_tone.insert(m_tone.end(), static_cast<size_t>(at - end), int16_t{0});
    }
    m_tone.insert(m_tone.end(), samples.begin(), samples.end());
    // A device that stopped pulling must not make the queue grow without
    // end: keep the newest ten seconds.
    constexpr size_t kMaxQueued = static_cast<size_t>(kSampleRate) * 10;
    if (m_tone.size() > kMaxQueued) {
        const size_t drop = m_tone.size() - kMaxQueued;
        m_tone.erase(m_tone.begin(), m_tone.begin() + static_cast<ptrdiff_t>(drop));
        m_toneStartFrame += drop;
    }
}

void SdlMixer::waitTone(size_t left) {
    std::unique_lock lock(m_mutex);
    waitUntil(
        lock, [&] { return m_tone.size() <= left; },
        [&] { return m_tone.size() > left ? m_tone.size() - left : 0; },
        [&] { m_tone.erase(m_tone.begin(), m_tone.end() - static_cast<ptrdiff_t>(left)); });
    if (left == 0 && m_tone.empty()) {
        // The device has the last samples; they still take until m_toneEnd
        // to be heard.
        const Clock::time_point end = m_toneEnd;
        lock.unlock();
        std::this_thread::sleep_until(end);
    }
}

void SdlMixer::startVoice(std::shared_ptr<const std::vector<int16_t>> samples) {
    if (!samples || samples->empty())
        return;
    std::lock_guard lock(m_mutex);
    if (m_voices.size() >= kMaxVoices)
        m_voices.pop_front();
    m_voices.push_back(Voice{std::move(samples), 0, placeNow()});
}

void SdlMixer::waitVoices() {
    std::unique_lock lock(m_mutex);
    const auto longest = [&] {
        size_t most = 0;
        for (const Voice& voice : m_voices)
            most = std::max(most, voice.samples->size() - voice.position);
        return most;
    };
    waitUntil(
        lock, [&] { return m_voices.empty(); }, longest, [&] { m_voices.clear(); });
}

void SdlMixer::waitUntil(std::unique_lock<std::mutex>& lock, const std::function<bool()>& done,
                         const std::function<size_t()>& samplesWaiting,
                         const std::function<void()>& dropWaiting) {
    // Without a device nothing takes the samples: wait for as long as they
    // would play, then let them go.
    const std::chrono::nanoseconds slack = m_device != 0 ? kStallTime : std::chrono::nanoseconds(0);
    auto deadline = Clock::now() + playTime(samplesWaiting()) + slack;
    while (!done()) {
        if (m_played.wait_until(lock, deadline) == std::cv_status::no_timeout || done())
            continue;
        const auto now = Clock::now();
        if (m_device != 0 && now - m_lastPull < kStallTime) {
            deadline = now + playTime(samplesWaiting()) + slack;
            continue;
        }
        dropWaiting();
        return;
    }
}

std::vector<int16_t> squareWave(int pitch, int duration) {
    std::vector<int16_t> samples;
    if (pitch <= 0 || duration <= 0)
        return samples;
    samples.reserve(static_cast<size_t>(pitch) * 2 * static_cast<size_t>(duration));
    for (int period = 0; period < duration; ++period) {
        samples.insert(samples.end(), static_cast<size_t>(pitch), SdlTonePort::kAmplitude);
        samples.insert(samples.end(), static_cast<size_t>(pitch), -SdlTonePort::kAmplitude);
    }
    return samples;
}

SdlTonePort::SdlTonePort(std::shared_ptr<SdlMixer> mixer) : m_mixer(std::move(mixer)) {}

void SdlTonePort::out(uint16_t port, uint8_t value) {
    if (port != kSpeakerPort)
        return;
    m_pending.push_back(value >= 128 ? kAmplitude : static_cast<int16_t>(-kAmplitude));
    if (m_pending.size() >= kToneChunk) {
        // A very long beep streams: this piece plays while the next one is
        // written, and the writer is held back to the pace of the sound,
        // keeping about half a piece queued.
        handOver();
        std::this_thread::sleep_until(m_beepStart + playTime(m_beepSamples - kToneChunk / 2));
    }
}

void SdlTonePort::handOver() {
    if (!m_inBeep) {
        m_inBeep = true;
        m_beepStart = SdlMixer::Clock::now();
        m_beepSamples = 0;
    }
    m_beepSamples += m_pending.size();
    m_mixer->appendTone(std::exchange(m_pending, {}));
}

void SdlTonePort::endOfBeep() {
    if (!m_pending.empty())
        handOver();
    if (!m_inBeep)
        return;
    m_inBeep = false;
    // Blocks for the beep's own length, measured from its first sample:
    // the output latency is the same for every beep, so it shifts them all
    // alike instead of adding up from beep to beep.
    std::this_thread::sleep_until(m_beepStart + playTime(m_beepSamples));
}

void SdlTonePort::drain() {
    m_mixer->waitTone(0);
}

SoundDevices createSoundDevices(Notify notify) {
    auto mixer = std::make_shared<SdlMixer>();
    if (!mixer->failure().empty())
        notify(mixer->failure());
    SoundDevices devices;
    devices.port = std::make_unique<SdlTonePort>(mixer);
    devices.midi = std::make_unique<FluidSynthMidiPlayer>(mixer, std::move(notify), SORVANE_SOUNDFONT);
    return devices;
}

} // namespace sorvane
