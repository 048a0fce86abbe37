#include "app/demo_clock.h"

#include <gtest/gtest.h>

namespace {

constexpr std::uint64_t Tick = 1;                  // 100 ns
constexpr std::uint64_t Millisecond = 10'000;      // ticks
constexpr std::uint64_t Second = 10'000'000;       // ticks

static_assert(DemoClock{0}.secondsAt(2 * Second) == 2.0, "usable at compile time");

struct ClockCase {
    std::uint64_t elapsed;  // ticks since the start
    double t;
};

TEST(DemoClock, CountsWholeMillisecondsOfElapsedTicks) {
    const ClockCase cases[] = {
        {0, 0.0},
        {Millisecond - Tick, 0.0},            // 0.9999 ms: truncated
        {Millisecond, 0.001},
        {2 * Millisecond - Tick, 0.001},
        {Second - Tick, 0.999},
        {Second, 1.0},
        {Second + 500 * Millisecond, 1.5},
        {113 * Second + 999 * Millisecond + 9'999 * Tick, 113.999},
        {114 * Second, 114.0},
        {114 * Second + Millisecond, 114.001},  // the first t past the end
        {3600 * Second + 7 * Millisecond, 3600.007},
    };
    const std::uint64_t start = 133'000'000'000'000'000ull;  // a date in 2022
    for (const auto& c : cases) {
        const DemoClock clock{start};
        EXPECT_EQ(clock.secondsAt(start + c.elapsed), c.t) << c.elapsed;
    }
}

TEST(DemoClock, MillisecondsWrapAroundIn32Bits) {
    // 2^32 ms after the start the count starts again at 0.
    const std::uint64_t wrap = 4'294'967'296ull * Millisecond;
    const DemoClock clock{1000};
    EXPECT_EQ(clock.secondsAt(1000 + wrap - Millisecond), 4'294'967.295);
    EXPECT_EQ(clock.secondsAt(1000 + wrap), 0.0);
    EXPECT_EQ(clock.secondsAt(1000 + wrap + 1500 * Millisecond), 1.5);
}

TEST(DemoClock, AClockSetBackBeforeTheStartGivesZero) {
    const DemoClock clock{50 * Second};
    EXPECT_EQ(clock.secondsAt(50 * Second - Tick), 0.0);
    EXPECT_EQ(clock.secondsAt(0), 0.0);
}

}  // namespace
