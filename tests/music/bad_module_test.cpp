// A module that fails a bounds check is refused with a message naming the
// problem; nothing is read outside the bytes.
#include <gtest/gtest.h>

#include "music/module.h"
#include "music/renderer.h"
#include "tests/music/module_builder.h"

namespace {

std::string loadError(const std::vector<std::uint8_t>& bytes) {
    // An exact-size copy, so that AddressSanitizer sees any read past the end.
    const std::vector<std::uint8_t> exact(bytes.begin(), bytes.end());
    MusicResult<Module> module = loadModule(exact);
    return module.ok() ? std::string("(loaded)") : module.error().message;
}

}  // namespace

TEST(BadModule, TruncatedHeader) {
    for (std::size_t size : {0u, 1u, 951u, 1083u}) {
        const std::vector<std::uint8_t> bytes(size, 0);
        EXPECT_EQ(loadError(bytes),
                  "module too short: " + std::to_string(size) + " bytes, the header alone needs 1084");
    }
}

TEST(BadModule, UnsupportedSignatures) {
    for (const char* signature : {"FLT8", "OCTA", "32CH", "0CHN", "XXXX", "17CH", "09CH"}) {
        auto bytes = ModuleBuilder(1, 4, signature).build();
        EXPECT_NE(loadError(bytes).find(std::string("unsupported signature \"") + signature + "\""),
                  std::string::npos)
            << signature;
    }
    auto bytes = ModuleBuilder().build();
    bytes[1080] = 0;
    EXPECT_NE(loadError(bytes).find("unsupported signature \"\\x00.K.\""), std::string::npos);
}

TEST(BadModule, SongLengthBeyondTheOrderTable) {
    auto bytes = ModuleBuilder().songLength(129).build();
    EXPECT_EQ(loadError(bytes), "song length 129 is beyond the 128-entry order table");
    EXPECT_EQ(loadError(ModuleBuilder().songLength(128).build()), "(loaded)");
}

TEST(BadModule, PatternDataTruncated) {
    auto bytes = ModuleBuilder(3).orders({0, 1, 2}).build();
    bytes.resize(1084 + 2 * 1024 + 100);
    EXPECT_EQ(loadError(bytes), "pattern data truncated: 3 patterns end at byte 4156, the module has 3232 bytes");
}

TEST(BadModule, PlayedOrderEntryAddressesAPatternNotStored) {
    // 0x81 counts as pattern 1 for the number of stored patterns, but the
    // sequencer plays the entry as stored: pattern 129.
    auto bytes = ModuleBuilder(2).orders({0, 0x81}).build();
    EXPECT_EQ(loadError(bytes), "order position 1 plays pattern 129, but only 2 patterns are stored");
}

TEST(BadModule, PositionZeroIsPlayedEvenWithSongLengthZero) {
    auto bytes = ModuleBuilder(1).orders({0x80}).songLength(0).build();
    EXPECT_EQ(loadError(bytes), "order position 0 plays pattern 128, but only 1 patterns are stored");
}

TEST(BadModule, SampleDataStartingPastTheEnd) {
    ModuleBuilder builder;
    builder.constantSample(1, 100, 5).constantSample(2, 10, 6);
    auto bytes = builder.build();
    bytes.resize(1084 + 1024 + 50);  // sample 1 cut short, sample 2 starts beyond the end
    EXPECT_EQ(loadError(bytes), "sample 2 starts at byte 2208, past the end of the module (2158 bytes)");
}

TEST(BadModule, PlayedSampleReachingPastTheEnd) {
    ModuleBuilder builder;
    builder.constantSample(1, 100, 5).cell(0, 3, 2, 428, 1);
    auto bytes = builder.build();
    bytes.resize(bytes.size() - 30);
    EXPECT_EQ(loadError(bytes), "sample 1 is played but ends at byte 2208, past the end of the module (2178 bytes)");
}

TEST(BadModule, UnplayedTruncatedSampleIsAccepted) {
    // Many modules in the wild lose the end of an unused last sample.
    ModuleBuilder builder;
    builder.constantSample(1, 8, 5).constantSample(2, 100, 6).cell(0, 0, 0, 428, 1);
    auto bytes = builder.build();
    bytes.resize(bytes.size() - 30);
    EXPECT_EQ(loadError(bytes), "(loaded)");
}

TEST(BadModule, LoopRepairKeepsThePlayableEndInsideTheSample) {
    // Loop 40 + 40 bytes in a 50-byte sample that is the last thing in the
    // file: the repaired loop ends at byte 50, inside the file.
    ModuleBuilder builder;
    ModuleBuilder::Sample s;
    s.content.assign(50, 3);
    s.loopStartBytes = 40;
    s.loopLengthBytes = 40;
    builder.sample(1, s).cell(0, 0, 0, 428, 1);
    EXPECT_EQ(loadError(builder.build()), "(loaded)");
}

TEST(BadModule, RenderRefusesRatesOutsideItsRange) {
    const auto bytes = ModuleBuilder().build();
    EXPECT_EQ(renderModule(bytes, 7999).error().message, "output rate 7999 is outside 8000..384000");
    EXPECT_EQ(renderModule(bytes, 384001).error().message, "output rate 384001 is outside 8000..384000");
    EXPECT_TRUE(renderModule(bytes, 8000).ok());
}

TEST(BadModule, RenderRefusesASongLongerThanThirtyMinutes) {
    // Speed 31 at tempo 32: 116250 frames per row at 48000 Hz, 128 positions,
    // about 5.4 hours.
    ModuleBuilder builder;
    builder.effect(0, 0, 0, 0xF, 31).effect(0, 0, 1, 0xF, 32).songLength(128);
    const auto bytes = builder.build();
    MusicResult<SongBuffer> song = renderModule(bytes, 48000);
    ASSERT_FALSE(song.ok());
    EXPECT_EQ(song.error().message, "the song plays longer than 30 minutes");
    EXPECT_EQ(renderModule(bytes, 48000, 90).error().message,
              "the song plays longer than 1 minutes 30 seconds");
}

TEST(BadModule, RenderPassesLoaderErrorsOn) {
    const std::vector<std::uint8_t> bytes(10, 0);
    EXPECT_EQ(renderModule(bytes, 48000).error().message, "module too short: 10 bytes, the header alone needs 1084");
}
