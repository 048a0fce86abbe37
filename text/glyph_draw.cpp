// PLACEHOLDER until glyph drawing lands.
#include "text/glyph_draw.h"

Result<Surface> createRgbaSurface(std::uint32_t width, std::uint32_t height) {
    return Surface::createAbgr8888(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height));
}
void fillGlyphPixels(std::span<std::uint8_t>, const Glyph&, std::uint32_t) {}
Result<Texture> makeGlyphTexture(const TextureFactory&, const Glyph&, std::uint32_t) {
    return PlatformError{"not yet"};
}
Rect glyphDestRect(const Glyph& glyph, std::int32_t x, std::int32_t y) {
    return Rect::make(x + glyph.offsetX, y + glyph.offsetY, glyph.width, glyph.height);
}
Status copyToCanvas(const Canvas& canvas, const Texture& texture, const std::optional<Rect>& source,
                    const Rect& destination) {
    return canvas.copy(texture, source, destination);
}
