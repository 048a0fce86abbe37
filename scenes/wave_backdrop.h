// The sine-wave backdrop: a full-canvas band under a sine-shaped crest,
// coloured by a horizontal gradient and dotted with brighter pixels, built
// pixel by pixel every frame and blended over the canvas. Revealed from the
// right edge over its first ten seconds; scrolls left all its life.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "platform/platform.h"
#include "scenes/text_run.h"

// What one column of the backdrop shares in a frame.
struct WaveColumn {
    bool revealed = false;     // x >= the reveal edge
    std::uint32_t crest = 0;   // Y: rows 0..Y stay clear
    std::uint32_t gradient = 0;  // q = x * 512 / w, 0..511
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
};

class WaveBackdrop {
public:
    // The sine runs over 6.282 / w radians per pixel, a little short of a full
    // turn across the canvas.
    static constexpr double SineTurn = 6.282;
    // o = (t - 12) * 0.1: the reveal runs over ten seconds. A product, not a
    // quotient by 10, which can differ in the last bit.
    static constexpr double RevealPerSecond = 0.1;
    static constexpr double PhaseLead = 0.75;      // S = (o - 0.75) * w
    static constexpr std::uint8_t DotAlpha = 255;  // linear index a multiple of 7
    static constexpr std::uint8_t BandAlpha = 122;
    static constexpr std::uint32_t DotSpacing = 7;
    static constexpr std::uint32_t DimmedRows = 3;  // rows just below the crest at 2/3 alpha

    // The per-column values at demo time t on a w x h canvas (w > 0).
    static WaveColumn column(double t, std::uint32_t x, std::uint32_t width, std::uint32_t height);

    // One pixel as red, green, blue, alpha, straight from the rules.
    static std::array<std::uint8_t, 4> pixel(double t, std::uint32_t x, std::uint32_t y,
                                             std::uint32_t width, std::uint32_t height);

    // The whole w x h picture, rows packed (4 * w bytes a row), byte for byte
    // what pixel() gives, without a division or a remainder per pixel.
    static void fill(std::span<std::uint8_t> pixels, double t, std::uint32_t width,
                     std::uint32_t height);

    // Builds the surface, uploads it and blends it over the whole canvas.
    static Status draw(const SceneTarget& target, double t);
};
