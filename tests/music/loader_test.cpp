#include <gtest/gtest.h>

#include "music/module.h"
#include "tests/music/module_builder.h"

namespace {

Module load(const std::vector<std::uint8_t>& bytes) {
    MusicResult<Module> module = loadModule(bytes);
    EXPECT_TRUE(module.ok()) << (module.ok() ? "" : module.error().message);
    return module.value();
}

}  // namespace

TEST(Loader, ReadsBigEndianWords) {
    const std::vector<std::uint8_t> bytes = {0x12, 0x34, 0xFF, 0x01};
    EXPECT_EQ(readU16BE(bytes, 0), 0x1234);
    EXPECT_EQ(readU16BE(bytes, 1), 0x34FF);
    EXPECT_EQ(readU16BE(bytes, 2), 0xFF01);
}

TEST(Loader, DecodesCellFields) {
    // Period 0x1AC (428), instrument 0x13, effect C, parameter 0x31; bits 5..7
    // of the first byte are ignored.
    const std::uint8_t bytes[] = {0xF1, 0xAC, 0x3C, 0x31};
    const PatternCell cell = decodeCell(bytes);
    EXPECT_EQ(cell.notePeriod, 0x1AC);
    EXPECT_EQ(cell.instrument, 0x13);
    EXPECT_EQ(cell.effect, 0xC);
    EXPECT_EQ(cell.param, 0x31);
}

TEST(Loader, CountsPatternsOverAllOrderEntriesAndFindsTheSampleData) {
    ModuleBuilder builder(6);
    builder.orders({0, 1, 2, 2, 2, 4, 4, 4, 4, 4, 4, 5, 5, 5, 5, 2, 2, 2, 1});
    builder.constantSample(1, 46, 7);
    const auto bytes = builder.build();
    const Module module = load(bytes);
    EXPECT_EQ(module.patternCount, 6);
    EXPECT_EQ(module.songLength, 19);
    EXPECT_EQ(module.channelCount, 4);
    EXPECT_EQ(module.orderTable.size(), 128u);
    EXPECT_EQ(module.orderTable[5], 4);
    EXPECT_EQ(module.patternData.data(), bytes.data() + 1084);
    EXPECT_EQ(module.samples[1].data.data(), bytes.data() + 7228);
    EXPECT_EQ(module.samples[1].data.size(), 46u);
    EXPECT_EQ(module.samples[1].data[0], 7);
    // Entry 0 is the empty sample, so instrument numbers index directly.
    EXPECT_TRUE(module.samples[0].data.empty());
    EXPECT_EQ(module.samples[0].loopStart + module.samples[0].loopLength, 0u);
}

TEST(Loader, MasksBitSevenOnlyForThePatternCount) {
    ModuleBuilder builder(6);
    builder.orders({0}).orderEntry(1, 0x85);  // not played: beyond the song length
    const auto bytes = builder.build();
    const Module module = load(bytes);
    EXPECT_EQ(module.patternCount, 6);
    EXPECT_EQ(module.orderTable[1], 0x85);
}

struct LoopCase {
    int lengthWords, loopStartWords, loopLengthWords;
    std::uint64_t loopStartBytes, loopLengthBytes;
};

class LoopRepair : public testing::TestWithParam<LoopCase> {};

TEST_P(LoopRepair, StoresLoopInFixedPoint) {
    const LoopCase c = GetParam();
    ModuleBuilder builder;
    builder.rawHeader(1, c.lengthWords, 0, 64, c.loopStartWords, c.loopLengthWords);
    auto bytes = builder.build();
    bytes.resize(bytes.size() + static_cast<std::size_t>(2 * c.lengthWords));
    const Module module = load(bytes);
    EXPECT_EQ(module.samples[1].loopStart, c.loopStartBytes * 16384);
    EXPECT_EQ(module.samples[1].loopLength, c.loopLengthBytes * 16384);
}

INSTANTIATE_TEST_SUITE_P(
    Loader, LoopRepair,
    testing::Values(LoopCase{0, 0, 1, 0, 0},      // empty sample with the usual 2-byte "loop"
                    LoopCase{23, 0, 23, 0, 46},   // loop over the whole sample stays
                    LoopCase{25, 20, 10, 20, 20}, // start stored in bytes: halved
                    LoopCase{25, 20, 20, 40, 10}, // halving does not fit: cut at the end
                    LoopCase{25, 30, 30, 50, 0},  // nothing left: no loop, start = length
                    LoopCase{25, 0, 1, 50, 0},    // 2-byte loop means one-shot
                    LoopCase{25, 10, 2, 20, 4})); // 4 bytes is a loop

struct ByteCase {
    std::uint8_t stored;
    std::uint8_t expected;
};

class FinetuneByte : public testing::TestWithParam<ByteCase> {};
TEST_P(FinetuneByte, BecomesIndexWithEightForNone) {
    ModuleBuilder builder;
    builder.rawHeader(1, 0, GetParam().stored, 64, 0, 1);
    const auto bytes = builder.build();
    EXPECT_EQ(load(bytes).samples[1].finetune, GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Loader, FinetuneByte,
                         testing::Values(ByteCase{0x0F, 7}, ByteCase{0x07, 15}, ByteCase{0x08, 0},
                                         ByteCase{0xF3, 11}, ByteCase{0x00, 8}));

class VolumeByte : public testing::TestWithParam<ByteCase> {};
TEST_P(VolumeByte, IsCappedAt64WithBitSevenIgnored) {
    ModuleBuilder builder;
    builder.rawHeader(1, 0, 0, GetParam().stored, 0, 1);
    const auto bytes = builder.build();
    EXPECT_EQ(load(bytes).samples[1].volume, GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Loader, VolumeByte,
                         testing::Values(ByteCase{0x40, 64}, ByteCase{0x7F, 64}, ByteCase{0x85, 5},
                                         ByteCase{0xC0, 64}, ByteCase{0x20, 32}));

TEST(Loader, SampleViewsRunToTheEndOfTheModule) {
    ModuleBuilder builder;
    builder.constantSample(1, 10, 1).constantSample(2, 20, 2);
    const auto bytes = builder.build();
    const Module module = load(bytes);
    EXPECT_EQ(module.samples[1].data.size(), 30u);  // not the sample length
    EXPECT_EQ(module.samples[2].data.size(), 20u);
    EXPECT_EQ(module.samples[2].data[0], 2);
    EXPECT_EQ(module.samples[3].data.size(), 0u);
}

struct SignatureCase {
    const char* signature;
    int channels;
};
class Signature : public testing::TestWithParam<SignatureCase> {};
TEST_P(Signature, GivesChannelCountAndPatternSize) {
    const SignatureCase c = GetParam();
    ModuleBuilder builder(2, c.channels, c.signature);
    builder.orders({0, 1}).constantSample(1, 4, 9);
    const auto bytes = builder.build();
    const Module module = load(bytes);
    EXPECT_EQ(module.channelCount, c.channels);
    EXPECT_EQ(module.samples[1].data.data(), bytes.data() + 1084 + 2 * 64 * c.channels * 4);
}
INSTANTIATE_TEST_SUITE_P(Loader, Signature,
                         testing::Values(SignatureCase{"M.K.", 4}, SignatureCase{"M!K!", 4},
                                         SignatureCase{"FLT4", 4}, SignatureCase{"4CHN", 4},
                                         SignatureCase{"1CHN", 1}, SignatureCase{"6CHN", 6},
                                         SignatureCase{"8CHN", 8}, SignatureCase{"12CH", 12},
                                         SignatureCase{"16CH", 16}));
