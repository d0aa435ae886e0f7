// Helpers of `make bench` (tools/bench.sh).  A measurement aid, not part of
// the program:
//   benchtool now                       CLOCK_MONOTONIC in nanoseconds
//   benchtool capture RAW STAMPS        copies raw audio from stdin to RAW and,
//                                       for every chunk read, appends
//                                       "<monotonic ns> <frames so far>" to STAMPS
//   benchtool beeps RAW STAMPS BEEP_FRAMES
//                                       the beeps in a capture (mono s16le,
//                                       48 kHz), one a line: onset and end in
//                                       monotonic ns, frames of sound, whole (1)
//                                       or damaged (0)
//   benchtool usage PID...              CPU time (ns) and context switches
//                                       summed over every thread of the PIDs
//   benchtool wav PATH PITCH DURATION   the tone beep as a WAV file (mono
//                                       s16le, 48 kHz), for players to compare
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRate = 48000;

int64_t monotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

int capture(const char* rawPath, const char* stampPath) {
    FILE* raw = std::fopen(rawPath, "wb");
    FILE* stamps = std::fopen(stampPath, "w");
    if (raw == nullptr || stamps == nullptr) {
        std::perror("benchtool capture");
        return 1;
    }
    std::vector<char> buffer(1 << 16);
    uint64_t bytes = 0;
    for (;;) {
        const ssize_t n = read(STDIN_FILENO, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        // Stamped as soon as read returns: the sample that ended the chunk
        // was captured no later than this.
        const int64_t now = monotonicNs();
        std::fwrite(buffer.data(), 1, static_cast<size_t>(n), raw);
        bytes += static_cast<uint64_t>(n);
        std::fprintf(stamps, "%lld %llu\n", static_cast<long long>(now),
                     static_cast<unsigned long long>(bytes / 2));
        std::fflush(raw);
        std::fflush(stamps);
    }
    std::fclose(raw);
    std::fclose(stamps);
    return 0;
}

// Monotonic time of capture frame 0: the chunk that arrived soonest after
// its last frame was captured sets it (the lower envelope of arrival minus
// position), which leaves out every delay of the recording path that varies.
int64_t frameZeroNs(const char* stampPath) {
    std::ifstream in(stampPath);
    long long ns = 0;
    unsigned long long frames = 0;
    int64_t best = INT64_MAX;
    while (in >> ns >> frames)
        best = std::min<int64_t>(best, ns - static_cast<int64_t>(frames) * 1'000'000'000 / kRate);
    return best;
}

int beeps(const char* rawPath, const char* stampPath, long beepFrames) {
    std::ifstream in(rawPath, std::ios::binary);
    std::vector<int16_t> s;
    {
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        s.resize(bytes.size() / 2);
        std::memcpy(s.data(), bytes.data(), s.size() * 2);
    }
    const int64_t zero = frameZeroNs(stampPath);
    auto at = [&](long frame) { return zero + static_cast<int64_t>(frame) * 1'000'000'000 / kRate; };
    // Sound runs split by at least 1 ms of silence; runs closer than 40 ms
    // belong to one beep (a beep with a gap inside is a damaged beep).
    constexpr long kSplit = kRate / 1000;
    constexpr long kJoin = kRate * 40 / 1000;
    struct Run {
        long first, last;
    };
    std::vector<Run> runs;
    long silent = kSplit + 1;
    for (long i = 0; i < static_cast<long>(s.size()); ++i) {
        if (std::abs(static_cast<int>(s[static_cast<size_t>(i)])) > 64) {
            if (silent > kSplit || runs.empty())
                runs.push_back({i, i});
            runs.back().last = i;
            silent = 0;
        } else {
            ++silent;
        }
    }
    for (size_t i = 0; i < runs.size();) {
        size_t j = i;
        long sounding = runs[i].last - runs[i].first + 1;
        while (j + 1 < runs.size() && runs[j + 1].first - runs[j].last <= kJoin) {
            ++j;
            sounding += runs[j].last - runs[j].first + 1;
        }
        const long length = runs[j].last - runs[i].first + 1;
        const bool whole = i == j && (beepFrames <= 0 || std::labs(length - beepFrames) <= kRate / 1000);
        std::printf("%lld %lld %ld %d\n", static_cast<long long>(at(runs[i].first)),
                    static_cast<long long>(at(runs[j].last + 1)), sounding, whole ? 1 : 0);
        i = j + 1;
    }
    return 0;
}

// Sum of the run time and context switches of every thread of a process.
bool usageOf(long pid, int64_t& cpuNs, int64_t& switches) {
    const std::string dir = "/proc/" + std::to_string(pid) + "/task";
    DIR* d = opendir(dir.c_str());
    if (d == nullptr)
        return false;
    while (dirent* e = readdir(d)) {
        if (e->d_name[0] == '.')
            continue;
        const std::string task = dir + "/" + e->d_name;
        std::ifstream sched(task + "/schedstat");
        long long run = 0;
        if (sched >> run)
            cpuNs += run;
        std::ifstream status(task + "/status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0 ||
                line.rfind("nonvoluntary_ctxt_switches:", 0) == 0)
                switches += std::atoll(line.c_str() + line.find(':') + 1);
        }
    }
    closedir(d);
    return true;
}

int wav(const char* path, int pitch, int duration) {
    std::vector<int16_t> samples;
    for (int period = 0; period < duration; ++period) {
        samples.insert(samples.end(), static_cast<size_t>(pitch), int16_t{8000});
        samples.insert(samples.end(), static_cast<size_t>(pitch), int16_t{-8000});
    }
    FILE* f = std::fopen(path, "wb");
    if (f == nullptr)
        return 1;
    const auto u32 = [&](uint32_t v) { std::fwrite(&v, 4, 1, f); };
    const auto u16 = [&](uint16_t v) { std::fwrite(&v, 2, 1, f); };
    const auto data = static_cast<uint32_t>(samples.size() * 2);
    std::fwrite("RIFF", 1, 4, f);
    u32(36 + data);
    std::fwrite("WAVEfmt ", 1, 8, f);
    u32(16);
    u16(1);
    u16(1);
    u32(kRate);
    u32(kRate * 2);
    u16(2);
    u16(16);
    std::fwrite("data", 1, 4, f);
    u32(data);
    std::fwrite(samples.data(), 2, samples.size(), f);
    std::fclose(f);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string cmd = argc > 1 ? argv[1] : "";
    if (cmd == "now") {
        std::printf("%lld\n", static_cast<long long>(monotonicNs()));
        return 0;
    }
    if (cmd == "capture" && argc == 4)
        return capture(argv[2], argv[3]);
    if (cmd == "beeps" && argc == 5)
        return beeps(argv[2], argv[3], std::atol(argv[4]));
    if (cmd == "usage" && argc >= 3) {
        int64_t cpu = 0;
        int64_t switches = 0;
        for (int i = 2; i < argc; ++i)
            usageOf(std::atol(argv[i]), cpu, switches);
        std::printf("%lld %lld\n", static_cast<long long>(cpu), static_cast<long long>(switches));
        return 0;
    }
    if (cmd == "wav" && argc == 5)
        return wav(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    std::fprintf(stderr, "usage: %s now | capture RAW STAMPS | beeps RAW STAMPS BEEP_FRAMES | usage PID...\n",
                 argv[0]);
    return 2;
}
