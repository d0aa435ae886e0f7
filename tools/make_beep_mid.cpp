// Writes the timer's MIDI beep: one short, bright glockenspiel note, as a
// Standard MIDI File (format 0, one track).
//
//   make-beep-mid OUTPUT.mid
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <vector>

namespace {

void put16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}

void put32(std::vector<uint8_t>& out, uint32_t value) {
    put16(out, value >> 16);
    put16(out, value & 0xffff);
}

// Delta times are variable-length numbers: 7 bits a byte, high bit set on
// every byte but the last.
void putDelta(std::vector<uint8_t>& out, uint32_t ticks) {
    uint8_t bytes[5];
    int count = 0;
    do {
        bytes[count++] = static_cast<uint8_t>(ticks & 0x7f);
        ticks >>= 7;
    } while (ticks != 0);
    while (count > 1)
        out.push_back(static_cast<uint8_t>(bytes[--count] | 0x80));
    out.push_back(bytes[0]);
}

constexpr uint16_t kTicksPerQuarter = 480;
constexpr uint32_t kMicrosecondsPerQuarter = 500000; // 120 beats a minute
constexpr uint8_t kGlockenspiel = 9;                 // General MIDI program 10, counted from 0
constexpr uint8_t kNote = 84;                        // C6
constexpr uint8_t kVelocity = 110;
constexpr uint32_t kNoteTicks = 144; // 150 ms at this tempo

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.mid\n", argc > 0 ? argv[0] : "make-beep-mid");
        return 2;
    }

    std::vector<uint8_t> track;
    putDelta(track, 0); // tempo
    track.insert(track.end(), {0xff, 0x51, 0x03});
    track.push_back(static_cast<uint8_t>(kMicrosecondsPerQuarter >> 16));
    track.push_back(static_cast<uint8_t>(kMicrosecondsPerQuarter >> 8));
    track.push_back(static_cast<uint8_t>(kMicrosecondsPerQuarter));
    putDelta(track, 0); // instrument of channel 1
    track.insert(track.end(), {0xc0, kGlockenspiel});
    putDelta(track, 0);
    track.insert(track.end(), {0x90, kNote, kVelocity});
    putDelta(track, kNoteTicks);
    track.insert(track.end(), {0x80, kNote, 0x40});
    putDelta(track, 0); // end of track
    track.insert(track.end(), {0xff, 0x2f, 0x00});

    std::vector<uint8_t> file{'M', 'T', 'h', 'd'};
    put32(file, 6);
    put16(file, 0); // format 0
    put16(file, 1); // one track
    put16(file, kTicksPerQuarter);
    file.insert(file.end(), {'M', 'T', 'r', 'k'});
    put32(file, static_cast<uint32_t>(track.size()));
    file.insert(file.end(), track.begin(), track.end());

    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "make-beep-mid: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
