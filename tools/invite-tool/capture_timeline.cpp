#include "tools/invite-tool/capture_timeline.h"

#include <cassert>
#include <cmath>

double captureFrameTime(std::int64_t frame, std::int32_t fps) {
    assert(frame >= 0 && fps >= 1);
    if (frame == 0) return FirstFrameTime;
    return static_cast<double>(frame) / static_cast<double>(fps);
}

std::int64_t captureFrameCount(std::int32_t fps, double until) {
    assert(fps >= 1 && until >= 0.0);
    // floor(until * fps) can land one off either way once rounded; settle it
    // with the same division that captureFrameTime makes.
    auto last = static_cast<std::int64_t>(std::floor(until * static_cast<double>(fps)));
    while (last > 0 && captureFrameTime(last, fps) > until) --last;
    while (captureFrameTime(last + 1, fps) <= until) ++last;
    return last + 1;
}
