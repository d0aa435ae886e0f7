#include "engine/PulseSound.h"

#include "engine/Clock.h"
#include "engine/FluidSynthMidiPlayer.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <utility>

namespace sorvane {
namespace {

// The stream keeps about this much sound queued at the server: enough to
// ride out a busy machine, few wake-ups between beeps.  A new sound does not
// wait for it: it is written over what is queued (the server plays the new
// data in its place), kTakeBackMs ahead of what the server can no longer
// take back.
constexpr int kQueuedMs = 500;
// The server asks for more when this much has been played.
constexpr int kRequestMs = 200;
// What is queued further than this ahead of the sample heard now (on a
// server that cannot rewind: ahead of what it has read) can still be
// rewritten: a new sound starts there at the earliest, and a beep taken
// back falls silent from there on.  It covers the time a write takes to
// reach the server on a busy machine.
constexpr int kTakeBackMs = 30;
// A voice already in the stream moves to a better estimate of its moment
// when that differs by at least this many samples (half a millisecond).
constexpr int64_t kMoveFrames = kSampleRate / 2000;
// A stream just opened plays this much silence before its first sound: the
// server may still be setting the stream up while it plays the first
// samples.
constexpr int kLeadInMs = 10;
// A stream starts playing once this much is written.
constexpr int kStartMs = 5;
// The stream closes after this long without sound.
constexpr int kIdleCloseMs = 3000;
// Never written further ahead than this, however much the server asks.
constexpr int kMostAheadMs = 1000;
// A wait for the audio thread gives up this long after the sound should have
// ended.
constexpr int64_t kWaitSlackNs = 1'000'000'000;
// After the last sound has been heard, the process may end this much later
// at the earliest, for the device's own buffers.
constexpr int64_t kDrainMarginNs = 30'000'000;

constexpr int64_t framesIn(int ms) {
    return static_cast<int64_t>(kSampleRate) * ms / 1000;
}

int64_t nowNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

int64_t lengthNs(const Voice& voice) {
    return static_cast<int64_t>(voice.samples->size()) * 1'000'000'000 / kSampleRate;
}

void sleepUntil(int64_t ns) {
    timespec at{};
    at.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
    at.tv_nsec = static_cast<long>(ns % 1'000'000'000);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
    }
}

} // namespace

// ------------------------------------------------------------ calling thread

PulseOutput::PulseOutput(Notify notify) : m_notify(std::move(notify)) {
    m_wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    m_replyFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    m_mix.resize(static_cast<std::size_t>(framesIn(kMostAheadMs)));
    m_unreturned.reserve(kMaxVoices);
    if (m_wakeFd >= 0 && m_replyFd >= 0)
        m_thread = std::thread([this] { run(); });
    else
        m_problem = PA_ERR_INTERNAL;
}

PulseOutput::~PulseOutput() {
    if (m_thread.joinable()) {
        submit(Command::Quit, nullptr);
        m_thread.join();
    }
    if (m_wakeFd >= 0)
        close(m_wakeFd);
    if (m_replyFd >= 0)
        close(m_replyFd);
}

void PulseOutput::submit(Command::Kind kind, Voice* voice) {
    if (!m_thread.joinable())
        return;
    while (!m_commands.push(Command{kind, voice}))
        sleepUntil(nowNs() + 1'000'000); // the audio thread is far behind
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = write(m_wakeFd, &one, sizeof one);
}

void PulseOutput::reclaim() {
    Voice* voice = nullptr;
    while (m_finished.pop(voice)) {
        const auto it = std::find_if(m_inFlight.begin(), m_inFlight.end(),
                                     [voice](const std::shared_ptr<Voice>& v) { return v.get() == voice; });
        if (it != m_inFlight.end())
            m_inFlight.erase(it);
    }
}

std::shared_ptr<Voice> PulseOutput::add(Samples samples, int64_t dueNs, bool wholeOnly) {
    reclaim();
    tellProblem();
    auto voice = std::make_shared<Voice>();
    voice->samples = std::move(samples);
    voice->dueNs = dueNs;
    voice->wholeOnly = wholeOnly;
    if (!m_thread.joinable()) {
        // No audio thread: silent, but the sound keeps its length.
        const int64_t start = std::max(dueNs, nowNs());
        voice->startNs = start;
        voice->endNs = start + lengthNs(*voice);
        return voice;
    }
    m_inFlight.push_back(voice);
    submit(Command::Add, voice.get());
    return voice;
}

void PulseOutput::waitHeard(const Voice& voice, int64_t limitNs) {
    while (voice.endNs.load() < 0 && !voice.dropped.load()) {
        const int64_t left = limitNs - nowNs();
        if (left <= 0)
            return;
        pollfd p{m_replyFd, POLLIN, 0};
        poll(&p, 1, static_cast<int>(std::min<int64_t>(left / 1'000'000 + 1, 100)));
        uint64_t count = 0;
        [[maybe_unused]] const ssize_t n = read(m_replyFd, &count, sizeof count);
    }
    if (!voice.dropped.load())
        sleepUntil(std::min(voice.endNs.load(), limitNs));
}

void PulseOutput::play(Samples samples, bool wait) {
    if (!samples || samples->empty())
        return;
    const auto voice = add(std::move(samples), 0);
    if (wait)
        waitHeard(*voice, nowNs() + lengthNs(*voice) + kWaitSlackNs);
    tellProblem();
}

void PulseOutput::place(Samples samples, int64_t dueNs, bool wholeOnly) {
    withdraw();
    if (!samples || samples->empty())
        return;
    m_placed = add(std::move(samples), std::max<int64_t>(dueNs, 1), wholeOnly);
}

void PulseOutput::playPlaced(const Samples& samples, bool wait) {
    const std::shared_ptr<Voice> placed = std::move(m_placed);
    m_placed.reset();
    if (placed && !placed->dropped.load() && samples &&
        (placed->samples == samples || *placed->samples == *samples)) {
        if (wait)
            waitHeard(*placed, std::max(placed->dueNs, nowNs()) + lengthNs(*placed) + kWaitSlackNs);
        return;
    }
    if (placed)
        submit(Command::Remove, placed.get());
    play(samples, wait);
}

void PulseOutput::withdraw() {
    if (m_placed)
        submit(Command::Remove, m_placed.get());
    m_placed.reset();
}

void PulseOutput::drain() {
    withdraw();
    reclaim();
    int64_t last = 0;
    for (const auto& voice : m_inFlight) {
        waitHeard(*voice, std::max(voice->dueNs, nowNs()) + lengthNs(*voice) + kWaitSlackNs);
        if (!voice->dropped.load())
            last = std::max(last, voice->endNs.load());
    }
    if (last > 0)
        sleepUntil(last + kDrainMarginNs);
}

void PulseOutput::tellProblem() {
    const int problem = m_problem.load();
    if (problem == 0 || m_told)
        return;
    m_told = true;
    if (m_notify)
        m_notify(std::string("No sound server could be reached (") + pa_strerror(problem) +
                 "). Beeps are silent until it can be.");
}

// -------------------------------------------------------------- audio thread

void PulseOutput::run() {
    m_loop = pa_mainloop_new();
    if (m_loop == nullptr) {
        m_problem = PA_ERR_INTERNAL;
        return;
    }
    pa_mainloop_api* api = pa_mainloop_get_api(m_loop);
    m_wakeEvent = api->io_new(
        api, m_wakeFd, PA_IO_EVENT_INPUT,
        [](pa_mainloop_api*, pa_io_event*, int, pa_io_event_flags_t, void* self) {
            static_cast<PulseOutput*>(self)->onWake();
        },
        this);
    connect();
    int result = 0;
    pa_mainloop_run(m_loop, &result);
    closeStream();
    if (m_idleTimer != nullptr)
        api->time_free(m_idleTimer);
    if (m_context != nullptr) {
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
    }
    api->io_free(m_wakeEvent);
    pa_mainloop_free(m_loop);
}

void PulseOutput::connect() {
    if (m_context != nullptr) {
        pa_context_set_state_callback(m_context, nullptr, nullptr);
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
    }
    pa_proplist* props = pa_proplist_new();
    pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "Sorvane Timer");
    pa_proplist_sets(props, PA_PROP_APPLICATION_ICON_NAME, "sorvane-timer");
    m_context = pa_context_new_with_proplist(pa_mainloop_get_api(m_loop), "Sorvane Timer", props);
    pa_proplist_free(props);
    if (m_context == nullptr) {
        m_problem = PA_ERR_INTERNAL;
        return;
    }
    pa_context_set_state_callback(
        m_context, [](pa_context*, void* self) { static_cast<PulseOutput*>(self)->onContextState(); }, this);
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        m_problem = pa_context_errno(m_context);
        silenceAll();
    }
}

void PulseOutput::onContextState() {
    switch (pa_context_get_state(m_context)) {
    case PA_CONTEXT_READY:
        m_problem = 0;
        if (pa_operation* op = pa_context_get_server_info(
                m_context,
                [](pa_context*, const pa_server_info* info, void* self) {
                    static_cast<PulseOutput*>(self)->onServerInfo(info != nullptr ? info->server_name
                                                                                  : nullptr);
                },
                this))
            pa_operation_unref(op);
        if (m_voiceCount > 0)
            openStream();
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        m_problem = std::max(pa_context_errno(m_context), 1);
        closeStream();
        silenceAll();
        break;
    default:
        break;
    }
}

void PulseOutput::onServerInfo(const char* name) {
    // PipeWire's server for this protocol names itself "PulseAudio (on
    // PipeWire x.y.z)"; what its graph has read from a stream is gone.
    m_rewinds = name != nullptr && std::strstr(name, "PipeWire") == nullptr;
}

void PulseOutput::onWake() {
    uint64_t count = 0;
    [[maybe_unused]] const ssize_t n = read(m_wakeFd, &count, sizeof count);
    Command command;
    while (m_commands.pop(command)) {
        switch (command.kind) {
        case Command::Add:
            addVoice(command.voice);
            break;
        case Command::Remove:
            removeVoice(command.voice);
            break;
        case Command::Quit:
            pa_mainloop_quit(m_loop, 0);
            return;
        }
    }
    finishVoices();
}

void PulseOutput::addVoice(Voice* voice) {
    if (m_voiceCount == kMaxVoices) {
        // Far more sounds at once than beeps ever make: the oldest goes.
        m_voices[0]->dropped = true;
        finishVoices();
    }
    m_voices[m_voiceCount++] = voice;
    if (m_idleTimer != nullptr) {
        pa_mainloop_get_api(m_loop)->time_free(m_idleTimer);
        m_idleTimer = nullptr;
    }
    const pa_context_state_t state = m_context ? pa_context_get_state(m_context) : PA_CONTEXT_FAILED;
    if (state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED) {
        connect(); // the server may be back
        return;
    }
    if (state != PA_CONTEXT_READY)
        return; // placed once connected
    if (m_stream == nullptr) {
        openStream();
        return;
    }
    if (pa_stream_get_state(m_stream) != PA_STREAM_READY)
        return; // placed by the first write
    if (voice->dueNs == 0 || frameAt(voice->dueNs) < m_written)
        commit(voice);
}

void PulseOutput::removeVoice(Voice* voice) {
    for (std::size_t i = 0; i < m_voiceCount; ++i) {
        if (m_voices[i] != voice)
            continue;
        voice->dropped = true;
        if (voice->startFrame >= 0 && m_stream != nullptr)
            rewrite(std::max(voice->startFrame, earliestFrame()));
        break;
    }
}

void PulseOutput::openStream() {
    closeStream();
    const pa_sample_spec format{PA_SAMPLE_S16LE, kSampleRate, 1};
    pa_proplist* props = pa_proplist_new();
    pa_proplist_sets(props, PA_PROP_MEDIA_ROLE, "event");
    m_stream = pa_stream_new_with_proplist(m_context, "Beeps", &format, nullptr, props);
    pa_proplist_free(props);
    if (m_stream == nullptr) {
        m_problem = pa_context_errno(m_context);
        silenceAll();
        return;
    }
    m_written = 0;
    m_clock.reset();
    m_timingAsked = false;
    pa_stream_set_state_callback(
        m_stream, [](pa_stream*, void* self) { static_cast<PulseOutput*>(self)->onStreamState(); }, this);
    pa_stream_set_write_callback(
        m_stream,
        [](pa_stream*, size_t bytes, void* self) { static_cast<PulseOutput*>(self)->onWrite(bytes); }, this);
    pa_stream_set_latency_update_callback(
        m_stream, [](pa_stream*, void* self) { static_cast<PulseOutput*>(self)->onTiming(); }, this);
    // The stream ran dry (a machine far too busy): its samples no longer
    // follow the clock, which starts afresh with the next report.
    pa_stream_set_underflow_callback(
        m_stream, [](pa_stream*, void* self) { static_cast<PulseOutput*>(self)->m_clock.reset(); }, this);
    // Playback started (at first, or again after running dry): the first
    // report, which places what is already queued, is asked for at once.
    pa_stream_set_started_callback(
        m_stream, [](pa_stream*, void* self) { static_cast<PulseOutput*>(self)->askTiming(true); }, this);
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.tlength = static_cast<uint32_t>(framesIn(kQueuedMs) * 2);
    // Playback starts with the first few milliseconds written (and, after
    // the rare underrun, waits for as little), so that a sound handed to a
    // stream just opened is heard at once.
    attr.prebuf = static_cast<uint32_t>(framesIn(kStartMs) * 2);
    attr.minreq = static_cast<uint32_t>(framesIn(kRequestMs) * 2);
    attr.fragsize = static_cast<uint32_t>(-1);
    const auto flags = PA_STREAM_ADJUST_LATENCY;
    if (pa_stream_connect_playback(m_stream, nullptr, &attr, flags, nullptr, nullptr) < 0) {
        m_problem = pa_context_errno(m_context);
        closeStream();
        silenceAll();
    }
}

void PulseOutput::closeStream() {
    if (m_stream == nullptr)
        return;
    pa_stream_set_state_callback(m_stream, nullptr, nullptr);
    pa_stream_set_write_callback(m_stream, nullptr, nullptr);
    pa_stream_set_latency_update_callback(m_stream, nullptr, nullptr);
    pa_stream_set_underflow_callback(m_stream, nullptr, nullptr);
    pa_stream_set_started_callback(m_stream, nullptr, nullptr);
    pa_stream_disconnect(m_stream);
    pa_stream_unref(m_stream);
    m_stream = nullptr;
}

void PulseOutput::onStreamState() {
    const pa_stream_state_t state = pa_stream_get_state(m_stream);
    if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED) {
        m_problem = std::max(pa_context_errno(m_context), 1);
        closeStream();
        silenceAll();
    }
}

bool PulseOutput::heardFrame(int64_t& frame, int64_t& now) const {
    now = nowNs();
    if (m_stream == nullptr || !m_clock.known())
        return false;
    frame = m_clock.frameAt(now);
    return true;
}

int64_t PulseOutput::earliestFrame() const {
    int64_t heard = 0;
    int64_t now = 0;
    if (!heardFrame(heard, now))
        return m_written + framesIn(kLeadInMs); // nothing is rewritten before the first report
    // A server that cannot rewind has read up to the sample heard (PipeWire
    // reports the end of the block it read at the start of its cycle as the
    // sample heard then), or further ahead by the latency it reports.
    const int64_t ahead = framesIn(kTakeBackMs) + (m_rewinds ? 0 : std::max<int64_t>(m_clock.readAhead(), 0));
    return std::max<int64_t>(heard + ahead, 0);
}

int64_t PulseOutput::frameAt(int64_t ns) const {
    if (m_stream != nullptr && m_clock.known())
        return m_clock.frameAt(ns);
    return PlaybackClock::framesIn(ns - nowNs(), kSampleRate); // playback starts about now
}

void PulseOutput::commit(Voice* voice) {
    const int64_t earliest = earliestFrame();
    const int64_t due = voice->dueNs == 0 ? earliest : frameAt(voice->dueNs);
    if (voice->wholeOnly && due < earliest) {
        voice->dropped = true; // handed back by finishVoices
        return;
    }
    const int64_t frame = std::max(due, earliest);
    voice->startFrame = frame;
    publish(voice);
    if (frame < m_written)
        rewrite(frame);
}

void PulseOutput::commitDue(int64_t untilFrame) {
    for (std::size_t i = 0; i < m_voiceCount; ++i) {
        Voice* voice = m_voices[i];
        if (voice->startFrame < 0 && !voice->dropped &&
            (voice->dueNs == 0 || frameAt(voice->dueNs) < untilFrame))
            commit(voice);
    }
}

void PulseOutput::publish(Voice* voice) {
    if (voice->startFrame < 0 || m_stream == nullptr || !m_clock.known())
        return;
    const int64_t start = m_clock.timeOf(voice->startFrame);
    voice->startNs = start;
    voice->endNs = start + lengthNs(*voice);
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = write(m_replyFd, &one, sizeof one);
}

void PulseOutput::onWrite(std::size_t bytes) {
    int64_t frames = static_cast<int64_t>(bytes / 2);
    int64_t heard = 0;
    int64_t now = 0;
    if (heardFrame(heard, now))
        frames = std::min(frames, std::max<int64_t>(heard + framesIn(kMostAheadMs) - m_written, 0));
    askTiming();
    if (frames <= 0)
        return;
    commitDue(m_written + frames);
    writeFrames(m_written, frames);
    m_written += frames;
    finishVoices();
}

void PulseOutput::askTiming(bool evenIfAsked) {
    // A report is exact when it is made right after the server's processing
    // cycle, which is when the server asks for data or has just started the
    // stream, so the reports are asked for then and at no other time (a few
    // a second, and only while the stream is open).
    if (m_timingAsked && !evenIfAsked)
        return;
    m_timingAsked = true;
    if (pa_operation* op = pa_stream_update_timing_info(
            m_stream,
            [](pa_stream*, int, void* self) { static_cast<PulseOutput*>(self)->m_timingAsked = false; },
            this))
        pa_operation_unref(op);
    else
        m_timingAsked = false;
}

void PulseOutput::onTiming() {
    // The server's report: the sample heard when it was made is the one it
    // had read up to, less what the sink still held.  It is stamped with the
    // server's own time of day, turned into the monotonic clock here.
    const pa_timing_info* info = pa_stream_get_timing_info(m_stream);
    if (info != nullptr && !info->read_index_corrupt && info->playing != 0) {
        timespec wall{};
        clock_gettime(CLOCK_REALTIME, &wall);
        const int64_t now = nowNs();
        const int64_t wallNs = static_cast<int64_t>(wall.tv_sec) * 1'000'000'000 + wall.tv_nsec;
        int64_t at = static_cast<int64_t>(info->timestamp.tv_sec) * 1'000'000'000 +
                     static_cast<int64_t>(info->timestamp.tv_usec) * 1000 - (wallNs - now);
        // A time of day set anew between the two readings would give a
        // report from the wrong moment: it is taken as made just now less
        // its way here instead.
        if (at > now || at < now - 1'000'000'000)
            at = now - static_cast<int64_t>(info->transport_usec) * 1000;
        const int64_t read = info->read_index / 2;
        const int64_t held =
            PlaybackClock::framesIn(static_cast<int64_t>(info->sink_usec) * 1000, kSampleRate);
        m_clock.report(at, read - held, read);
    }
    if (m_stream == nullptr || pa_stream_get_state(m_stream) != PA_STREAM_READY)
        return;
    // Timing that just came from the server: placed sounds due soon are put
    // into the stream now, at the sample this timing gives them, and those
    // put in earlier follow a better estimate.
    replaceCommitted();
    commitDue(m_written + framesIn(kRequestMs));
    for (std::size_t i = 0; i < m_voiceCount; ++i) {
        Voice* voice = m_voices[i];
        if (voice->startFrame >= 0 && !voice->dropped)
            publish(voice);
    }
    finishVoices();
}

void PulseOutput::replaceCommitted() {
    if (!m_clock.known())
        return;
    const int64_t earliest = earliestFrame();
    for (std::size_t i = 0; i < m_voiceCount; ++i) {
        Voice* voice = m_voices[i];
        if (voice->dueNs == 0 || voice->dropped || voice->startFrame < earliest)
            continue;
        const int64_t frame = std::max(frameAt(voice->dueNs), earliest);
        if (std::abs(frame - voice->startFrame) < kMoveFrames)
            continue;
        const int64_t from = std::min(frame, voice->startFrame);
        voice->startFrame = frame;
        rewrite(from);
    }
}

void PulseOutput::writeFrames(int64_t from, int64_t count) {
    while (count > 0) {
        const int64_t n = std::min<int64_t>(count, static_cast<int64_t>(m_mix.size()));
        std::fill_n(m_mix.begin(), n, int16_t{0});
        for (std::size_t i = 0; i < m_voiceCount; ++i) {
            const Voice* voice = m_voices[i];
            if (voice->startFrame < 0 || voice->dropped)
                continue;
            const auto length = static_cast<int64_t>(voice->samples->size());
            const int64_t a = std::max(from, voice->startFrame);
            const int64_t b = std::min(from + n, voice->startFrame + length);
            for (int64_t f = a; f < b; ++f) {
                const int32_t sum = m_mix[static_cast<std::size_t>(f - from)] +
                                    (*voice->samples)[static_cast<std::size_t>(f - voice->startFrame)];
                m_mix[static_cast<std::size_t>(f - from)] =
                    static_cast<int16_t>(std::clamp(sum, -32768, 32767));
            }
        }
        pa_stream_write(m_stream, m_mix.data(), static_cast<std::size_t>(n) * 2, nullptr, from * 2,
                        PA_SEEK_ABSOLUTE);
        from += n;
        count -= n;
    }
}

void PulseOutput::rewrite(int64_t fromFrame) {
    if (m_stream == nullptr || pa_stream_get_state(m_stream) != PA_STREAM_READY || fromFrame >= m_written)
        return;
    writeFrames(fromFrame, m_written - fromFrame);
}

void PulseOutput::finishVoices() {
    // Voices handed back earlier while the ring was full go first.
    while (!m_unreturned.empty() && m_finished.push(m_unreturned.back()))
        m_unreturned.pop_back();
    int64_t heard = 0;
    int64_t now = 0;
    const bool timing = heardFrame(heard, now);
    bool any = false;
    for (std::size_t i = 0; i < m_voiceCount;) {
        Voice* voice = m_voices[i];
        const bool ended = voice->startFrame >= 0 && timing &&
                           heard >= voice->startFrame + static_cast<int64_t>(voice->samples->size());
        if (!voice->dropped && !ended) {
            ++i;
            continue;
        }
        if (ended)
            m_lastEndNs = std::max(m_lastEndNs, voice->endNs.load());
        m_voices[i] = m_voices[--m_voiceCount];
        if (!m_finished.push(voice))
            m_unreturned.push_back(voice);
        any = true;
    }
    if (any) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = write(m_replyFd, &one, sizeof one);
    }
    if (m_voiceCount == 0 && m_stream != nullptr)
        armIdleClose();
}

void PulseOutput::armIdleClose() {
    if (m_idleTimer != nullptr)
        return;
    m_idleTimer = pa_context_rttime_new(
        m_context, pa_rtclock_now() + static_cast<pa_usec_t>(kIdleCloseMs) * 1000,
        [](pa_mainloop_api* api, pa_time_event* event, const struct timeval*, void* data) {
            auto* self = static_cast<PulseOutput*>(data);
            api->time_free(event);
            self->m_idleTimer = nullptr;
            if (self->m_voiceCount == 0)
                self->closeStream();
        },
        this);
}

void PulseOutput::silenceAll() {
    // Nothing can be heard: every sound still keeps its length, so that the
    // beeps keep the program's pace.
    const int64_t now = nowNs();
    for (std::size_t i = 0; i < m_voiceCount; ++i) {
        Voice* voice = m_voices[i];
        const int64_t start = std::max(voice->dueNs, now);
        voice->startNs = start;
        voice->endNs = start + lengthNs(*voice);
        if (!m_finished.push(voice))
            m_unreturned.push_back(voice);
    }
    m_voiceCount = 0;
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = write(m_replyFd, &one, sizeof one);
}

// ----------------------------------------------------------- the tone port

std::vector<int16_t> squareWave(int pitch, int duration) {
    std::vector<int16_t> samples;
    if (pitch <= 0 || duration <= 0)
        return samples;
    samples.reserve(static_cast<std::size_t>(pitch) * 2 * static_cast<std::size_t>(duration));
    for (int period = 0; period < duration; ++period) {
        samples.insert(samples.end(), static_cast<std::size_t>(pitch), PulseTonePort::kAmplitude);
        samples.insert(samples.end(), static_cast<std::size_t>(pitch), -PulseTonePort::kAmplitude);
    }
    return samples;
}

void PulseTonePort::out(uint16_t port, uint8_t value) {
    if (port == kSpeakerPort)
        m_pending.push_back(value >= 128 ? kAmplitude : static_cast<int16_t>(-kAmplitude));
}

Samples PulseTonePort::take() {
    return std::make_shared<const std::vector<int16_t>>(std::exchange(m_pending, {}));
}

void PulseTonePort::endOfBeep() {
    m_output->play(take(), true);
}

void PulseTonePort::endOfBeepAt(uint32_t dueTick, bool wholeOnly) {
    m_output->place(take(), MonotonicTickClock::nanosecondsAt(dueTick), wholeOnly);
}

void PulseTonePort::endOfPlacedBeep() {
    m_output->playPlaced(take(), true);
}

void PulseTonePort::withdraw() {
    m_output->withdraw();
}

void PulseTonePort::drain() {
    m_output->drain();
}

SoundDevices createSoundDevices(Notify notify) {
    auto output = std::make_shared<PulseOutput>(notify);
    SoundDevices devices;
    devices.port = std::make_unique<PulseTonePort>(output);
    // Rendered MIDI beeps are kept in the user's cache folder.
    BeepCache cache(BeepCache::folderFor(std::getenv("XDG_CACHE_HOME"), std::getenv("HOME")));
    devices.midi = std::make_unique<FluidSynthMidiPlayer>(output, std::move(notify), SORVANE_SOUNDFONT,
                                                          std::move(cache), SORVANE_FLUIDSYNTH_LIBRARY);
    return devices;
}

} // namespace sorvane
