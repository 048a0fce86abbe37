// Period and volume slides, tone portamento and their limits.
#include "tests/music/sequencer_support.h"

TEST(Slides, PortamentoUpAndDownRunOnTheOtherTicks) {
    auto bytes = songWithSample().cell(0, 0, 0, 428, 1, 0x1, 0x10).cell(0, 0, 1, 428, 1, 0x2, 0x20).build();
    Sequencer s = startSequencer(bytes);
    Sequencer t = s;
    EXPECT_EQ(traceTicks(s, 7, periodOf(0)), (Trace{428, 412, 396, 380, 364, 348, 348}));
    EXPECT_EQ(traceTicks(t, 7, periodOf(1)), (Trace{428, 460, 492, 524, 556, 588, 588}));
}

TEST(Slides, PortamentoUpStopsAtZeroAndPlaysTheLowestFallback) {
    auto bytes = songWithSample().cell(0, 0, 0, 300, 1, 0x1, 0xFF).build();
    Sequencer s = startSequencer(bytes);
    Sequencer t = s;
    EXPECT_EQ(traceTicks(s, 4, periodOf()), (Trace{300, 45, 0, 0}));
    // Period 45 is still a period; below 14 the channel plays period 6848.
    EXPECT_EQ(traceTicks(t, 4, stepOf()), (Trace{4035, 26903, 176, 176}));
}

TEST(Slides, PortamentoDownStopsAt65535) {
    auto bytes = songWithSample().cell(0, 0, 0, 428, 1, 0x2, 0xFF).build();
    Sequencer s = startSequencer(bytes);
    s.channels[0].period = 65400;
    EXPECT_EQ(traceTicks(s, 3, periodOf()), (Trace{65400, 65535, 65535}));
}

TEST(Slides, FineSlidesActOnTheFirstTickOnly) {
    auto bytes = songWithSample().cell(0, 0, 0, 428, 1, 0xE, 0x13).effect(0, 1, 0, 0xE, 0x2F).build();
    Sequencer s = startSequencer(bytes);
    EXPECT_EQ(traceTicks(s, 8, periodOf()), (Trace{425, 425, 425, 425, 425, 425, 440, 440}));
}

TEST(Slides, TonePortamentoSlidesToTheNoteInBothDirections) {
    auto bytes = songWithSample()
                     .cell(0, 0, 0, 428, 1)
                     .cell(0, 1, 0, 380, 0, 0x3, 0x10)
                     .cell(0, 2, 0, 440, 0, 0x3, 0x00)  // 300: keeps the speed
                     .build();
    Sequencer s = startSequencer(bytes);
    EXPECT_EQ(traceTicks(s, 18, periodOf()),
              (Trace{428, 428, 428, 428, 428, 428,    //
                     428, 412, 396, 380, 380, 380,    //
                     380, 396, 412, 428, 440, 440}));
}

TEST(Slides, TonePortamentoWithInstrumentTakesItsSettingsWithoutRestarting) {
    ModuleBuilder builder = songWithSample();
    ModuleBuilder::Sample other;
    other.content.assign(32, 20);
    other.loopLengthBytes = 32;
    other.volume = 33;
    other.finetuneByte = 0x0F;  // -1: index 7, factor 4126
    auto bytes = builder.sample(2, other).cell(0, 0, 0, 428, 1).cell(0, 1, 0, 400, 2, 0x3, 0x04).build();
    Sequencer s = startSequencer(bytes);
    for (int i = 0; i < 5; ++i) s.tick();
    s.channels[0].position = 12345;  // where the mixer left the voice
    s.tick();
    const ChannelState& c = s.channels[0];
    EXPECT_EQ(c.position, 12345u);
    EXPECT_EQ(c.volume, 33);
    EXPECT_EQ(c.finetune, 7);
    EXPECT_EQ(c.targetPeriod, 403);  // 400 x 4126 / 4096 = 402.93
    EXPECT_EQ(c.period, 428);
    EXPECT_EQ(c.playingSample, 2);  // a looping instrument takes over at once
    s.tick();
    EXPECT_EQ(c.period, 424);
}

TEST(Slides, TonePortamentoWithVolumeSlide) {
    auto bytes = songWithSample()
                     .cell(0, 0, 0, 428, 1)
                     .cell(0, 1, 0, 380, 0, 0x3, 0x08)
                     .effect(0, 2, 0, 0x5, 0x02)
                     .build();
    Sequencer s = startSequencer(bytes);
    for (int i = 0; i < 12; ++i) s.tick();
    EXPECT_EQ(s.channels[0].period, 388);
    Sequencer t = s;
    EXPECT_EQ(traceTicks(s, 6, periodOf()), (Trace{388, 380, 380, 380, 380, 380}));
    EXPECT_EQ(traceTicks(t, 6, volumeOf()), (Trace{64, 62, 60, 58, 56, 54}));
}

struct VolumeSlideCase {
    int startVolume;
    int param;
    Trace volumes;
};
class VolumeSlide : public testing::TestWithParam<VolumeSlideCase> {};

TEST_P(VolumeSlide, UsesBothNibblesAndClamps) {
    const VolumeSlideCase c = GetParam();
    auto bytes = songWithSample().cell(0, 0, 0, 428, 1, 0xC, c.startVolume).effect(0, 1, 0, 0xA, c.param).build();
    Sequencer s = startSequencer(bytes);
    for (int i = 0; i < 6; ++i) s.tick();
    EXPECT_EQ(traceTicks(s, 6, volumeOf()), c.volumes);
    EXPECT_EQ(s.channels[0].mixVolume, 2 * c.volumes.back());
}

INSTANTIATE_TEST_SUITE_P(Slides, VolumeSlide,
                         testing::Values(VolumeSlideCase{32, 0x42, {32, 34, 36, 38, 40, 42}},
                                         VolumeSlideCase{60, 0xF0, {60, 64, 64, 64, 64, 64}},
                                         VolumeSlideCase{10, 0x0F, {10, 0, 0, 0, 0, 0}},
                                         VolumeSlideCase{20, 0x33, {20, 20, 20, 20, 20, 20}}));

TEST(Slides, SetVolumeAndFineVolumeSteps) {
    auto bytes = songWithSample()
                     .cell(0, 0, 0, 428, 1, 0xC, 0x20)
                     .effect(0, 1, 0, 0xE, 0xA5)
                     .effect(0, 2, 0, 0xE, 0xBF)
                     .effect(0, 3, 0, 0xE, 0xBF)
                     .effect(0, 4, 0, 0xC, 0x7F)
                     .effect(0, 5, 0, 0xE, 0xA1)
                     .build();
    Sequencer s = startSequencer(bytes);
    Trace perRow;
    for (int row = 0; row < 6; ++row) {
        perRow.push_back(s.channels[0].volume);
        for (int i = 0; i < 6; ++i) s.tick();
    }
    EXPECT_EQ(perRow, (Trace{32, 37, 22, 7, 64, 64}));
}
