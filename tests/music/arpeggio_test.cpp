// Arpeggio: base note, +x and +y semitones in turn.
#include "tests/music/sequencer_support.h"

namespace {
auto arpeggioStepOf() {
    return [](const Sequencer& s) -> std::int64_t { return s.channels[0].arpeggioStep; };
}
auto rowTickOf() {
    return [](const Sequencer& s) -> std::int64_t { return s.channels[0].rowTick; };
}
}  // namespace

TEST(Arpeggio, CyclesBaseThenXThenY) {
    auto bytes = songWithSample().cell(0, 0, 0, 428, 1, 0x0, 0x37).build();
    Sequencer a = startSequencer(bytes);
    Sequencer b = a;
    Sequencer c = a;
    EXPECT_EQ(traceTicks(a, 6, arpeggioStepOf()), (Trace{0, 3, 7, 0, 3, 7}));
    EXPECT_EQ(traceTicks(b, 6, rowTickOf()), (Trace{0, 1, 2, 0, 1, 2}));
    // Period 428 x 2^(-3/12) = 360, x 2^(-7/12) = 286.
    EXPECT_EQ(traceTicks(c, 7, stepOf()), (Trace{2828, 3362, 4232, 2828, 3362, 4232, 2828}));
    EXPECT_EQ(c.channels[0].period, 428);  // the period itself never changes
}

TEST(Arpeggio, IsEffectZeroWithAParameterOnly) {
    EXPECT_EQ(internalEffect(0x0, 0x00).effect, EffectNone);
    EXPECT_EQ(internalEffect(0x0, 0x01).effect, EffectArpeggio);
    EXPECT_EQ(internalEffect(0xE, 0x00).effect, EffectExtended);  // E00, not arpeggio
    EXPECT_EQ(internalEffect(0xE, 0xC3).effect, EffectNoteCut);
    EXPECT_EQ(internalEffect(0xE, 0xC3).param, 3);
    EXPECT_EQ(internalEffect(0xA, 0xC3).param, 0xC3);
}

TEST(Arpeggio, PeriodBelowFourteenPlaysTheLowestFallback) {
    auto bytes = songWithSample().cell(0, 0, 0, 20, 1, 0x0, 0xF0).build();
    Sequencer s = startSequencer(bytes);
    // 20 x 2^(-15/12) rounds to 8: played as period 6848.
    EXPECT_EQ(traceTicks(s, 3, stepOf()), (Trace{(std::int64_t{8287} * 428 / 20) * 16384 / 48000, 176, (std::int64_t{8287} * 428 / 20) * 16384 / 48000}));
}

TEST(Arpeggio, StepsFollowTheClockAndTheRate) {
    // Period 428 at clock 8287: 2828 at 48000 Hz; 8363 with more than four channels.
    auto four = songWithSample().cell(0, 0, 0, 428, 1).build();
    EXPECT_EQ(startSequencer(four).channels[0].step, 2828u);
    EXPECT_EQ(startSequencer(four, 44100).channels[0].step, 8287u * 16384 / 44100);
    ModuleBuilder six(1, 6, "6CHN");
    six.constantSample(1, 64, 10).cell(0, 0, 5, 428, 1);
    auto bytes = six.build();
    Sequencer s = startSequencer(bytes);
    EXPECT_EQ(s.channels[5].step, 8363u * 16384 / 48000);
    EXPECT_EQ(s.channels[5].mixVolume, 64);  // volume scale 32 with more than four channels
    EXPECT_EQ(s.volumeScale, 32);
}
