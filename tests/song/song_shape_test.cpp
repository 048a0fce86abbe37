// The built-in module as the demo embeds it: layout, instruments, the notes and
// effects it uses, and the waveforms' levels.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <numeric>
#include <set>
#include <span>
#include <string>
#include <string_view>

#include "music/song.h"

namespace {

constexpr std::size_t ModuleSize = 9202;
constexpr std::size_t SongLengthAt = 950;
constexpr std::size_t OrderAt = 952;
constexpr std::size_t PatternsAt = 1084;
constexpr std::size_t PatternBytes = 1024;
constexpr std::size_t PatternCount = 6;
constexpr std::size_t SamplesAt = PatternsAt + PatternCount * PatternBytes;  // 7228
constexpr std::array<std::uint8_t, 19> Order = {0, 1, 2, 2, 2, 4, 4, 4, 4, 4,
                                                4, 5, 5, 5, 5, 2, 2, 2, 1};

std::span<const std::uint8_t> module() { return builtinModuleBytes(); }

unsigned word(std::size_t at) { return (module()[at] << 8) | module()[at + 1]; }

struct Cell {
    unsigned period, instrument, effect, param;
};

Cell cellAt(std::size_t pattern, std::size_t row, std::size_t channel) {
    const auto at = PatternsAt + ((pattern * 64 + row) * 4 + channel) * 4;
    const auto b = module().subspan(at, 4);
    return {((b[0] & 0x0Fu) << 8) | b[1], (b[0] & 0x10u) | (b[2] >> 4), b[2] & 0x0Fu, b[3]};
}

struct SampleShape {
    int number;
    std::string_view name;
    unsigned length, loopStart, loopLength;  // bytes
    unsigned volume;
    int finetune;
};

// Instruments 7..31 are empty: length 0, a 2-byte loop, volume 64, finetune 0.
constexpr std::array<SampleShape, 6> Samples = {{
    {1, "2a03", 46, 0, 46, 64, 3},
    {2, "2a03 triangle", 94, 0, 92, 50, 4},
    {3, "2a03 50", 92, 0, 92, 40, 3},
    {4, "BTAA0D0", 1148, 0, 2, 64, 7},
    {5, "", 0, 0, 2, 64, 7},
    {6, "HHCD0", 594, 0, 2, 64, 7},
}};

SampleShape expectedSample(int number) {
    if (number <= 6) return Samples[static_cast<std::size_t>(number - 1)];
    return {number, "", 0, 0, 2, 64, 0};
}

std::size_t sampleOffset(int number) {
    std::size_t at = SamplesAt;
    for (int k = 1; k < number; ++k) at += expectedSample(k).length;
    return at;
}

std::span<const std::int8_t> sampleBytes(int number) {
    const auto* first = reinterpret_cast<const std::int8_t*>(module().data() + sampleOffset(number));
    return {first, expectedSample(number).length};
}

std::set<std::uint8_t> playedPatterns() { return {Order.begin(), Order.end()}; }

// Every test reads at fixed offsets, so none runs on a module of the wrong size.
class SongShape : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(module().size(), ModuleSize); }
};

TEST_F(SongShape, HeaderOrderTableAndLayout) {
    EXPECT_EQ(std::string(module().begin() + 1080, module().begin() + 1084), "M.K.");
    const std::string title(module().begin(), module().begin() + 20);
    EXPECT_EQ(title, std::string("Mox-Space") + std::string(11, '\0'));
    EXPECT_EQ(module()[SongLengthAt], Order.size());
    EXPECT_EQ(module()[SongLengthAt + 1], 4);
    for (std::size_t i = 0; i < 128; ++i) {
        const unsigned expected = i < Order.size() ? Order[i] : 0;
        EXPECT_EQ(module()[OrderAt + i], expected) << "order entry " << i;
    }
    unsigned highest = 0;
    for (std::size_t i = 0; i < 128; ++i) highest = std::max(highest, module()[OrderAt + i] & 0x7Fu);
    EXPECT_EQ(highest + 1, PatternCount);
    std::size_t sampleData = 0;
    for (std::size_t k = 0; k < 31; ++k) sampleData += 2 * word(20 + 30 * k + 22);
    EXPECT_EQ(SamplesAt + sampleData, ModuleSize) << "the sample data ends with the module";
}

TEST_F(SongShape, SampleHeaders) {
    for (int number = 1; number <= 31; ++number) {
        const auto want = expectedSample(number);
        const std::size_t at = 20 + 30 * static_cast<std::size_t>(number - 1);
        SCOPED_TRACE("sample " + std::to_string(number));
        const std::string name(module().begin() + static_cast<std::ptrdiff_t>(at),
                               module().begin() + static_cast<std::ptrdiff_t>(at + 22));
        EXPECT_EQ(name, std::string(want.name) + std::string(22 - want.name.size(), '\0'));
        EXPECT_EQ(word(at + 22) * 2, want.length);
        EXPECT_EQ(module()[at + 24], static_cast<unsigned>(want.finetune & 0x0F));
        EXPECT_EQ(module()[at + 25], want.volume);
        EXPECT_EQ(word(at + 26) * 2, want.loopStart);
        EXPECT_EQ(word(at + 28) * 2, want.loopLength);
    }
}

TEST_F(SongShape, NotesAndInstruments) {
    const std::set<unsigned> periods = {143, 151, 170, 190, 202, 214, 226, 254,
                                        285, 302, 339, 381, 428, 508, 570};
    const std::set<unsigned> instruments = {1, 2, 3, 4, 6};
    std::set<unsigned> playedPeriods, playedInstruments;
    for (std::size_t p = 0; p < PatternCount; ++p) {
        const bool played = playedPatterns().count(static_cast<std::uint8_t>(p)) != 0;
        for (std::size_t r = 0; r < 64; ++r) {
            for (std::size_t c = 0; c < 4; ++c) {
                const auto cell = cellAt(p, r, c);
                const auto at = PatternsAt + ((p * 64 + r) * 4 + c) * 4;
                EXPECT_EQ(module()[at] & 0xE0, 0) << "unused bits set at " << at;
                if (cell.period != 0) {
                    EXPECT_TRUE(periods.count(cell.period)) << "period " << cell.period;
                    EXPECT_NE(cell.instrument, 0u) << "a note without instrument at " << at;
                    if (played) playedPeriods.insert(cell.period);
                }
                if (cell.instrument != 0) {
                    EXPECT_TRUE(instruments.count(cell.instrument)) << "instrument " << cell.instrument;
                    if (played) playedInstruments.insert(cell.instrument);
                }
            }
        }
    }
    EXPECT_EQ(playedPeriods, periods);
    EXPECT_EQ(playedInstruments, instruments);
}

// Only C00 and C31 (volume 0 and 49), and a single FA0 (tempo 160) on row 0 of
// pattern 0 in the fourth channel: no speed change, no jump, so the song plays
// 19 × 64 rows × 6 ticks = 7296 ticks.
TEST_F(SongShape, Effects) {
    int tempoChanges = 0;
    for (std::size_t p = 0; p < PatternCount; ++p) {
        for (std::size_t r = 0; r < 64; ++r) {
            for (std::size_t c = 0; c < 4; ++c) {
                const auto cell = cellAt(p, r, c);
                SCOPED_TRACE("pattern " + std::to_string(p) + " row " + std::to_string(r) +
                             " channel " + std::to_string(c));
                if (cell.effect == 0xF) {
                    ++tempoChanges;
                    EXPECT_EQ(cell.param, 0xA0u);
                    EXPECT_TRUE(p == 0 && r == 0 && c == 3) << "FA0 belongs on pattern 0, row 0, channel 4";
                } else if (cell.effect == 0xC) {
                    EXPECT_TRUE(cell.param == 0 || cell.param == 49) << "C" << cell.param;
                } else {
                    EXPECT_EQ(cell.effect, 0u);
                    EXPECT_EQ(cell.param, 0u) << "an arpeggio";
                }
            }
        }
    }
    EXPECT_EQ(tempoChanges, 1);
}

TEST_F(SongShape, LoopedWaveformsHaveNoOffset) {
    for (const int number : {1, 2, 3}) {
        const auto want = expectedSample(number);
        const auto loop = sampleBytes(number).subspan(want.loopStart, want.loopLength);
        EXPECT_EQ(std::accumulate(loop.begin(), loop.end(), 0), 0) << "sample " << number;
        // Loud enough to carry a voice: each waveform swings over at least half the range.
        const auto [low, high] = std::minmax_element(loop.begin(), loop.end());
        EXPECT_GE(int{*high} - int{*low}, 128) << "sample " << number;
    }
}

// A one-shot starts and ends at (nearly) zero so that it neither clicks on its
// first byte nor when the player stops at its end, and carries no offset.
TEST_F(SongShape, OneShotsStartAndEndQuietly) {
    for (const int number : {4, 6}) {
        SCOPED_TRACE("sample " + std::to_string(number));
        const auto bytes = sampleBytes(number);
        EXPECT_LE(std::abs(bytes.front()), 2);
        EXPECT_LE(std::abs(bytes.back()), 2);
        int peak = 0;
        long sum = 0;
        for (const auto x : bytes) {
            peak = std::max(peak, std::abs(static_cast<int>(x)));
            sum += x;
        }
        EXPECT_GE(peak, 90);
        EXPECT_LE(std::labs(sum), static_cast<long>(bytes.size()));  // mean below one step
    }
}

}  // namespace
