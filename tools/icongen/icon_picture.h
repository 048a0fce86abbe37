// The program's icon: the M of the group's signature, in the demo's text
// colour on the demo's dark, enlarged by a whole factor with hard pixel edges
// and centred. Pure; the files are written by icon_files.*.
#pragma once

#include <cstdint>
#include <vector>

// An opaque RGB picture, rows top to bottom, 3 bytes a pixel.
struct RgbPicture {
    std::int32_t size = 0;  // width = height
    std::vector<std::uint8_t> bytes;
};

// Where the letter goes in a size x size picture: which font, the
// enlargement and the top-left corner of the enlarged glyph.
struct LetterPlacement {
    bool signatureFont = true;  // false: the text font, for the smallest size
    std::int32_t factor = 1;
    std::int32_t x = 0;
    std::int32_t y = 0;
};

// The signature's M at the largest whole factor that leaves a border of at
// least size / 32 (rounded up) on every side. Where it does not fit even
// once (16 x 16), the text font's M, which fills the height at factor 1.
LetterPlacement placeLetter(std::int32_t size);

RgbPicture drawIcon(std::int32_t size);
