// Frame pacing and the console time line.
#pragma once

#include <string>

#include "app/platform.h"

// t in plain decimal: the shortest digits that read back as the same double,
// no exponent, no trailing zeros, no point for whole numbers (0.001, 1.5, 2, 114).
std::string formatDemoTime(double t);

// "Time: " + formatDemoTime(t) + ESC "[F" + newline, as one write. Without a
// standard output the line is dropped (ok); any other write failure is an error.
Status writeTimeLine(double t);

// The pause after every presented frame: 83.3 microseconds, or 1 millisecond
// where the high-resolution wait fails.
void frameSleep();
