#include "tools/icongen/icon_picture.h"

#include <cassert>

#include "scenes/timeline.h"
#include "text/font.h"

namespace {

constexpr char32_t Letter = 'M';  // the first letter of "Mox-Space"

// The text colour at the top of its pulse, where the signature is brightest
// against the backdrop: red 255, green 64, blue 0.
constexpr std::uint8_t IconPulse = 255;

const Font& fontOf(const LetterPlacement& placement) {
    return placement.signatureFont ? SmallFont : LargeFont;
}

// One channel of the text colour laid over the background with the glyph's
// coverage, rounded to nearest.
std::uint8_t blend(std::uint32_t text, std::uint32_t coverage) {
    const std::uint32_t back = ClearLevel;
    return static_cast<std::uint8_t>((text * coverage + back * (255 - coverage) + 127) / 255);
}

}  // namespace

LetterPlacement placeLetter(std::int32_t size) {
    assert(size > 0);
    const std::int32_t border = (size + 31) / 32;
    const std::int32_t room = size - 2 * border;
    LetterPlacement placement;
    Glyph glyph = lookupGlyph(SmallFont, Letter);
    const std::int32_t larger = glyph.width > glyph.height ? glyph.width : glyph.height;
    placement.factor = room / larger;
    if (placement.factor == 0) {
        placement.signatureFont = false;
        placement.factor = 1;
        glyph = lookupGlyph(LargeFont, Letter);
    }
    // Centred; an odd remainder leaves the extra pixel on the right and below.
    placement.x = (size - glyph.width * placement.factor) / 2;
    placement.y = (size - glyph.height * placement.factor) / 2;
    return placement;
}

RgbPicture drawIcon(std::int32_t size) {
    const LetterPlacement placement = placeLetter(size);
    const Glyph glyph = lookupGlyph(fontOf(placement), Letter);
    const std::uint32_t colour = textColour(IconPulse);
    const std::uint32_t red = colour & 0xFF;
    const std::uint32_t green = colour >> 8 & 0xFF;
    const std::uint32_t blue = colour >> 16 & 0xFF;

    RgbPicture picture;
    picture.size = size;
    picture.bytes.assign(static_cast<std::size_t>(size) * static_cast<std::size_t>(size) * 3, ClearLevel);
    for (std::int32_t y = 0; y < size; ++y) {
        const std::int32_t row = (y - placement.y) / placement.factor;
        if (y < placement.y || row >= glyph.height) continue;
        for (std::int32_t x = 0; x < size; ++x) {
            const std::int32_t column = (x - placement.x) / placement.factor;
            if (x < placement.x || column >= glyph.width) continue;
            const std::uint32_t coverage = glyph.coverage[static_cast<std::size_t>(row * glyph.width + column)];
            std::uint8_t* pixel = &picture.bytes[(static_cast<std::size_t>(y) * static_cast<std::size_t>(size) +
                                                  static_cast<std::size_t>(x)) * 3];
            pixel[0] = blend(red, coverage);
            pixel[1] = blend(green, coverage);
            pixel[2] = blend(blue, coverage);
        }
    }
    return picture;
}
