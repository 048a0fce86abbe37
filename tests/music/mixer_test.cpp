// The mixer: gains and sides, loop folding, one-shot end, silent channels,
// and sums that keep their full range until the downmix clamps them.
#include <gtest/gtest.h>

#include <vector>

#include "music/mixer.h"

namespace {

constexpr std::uint64_t One = 16384;

struct Voice {
    std::vector<std::uint8_t> bytes;
    SampleHeader sample;
    ChannelState channel;
};

// A sample of the given bytes; loopBytes 0 = one-shot.
Voice voice(std::vector<std::int8_t> content, std::uint64_t loopStart, std::uint64_t loopBytes,
            std::uint8_t mixVolume, std::uint8_t panning, std::uint64_t step) {
    Voice v;
    for (std::int8_t x : content) v.bytes.push_back(static_cast<std::uint8_t>(x));
    v.sample.data = v.bytes;
    v.sample.loopStart = (loopBytes ? loopStart : content.size()) * One;
    v.sample.loopLength = loopBytes * One;
    v.channel.playingSample = 1;
    v.channel.mixVolume = mixVolume;
    v.channel.panning = panning;
    v.channel.step = step;
    return v;
}

std::vector<int> first(const std::array<std::int32_t, BlockFrames>& side, int n) {
    return std::vector<int>(side.begin(), side.begin() + n);
}

}  // namespace

TEST(Mixer, HardLeftChannelAddsSampleTimesVolumeOnTheLeftOnly) {
    Voice v = voice({-128, 127, 1, 0}, 0, 0, 64, 0, One);
    MixBlock block;
    mixChannel(block, 0, 4, v.channel, v.sample);
    EXPECT_EQ(first(block.left, 5), (std::vector<int>{-8192, 8128, 64, 0, 0}));
    EXPECT_EQ(first(block.right, 5), (std::vector<int>{0, 0, 0, 0, 0}));
}

TEST(Mixer, HardRightChannelUsesTheRightSide) {
    Voice v = voice({-128, 127}, 0, 0, 128, 127, One);
    MixBlock block;
    mixChannel(block, 0, 2, v.channel, v.sample);
    EXPECT_EQ(first(block.right, 2), (std::vector<int>{-16384, 16256}));
    EXPECT_EQ(first(block.left, 2), (std::vector<int>{0, 0}));
}

TEST(Mixer, TwoSidedChannelUsesGainsWithFloorShifts) {
    // Panning 64, volume 64: gains 126 and 128.
    Voice v = voice({100, -1, -128}, 0, 0, 64, 64, One);
    MixBlock block;
    mixChannel(block, 0, 3, v.channel, v.sample);
    EXPECT_EQ(first(block.left, 3), (std::vector<int>{3150, -32, -4032}));
    EXPECT_EQ(first(block.right, 3), (std::vector<int>{3200, -32, -4096}));
}

TEST(Mixer, SideWithWeightBelow32IsSilent) {
    // Volume 1 at panning 100: left weight 27 is silent, right weight 100 takes x * v.
    Voice v = voice({50}, 0, 0, 1, 100, 0);
    MixBlock block;
    mixChannel(block, 0, 2, v.channel, v.sample);
    EXPECT_EQ(first(block.left, 2), (std::vector<int>{0, 0}));
    EXPECT_EQ(first(block.right, 2), (std::vector<int>{50, 50}));
}

TEST(Mixer, SumsKeepTheirFullRange) {
    Voice v = voice({100, -100}, 0, 0, 64, 0, One);
    MixBlock block;
    block.left[0] = 32000;
    block.left[1] = -32000;
    mixChannel(block, 0, 2, v.channel, v.sample);
    EXPECT_EQ(block.left[0], 32000 + 6400);
    EXPECT_EQ(block.left[1], -32000 - 6400);
}

TEST(Mixer, NearestSampleAtFractionalSteps) {
    // Step 0.75 bytes: reads bytes 0, 0, 1, 2, 3, 3 (positions 0, .75, 1.5, 2.25, 3, 3.75).
    Voice v = voice({1, 2, 3, 4, 5, 6, 7, 8}, 0, 8, 2, 0, 3 * One / 4);
    MixBlock block;
    mixChannel(block, 0, 6, v.channel, v.sample);
    EXPECT_EQ(first(block.left, 6), (std::vector<int>{2, 2, 4, 6, 8, 8}));
    EXPECT_EQ(v.channel.position, 6 * 3 * One / 4);
}

TEST(Mixer, OneShotStopsAtItsEndAndStaysThere) {
    Voice v = voice({1, 2, 3, 4}, 0, 0, 1, 0, One);
    MixBlock block;
    mixChannel(block, 0, 6, v.channel, v.sample);
    EXPECT_EQ(first(block.left, 7), (std::vector<int>{1, 2, 3, 4, 0, 0, 0}));
    EXPECT_EQ(v.channel.position, 4 * One);
    mixChannel(block, 6, 4, v.channel, v.sample);
    EXPECT_EQ(first(block.left, 10), (std::vector<int>{1, 2, 3, 4, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(v.channel.position, 4 * One);
}

TEST(Mixer, LoopRepeatsFromItsStart) {
    Voice v = voice({1, 2, 3, 4, 5, 6, 7, 8}, 4, 4, 1, 0, One);
    MixBlock block;
    mixChannel(block, 0, 14, v.channel, v.sample);
    EXPECT_EQ(first(block.left, 14), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 5, 6, 7, 8, 5, 6}));
    EXPECT_EQ(v.channel.position, 6 * One);
}

TEST(Mixer, SilentChannelAdvancesAndComesBackInsideTheLoop) {
    Voice v = voice({1, 2, 3, 4, 5, 6, 7, 8}, 4, 4, 0, 0, One);
    MixBlock block;
    mixChannel(block, 0, 100, v.channel, v.sample);
    EXPECT_EQ(v.channel.position, 100 * One);  // ran on, far past the loop
    EXPECT_EQ(first(block.left, 100), std::vector<int>(100, 0));
    v.channel.mixVolume = 1;
    mixChannel(block, 100, 3, v.channel, v.sample);
    // 100 - 24 x 4 = 4: folded back to the loop start.
    EXPECT_EQ((std::vector<int>(block.left.begin() + 100, block.left.begin() + 103)), (std::vector<int>{5, 6, 7}));
}

TEST(Mixer, SilentOneShotPastItsEndRestsAtTheEnd) {
    Voice v = voice({1, 2, 3, 4}, 0, 0, 0, 0, One);
    MixBlock block;
    mixChannel(block, 0, 10, v.channel, v.sample);
    EXPECT_EQ(v.channel.position, 10 * One);
    mixChannel(block, 10, 10, v.channel, v.sample);
    EXPECT_EQ(v.channel.position, 4 * One);
}

TEST(Mixer, EmptySampleKeepsPositionZero) {
    SampleHeader empty;
    ChannelState channel;
    channel.mixVolume = 128;
    channel.step = 2828;
    MixBlock block;
    mixChannel(block, 0, BlockFrames, channel, empty);
    EXPECT_EQ(channel.position, 0u);
    EXPECT_EQ(first(block.left, BlockFrames), std::vector<int>(BlockFrames, 0));
}

TEST(Mixer, ZeroStepHoldsTheSample) {
    Voice v = voice({9, 8}, 0, 0, 1, 0, 0);
    MixBlock block;
    mixChannel(block, 0, 5, v.channel, v.sample);
    EXPECT_EQ(first(block.left, 5), (std::vector<int>{9, 9, 9, 9, 9}));
}

TEST(Mixer, MixesOnlyTheGivenFrames) {
    Voice v = voice({1, 1, 1, 1, 1, 1, 1, 1}, 0, 8, 1, 0, One);
    MixBlock block;
    mixChannel(block, 2, 3, v.channel, v.sample);
    EXPECT_EQ(first(block.left, 7), (std::vector<int>{0, 0, 1, 1, 1, 0, 0}));
}

TEST(Mixer, DownmixTruncatesTowardZero) {
    struct Case {
        int left, right, mono;
    };
    for (const Case c : {Case{-3, 0, -1}, Case{3, 0, 1}, Case{-1, 0, 0}, Case{-32768, -32768, -32768},
                         Case{32767, 32767, 32767}, Case{-32768, 32767, 0}, Case{100, -103, -1}}) {
        EXPECT_EQ(downmixFrame(c.left, c.right), c.mono) << c.left << " " << c.right;
    }
}

TEST(Mixer, DownmixClampsEachSideToSixteenBitsFirst) {
    struct Case {
        int left, right, mono;
    };
    for (const Case c : {Case{38400, 0, 16383}, Case{-38400, 0, -16384}, Case{32768, 32768, 32767},
                         Case{-32769, -32769, -32768}, Case{260096, -260096, 0}, Case{40000, -1000, 15883},
                         Case{-49152, 16384, -8192}}) {
        EXPECT_EQ(downmixFrame(c.left, c.right), c.mono) << c.left << " " << c.right;
    }
}

TEST(Mixer, VectorAndScalarDownmixAgreeOnClampedSides) {
    MixBlock block;
    for (int f = 0; f < BlockFrames; ++f) {
        block.left[f] = (f * 7919) % 200001 - 100000;
        block.right[f] = (f * 104729) % 90001 - 45000;
    }
    std::array<std::int16_t, BlockFrames> mono{};
    downmixBlock(block, mono.data());
    for (int f = 0; f < BlockFrames; ++f) {
        ASSERT_EQ(mono[f], downmixFrame(block.left[f], block.right[f])) << f;
    }
}

TEST(Mixer, LongRunsMatchTheNearestSampleFormulaAtEveryStep) {
    // Long runs take the vectorised paths (byte shuffle up to one byte per
    // frame, gathers above); the one-shot ends exactly at the end of its data.
    std::vector<std::int8_t> content;
    for (int i = 0; i < 3000; ++i) content.push_back(static_cast<std::int8_t>((i * 73) % 256 - 128));
    for (const std::uint64_t step : {1ull, 2828ull, 16383ull, 16384ull, 16385ull, 40000ull, 300000ull}) {
        for (const std::uint64_t loop : {0ull, 1000ull}) {
            Voice v = voice(content, 3000 - loop, loop, 77, 0, step);
            v.channel.position = 123 * One + 4567;
            MixBlock block;
            block.left.fill(1000);
            mixChannel(block, 5, BlockFrames - 5, v.channel, v.sample);
            std::uint64_t pos = 123 * One + 4567;
            const std::uint64_t end = 3000 * One;
            for (int f = 5; f < BlockFrames; ++f) {
                if (pos >= end && loop == 0) {
                    ASSERT_EQ(block.left[f], 1000) << step << " " << f;
                    continue;
                }
                while (pos >= end) pos -= loop * One;
                const int expected = 1000 + content[pos >> 14] * 77;
                ASSERT_EQ(block.left[f], expected) << "step " << step << " loop " << loop << " frame " << f;
                pos += step;
            }
            EXPECT_EQ(block.left[4], 1000);
        }
    }
}
