// Draws one whole frame of the demo for one value of the demo time.
#pragma once

#include "app/platform.h"

class SceneRenderer {
public:
    // Whether each frame writes the console time line first. The demo does;
    // the capture tool, which keeps the terminal for its progress bar, does not.
    explicit SceneRenderer(bool writeTimeLines = true) : writeTimeLines_(writeTimeLines) {}

    // Writes the time line, clears to (12, 12, 12) and draws the scenes that
    // the timeline selects for t. Does not present. Requires a canvas with a
    // non-zero logical size. Any failure is returned; the caller treats it as
    // fatal.
    Status renderFrame(const Canvas& canvas, const TextureFactory& factory, double t);

private:
    bool writeTimeLines_;
};
