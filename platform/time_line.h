// The console time line: one running "Time: " line, written by the scene
// renderer for every frame it draws.
#pragma once

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
