#pragma once
// Sound through a PulseAudio server, or any server that speaks its protocol
// (PipeWire's does).  One playback stream, opened for the first sound and
// closed after a few seconds of silence, carries every beep.  The server
// says which output sample is heard when, so a beep can be placed at the
// exact sample of its moment ahead of time, and taken back (rewritten as
// silence) as long as the server has not played it yet.
//
// An audio thread of its own talks to the server.  The calling thread hands
// it sounds through a lock-free single-producer, single-consumer ring and
// gets them back through another one, so the audio thread never waits for
// the caller and never frees a sound: every buffer is released on the
// calling thread.
#include "engine/BeepOutput.h"
#include "engine/Platform.h"
#include "engine/PlaybackClock.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

struct pa_context;
struct pa_mainloop;
struct pa_stream;
struct pa_io_event;
struct pa_time_event;

namespace sorvane {

inline constexpr int kSampleRate = 48000;

using Samples = std::shared_ptr<const std::vector<int16_t>>;

// Lock-free ring between exactly one pushing and one popping thread.
template <typename T, std::size_t N> class SpscRing {
public:
    bool push(const T& value) {
        const std::size_t tail = m_tail.load(std::memory_order_relaxed);
        const std::size_t next = (tail + 1) % N;
        if (next == m_head.load(std::memory_order_acquire))
            return false;
        m_items[tail] = value;
        m_tail.store(next, std::memory_order_release);
        return true;
    }
    bool pop(T& value) {
        const std::size_t head = m_head.load(std::memory_order_relaxed);
        if (head == m_tail.load(std::memory_order_acquire))
            return false;
        value = m_items[head];
        m_head.store((head + 1) % N, std::memory_order_release);
        return true;
    }

private:
    std::array<T, N> m_items{};
    std::atomic<std::size_t> m_head{0};
    std::atomic<std::size_t> m_tail{0};
};

// One sound handed to the output.  Made and freed on the calling thread;
// the audio thread reads its samples and writes its atomics.
struct Voice {
    Samples samples;
    int64_t dueNs = 0;                // CLOCK_MONOTONIC; 0: as soon as possible
    std::atomic<int64_t> startNs{-1}; // when it is heard, once known
    std::atomic<int64_t> endNs{-1};
    std::atomic<bool> dropped{false}; // taken back: what is left is not heard
    // Placed only if the whole sound can still be taken back when it goes
    // into the stream; otherwise dropped.
    bool wholeOnly = false;
    // Audio thread only.
    int64_t startFrame = -1; // output frame of its first sample, once placed
};

class PulseOutput {
public:
    explicit PulseOutput(Notify notify);
    ~PulseOutput();
    PulseOutput(const PulseOutput&) = delete;
    PulseOutput& operator=(const PulseOutput&) = delete;

    // Sounds the samples as soon as the output can; with wait, returns when
    // they have been heard.
    void play(Samples samples, bool wait);
    // Places the samples to be heard from dueNs (CLOCK_MONOTONIC) on;
    // returns at once.  One sound is placed at a time.  With wholeOnly the
    // sound is dropped instead when its moment is too near for it to be
    // taken back whole.
    void place(Samples samples, int64_t dueNs, bool wholeOnly = false);
    // The placed sound is asked for: kept when it is still placed and has
    // these samples, otherwise taken back and these are played now.
    void playPlaced(const Samples& samples, bool wait);
    // Takes back the placed sound as far as it has not been heard.
    void withdraw();
    // Returns when everything handed over has been heard.
    void drain();

private:
    struct Command {
        enum Kind { Add, Remove, Quit } kind = Add;
        Voice* voice = nullptr;
    };
    static constexpr std::size_t kMaxVoices = 32;

    // Calling thread.
    void submit(Command::Kind kind, Voice* voice);
    std::shared_ptr<Voice> add(Samples samples, int64_t dueNs, bool wholeOnly = false);
    void reclaim();
    // Waits until the voice has been heard (or taken back), at most until
    // limitNs; without a server the wait still lasts as long as the sound.
    void waitHeard(const Voice& voice, int64_t limitNs);
    void tellProblem();

    // Audio thread.
    void run();
    void connect();
    void onWake();
    void onContextState();
    void openStream();
    void closeStream();
    void onStreamState();
    void onWrite(std::size_t bytes);
    void onTiming();
    void onServerInfo(const char* name);
    void askTiming(bool evenIfAsked = false);
    // Voices put into the stream that are not heard yet go to the sample
    // of their moment by the clock's latest estimate.
    void replaceCommitted();
    void addVoice(Voice* voice);
    void removeVoice(Voice* voice);
    // Places a voice at its output frame; rewrites what was already written
    // from there on.
    void commit(Voice* voice);
    void commitDue(int64_t untilFrame);
    void publish(Voice* voice);
    void finishVoices();
    void silenceAll();
    void rewrite(int64_t fromFrame);
    void writeFrames(int64_t from, int64_t count);
    bool heardFrame(int64_t& frame, int64_t& nowNs) const;
    int64_t earliestFrame() const;
    int64_t frameAt(int64_t ns) const;
    void armIdleClose();

    Notify m_notify;
    bool m_told = false;
    std::vector<std::shared_ptr<Voice>> m_inFlight; // calling thread
    std::shared_ptr<Voice> m_placed;                // calling thread
    SpscRing<Command, 128> m_commands;
    SpscRing<Voice*, 128> m_finished;
    int m_wakeFd = -1;             // calling thread -> audio thread
    int m_replyFd = -1;            // audio thread -> calling thread
    std::atomic<int> m_problem{0}; // a server error code, once something failed

    // Audio thread only.
    pa_mainloop* m_loop = nullptr;
    pa_context* m_context = nullptr;
    pa_stream* m_stream = nullptr;
    pa_io_event* m_wakeEvent = nullptr;
    pa_time_event* m_idleTimer = nullptr;
    bool m_timingAsked = false;
    std::array<Voice*, kMaxVoices> m_voices{};
    std::size_t m_voiceCount = 0;
    std::vector<Voice*> m_unreturned; // finished while the return ring was full
    std::vector<int16_t> m_mix;       // one write's worth of output, made once
    int64_t m_written = 0;            // output frames written to the stream
    PlaybackClock m_clock{kSampleRate};
    // Whether the server can take back what it has already read from the
    // stream (PulseAudio rewinds its sinks; PipeWire cannot).  Until the
    // server has said who it is, it is taken to be unable.
    bool m_rewinds = false;
    int64_t m_lastEndNs = 0; // when the last sound ended

    std::thread m_thread;
};

// The PC speaker: every write to the speaker port is one output sample,
// high for 255 and low for 0, so a beep of pitch p and duration d is d
// periods of p high and p low samples.  Writes to other ports are ignored.
class PulseTonePort final : public PortOutput {
public:
    explicit PulseTonePort(std::shared_ptr<PulseOutput> output) : m_output(std::move(output)) {}

    void out(uint16_t port, uint8_t value) override;
    void endOfBeep() override;
    void drain() override;
    bool placesAhead() const override { return true; }
    void endOfBeepAt(uint32_t dueTick, bool wholeOnly) override;
    void endOfPlacedBeep() override;
    void withdraw() override;

    static constexpr int16_t kAmplitude = 8000;

private:
    Samples take();

    std::shared_ptr<PulseOutput> m_output;
    std::vector<int16_t> m_pending;
};

// The square wave of a speaker beep with pitch p and duration d.
std::vector<int16_t> squareWave(int pitch, int duration);

} // namespace sorvane
