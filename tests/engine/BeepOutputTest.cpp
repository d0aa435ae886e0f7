// The structure of a beep: d periods of p writes of 255 then p writes of 0
// to the speaker port, or one play of the MIDI file.
#include "engine/BeepOutput.h"

#include <gtest/gtest.h>

#include <ostream>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace sorvane {
namespace {

class RecordingPort final : public PortOutput {
public:
    void out(uint16_t port, uint8_t value) override {
        ++writes;
        if (port != kSpeakerPort)
            ++otherPortWrites;
        if (keepValues)
            values.push_back(value);
        else
            // check the pattern on the fly: runs of equal values
            countRun(value);
    }
    void endOfBeep() override {
        ++beepEnds;
        writesAtEnd.push_back(writes);
    }

    void countRun(uint8_t value) {
        if (runs.empty() || runs.back().first != value)
            runs.emplace_back(value, 0);
        ++runs.back().second;
    }

    bool keepValues = true;
    uint64_t writes = 0;
    uint64_t otherPortWrites = 0;
    int beepEnds = 0;
    std::vector<uint64_t> writesAtEnd;
    std::vector<uint8_t> values;
    std::vector<std::pair<uint8_t, uint64_t>> runs;
};

class CountingMidi final : public MidiPlayer {
public:
    void setFileName(const std::string& path) override { name = path; }
    std::string fileName() const override { return name; }
    void play() override { ++plays; }
    std::string name;
    int plays = 0;
};

class BeepOutputTest : public ::testing::Test {
protected:
    RecordingPort port;
    CountingMidi midi;
    BeepOutput beep{port, midi};
};

TEST_F(BeepOutputTest, ShortestBeepIsTwoWrites) {
    beep.beepPitch = 1;
    beep.beepDuration = 1;
    beep.playBeep(false);
    EXPECT_EQ(port.values, (std::vector<uint8_t>{255, 0}));
    EXPECT_EQ(port.otherPortWrites, 0u);
    EXPECT_EQ(port.beepEnds, 1);
    EXPECT_EQ(midi.plays, 0);
}

TEST_F(BeepOutputTest, SmallPitchAndDurationPattern) {
    beep.beepPitch = 3;
    beep.beepDuration = 2;
    beep.playBeep(false);
    EXPECT_EQ(port.values, (std::vector<uint8_t>{255, 255, 255, 0, 0, 0, 255, 255, 255, 0, 0, 0}));
    EXPECT_EQ(port.beepEnds, 1);
}

TEST_F(BeepOutputTest, DefaultBeepIs5000Writes) {
    beep.beepPitch = 100;
    beep.beepDuration = 25;
    beep.playBeep(false);
    ASSERT_EQ(port.values.size(), 5000u);
    for (std::size_t period = 0; period < 25; ++period) {
        for (std::size_t k = 0; k < 100; ++k) {
            ASSERT_EQ(port.values[period * 200 + k], 255) << "period " << period << " write " << k;
            ASSERT_EQ(port.values[period * 200 + 100 + k], 0) << "period " << period << " write " << k;
        }
    }
    EXPECT_EQ(port.otherPortWrites, 0u);
    EXPECT_EQ(port.beepEnds, 1);
    // the end of the beep comes after its last write
    EXPECT_EQ(port.writesAtEnd, (std::vector<uint64_t>{5000}));
}

struct SilentCase {
    int16_t pitch;
    int16_t duration;
};

void PrintTo(const SilentCase& c, std::ostream* os) {
    *os << "p=" << c.pitch << " d=" << c.duration;
}

class SilentBeepTest : public BeepOutputTest, public ::testing::WithParamInterface<SilentCase> {};

TEST_P(SilentBeepTest, NoWrites) {
    beep.beepPitch = GetParam().pitch;
    beep.beepDuration = GetParam().duration;
    beep.playBeep(false);
    EXPECT_EQ(port.writes, 0u);
    EXPECT_EQ(midi.plays, 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, SilentBeepTest,
                         ::testing::Values(SilentCase{0, 25}, SilentCase{100, 0}, SilentCase{0, 0},
                                           SilentCase{-1, 25}, SilentCase{100, -1},
                                           SilentCase{-32768, -32768}, SilentCase{32767, 0},
                                           SilentCase{0, 32767}));

TEST_F(BeepOutputTest, MidiBeepIsOnePlayAndNoPortWrites) {
    beep.beepPitch = 100;
    beep.beepDuration = 25;
    beep.playBeep(true);
    EXPECT_EQ(midi.plays, 1);
    EXPECT_EQ(port.writes, 0u);
    beep.beepPitch = 0;
    beep.beepDuration = 0;
    beep.playBeep(true);
    EXPECT_EQ(midi.plays, 2);
    EXPECT_EQ(port.writes, 0u);
}

TEST_F(BeepOutputTest, EachSpeakerBeepEndsOnce) {
    beep.beepPitch = 2;
    beep.beepDuration = 3;
    for (int i = 0; i < 4; ++i)
        beep.playBeep(false);
    EXPECT_EQ(port.beepEnds, 4);
    EXPECT_EQ(port.writesAtEnd, (std::vector<uint64_t>{12, 24, 36, 48}));
}

TEST_F(BeepOutputTest, ParametersAreReadAtEveryBeep) {
    beep.beepPitch = 1;
    beep.beepDuration = 1;
    beep.playBeep(false);
    beep.beepPitch = 2;
    beep.playBeep(false);
    EXPECT_EQ(port.values, (std::vector<uint8_t>{255, 0, 255, 255, 0, 0}));
}

// The loop counters must step past the largest 16-bit bound.
TEST_F(BeepOutputTest, LargestPitchEnds) {
    port.keepValues = false;
    beep.beepPitch = 32767;
    beep.beepDuration = 1;
    beep.playBeep(false);
    EXPECT_EQ(port.writes, 65534u);
    EXPECT_EQ(port.runs, (std::vector<std::pair<uint8_t, uint64_t>>{{255, 32767}, {0, 32767}}));
}

TEST_F(BeepOutputTest, LargestDurationEnds) {
    port.keepValues = false;
    beep.beepPitch = 1;
    beep.beepDuration = 32767;
    beep.playBeep(false);
    EXPECT_EQ(port.writes, 65534u);
    EXPECT_EQ(port.runs.size(), 65534u);
    EXPECT_EQ(port.runs.back(), (std::pair<uint8_t, uint64_t>{0, 1}));
}

// Both at the limit would be hours of tone: the beep keeps whole periods
// up to the longest beep.
TEST_F(BeepOutputTest, HugeBeepIsCutToWholePeriods) {
    port.keepValues = false;
    beep.beepPitch = 32767;
    beep.beepDuration = 32767;
    beep.playBeep(false);
    const uint64_t periods = kMaxBeepWrites / (2 * 32767);
    EXPECT_EQ(port.writes, periods * 2 * 32767);
    ASSERT_EQ(port.runs.size(), periods * 2);
    EXPECT_EQ(port.runs.back(), (std::pair<uint8_t, uint64_t>{0, 32767}));
}

TEST_F(BeepOutputTest, MidiPlayerIsTheOneGiven) {
    EXPECT_EQ(&beep.midiPlayer(), &midi);
}

// --- beeps placed ahead ------------------------------------------------------------------

// Devices that place ahead and log what they are asked: port P (placed at a
// tick), R (placed again after another beep: only if it can be taken back
// whole), E (end of beep, now), K (end of the placed beep), W (withdraw), D
// (drain); MIDI p, r, m, k, w, d likewise.  A port beep logs its write count.
class PlacingPort final : public PortOutput {
public:
    explicit PlacingPort(std::string& log) : m_log(log) {}
    void out(uint16_t, uint8_t) override { ++m_writes; }
    void endOfBeep() override { note('E'); }
    bool placesAhead() const override { return true; }
    void endOfBeepAt(uint32_t dueTick, bool wholeOnly) override {
        note(wholeOnly ? 'R' : 'P');
        m_log += "@" + std::to_string(dueTick);
    }
    void endOfPlacedBeep() override { note('K'); }
    void withdraw() override { m_log += 'W'; }
    void drain() override { m_log += 'D'; }

private:
    void note(char c) {
        m_log += c;
        m_log += std::to_string(m_writes);
        m_writes = 0;
    }
    std::string& m_log;
    int m_writes = 0;
};

class PlacingMidi final : public MidiPlayer {
public:
    explicit PlacingMidi(std::string& log) : m_log(log) {}
    void setFileName(const std::string&) override {}
    std::string fileName() const override { return {}; }
    void play() override { m_log += 'm'; }
    bool placesAhead() const override { return true; }
    void playAt(uint32_t dueTick, bool wholeOnly) override {
        m_log += (wholeOnly ? "r@" : "p@") + std::to_string(dueTick);
    }
    void playPlaced() override { m_log += 'k'; }
    void withdraw() override { m_log += 'w'; }
    void drain() override { m_log += 'd'; }

private:
    std::string& m_log;
};

struct PlaceCase {
    const char* name;
    const char* steps; // t/m: place a tone/MIDI beep at tick 7; a: arrive; T/M: play tone/MIDI;
                       // x: withdraw; 0: pitch 0 (silent tone); d: drain
    const char* log;
};

void PrintTo(const PlaceCase& c, std::ostream* os) {
    *os << c.name;
}

class PlaceAheadTest : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(PlaceAheadTest, KeepsThePlacedBeepOnlyWhenItIsAskedFor) {
    std::string log;
    PlacingPort port(log);
    PlacingMidi midi(log);
    BeepOutput beep(port, midi);
    beep.beepPitch = 2;
    beep.beepDuration = 3; // 12 writes
    for (const char* c = GetParam().steps; *c != 0; ++c) {
        switch (*c) {
        case 't':
            beep.placeBeep(false, 7);
            break;
        case 'm':
            beep.placeBeep(true, 7);
            break;
        case 'a':
            beep.arrive();
            break;
        case 'T':
            beep.playBeep(false);
            break;
        case 'M':
            beep.playBeep(true);
            break;
        case 'x':
            beep.withdraw();
            break;
        case '0':
            beep.beepPitch = 0;
            break;
        case 'd':
            beep.drain();
            break;
        default:
            FAIL() << "unknown step " << *c;
        }
    }
    EXPECT_EQ(log, GetParam().log);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlaceAheadTest,
    ::testing::Values(
        // the runner's own beep keeps the placed one, written again to compare
        PlaceCase{"ToneAskedFor", "taT", "P12@7K12"}, PlaceCase{"MidiAskedFor", "maM", "p@7k"},
        // any other beep (Stop, Restart, a key box, About...) takes it back
        // while it sounds, then places it again
        PlaceCase{"OtherBeepTakesItBackWhileItSounds", "tT", "P12@7WE12R12@7"},
        PlaceCase{"OtherMidiBeepTakesItBackWhileItSounds", "mM", "p@7wmr@7"},
        PlaceCase{"OtherMidiBeepWhileAToneIsPlaced", "tM", "P12@7WmR12@7"},
        PlaceCase{"OtherToneWhileAMidiBeepIsPlaced", "mT", "p@7wE12r@7"},
        // the run goes on: the runner's beep is the one placed again
        PlaceCase{"PlacedAgainThenAskedFor", "tTaT", "P12@7WE12R12@7K12"},
        // the run ends (Stop, Restart, a key box): the runner takes it back
        PlaceCase{"PlacedAgainThenTakenBack", "tTx", "P12@7WE12R12@7W"},
        // placed again with the parameters of now: silent, so not placed
        PlaceCase{"PlacedAgainSilent", "t0T", "P12@7WE0"},
        // the choice changed since it was placed: taken back, the new device sounds
        PlaceCase{"ToneThenMidiChosen", "taM", "P12@7Wm"}, PlaceCase{"MidiThenToneChosen", "maT", "p@7wE12"},
        PlaceCase{"Withdrawn", "tx", "P12@7W"},
        PlaceCase{"WithdrawnThenAskedForSoundsNow", "txaT", "P12@7WE12"},
        PlaceCase{"OtherBeepWithNothingPlaced", "TT", "E12E12"},
        PlaceCase{"PlacingAgainReplaces", "tt", "P12@7WP12@7"},
        // a silent tone is not placed; asked for, it ends without writes
        PlaceCase{"SilentToneIsNotPlaced", "0taT", "E0"},
        PlaceCase{"PitchSetToZeroBeforeItIsAskedFor", "t0aT", "P12@7WE0"},
        // the exit beep's drain takes back a beep still placed
        PlaceCase{"DrainTakesItBack", "td", "P12@7WDd"}),
    [](const ::testing::TestParamInfo<PlaceCase>& info) { return std::string(info.param.name); });

TEST_F(BeepOutputTest, PortThatCannotPlaceSoundsTheBeepWhenAskedFor) {
    beep.beepPitch = 2;
    beep.beepDuration = 3;
    beep.placeBeep(false, 7);
    EXPECT_EQ(port.writes, 0u);
    beep.arrive();
    beep.playBeep(false);
    EXPECT_EQ(port.writes, 12u);
    EXPECT_EQ(port.beepEnds, 1);
}

} // namespace
} // namespace sorvane
