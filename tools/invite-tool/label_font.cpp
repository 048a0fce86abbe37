#include "tools/invite-tool/label_font.h"

#include <array>
#include <cassert>

namespace {
struct LabelGlyph {
    char character;
    std::int32_t width;                      // font pixels
    std::array<std::uint8_t, LabelCellHeight> rows;  // bit (width - 1 - x) is column x
};

// Rows top to bottom, each written as the pixels left to right.
constexpr std::array<LabelGlyph, 14> LabelGlyphs = {{
    {'0', 3, {0b111, 0b101, 0b101, 0b101, 0b111}},
    {'1', 3, {0b010, 0b110, 0b010, 0b010, 0b111}},
    {'2', 3, {0b111, 0b001, 0b111, 0b100, 0b111}},
    {'3', 3, {0b111, 0b001, 0b011, 0b001, 0b111}},
    {'4', 3, {0b101, 0b101, 0b111, 0b001, 0b001}},
    {'5', 3, {0b111, 0b100, 0b111, 0b001, 0b111}},
    {'6', 3, {0b111, 0b100, 0b111, 0b101, 0b111}},
    {'7', 3, {0b111, 0b001, 0b010, 0b010, 0b010}},
    {'8', 3, {0b111, 0b101, 0b111, 0b101, 0b111}},
    {'9', 3, {0b111, 0b101, 0b111, 0b001, 0b111}},
    {'.', 1, {0b0, 0b0, 0b0, 0b0, 0b1}},
    {'t', 3, {0b010, 0b111, 0b010, 0b010, 0b011}},
    {'=', 3, {0b000, 0b111, 0b000, 0b111, 0b000}},
    {' ', 2, {0, 0, 0, 0, 0}},
}};

const LabelGlyph& glyphFor(char c) {
    for (const LabelGlyph& glyph : LabelGlyphs) {
        if (glyph.character == c) return glyph;
    }
    return LabelGlyphs.back();  // the space
}
}  // namespace

std::int32_t labelWidth(std::string_view text, std::int32_t scale) {
    assert(scale >= 1);
    std::int32_t width = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        width += glyphFor(text[i]).width + (i + 1 < text.size() ? 1 : 0);
    }
    return width * scale;
}

void drawLabel(RgbaImage& image, std::int32_t x, std::int32_t y, std::string_view text,
               std::int32_t scale, Rgba colour) {
    assert(scale >= 1);
    for (char c : text) {
        const LabelGlyph& glyph = glyphFor(c);
        for (std::int32_t row = 0; row < LabelCellHeight; ++row) {
            for (std::int32_t column = 0; column < glyph.width; ++column) {
                if (((glyph.rows[static_cast<std::size_t>(row)] >> (glyph.width - 1 - column)) & 1) == 0) {
                    continue;
                }
                fillRect(image, x + column * scale, y + row * scale, scale, scale, colour);
            }
        }
        x += (glyph.width + 1) * scale;
    }
}
