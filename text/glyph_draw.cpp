#include "text/glyph_draw.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr std::uint32_t FirstNegativeSize = 0x8000'0000u;  // 2^31: negative as an int32
constexpr std::size_t BytesPerPixel = 4;

// A glyph surface that cannot be made or locked leaves nothing sensible to do:
// the program stops.
[[noreturn]] void glyphSurfaceFailed(const PlatformError& error) {
    std::fprintf(stderr, "makeGlyphTexture: %s\n", error.text.c_str());
    std::abort();
}

}  // namespace

Result<Surface> createRgbaSurface(std::uint32_t width, std::uint32_t height) {
    if (width >= FirstNegativeSize || height >= FirstNegativeSize) {
        return PlatformError{std::string(PlatformErrorText::ImageTooLarge)};
    }
    return Surface::createAbgr8888(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height));
}

void fillGlyphPixels(std::span<std::uint8_t> pixels, const Glyph& glyph, std::uint32_t colour) {
    if (glyph.width == 0 && glyph.height == 0) {
        std::fill(pixels.begin(), pixels.end(), std::uint8_t{0});
        return;
    }
    const auto red = static_cast<std::uint8_t>(colour);
    const auto green = static_cast<std::uint8_t>(colour >> 8);
    const auto blue = static_cast<std::uint8_t>(colour >> 16);
    // Coverage byte i is pixel i, row-major. The terminating byte lands just
    // past the surface and is skipped, except in a glyph of height 0, whose
    // one-row surface takes it as pixel 0 (alpha 0).
    const std::size_t count = std::min(glyph.coverage.size(), pixels.size() / BytesPerPixel);
    for (std::size_t i = 0; i < count; ++i) {
        std::uint8_t* pixel = pixels.data() + BytesPerPixel * i;
        pixel[0] = red;
        pixel[1] = green;
        pixel[2] = blue;
        pixel[3] = glyph.coverage[i];
    }
}

Result<Texture> makeGlyphTexture(const TextureFactory& factory, const Glyph& glyph, std::uint32_t colour) {
    const std::uint32_t surfaceWidth = glyph.width == 0 ? 1 : glyph.width;
    const std::uint32_t surfaceHeight = glyph.height == 0 ? 1 : glyph.height;
    Result<Surface> surface = createRgbaSurface(surfaceWidth, surfaceHeight);
    if (!surface) glyphSurfaceFailed(surface.error());
    if (Status locked = surface.value().lock(); !locked) glyphSurfaceFailed(locked.error());
    {
        const Surface& s = surface.value();
        const auto size = static_cast<std::size_t>(s.height()) * static_cast<std::size_t>(s.pitch());
        fillGlyphPixels({s.pixels(), size}, glyph, colour);
        s.unlock();
    }
    // The surface is released when `surface` goes out of scope, whether or not
    // the texture could be made.
    return factory.createTextureFromSurface(surface.value());
}

Rect glyphDestRect(const Glyph& glyph, std::int32_t x, std::int32_t y) {
    // Wrapping 32-bit additions, then Rect's clamping.
    const auto left = static_cast<std::int32_t>(static_cast<std::uint32_t>(x) +
                                                static_cast<std::uint32_t>(glyph.offsetX));
    const auto top = static_cast<std::int32_t>(static_cast<std::uint32_t>(y) +
                                               static_cast<std::uint32_t>(glyph.offsetY));
    return Rect::make(left, top, glyph.width, glyph.height);
}

Status copyToCanvas(const Canvas& canvas, const Texture& texture, const std::optional<Rect>& source,
                    const Rect& destination) {
    return canvas.copy(texture, source, destination);
}
