// The structure of a beep: d periods of p writes of 255 then p writes of 0
// to the speaker port, or one play of the MIDI file.
#include "engine/BeepOutput.h"

#include "support/CoreDoubles.h"
#include "support/TableTests.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace sorvane {
namespace {

using testing_support::PrintTo;
using testing_support::RecordingMidi;
using testing_support::RecordingPort;

// `periods` periods of `pitch` writes of 255 then `pitch` writes of 0, as
// runs of equal values.
std::vector<RecordingPort::Run> squareWave(long pitch, long periods) {
    std::vector<RecordingPort::Run> wave;
    for (long i = 0; i < periods; ++i) {
        wave.emplace_back(255, pitch);
        wave.emplace_back(0, pitch);
    }
    return wave;
}

class BeepOutputTest : public ::testing::Test {
protected:
    RecordingPort port;
    RecordingMidi midi;
    BeepOutput beep{port, midi};
};

// A speaker beep writes its whole square wave to the speaker port, and ends
// once, after its last write.  A pitch or duration of 0 or less is silent;
// the loop counters step past the largest 16-bit bound; both at the limit
// would be hours of tone, and the beep keeps the whole periods that fit into
// ten seconds of output (480000 writes).
struct WaveRow {
    const char* name;
    int16_t pitch;
    int16_t duration;
    long periods; // heard
};

class SpeakerBeepTest : public BeepOutputTest, public ::testing::WithParamInterface<WaveRow> {};

TEST_P(SpeakerBeepTest, WritesTheSquareWave) {
    const WaveRow& r = GetParam();
    beep.beepPitch = r.pitch;
    beep.beepDuration = r.duration;
    beep.playBeep(false);
    EXPECT_EQ(port.wave, squareWave(r.pitch, r.periods));
    EXPECT_EQ(port.otherPortWrites, 0);
    EXPECT_EQ(midi.plays, 0);
    if (r.periods > 0) {
        EXPECT_EQ(port.writesAtEnd, (std::vector<long>{2L * r.pitch * r.periods}));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SpeakerBeepTest,
    ::testing::Values(WaveRow{"Shortest", 1, 1, 1}, WaveRow{"SmallPitchAndDuration", 3, 2, 2},
                      WaveRow{"Default", 100, 25, 25}, WaveRow{"LargestPitch", 32767, 1, 1},
                      WaveRow{"LargestDuration", 1, 32767, 32767},
                      WaveRow{"BothLargestCutToWholePeriods", 32767, 32767, 7},
                      WaveRow{"PitchZero", 0, 25, 0}, WaveRow{"DurationZero", 100, 0, 0},
                      WaveRow{"BothZero", 0, 0, 0}, WaveRow{"NegativePitch", -1, 25, 0},
                      WaveRow{"NegativeDuration", 100, -1, 0}, WaveRow{"BothSmallest", -32768, -32768, 0},
                      WaveRow{"LargestPitchNoDuration", 32767, 0, 0},
                      WaveRow{"LargestDurationNoPitch", 0, 32767, 0}),
    testing_support::ByName());

TEST_F(BeepOutputTest, EveryBeepReadsTheParametersAndEndsOnce) {
    beep.beepPitch = 1;
    beep.beepDuration = 1;
    beep.playBeep(false);
    beep.beepPitch = 2;
    beep.playBeep(false);
    beep.beepDuration = 3;
    beep.playBeep(false);
    beep.playBeep(false);
    std::vector<RecordingPort::Run> expected = squareWave(1, 1);
    for (const auto& run : squareWave(2, 7))
        expected.push_back(run);
    EXPECT_EQ(port.wave, expected);
    EXPECT_EQ(port.writesAtEnd, (std::vector<long>{2, 6, 18, 30}));
}

TEST_F(BeepOutputTest, MidiBeepIsOnePlayAndNoPortWrites) {
    beep.beepPitch = 100;
    beep.beepDuration = 25;
    beep.playBeep(true);
    EXPECT_EQ(midi.plays, 1);
    EXPECT_EQ(port.writes, 0);
    beep.beepPitch = 0;
    beep.beepDuration = 0;
    beep.playBeep(true);
    EXPECT_EQ(midi.plays, 2);
    EXPECT_EQ(port.writes, 0);
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

INSTANTIATE_TEST_SUITE_P(Rows, PlaceAheadTest,
                         ::testing::Values(
                             // the runner's own beep keeps the placed one, written again to compare
                             PlaceCase{"ToneAskedFor", "taT", "P12@7K12"},
                             PlaceCase{"MidiAskedFor", "maM", "p@7k"},
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
                             PlaceCase{"ToneThenMidiChosen", "taM", "P12@7Wm"},
                             PlaceCase{"MidiThenToneChosen", "maT", "p@7wE12"},
                             PlaceCase{"Withdrawn", "tx", "P12@7W"},
                             PlaceCase{"WithdrawnThenAskedForSoundsNow", "txaT", "P12@7WE12"},
                             PlaceCase{"OtherBeepWithNothingPlaced", "TT", "E12E12"},
                             PlaceCase{"PlacingAgainReplaces", "tt", "P12@7WP12@7"},
                             // a silent tone is not placed; asked for, it ends without writes
                             PlaceCase{"SilentToneIsNotPlaced", "0taT", "E0"},
                             PlaceCase{"PitchSetToZeroBeforeItIsAskedFor", "t0aT", "P12@7WE0"},
                             // the exit beep's drain takes back a beep still placed
                             PlaceCase{"DrainTakesItBack", "td", "P12@7WDd"}),
                         testing_support::ByName());

TEST_F(BeepOutputTest, PortThatCannotPlaceSoundsTheBeepWhenAskedFor) {
    beep.beepPitch = 2;
    beep.beepDuration = 3;
    beep.placeBeep(false, 7);
    EXPECT_EQ(port.writes, 0);
    beep.arrive();
    beep.playBeep(false);
    EXPECT_EQ(port.writes, 12);
    EXPECT_EQ(port.beeps(), 1);
}

} // namespace
} // namespace sorvane
