// The built-in song as the demo plays it: rendered at the device's 48000 Hz.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "music/song.h"

namespace {

constexpr std::int32_t Rate = 48000;
constexpr std::size_t BlockFrames = 2048;

double decibels(double level) { return 20 * std::log10(level / 32768.0); }

// Rendered once per test process.
const SongBuffer& song() {
    static const SongBuffer rendered = renderSong(Rate);
    return rendered;
}

// 19 positions × 64 rows × 6 ticks × 750 frames = 5 472 000 frames. The end is
// reported 1792 frames into block 2672, which is dropped: 2671 whole blocks.
TEST(SongRender, HoldsTheWholeBlocksBeforeTheEnd) {
    EXPECT_EQ(song().size(), 2671 * BlockFrames);
    EXPECT_EQ(song().size(), 5'470'208u);
}

// Each side carries two hard-panned channels of sample × 2 × volume, so a side
// stays within -32768..32512, and so does their mean. A side whose sum wrapped
// would leave that range or jump by about 65536, half of which shows in the
// mono sample; the song's own steepest edge is about 22000.
TEST(SongRender, StaysWithinTwoFullScaleChannels) {
    EXPECT_LE(*std::max_element(song().begin(), song().end()), 32512);
    int steepest = 0;
    for (std::size_t i = 1; i < song().size(); ++i)
        steepest = std::max(steepest, std::abs(song()[i] - song()[i - 1]));
    EXPECT_LT(steepest, 30000);
}

// A healthy level: peaks within 4 dB of full scale, a loudness of a finished
// chiptune, and no offset.
TEST(SongRender, Level) {
    double squares = 0;
    double sum = 0;
    int peak = 0;
    for (const auto x : song()) {
        squares += static_cast<double>(x) * x;
        sum += x;
        peak = std::max(peak, std::abs(int{x}));
    }
    const double n = static_cast<double>(song().size());
    EXPECT_GT(decibels(peak), -4.0);
    EXPECT_GT(decibels(std::sqrt(squares / n)), -18.0);
    EXPECT_LT(decibels(std::sqrt(squares / n)), -10.0);
    EXPECT_LT(std::abs(sum / n), 150.0);
}

// The music starts on the first row, and its last notes have died out before
// the buffer ends, so the demo's end does not cut a sound off.
TEST(SongRender, StartsAtOnceAndEndsInSilence) {
    const auto first = song().begin();
    EXPECT_TRUE(std::any_of(first, first + Rate / 100, [](std::int16_t x) { return x != 0; }));
    const auto tail = song().end() - Rate / 20;
    EXPECT_TRUE(std::all_of(tail, song().end(), [](std::int16_t x) { return x == 0; }));
}

}  // namespace
