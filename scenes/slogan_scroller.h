// The invitation slogan running right along the bottom of the canvas and
// wrapping around to the left edge.
#pragma once

#include "platform/platform.h"
#include "scenes/text_run.h"

class SloganScroller {
public:
    static constexpr double Speed = 32.0;      // logical pixels per second
    static constexpr double FirstPen = 18.0;   // pen at t = 18
    static constexpr std::int32_t RiseFromBottom = 32;  // top = h - 32

    // fmod((t - 18) * 32 + 18, w): in [0, w) for t >= 18.
    static double penStart(double t, std::int32_t width);

    // The run: ComeToText in LargeFont, no jitter, wrapped at the canvas width.
    static TextRun run(double t, std::int32_t width, std::int32_t height);

    static Status draw(const SceneTarget& target, double t);
};
