// Vibrato and tremolo with every waveform, and the shared random state.
#include "tests/music/sequencer_support.h"

namespace {
auto vibratoDeltaOf(int channel = 0) {
    return [channel](const Sequencer& s) -> std::int64_t { return s.channels[channel].vibratoDelta; };
}
auto tremoloDeltaOf(int channel = 0) {
    return [channel](const Sequencer& s) -> std::int64_t { return s.channels[channel].tremoloDelta; };
}
auto mixVolumeOf(int channel = 0) {
    return [channel](const Sequencer& s) -> std::int64_t { return s.channels[channel].mixVolume; };
}
}  // namespace

struct WaveCase {
    int wave;
    std::vector<int> positions;
    std::vector<int> values;
};
class Waveform : public testing::TestWithParam<WaveCase> {};

TEST_P(Waveform, ValuesOverTheCycle) {
    const WaveCase c = GetParam();
    std::int64_t random = RandomSeed;
    for (std::size_t i = 0; i < c.positions.size(); ++i) {
        EXPECT_EQ(waveformValue(static_cast<std::uint8_t>(c.positions[i]), static_cast<std::uint8_t>(c.wave), random),
                  c.values[i])
            << "wave " << c.wave << " pos " << c.positions[i];
    }
    if ((c.wave & 3) != 3) {
        EXPECT_EQ(random, RandomSeed);  // only the random wave draws
    }
}

INSTANTIATE_TEST_SUITE_P(
    Modulation, Waveform,
    testing::Values(
        WaveCase{0, {0, 8, 16, 31, 32, 48, 63, 64, 100}, {0, 180, 255, 24, 0, -255, -24, 0, -97}},
        WaveCase{4, {16, 48}, {255, -255}},  // waves 4..7 have the same shapes
        WaveCase{1, {0, 1, 31, 32, 33, 63, 64}, {-1, -9, -249, 255, 247, 7, -1}},
        WaveCase{2, {0, 31, 32, 63, 96}, {255, 255, -257, -257, -257}},
        WaveCase{3, {0, 0, 0, 0, 0, 0}, {-245, -70, 56, -1, -129, -210}},
        WaveCase{7, {9, 9}, {-245, -70}}));

TEST(Modulation, VibratoTakesSpeedAndDepthAndRunsOnTheOtherTicks) {
    auto bytes = songWithSample().cell(0, 0, 0, 428, 1, 0x4, 0x48).effect(0, 1, 0, 0x4, 0x00).build();
    Sequencer s = startSequencer(bytes);
    Sequencer t = s;
    // floor(sine x 8 / 128) at positions 0, 4, 8, ...; the second row keeps
    // speed and depth and its first tick holds the position.
    EXPECT_EQ(traceTicks(s, 12, vibratoDeltaOf()), (Trace{0, 6, 11, 14, 15, 14, 14, 11, 6, 0, -7, -12}));
    // The step follows period + delta: 434 on the second tick.
    EXPECT_EQ(traceTicks(t, 2, stepOf()), (Trace{2828, 2789}));
}

TEST(Modulation, VibratoWithVolumeSlideKeepsTheVibrato) {
    auto bytes = songWithSample().cell(0, 0, 0, 428, 1, 0x4, 0x48).effect(0, 1, 0, 0x6, 0x01).build();
    Sequencer s = startSequencer(bytes);
    for (int i = 0; i < 6; ++i) s.tick();
    Sequencer t = s;
    EXPECT_EQ(traceTicks(s, 6, vibratoDeltaOf()), (Trace{14, 11, 6, 0, -7, -12}));
    EXPECT_EQ(traceTicks(t, 6, volumeOf()), (Trace{64, 63, 62, 61, 60, 59}));
}

TEST(Modulation, RampAndSquareVibrato) {
    auto ramp = songWithSample().effect(0, 0, 0, 0xE, 0x41).cell(0, 1, 0, 428, 1, 0x4, 0x48).build();
    Sequencer s = startSequencer(ramp);
    for (int i = 0; i < 6; ++i) s.tick();
    EXPECT_EQ(traceTicks(s, 6, vibratoDeltaOf()), (Trace{-1, -3, -5, -7, -9, -11}));

    auto square = songWithSample().effect(0, 0, 0, 0xE, 0x42).cell(0, 1, 0, 428, 1, 0x4, 0x8F).build();
    Sequencer q = startSequencer(square);
    for (int i = 0; i < 6; ++i) q.tick();
    // Speed 8: positions 0, 8, 16, 24, 32, 40; 255 x 15 / 128 and -257 x 15 / 128.
    EXPECT_EQ(traceTicks(q, 6, vibratoDeltaOf()), (Trace{29, 29, 29, 29, -31, -31}));
}

TEST(Modulation, RandomWaveformIsSharedByAllChannels) {
    auto bytes = songWithSample()
                     .effect(0, 0, 0, 0xE, 0x43)
                     .effect(0, 0, 1, 0xE, 0x73)
                     .cell(0, 1, 0, 428, 1, 0x4, 0x1F)
                     .cell(0, 1, 1, 428, 1, 0x7, 0x1F)
                     .build();
    Sequencer s = startSequencer(bytes);
    for (int i = 0; i < 6; ++i) s.tick();
    // Channel 0 draws -245, channel 1 draws -70 on the first tick; then 56, -1.
    EXPECT_EQ(s.channels[0].vibratoDelta, -29);  // floor(-245 x 15 / 128)
    EXPECT_EQ(s.channels[1].tremoloDelta, -17);  // floor(-70 x 15 / 64)
    s.tick();
    EXPECT_EQ(s.channels[0].vibratoDelta, 6);   // 56 x 15 / 128 = 6.56
    EXPECT_EQ(s.channels[1].tremoloDelta, -1);  // floor(-1 x 15 / 64)
}

TEST(Modulation, TremoloChangesTheMixVolume) {
    ModuleBuilder builder(1);
    builder.constantSample(1, 64, 10, true, 32);
    auto bytes = builder.cell(0, 0, 0, 428, 1, 0x7, 0x48).build();
    Sequencer s = startSequencer(bytes);
    Sequencer t = s;
    EXPECT_EQ(traceTicks(s, 6, tremoloDeltaOf()), (Trace{0, 12, 22, 29, 31, 29}));
    EXPECT_EQ(traceTicks(t, 6, mixVolumeOf()), (Trace{64, 88, 108, 122, 126, 122}));
    EXPECT_EQ(s.channels[0].volume, 32);  // the volume itself is untouched
}

TEST(Modulation, TremoloClampsTheVolumeAtBothEnds) {
    ModuleBuilder builder(1);
    builder.constantSample(1, 64, 10, true, 60);
    auto bytes = builder.effect(0, 0, 0, 0xE, 0x72).cell(0, 1, 0, 428, 1, 0x7, 0x8F).build();
    Sequencer s = startSequencer(bytes);
    for (int i = 0; i < 6; ++i) s.tick();
    // Square wave, depth 15: 60 + 59 is held at 64; at position 32,
    // floor(-257 x 15 / 64) = -61 takes 60 below 0, held at 0.
    EXPECT_EQ(traceTicks(s, 6, mixVolumeOf()), (Trace{128, 128, 128, 128, 0, 0}));
}

TEST(Modulation, NewNoteResetsThePhaseOnlyForWavesZeroToThree) {
    for (const int wave : {0, 4}) {
        auto bytes = songWithSample()
                         .cell(0, 0, 0, 428, 1, 0xE, 0x40 | wave)
                         .cell(0, 1, 0, 428, 1, 0x4, 0x4F)
                         .cell(0, 2, 0, 428, 1)
                         .build();
        Sequencer s = startSequencer(bytes);
        for (int i = 0; i < 12; ++i) s.tick();
        EXPECT_EQ(s.channels[0].vibratoPos, wave == 0 ? 0 : 20) << wave;
    }
}
