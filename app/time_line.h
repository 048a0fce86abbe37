// Frame pacing and the console time line.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

// t in plain decimal: the shortest digits that read back as the same double,
// no exponent, no trailing zeros, no point for whole numbers (0.001, 1.5, 2, 114).
std::string formatDemoTime(double t);

// The same text made with printf and strtod, for standard libraries that
// have no floating-point to_chars (formatDemoTime uses it there).
std::string formatDemoTimeByPrintf(double t);

// "Time: " + formatDemoTime(t) + ESC "[F" + newline. ESC "[F" moves a
// terminal's cursor to the start of the previous line and the newline brings
// it back down, so a terminal shows one running line.
std::string timeLine(double t);

// Writes timeLine(t) to standard output as one write, which also makes it
// visible at once. Without a standard output the line is dropped (ok); any
// other write failure (closed pipe, full disk) is an error.
Status writeTimeLine(double t);

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
