// The two built-in bitmap fonts and the lookup from a character to a Glyph.
//
// Glyph records live back to back in one constant blob (little-endian, packed):
//   u16 width, i32 offsetX, i32 offsetY, f32 advance, u8 coverage[n]
// where n = width * height + 1: the rows of coverage (0 empty .. 255 covered)
// followed by one terminating 0 that belongs to no row. A font maps an 8-bit
// character code to (record start, n); height is derived as n / width.
#pragma once

#include <cstdint>
#include <span>

// One looked-up character. Owns nothing: `coverage` views the constant blob.
struct Glyph {
    std::span<const std::uint8_t> coverage;  // n bytes, terminating byte included
    std::int32_t offsetX = 0;  // pen x to the bitmap's left column, clamped to [-2^30, 2^30 - 1]
    std::int32_t offsetY = 0;  // pen y to the bitmap's top row (down is positive), clamped
    double advance = 0;        // pen movement after the glyph, in pixels
    std::uint16_t width = 0;
    std::uint16_t height = 0;  // n / width
};

struct FontEntry {
    std::uint32_t recordStart = 0;  // byte offset of the record in the blob
    std::uint32_t coverageCount = 0;  // n; 0 = the font has no such character
};

// A fixed map from an 8-bit character code to a glyph record.
struct Font {
    const char* name;
    const FontEntry* entries;  // 256 entries, indexed by the 8-bit code
    // The blob the entries point into; the built-in fonts share one.
    std::span<const std::uint8_t> (*records)();
};

// The built-in blob of glyph records of both fonts.
std::span<const std::uint8_t> builtInGlyphRecords();

extern const Font LargeFont;  // every text of the demo
extern const Font SmallFont;  // the letters of the group's signature, larger and rounder

// The glyph of `character` (only its low 8 bits select it). A character the
// font lacks, or a record of width 0, is a broken invariant: the program stops
// with a message naming the font and the character.
Glyph lookupGlyph(const Font& font, char32_t character);

// True when the font has a glyph for the character's low 8 bits.
bool fontHasGlyph(const Font& font, char32_t character);
