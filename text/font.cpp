#include "text/font.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

// The embedded glyph records of both fonts (assets/fonts/glyph_records.bin).
extern const std::uint8_t GlyphRecords[];
extern const std::size_t GlyphRecordsSize;

namespace {

struct FontTableRow {
    char character;
    std::uint32_t recordStart;
    std::uint32_t coverageCount;
};

#include "assets/fonts/font_tables.inc"

// Record layout: u16 width, i32 offsetX, i32 offsetY, f32 advance, coverage.
constexpr std::size_t WidthAt = 0;
constexpr std::size_t OffsetXAt = 2;
constexpr std::size_t OffsetYAt = 6;
constexpr std::size_t AdvanceAt = 10;
constexpr std::size_t CoverageAt = 14;

// Glyph offsets are kept within +-2^30 so that adding a pen position cannot
// run far outside the range a Rect accepts.
constexpr std::int32_t OffsetLimit = (1 << 30) - 1;

template <std::size_t N>
constexpr std::array<FontEntry, 256> indexByCode(const FontTableRow (&rows)[N]) {
    std::array<FontEntry, 256> entries{};
    for (const FontTableRow& row : rows) {
        entries[static_cast<unsigned char>(row.character)] = {row.recordStart, row.coverageCount};
    }
    return entries;
}

constexpr std::array<FontEntry, 256> LargeEntries = indexByCode(LargeFontTable);
constexpr std::array<FontEntry, 256> SmallEntries = indexByCode(SmallFontTable);

std::uint32_t readU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::int32_t readClampedOffset(const std::uint8_t* p) {
    const auto value = static_cast<std::int32_t>(readU32(p));
    return std::clamp(value, -OffsetLimit - 1, OffsetLimit);
}

[[noreturn]] void brokenGlyphInvariant(const Font& font, char32_t character, const char* what) {
    std::fprintf(stderr, "lookupGlyph: %s: character U+%04X (code %u) %s\n", font.name,
                 static_cast<unsigned>(character), static_cast<unsigned>(character & 0xFF), what);
    std::abort();
}

}  // namespace

std::span<const std::uint8_t> builtInGlyphRecords() { return {GlyphRecords, GlyphRecordsSize}; }

const Font LargeFont{"LargeFont", LargeEntries.data(), builtInGlyphRecords};
const Font SmallFont{"SmallFont", SmallEntries.data(), builtInGlyphRecords};

bool fontHasGlyph(const Font& font, char32_t character) {
    return font.entries[character & 0xFF].coverageCount != 0;
}

Glyph lookupGlyph(const Font& font, char32_t character) {
    const FontEntry& entry = font.entries[character & 0xFF];
    if (entry.coverageCount == 0) brokenGlyphInvariant(font, character, "has no glyph");
    const std::span<const std::uint8_t> records = font.records();
    if (entry.recordStart + CoverageAt + std::size_t{entry.coverageCount} > records.size()) {
        brokenGlyphInvariant(font, character, "has a record outside the glyph data");
    }
    const std::uint8_t* record = records.data() + entry.recordStart;

    Glyph glyph;
    glyph.width = static_cast<std::uint16_t>(record[WidthAt] | record[WidthAt + 1] << 8);
    if (glyph.width == 0) brokenGlyphInvariant(font, character, "has a record of width 0");
    glyph.offsetX = readClampedOffset(record + OffsetXAt);
    glyph.offsetY = readClampedOffset(record + OffsetYAt);
    const std::uint32_t advanceBits = readU32(record + AdvanceAt);
    float advance;
    std::memcpy(&advance, &advanceBits, sizeof advance);
    glyph.advance = advance;
    // The terminating byte drops out of the quotient because every width is at least 2.
    glyph.height = static_cast<std::uint16_t>(entry.coverageCount / glyph.width);
    glyph.coverage = {record + CoverageAt, entry.coverageCount};
    return glyph;
}
