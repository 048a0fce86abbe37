// A tiny bitmap font of the tool's own (3 x 5 cells) for the labels on the
// contact sheet: the digits, ".", "t", "=" and space. It is not the
// demo's lettering on purpose: a label must read the same whatever the
// scenes draw, and the demo's large font has no 7 or 8.
#pragma once

#include <cstdint>
#include <string_view>

#include "tools/invite-tool/rgba_image.h"

inline constexpr std::int32_t LabelCellHeight = 5;  // font pixels

// Width of `text` in image pixels at `scale` image pixels per font pixel,
// one font pixel of spacing between characters included. Characters the font
// lacks count as spaces.
std::int32_t labelWidth(std::string_view text, std::int32_t scale);

// Draws `text` with its top-left corner at (x, y), clipped to the image.
void drawLabel(RgbaImage& image, std::int32_t x, std::int32_t y, std::string_view text,
               std::int32_t scale, Rgba colour);
