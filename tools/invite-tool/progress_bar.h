// The one-line progress bar that a capture keeps on the terminal.
#pragma once

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>

// "[#########...........]  45%  3100/6841 frames  612 fps": `barWidth` cells,
// the percentage rounded down, and the drawing rate when one is known (> 0).
std::string formatProgress(std::int64_t done, std::int64_t total, double framesPerSecond,
                           std::int32_t barWidth);

class ProgressBar {
public:
    ProgressBar(std::ostream& out, std::int64_t total);

    // Redraws the line in place (carriage return) at most ten times a second,
    // and always for the last frame.
    void update(std::int64_t done);
    // Draws the final state and ends the line.
    void finish(std::int64_t done);

private:
    void draw(std::int64_t done);

    using Clock = std::chrono::steady_clock;
    std::ostream& out_;
    std::int64_t total_;
    Clock::time_point start_ = Clock::now();
    Clock::time_point lastDraw_{};
    bool drawn_ = false;
};
