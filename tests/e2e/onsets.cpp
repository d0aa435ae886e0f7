// Finds the beeps in raw captured audio (signed 16-bit, little endian):
// prints the time in seconds of every sound that follows at least gap_ms of
// silence, one per line.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s RAW_FILE [CHANNELS=1] [RATE=48000] [GAP_MS=50]\n", argv[0]);
        return 2;
    }
    const int channels = argc > 2 ? std::atoi(argv[2]) : 1;
    const int rate = argc > 3 ? std::atoi(argv[3]) : 48000;
    const int gapMs = argc > 4 ? std::atoi(argv[4]) : 50;
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const long gapFrames = static_cast<long>(rate) * gapMs / 1000;
    long frame = 0;
    long lastSound = -gapFrames - 1;
    std::vector<int16_t> buf(static_cast<size_t>(channels));
    while (in.read(reinterpret_cast<char*>(buf.data()), static_cast<std::streamsize>(buf.size() * 2))) {
        bool sound = false;
        for (int16_t s : buf)
            sound = sound || (s > 64 || s < -64);
        if (sound) {
            if (frame - lastSound > gapFrames)
                std::printf("%.4f\n", static_cast<double>(frame) / rate);
            lastSound = frame;
        }
        ++frame;
    }
    return 0;
}
