// The frame-level maths: pulse, text colour, pixel conversion, rounding and
// the choice of scenes for a demo time.
#include "scenes/timeline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

struct PulseCase {
    double t;
    int level;
};

TEST(Pulse, FollowsTheTriangleWave) {
    const PulseCase cases[] = {
        {0.0, 0},       {0.001, 0},   // 0.06 rounds to 0
        {0.01, 1},      // 0.6 rounds up
        {1.0, 60},      {4.25, 255},  {4.26, 254},  // 255.6 rounds to 256 -> 510 - 256
        {6.0, 150},     {8.5, 0},     {8.49, 1},    // 509.4 rounds to 509
        {8.499, 0},     // 509.94 rounds to 510 -> 0
        {12.75, 255},   {90.0, 210},  // 5400 mod 510 = 300 -> 210
        {114.0, 210},   // 6840 mod 510 = 210
        {-1.0, 0},      {-4.25, 0},   {NaN, 0},     {Inf, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(pulse(c.t), c.level) << "t = " << c.t;
}

TEST(Pulse, RoundsHalvesAwayFromZero) {
    // t * 60 is an exact half in both cases; rounding to even would give 22.
    EXPECT_EQ(pulse(0.125), 8);   // 7.5 -> 8
    EXPECT_EQ(pulse(0.375), 23);  // 22.5 -> 23
}

TEST(TextColour, PacksPulseGreenAndItsComplement) {
    EXPECT_EQ(textColour(0), 0xFFFF4000u);   // red 0, green 64, blue 255
    EXPECT_EQ(textColour(255), 0xFF0040FFu);  // red 255, green 64, blue 0
    EXPECT_EQ(textColour(150), 0xFF694096u);  // red 150, green 64, blue 105
}

struct PixelCase {
    double position;
    std::int32_t pixel;
};

TEST(ToPixel, TruncatesSaturatesAndMapsNaNToZero) {
    constexpr auto Min = std::numeric_limits<std::int32_t>::min();
    constexpr auto Max = std::numeric_limits<std::int32_t>::max();
    const PixelCase cases[] = {
        {0.0, 0},          {1.999, 1},         {-1.999, -1},     {-0.5, 0},
        {140.0, 140},      {639.99, 639},      {2147483646.9, 2147483646},
        {2147483647.0, Max}, {3e9, Max},       {Inf, Max},
        {-2147483648.0, Min}, {-2147483647.5, -2147483647}, {-3e9, Min}, {-Inf, Min},
        {NaN, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(toPixel(c.position), c.pixel) << c.position;
}

TEST(RoundHalfAway, RoundsHalvesAwayFromZero) {
    EXPECT_EQ(roundHalfAway(2.5), 3.0);
    EXPECT_EQ(roundHalfAway(-2.5), -3.0);
    EXPECT_EQ(roundHalfAway(0.5), 1.0);
    EXPECT_EQ(roundHalfAway(105.5), 106.0);
    EXPECT_EQ(roundHalfAway(2.4999), 2.0);
    EXPECT_TRUE(std::isnan(roundHalfAway(NaN)));
}

TEST(AddSaturating, HoldsTheInt32Range) {
    constexpr auto Min = std::numeric_limits<std::int32_t>::min();
    constexpr auto Max = std::numeric_limits<std::int32_t>::max();
    EXPECT_EQ(addSaturating(140, 18), 158);
    EXPECT_EQ(addSaturating(-5, 3), -2);
    EXPECT_EQ(addSaturating(Max, 18), Max);
    EXPECT_EQ(addSaturating(Min, -2), Min);
}

struct ScheduleCase {
    double t;
    SceneSchedule expected;
};

TEST(Schedule, StartsEveryWindowInclusively) {
    const auto sig = [](double s) { return std::optional<double>(s); };
    const ScheduleCase cases[] = {
        {-0.001, {}},
        {-50.0, {}},
        {NaN, {}},
        {0.0, {sig(0.0)}},
        {0.001, {sig(0.001)}},
        {11.999, {sig(11.999)}},
        {12.0, {sig(12.0), true, false}},
        {17.999, {sig(17.999), true, false}},
        {18.0, {sig(18.0), true, true}},
        {29.999, {sig(29.999), true, true}},
        {30.0, {std::nullopt, false, false, true}},
        {62.999, {std::nullopt, false, false, true}},
        {63.0, {std::nullopt, false, false, false, true}},
        {89.999, {std::nullopt, false, false, false, true}},
        {90.0, {sig(15.0)}},
        {100.0, {sig(25.0)}},
        {114.0, {sig(39.0)}},
        {Inf, {sig(Inf)}},
    };
    for (const auto& c : cases) {
        const SceneSchedule got = scheduleFor(c.t);
        EXPECT_EQ(got, c.expected) << "t = " << c.t;
    }
}
}  // namespace
