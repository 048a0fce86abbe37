// The greetings: a typed-out header whose embedded signature keeps its own
// lettering, four rows of greeted handles scrolling in from the right, and
// three notes standing near the bottom.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/platform.h"
#include "scenes/text_run.h"

// One of the three notes near the bottom.
struct GreetingsNote {
    std::string_view text;
    std::int32_t dx;
    std::int32_t riseFromBottom;  // top = h - riseFromBottom
};

class GreetingsScene {
public:
    static constexpr double HeaderRate = 10.75;  // characters per second
    static constexpr std::int32_t HeaderDx = 18;
    // SmallFont's baseline lies 18 below its pen, LargeFont's 10: pens 8 apart
    // put both on the baseline y = 34.
    static constexpr std::int32_t HeaderLargeTop = 24;
    static constexpr std::int32_t HeaderSmallTop = 16;
    // Header positions 13..21 are the embedded signature.
    static constexpr std::size_t SignatureFirst = 13;
    static constexpr std::size_t SignatureLast = 21;

    static constexpr double ScrollShare = 0.078125;  // of w per second: 50 px/s at 640
    static constexpr double ScrollDelay = 4.0;       // row 0 reaches the right edge at u = 4
    static constexpr double RowTrail = 90.0;         // each row starts 90 px after the one above
    static constexpr std::int32_t RowDx = 18;
    static constexpr std::int32_t FirstRowTop = 60;
    static constexpr std::int32_t RowStep = 24;

    // The font and top of header character n (n characters drawn before it).
    static RunStyle headerStyle(std::size_t n);
    // floor(u * 10.75).
    static double headerLimit(double u);
    // w + 90 * i - 0.078125 * w * (u - 4).
    static double rowPenStart(int row, double u, std::int32_t width);
    // 60 + 24 * i.
    static std::int32_t rowTop(int row);
    // The notes in drawing order: the middle, the lower, then the upper one.
    static const std::array<GreetingsNote, 3>& notes();

    static TextRun headerRun(double u);
    // The run for a row; `joined` is the row's string, built by the caller.
    static TextRun rowRun(std::string_view joined, int row, double u, std::int32_t width);
    static TextRun noteRun(const GreetingsNote& note, std::int32_t height);

    // Draws the scene at demo time t (63 <= t < 90).
    static Status draw(const SceneTarget& target, double t);
};
