#include "scenes/wave_backdrop.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstddef>

#include "text/glyph_draw.h"

namespace {
constexpr std::uint32_t GradientSteps = 512;

// floor(v) as an unsigned pixel row: negatives and NaN give 0, the top saturates.
std::uint32_t toRow(double v) {
    const double f = std::floor(v);
    if (!(f > 0.0)) return 0;
    if (f >= 4294967295.0) return 4294967295u;
    return static_cast<std::uint32_t>(f);
}

std::uint8_t bandAlpha(bool dot, bool dimmed) {
    const std::uint32_t base = dot ? WaveBackdrop::DotAlpha : WaveBackdrop::BandAlpha;
    return static_cast<std::uint8_t>(dimmed ? base * 2 / 3 : base);
}

std::uint8_t alphaAt(const WaveColumn& c, std::uint32_t y, bool dot) {
    if (!c.revealed || y <= c.crest) return 0;
    const bool dimmed = y <= static_cast<std::uint64_t>(c.crest) + WaveBackdrop::DimmedRows;
    return bandAlpha(dot, dimmed);
}
}  // namespace

WaveColumn WaveBackdrop::column(double t, std::uint32_t x, std::uint32_t width,
                                std::uint32_t height) {
    assert(width > 0);
    const double w = static_cast<double>(width);
    const double o = (t - WaveStart) * RevealPerSecond;
    const double revealEdge = o <= 1.0 ? w * (1.0 - o) : 0.0;
    const double shift = (o - PhaseLead) * w;
    const double halfHeight = static_cast<double>(height) * 0.5;

    double a = shift + static_cast<double>(x);
    if (a > w) a -= w;  // once: the phase may still run past w afterwards

    WaveColumn c;
    c.revealed = !(static_cast<double>(x) < revealEdge);
    c.crest = toRow((std::sin(a * SineTurn / w) + 1.0) * halfHeight);
    c.gradient = static_cast<std::uint32_t>(static_cast<std::uint64_t>(x) * GradientSteps / width);
    c.red = static_cast<std::uint8_t>(122 - (c.gradient >> 3));
    c.green = static_cast<std::uint8_t>(255 - (c.gradient >> 1));
    c.blue = static_cast<std::uint8_t>(c.gradient >> 1);
    return c;
}

std::array<std::uint8_t, 4> WaveBackdrop::pixel(double t, std::uint32_t x, std::uint32_t y,
                                                 std::uint32_t width, std::uint32_t height) {
    const WaveColumn c = column(t, x, width, height);
    const std::uint64_t index = x + static_cast<std::uint64_t>(y) * width;
    return {c.red, c.green, c.blue, alphaAt(c, y, index % DotSpacing == 0)};
}

void WaveBackdrop::fill(std::span<std::uint8_t> pixels, double t, std::uint32_t width,
                        std::uint32_t height) {
    assert(pixels.size() >= std::size_t{4} * width * height);
    // The rules go column by column, the memory row by row: compute a block of
    // columns, then write it row by row, so every write is sequential. The dot
    // test (x + y * w) % 7 == 0 is carried as a running remainder: +1 per
    // column, + w % 7 per row.
    constexpr std::uint32_t Block = 64;
    std::array<WaveColumn, Block> columns;
    const std::uint32_t rowStep = width % DotSpacing;
    for (std::uint32_t x0 = 0; x0 < width; x0 += Block) {
        const std::uint32_t n = std::min(Block, width - x0);
        for (std::uint32_t i = 0; i < n; ++i) columns[i] = column(t, x0 + i, width, height);
        std::uint32_t rowRemainder = x0 % DotSpacing;  // of the block's first pixel at y = 0
        for (std::uint32_t y = 0; y < height; ++y) {
            std::uint8_t* p = pixels.data() + std::size_t{4} * (std::size_t{y} * width + x0);
            std::uint32_t remainder = rowRemainder;
            for (std::uint32_t i = 0; i < n; ++i, p += 4) {
                const WaveColumn& c = columns[i];
                p[0] = c.red;
                p[1] = c.green;
                p[2] = c.blue;
                p[3] = alphaAt(c, y, remainder == 0);
                if (++remainder == DotSpacing) remainder = 0;
            }
            rowRemainder += rowStep;
            if (rowRemainder >= DotSpacing) rowRemainder -= DotSpacing;
        }
    }
}

Status WaveBackdrop::draw(const SceneTarget& target, double t) {
    const auto width = static_cast<std::uint32_t>(target.width);
    const auto height = static_cast<std::uint32_t>(target.height);
    auto surface = createRgbaSurface(width, height);
    if (!surface) return surface.error();
    const Surface& s = surface.value();
    // A fresh RGB surface is not RLE-encoded, so its pixels are written without
    // locking. Its rows are packed: 4 * w bytes each.
    assert(static_cast<std::uint32_t>(s.pitch()) == 4 * width);
    fill(std::span(s.pixels(), std::size_t{4} * width * height), t, width, height);
    auto texture = target.factory.createTextureFromSurface(s);
    if (!texture) return texture.error();
    Status copied = copyToCanvas(target.canvas, texture.value(), std::nullopt,
                                 Rect::make(0, 0, width, height));
    texture.value().destroy();
    return copied;
}
