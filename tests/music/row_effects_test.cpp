// Effects that act on a row's ticks: note delay, cut, retrigger, pattern
// delay, speed and tempo, sample offset and finetune.
#include "tests/music/sequencer_support.h"

namespace {
auto playingSampleOf() {
    return [](const Sequencer& s) -> std::int64_t { return s.channels[0].playingSample; };
}
auto rowOf() {
    return [](const Sequencer& s) -> std::int64_t { return s.row; };
}
}  // namespace

TEST(RowEffects, NoteDelayTriggersTheCellOnTickX) {
    auto bytes = songWithSample().cell(0, 0, 0, 428, 1, 0xE, 0xD2).build();
    Sequencer s = startSequencer(bytes);
    Sequencer t = s;
    EXPECT_EQ(traceTicks(s, 6, playingSampleOf()), (Trace{0, 0, 1, 1, 1, 1}));
    EXPECT_EQ(traceTicks(t, 6, periodOf()), (Trace{0, 0, 428, 428, 428, 428}));
}

TEST(RowEffects, NoteDelayBeyondTheRowNeverPlays) {
    auto bytes = songWithSample().cell(0, 0, 0, 428, 1, 0xE, 0xD6).cell(0, 1, 0, 0, 0).build();
    Sequencer s = startSequencer(bytes);
    EXPECT_EQ(traceTicks(s, 8, playingSampleOf()), (Trace{0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(s.channels[0].lastInstrument, 0);
}

TEST(RowEffects, NoteDelayZeroTriggersAsUsual) {
    auto bytes = songWithSample().cell(0, 0, 0, 428, 1, 0xE, 0xD0).build();
    Sequencer s = startSequencer(bytes);
    EXPECT_EQ(s.channels[0].playingSample, 1);
}

struct CutCase {
    int cutParam;
    int delayParam;  // EEx in channel 1, -1 = none
    int ticks;
    Trace volumes;
};
class NoteCut : public testing::TestWithParam<CutCase> {};
TEST_P(NoteCut, SilencesOnTickX) {
    const CutCase c = GetParam();
    ModuleBuilder builder = songWithSample();
    builder.cell(0, 0, 0, 428, 1, 0xE, 0xC0 | c.cutParam);
    if (c.delayParam >= 0) builder.effect(0, 0, 1, 0xE, 0xE0 | c.delayParam);
    auto bytes = builder.build();
    Sequencer s = startSequencer(bytes);
    EXPECT_EQ(traceTicks(s, c.ticks, volumeOf()), c.volumes);
}
INSTANTIATE_TEST_SUITE_P(
    RowEffects, NoteCut,
    testing::Values(CutCase{2, -1, 6, {64, 64, 0, 0, 0, 0}}, CutCase{0, -1, 3, {0, 0, 0}},
                    CutCase{6, -1, 7, {64, 64, 64, 64, 64, 64, 64}},
                    CutCase{8, 1, 12, {64, 64, 64, 64, 64, 64, 64, 64, 0, 0, 0, 0}}));

TEST(RowEffects, RetriggerRestartsFromZeroEveryXTicks) {
    auto bytes = songWithSample().cell(0, 0, 0, 428, 1, 0x9, 0x01).cell(0, 1, 0, 428, 0, 0xE, 0x92).build();
    Sequencer s = startSequencer(bytes);
    for (int i = 0; i < 6; ++i) s.tick();
    // The note restarts at the 9xx offset of the row before; E9x restarts at 0.
    EXPECT_EQ(s.channels[0].position, 256u * 16384);
    Trace restarted;
    for (int i = 0; i < 5; ++i) {
        s.channels[0].position = 999;  // where the mixer left it
        s.tick();
        restarted.push_back(s.channels[0].position == 0);
    }
    EXPECT_EQ(restarted, (Trace{0, 1, 0, 1, 0}));
}

TEST(RowEffects, RetriggerZeroRestartsOnEveryOtherTick) {
    auto bytes = songWithSample().cell(0, 0, 0, 428, 1, 0xE, 0x90).build();
    Sequencer s = startSequencer(bytes);
    for (int i = 0; i < 5; ++i) {
        s.channels[0].position = 999;
        s.tick();
        EXPECT_EQ(s.channels[0].position, 0u) << i;
    }
}

TEST(RowEffects, PatternDelayRepeatsTheRowsTicks) {
    auto bytes = songWithSample().effect(0, 0, 1, 0xE, 0xE1).build();
    Sequencer s = startSequencer(bytes);
    EXPECT_EQ(traceTicks(s, 14, rowOf()), (Trace{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1}));
}

TEST(RowEffects, SpeedAndPatternDelayInOneRowTheLaterChannelCounts) {
    auto speedFirst = songWithSample().effect(0, 0, 0, 0xF, 3).effect(0, 0, 1, 0xE, 0xE1).build();
    Sequencer a = startSequencer(speedFirst);
    EXPECT_EQ(traceTicks(a, 7, rowOf()), (Trace{0, 0, 0, 0, 0, 0, 1}));
    auto delayFirst = songWithSample().effect(0, 0, 0, 0xE, 0xE1).effect(0, 0, 1, 0xF, 3).build();
    Sequencer b = startSequencer(delayFirst);
    EXPECT_EQ(traceTicks(b, 4, rowOf()), (Trace{0, 0, 0, 1}));
}

struct SpeedCase {
    int param;
    std::int64_t speed;
    std::int64_t framesPerTick;
};
class SpeedTempo : public testing::TestWithParam<SpeedCase> {};
TEST_P(SpeedTempo, SetsTicksPerRowOrFramesPerTick) {
    auto bytes = songWithSample().effect(0, 0, 2, 0xF, GetParam().param).build();
    Sequencer s = startSequencer(bytes);
    EXPECT_EQ(s.speed, GetParam().speed);
    EXPECT_EQ(s.samplesPerTick, GetParam().framesPerTick);
}
INSTANTIATE_TEST_SUITE_P(RowEffects, SpeedTempo,
                         testing::Values(SpeedCase{0x00, 6, 960}, SpeedCase{0x1F, 31, 960},
                                         SpeedCase{0x01, 1, 960}, SpeedCase{0x20, 6, 3750},
                                         SpeedCase{0xA0, 6, 750}, SpeedCase{0x7D, 6, 960},
                                         SpeedCase{0xFF, 6, 470}));

TEST(RowEffects, SampleOffsetPersistsUntilAnInstrumentIsGiven) {
    auto bytes = songWithSample()
                     .cell(0, 0, 0, 428, 1, 0x9, 0x04)
                     .cell(0, 1, 0, 428, 0)
                     .cell(0, 2, 0, 428, 1)
                     .build();
    Sequencer s = startSequencer(bytes);
    Trace positions;
    for (int row = 0; row < 3; ++row) {
        positions.push_back(static_cast<std::int64_t>(s.channels[0].position));
        for (int i = 0; i < 6; ++i) s.tick();
    }
    EXPECT_EQ(positions, (Trace{1024 * 16384, 1024 * 16384, 0}));
}

TEST(RowEffects, FinetuneFromHeaderAndFromE5x) {
    ModuleBuilder builder;
    ModuleBuilder::Sample s;
    s.content.assign(16, 1);
    s.loopLengthBytes = 16;
    s.finetuneByte = 0x07;  // +7: index 15
    auto bytes = builder.sample(1, s).cell(0, 0, 0, 428, 1).cell(0, 1, 0, 428, 0, 0xE, 0x58).build();
    Sequencer q = startSequencer(bytes);
    EXPECT_EQ(q.channels[0].period, 407);  // 428 x 3894 / 4096 = 406.9
    for (int i = 0; i < 6; ++i) q.tick();
    EXPECT_EQ(q.channels[0].finetune, 0);     // E58: -8
    EXPECT_EQ(q.channels[0].period, 453);     // 428 x 4340 / 4096 = 453.5, half up
}

TEST(RowEffects, PanningIsFixedInFourChannelSongsOnly) {
    auto four = songWithSample().effect(0, 0, 0, 0x8, 0x40).build();
    EXPECT_EQ(startSequencer(four).channels[0].panning, 0);
    ModuleBuilder six(1, 6, "6CHN");
    auto bytes = six.effect(0, 0, 0, 0x8, 0x40).effect(0, 0, 1, 0x8, 0xC0).build();
    Sequencer s = startSequencer(bytes);
    EXPECT_EQ(s.channels[0].panning, 0x40);
    EXPECT_EQ(s.channels[1].panning, 127);
    EXPECT_EQ(s.channels[2].panning, 127);
    EXPECT_EQ(s.channels[3].panning, 0);
    EXPECT_EQ(s.channels[5].panning, 127);
}

TEST(RowEffects, InstrumentWithoutNoteSwitchesOnlyAPlayingLoopedVoice) {
    ModuleBuilder builder = songWithSample();
    builder.constantSample(2, 32, 5, true, 40).constantSample(3, 32, 6, false, 50);
    auto bytes = builder.cell(0, 0, 0, 0, 2).cell(0, 1, 0, 428, 1).cell(0, 2, 0, 0, 3).cell(0, 3, 0, 0, 2).build();
    Sequencer s = startSequencer(bytes);
    EXPECT_EQ(s.channels[0].playingSample, 0);  // nothing was playing: stays silent
    EXPECT_EQ(s.channels[0].volume, 40);
    Trace playing;
    for (int row = 1; row < 4; ++row) {
        for (int i = 0; i < 6; ++i) s.tick();
        playing.push_back(s.channels[0].playingSample);
    }
    EXPECT_EQ(playing, (Trace{1, 1, 2}));  // one-shot 3 does not take over; looped 2 does
    EXPECT_EQ(s.channels[0].lastInstrument, 2);
}
