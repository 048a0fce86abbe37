// The wave backdrop's per-column values and per-pixel colours and alpha, and
// the fast fill against the rules pixel by pixel.
#include "scenes/wave_backdrop.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace {
constexpr std::uint32_t W = 640;
constexpr std::uint32_t H = 400;

// The crest straight from its definition.
std::uint32_t crestOf(double t, std::uint32_t x) {
    const double o = (t - 12.0) * 0.1;
    double a = (o - 0.75) * W + x;
    if (a > W) a -= W;
    const double y = std::floor((std::sin(a * 6.282 / W) + 1.0) * (H * 0.5));
    return y < 0 ? 0 : static_cast<std::uint32_t>(y);
}

TEST(WaveBackdrop, RevealsFromTheRightEdgeOverTenSeconds) {
    for (std::uint32_t x : {0u, 320u, 639u}) EXPECT_FALSE(WaveBackdrop::column(12.0, x, W, H).revealed);
    EXPECT_FALSE(WaveBackdrop::column(17.0, 319, W, H).revealed);
    EXPECT_TRUE(WaveBackdrop::column(17.0, 320, W, H).revealed);  // F = 320, x < F hides
    EXPECT_FALSE(WaveBackdrop::column(21.0, 63, W, H).revealed);  // F = 64
    EXPECT_TRUE(WaveBackdrop::column(21.0, 64, W, H).revealed);
    for (std::uint32_t x : {0u, 1u, 639u}) {
        EXPECT_TRUE(WaveBackdrop::column(22.0, x, W, H).revealed);
        EXPECT_TRUE(WaveBackdrop::column(29.999, x, W, H).revealed);
    }
}

struct GradientCase {
    std::uint32_t x;
    std::uint32_t q;
    std::uint8_t r, g, b;
};

TEST(WaveBackdrop, ColoursColumnsByTheGradient) {
    const GradientCase cases[] = {
        {0, 0, 122, 255, 0},
        {1, 0, 122, 255, 0},    // 512 / 640 truncates to 0
        {2, 1, 122, 255, 0},
        {320, 256, 90, 127, 128},
        {639, 511, 59, 0, 255},
    };
    for (const auto& c : cases) {
        const WaveColumn col = WaveBackdrop::column(25.0, c.x, W, H);
        EXPECT_EQ(col.gradient, c.q) << c.x;
        EXPECT_EQ(col.red, c.r) << c.x;
        EXPECT_EQ(col.green, c.g) << c.x;
        EXPECT_EQ(col.blue, c.b) << c.x;
    }
}

TEST(WaveBackdrop, CrestFollowsTheShiftedSine) {
    for (double t : {12.0, 17.0, 20.5, 25.0, 29.999}) {
        for (std::uint32_t x = 0; x < W; x += 13) {
            EXPECT_EQ(WaveBackdrop::column(t, x, W, H).crest, crestOf(t, x)) << t << " " << x;
        }
    }
    // At t = 30 - S = 672 - the phase of column 639 is 1311 - 640 = 671, still
    // above w: it is reduced only once.
    const double once = std::floor((std::sin(671.0 * 6.282 / W) + 1.0) * 200.0);
    EXPECT_EQ(WaveBackdrop::column(30.0, 639, W, H).crest, static_cast<std::uint32_t>(once));
}

TEST(WaveBackdrop, UsesTheConstant6282NotTwoPi) {
    int differing = 0;
    for (std::uint32_t x = 0; x < W; ++x) {
        const double a = (1.3 - 0.75) * W + x;
        const double b = a > W ? a - W : a;
        const auto withPi = static_cast<std::uint32_t>(
            std::max(0.0, std::floor((std::sin(b * 2 * std::numbers::pi / W) + 1.0) * 200.0)));
        if (WaveBackdrop::column(25.0, x, W, H).crest != withPi) ++differing;
    }
    EXPECT_GT(differing, 0);
}

TEST(WaveBackdrop, AlphaClearsAboveTheCrestDimsThreeRowsAndDotsEverySeventhPixel) {
    const double t = 25.0;
    for (std::uint32_t x : {0u, 5u, 100u, 333u, 639u}) {
        const std::uint32_t crest = WaveBackdrop::column(t, x, W, H).crest;
        for (std::uint32_t y = 0; y < H; ++y) {
            const bool dot = (x + y * W) % 7 == 0;
            std::uint8_t expected = 0;
            if (y > crest) expected = y <= crest + 3 ? (dot ? 170 : 81) : (dot ? 255 : 122);
            EXPECT_EQ(WaveBackdrop::pixel(t, x, y, W, H)[3], expected) << x << "," << y;
        }
    }
}

TEST(WaveBackdrop, FirstColumnCarriesFullAlphaOnEverySeventhRowBelowTheCrest) {
    const double t = 25.0;
    const std::uint32_t crest = WaveBackdrop::column(t, 0, W, H).crest;
    ASSERT_LT(crest + 20, H);
    for (std::uint32_t y = crest + 4; y < crest + 20; ++y) {
        // 640 and 7 share no factor: y * 640 is a multiple of 7 exactly when y is.
        EXPECT_EQ(WaveBackdrop::pixel(t, 0, y, W, H)[3], y % 7 == 0 ? 255 : 122) << y;
    }
}

TEST(WaveBackdrop, ACrestOnRowZeroLeavesOnlyRowZeroClear) {
    // Find a column whose sine is at (or within a hair of) -1.
    const double t = 25.0;
    std::uint32_t x = 0;
    while (x < W && WaveBackdrop::column(t, x, W, H).crest != 0) ++x;
    ASSERT_LT(x, W);
    EXPECT_EQ(WaveBackdrop::pixel(t, x, 0, W, H)[3], 0);
    for (std::uint32_t y = 1; y <= 3; ++y) {
        EXPECT_EQ(WaveBackdrop::pixel(t, x, y, W, H)[3], (x + y * W) % 7 == 0 ? 170 : 81) << y;
    }
    EXPECT_EQ(WaveBackdrop::pixel(t, x, 4, W, H)[3], (x + 4 * W) % 7 == 0 ? 255 : 122);
}

TEST(WaveBackdrop, ColumnAtTheTopOfTheSineStaysEmpty) {
    // Where the sine is near +1 the crest reaches the last rows: nothing below it.
    const double t = 25.0;
    std::uint32_t best = 0;
    for (std::uint32_t x = 0; x < W; ++x) {
        if (WaveBackdrop::column(t, x, W, H).crest > WaveBackdrop::column(t, best, W, H).crest) best = x;
    }
    const std::uint32_t crest = WaveBackdrop::column(t, best, W, H).crest;
    EXPECT_GE(crest, H - 1);
    for (std::uint32_t y = 0; y < H; ++y) EXPECT_EQ(WaveBackdrop::pixel(t, best, y, W, H)[3], 0);
}

struct FillCase {
    double t;
    std::uint32_t w, h;
};

TEST(WaveBackdrop, FillGivesTheSameBytesAsThePixelRules) {
    const FillCase cases[] = {
        {12.0, W, H}, {17.0, W, H}, {21.37, W, H}, {25.0, W, H}, {29.999, W, H},
        {20.0, 641, 37},  // w % 7 = 4, blocks not a multiple of 64 columns
        {26.0, 637, 20},  // w % 7 = 0: every row starts with the same remainder
        {23.0, 7, 7}, {24.0, 1, 5}, {27.0, 130, 3},
    };
    for (const auto& c : cases) {
        std::vector<std::uint8_t> bytes(std::size_t{4} * c.w * c.h, 0xAB);
        WaveBackdrop::fill(bytes, c.t, c.w, c.h);
        std::size_t mismatches = 0;
        for (std::uint32_t y = 0; y < c.h; ++y) {
            for (std::uint32_t x = 0; x < c.w; ++x) {
                const auto px = WaveBackdrop::pixel(c.t, x, y, c.w, c.h);
                const std::size_t at = std::size_t{4} * (x + std::size_t{y} * c.w);
                for (int k = 0; k < 4; ++k) mismatches += bytes[at + k] != px[k];
            }
        }
        EXPECT_EQ(mismatches, 0u) << "t = " << c.t << " size " << c.w << "x" << c.h;
    }
}
}  // namespace
