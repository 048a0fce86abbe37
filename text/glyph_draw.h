// Turning one Glyph into pixels on the canvas. Nothing is cached: every drawn
// character gets a fresh surface and texture, destroyed right after its copy.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "platform/platform.h"
#include "text/font.h"

// A 32-bit ABGR8888 surface (bytes red, green, blue, alpha; pitch 4 x width).
// Fails with "Image is too large." for a width or height of 2^31 or more,
// before SDL is asked for a surface.
Result<Surface> createRgbaSurface(std::uint32_t width, std::uint32_t height);

// The pixel bytes of a glyph painted in `colour` (bits 0-7 red, 8-15 green,
// 16-23 blue; bits 24-31 ignored): coverage byte i becomes pixel i with the
// coverage as alpha. `pixels` is the whole surface (height x pitch bytes),
// already zeroed. Pure; this is what makeGlyphTexture writes.
void fillGlyphPixels(std::span<std::uint8_t> pixels, const Glyph& glyph, std::uint32_t colour);

// A texture of the glyph in `colour`, made through a fresh surface that is
// released before returning. A glyph of height 0 gets a one-pixel-high surface.
Result<Texture> makeGlyphTexture(const TextureFactory& factory, const Glyph& glyph,
                                 std::uint32_t colour);

// The destination of a glyph drawn at pen (x, y): (x + offsetX, y + offsetY)
// with wrapping 32-bit additions, width by height, made by Rect::make.
Rect glyphDestRect(const Glyph& glyph, std::int32_t x, std::int32_t y);

// SDL_RenderCopy of the texture onto the canvas.
Status copyToCanvas(const Canvas& canvas, const Texture& texture, const std::optional<Rect>& source,
                    const Rect& destination);
