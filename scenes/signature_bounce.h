// The group's signature, bouncing diagonally between margins 16 pixels inside
// each edge of the canvas.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "scenes/text_run.h"

struct PenOrigin {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const PenOrigin&) const = default;
};

// The signature's measure in SmallFont.
struct SignatureMetrics {
    double length = 0.0;  // A: 16 + the advances, summed in order as doubles
    float tallest = 0.0f;  // M: max(16, height + 16 of every glyph), in single precision
};

class SignatureBounce {
public:
    static constexpr double Margin = 16.0;            // logical pixels inside each edge
    static constexpr double RestUntil = 0.5;          // seconds at (16, 16) before moving
    static constexpr double Speed = 90.0;             // logical pixels per second, each axis

    // Looks up every glyph of the signature; draws nothing.
    static SignatureMetrics measure();

    // The pen origin at signature time s on a w x h canvas: (16, 16) up to
    // s = 0.5, then a triangle wave along each axis over the ranges
    // X = w - (A + 16) and Y = h - (M + 16). A range of 0 makes the remainder
    // NaN, which puts that axis at 0.
    static PenOrigin position(double s, std::int32_t width, std::int32_t height,
                              const SignatureMetrics& metrics);

    // Draws the signature at signature time s (s >= 0), unjittered.
    static Status draw(const SceneTarget& target, double s);
};
