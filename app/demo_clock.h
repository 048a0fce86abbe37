// The demo clock: the time t that every frame is drawn for.
//
// t is wall-clock time since the clock started, in whole milliseconds (so it
// moves in steps of exactly 0.001 s), not derived from the audio position.
// The type is pure: it is given the instants, so it is tested without a clock.
#pragma once

#include <cstdint>

struct DemoClock {
    static constexpr std::uint64_t TicksPerSecond = 10'000'000;  // 100 ns ticks
    static constexpr std::uint64_t TicksPerMillisecond = TicksPerSecond / 1000;

    std::uint64_t startInstant = 0;  // wall clock at the start, 100 ns ticks

    // t in seconds at the wall-clock instant `now` (100 ns ticks). The whole
    // milliseconds are counted in 32 bits, so t wraps after about 49.7 days.
    // A wall clock set back to before the start gives 0.
    constexpr double secondsAt(std::uint64_t now) const {
        if (now < startInstant) return 0.0;
        const std::uint64_t d = now - startInstant;
        const auto ms = static_cast<std::uint32_t>((d / TicksPerSecond) * 1000 +
                                                   (d % TicksPerSecond) / TicksPerMillisecond);
        return ms / 1000.0;
    }
};
