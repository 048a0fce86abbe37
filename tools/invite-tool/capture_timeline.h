// Which demo times the capture tools draw.
#pragma once

#include <array>
#include <cstdint>

// The live demo draws its first frame at 0.001 and its last at a time of at
// most 114.0; a capture keeps both ends.
inline constexpr double FirstFrameTime = 0.001;
inline constexpr double DemoEndTime = 114.0;

// The time of video frame k at `fps` frames per second: k / fps, except that
// frame 0 shows 0.001 like the demo's first frame. Requires k >= 0, fps >= 1.
double captureFrameTime(std::int64_t frame, std::int32_t fps);

// How many frames a capture that ends at `until` has: every k >= 0 whose time
// k / fps is at most `until` (frame 0 always). Requires fps >= 1, until >= 0.
std::int64_t captureFrameCount(std::int32_t fps, double until);

// The stills of the contact sheet, in reading order: at least one inside each
// window of the timeline (resting signature, bouncing signature, wave backdrop,
// slogan scroller, invitation, greetings, the signature's return).
inline constexpr std::array<double, 12> ContactSheetTimes = {
    0.25,  // signature at rest
    6.0,   // bouncing signature
    15.0,  // wave backdrop over the signature
    21.0,  // slogan scroller joins
    27.0,
    38.0,  // invitation: typewriter title, lines scrolling in
    45.0,
    62.5,  // invitation, "made with" title
    66.0,  // greetings
    80.0,
    95.0,  // the signature returns
    113.0,
};
