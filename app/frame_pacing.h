// Frame pacing: the frame loop's pause after every presented frame.
#pragma once

#include <cstdint>

// The pause after every presented frame: 83.3 microseconds, or 1 millisecond
// where the high-resolution wait fails. It is the frame loop's only pacing.
void frameSleep();

// frameSleep with the two waits given, so that the fallback can be exercised.
inline constexpr std::uint64_t FrameSleepTicks = 833;  // 100 ns ticks: 83.3 us
struct SleepServices {
    bool (*precise)(std::uint64_t ticks);
    void (*milliseconds)(std::uint32_t milliseconds);
};
void frameSleep(const SleepServices& services);
