// Draws one whole frame of the demo for one value of the demo time.
#pragma once

#include <string_view>

#include "platform/platform.h"

// The failure of a frame asked of a canvas that has no logical size.
inline constexpr std::string_view NoLogicalSizeText = "The canvas has no logical size.";

class SceneRenderer {
public:
    // Whether each frame writes the console time line first. The demo does;
    // the capture tool, which keeps the terminal for its progress bar, does not.
    // The first renderer of the process also asks the C library to keep
    // canvas-sized blocks on its heap (see scene_renderer.cpp).
    explicit SceneRenderer(bool writeTimeLines = true);

    // Writes the time line, clears to (12, 12, 12) and draws the scenes that
    // the timeline selects for t. Does not present. Requires a canvas with a
    // non-zero logical size (read anew every frame). Nothing is kept between
    // frames. Any failure is returned; the caller treats it as fatal.
    Status renderFrame(const Canvas& canvas, const TextureFactory& factory, double t);

private:
    bool writeTimeLines_;
};
