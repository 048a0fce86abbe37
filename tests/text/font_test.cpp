// The built-in fonts: every glyph's metrics, the coverage values, the lookup
// rules (low 8 bits, clamps, derived height) and the broken-invariant stops.
#include <gtest/gtest.h>

#include <bit>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "text/font.h"

extern const std::uint8_t GlyphRecords[];
extern const std::size_t GlyphRecordsSize;

namespace {

struct Metrics {
    const char* characters;
    std::uint16_t width;
    std::uint16_t height;
    std::int32_t offsetX;
    std::int32_t offsetY;
    float advance;
    std::uint32_t n;
};

const Metrics LargeMetrics[] = {
    {".", 2, 2, 1, 8, 5.7142863f, 5},
    {":", 2, 10, 1, -2, 5.7142863f, 21},
    {"i", 2, 15, 1, -5, 5.7142863f, 31},
    {"l", 2, 16, 1, -6, 5.7142863f, 33},
    {",", 3, 4, 0, 8, 5.7142863f, 13},
    {"I", 5, 16, 0, -6, 5.7142863f, 81},
    {" ", 7, 0, 0, 10, 7.1428576f, 1},
    {"1", 5, 16, 1, -6, 8.571429f, 81},
    {"j", 6, 18, 0, -5, 8.571429f, 109},
    {"-", 8, 2, 0, 1, 8.571429f, 17},
    {"r", 8, 12, 0, -2, 8.571429f, 97},
    {"t", 8, 15, 0, -5, 8.571429f, 121},
    {"/f", 8, 16, 0, -6, 8.571429f, 129},
    {"acnsz", 9, 12, 0, -2, 10.000001f, 109},
    {"EFJLZhk", 9, 16, 0, -6, 10.000001f, 145},
    {"eouvx", 11, 12, 0, -2, 11.428573f, 133},
    {"gpqy", 11, 15, 0, -2, 11.428573f, 166},
    {"#0234569ABDHKNPRSTVXYbd", 11, 16, 0, -6, 11.428573f, 177},
    {"CGOQU", 12, 16, 0, -6, 12.857143f, 193},
    {"mw", 13, 12, 0, -2, 14.285715f, 157},
    {"%@", 13, 14, 0, -5, 14.285715f, 183},
    {"MW", 13, 16, 0, -6, 14.285715f, 209},
    {"+", 10, 10, 0, -3, 11.428573f, 101},  // ours, for "C++"
};

const Metrics SmallMetrics[] = {
    {"-", 11, 5, 0, 9, 11.113259f, 56},
    {"S", 15, 19, 0, 0, 14.817679f, 286},
    {"a", 12, 12, 0, 6, 12.430939f, 145},
    {"c", 12, 12, 0, 6, 12.555248f, 145},
    {"e", 13, 12, 0, 6, 12.679558f, 157},
    {"p", 15, 16, 0, 6, 14.917127f, 241},
    // ours: the letters of "Mox" in the same scheme
    {"M", 19, 18, 0, 0, 19.337017f, 343},
    {"o", 13, 12, 0, 6, 13.176796f, 157},
    {"x", 13, 12, 0, 6, 12.803867f, 157},
};

std::string charactersOf(const Metrics* table, std::size_t count) {
    std::string all;
    for (std::size_t i = 0; i < count; ++i) all += table[i].characters;
    return all;
}

void expectMetrics(const Font& font, const Metrics* table, std::size_t count) {
    for (std::size_t row = 0; row < count; ++row) {
        const Metrics& m = table[row];
        for (const char* c = m.characters; *c != 0; ++c) {
            SCOPED_TRACE(std::string(font.name) + " '" + *c + "'");
            ASSERT_TRUE(fontHasGlyph(font, static_cast<unsigned char>(*c)));
            const Glyph g = lookupGlyph(font, static_cast<unsigned char>(*c));
            EXPECT_EQ(g.width, m.width);
            EXPECT_EQ(g.height, m.height);
            EXPECT_EQ(g.offsetX, m.offsetX);
            EXPECT_EQ(g.offsetY, m.offsetY);
            EXPECT_EQ(g.advance, static_cast<double>(m.advance));  // the single, widened exactly
            EXPECT_EQ(g.coverage.size(), m.n);
            EXPECT_EQ(m.n, static_cast<std::uint32_t>(m.width) * m.height + 1);
            EXPECT_EQ(g.coverage.back(), 0) << "terminating byte";
            EXPECT_EQ(g.coverage.data() - GlyphRecords >= 14, true);
            EXPECT_LE(static_cast<std::size_t>(g.coverage.data() + g.coverage.size() - GlyphRecords), GlyphRecordsSize);
        }
    }
}

TEST(LargeFont, EveryGlyphHasItsMetrics) { expectMetrics(LargeFont, LargeMetrics, std::size(LargeMetrics)); }
TEST(SmallFont, EveryGlyphHasItsMetrics) { expectMetrics(SmallFont, SmallMetrics, std::size(SmallMetrics)); }

TEST(Fonts, CoverExactlyTheirCharacters) {
    const std::string large = charactersOf(LargeMetrics, std::size(LargeMetrics));
    const std::string small = charactersOf(SmallMetrics, std::size(SmallMetrics));
    EXPECT_EQ(large.size(), 70u);  // 69 and our "+"
    EXPECT_EQ(small.size(), 9u);
    for (int code = 0; code < 256; ++code) {
        const auto c = static_cast<char>(code);
        EXPECT_EQ(fontHasGlyph(LargeFont, static_cast<char32_t>(code)), large.find(c) != std::string::npos) << code;
        EXPECT_EQ(fontHasGlyph(SmallFont, static_cast<char32_t>(code)), small.find(c) != std::string::npos) << code;
    }
}

TEST(SmallFont, FollowsItsVerticalScheme) {
    for (const Metrics& m : SmallMetrics) {
        SCOPED_TRACE(m.characters);
        const char c = m.characters[0];
        EXPECT_EQ(m.offsetX, 0);
        EXPECT_NEAR(m.advance, m.width, 0.6);
        if (c >= 'A' && c <= 'Z') {
            EXPECT_EQ(m.offsetY, 0);
            EXPECT_GE(m.height, 18);
            EXPECT_LE(m.height, 19);
        } else if (c >= 'a' && c <= 'z' && c != 'p') {
            EXPECT_EQ(m.offsetY, 6);
            EXPECT_GE(m.height, 12);
            EXPECT_LE(m.height, 13);
        }
    }
}

std::set<int> coverageValues(const Font& font) {
    std::set<int> values;
    for (int code = 0; code < 256; ++code) {
        if (!fontHasGlyph(font, static_cast<char32_t>(code))) continue;
        const Glyph g = lookupGlyph(font, static_cast<char32_t>(code));
        for (std::size_t i = 0; i + 1 < g.coverage.size(); ++i) values.insert(g.coverage[i]);
    }
    return values;
}

TEST(LargeFont, CoverageIsSevenBySevenBoxSampling) {
    std::set<int> allowed{254};
    for (int k = 0; k <= 49; ++k) allowed.insert(255 * k / 49);
    const std::set<int> used = coverageValues(LargeFont);
    for (int v : used) EXPECT_TRUE(allowed.count(v)) << v;
    EXPECT_TRUE(used.count(0) && used.count(255));
    EXPECT_GT(used.size(), 40u);  // real anti-aliasing, not a bilevel bitmap
}

TEST(SmallFont, CoverageIsSmoothOverTheWholeRange) {
    const std::set<int> used = coverageValues(SmallFont);
    EXPECT_TRUE(used.count(0) && used.count(255));
    EXPECT_GT(used.size(), 150u);
    bool beyondSevenBySeven = false;
    for (int v : used) beyondSevenBySeven |= v != 255 * (v * 49 / 255) / 49;
    EXPECT_TRUE(beyondSevenBySeven);
}

TEST(Fonts, EveryGlyphIsAShapeNotABlockOrABlank) {
    for (const Font* font : {&LargeFont, &SmallFont}) {
        for (int code = 0; code < 256; ++code) {
            if (!fontHasGlyph(*font, static_cast<char32_t>(code)) || code == ' ') continue;
            SCOPED_TRACE(std::string(font->name) + " '" + static_cast<char>(code) + "'");
            const Glyph g = lookupGlyph(*font, static_cast<char32_t>(code));
            const std::size_t cells = g.coverage.size() - 1;
            std::size_t ink = 0, solid = 0;
            for (std::size_t i = 0; i < cells; ++i) {
                ink += g.coverage[i] > 0;
                solid += g.coverage[i] >= 254;
            }
            EXPECT_GT(solid, 0u) << "every letter has solid strokes";
            if (std::string_view(".il-+").find(static_cast<char>(code)) == std::string_view::npos) {
                EXPECT_GT(ink, solid) << "anti-aliased edges";
            }
            // Only the dot-like glyphs may be one solid block.
            if (code != '.' && code != 'l' && code != 'i' && code != '-' && code != '+') {
                EXPECT_LT(solid, cells);
            }
        }
    }
}

TEST(Fonts, TheSpaceHasNoRowsAndOnlyItsTerminatingByte) {
    const Glyph space = lookupGlyph(LargeFont, U' ');
    EXPECT_EQ(space.width, 7);
    EXPECT_EQ(space.height, 0);
    ASSERT_EQ(space.coverage.size(), 1u);
    EXPECT_EQ(space.coverage[0], 0);
    EXPECT_EQ(space.advance, static_cast<double>(7.1428576f));
}

TEST(Fonts, TheTerminatingByteMakesNoExtraRow) {
    const Glyph a = lookupGlyph(LargeFont, U'A');
    EXPECT_EQ(a.coverage.size(), 177u);
    EXPECT_EQ(a.height, 16);  // 177 / 11, not 17
}

TEST(Fonts, OnlyTheLowEightBitsSelectAGlyph) {
    const Glyph a = lookupGlyph(LargeFont, U'A');
    const Glyph lWithStroke = lookupGlyph(LargeFont, U'\u0141');
    EXPECT_EQ(lWithStroke.coverage.data(), a.coverage.data());
    EXPECT_EQ(lookupGlyph(SmallFont, 0x1234'5600u + 'S').coverage.data(),
              lookupGlyph(SmallFont, U'S').coverage.data());
    EXPECT_TRUE(fontHasGlyph(LargeFont, 0x100u + ' '));
}

// A hand-made blob with one record at offset 3, for the lookup rules the
// built-in data never exercises.
struct TestRecord {
    std::uint16_t width;
    std::int32_t offsetX;
    std::int32_t offsetY;
    std::uint32_t advanceBits;
};
std::vector<std::uint8_t> testBlob;
std::span<const std::uint8_t> testRecords() { return testBlob; }

void makeTestBlob(const TestRecord& r, std::size_t coverageBytes) {
    testBlob.assign(3, 0xEE);
    const auto put = [](std::uint64_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) testBlob.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    put(r.width, 2);
    put(static_cast<std::uint32_t>(r.offsetX), 4);
    put(static_cast<std::uint32_t>(r.offsetY), 4);
    put(r.advanceBits, 4);
    for (std::size_t i = 0; i < coverageBytes; ++i) testBlob.push_back(static_cast<std::uint8_t>(i));
}

FontEntry testEntries[256] = {};
const Font TestFont{"TestFont", testEntries, testRecords};

TEST(Fonts, OffsetsAreClampedToPlusMinusTwoToTheThirtyAndTheAdvanceIsWidened) {
    const struct {
        std::int32_t stored;
        std::int32_t clamped;
    } cases[] = {
        {0, 0},
        {-5, -5},
        {(1 << 30) - 1, (1 << 30) - 1},
        {1 << 30, (1 << 30) - 1},
        {INT32_MAX, (1 << 30) - 1},
        {-(1 << 30), -(1 << 30)},
        {-(1 << 30) - 1, -(1 << 30)},
        {INT32_MIN, -(1 << 30)},
    };
    constexpr std::uint32_t AdvanceBits = 0x3FC00001u;  // 1.5 plus one unit in the last place
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        makeTestBlob({3, c.stored, c.stored, AdvanceBits}, 7);
        testEntries['Q'] = {3, 7};
        const Glyph g = lookupGlyph(TestFont, U'Q');
        EXPECT_EQ(g.offsetX, c.clamped);
        EXPECT_EQ(g.offsetY, c.clamped);
        EXPECT_EQ(g.width, 3);
        EXPECT_EQ(g.height, 2);  // 7 / 3
        EXPECT_EQ(g.advance, static_cast<double>(std::bit_cast<float>(AdvanceBits)));
        EXPECT_EQ(g.coverage.data(), testBlob.data() + 3 + 14);
        EXPECT_EQ(g.coverage.size(), 7u);
    }
}

using FontDeathTest = testing::Test;

TEST(FontDeathTest, ACharacterTheFontLacksStopsTheProgram) {
    EXPECT_DEATH(lookupGlyph(SmallFont, U' '), "SmallFont.*U\\+0020");
    EXPECT_DEATH(lookupGlyph(SmallFont, U'1'), "SmallFont");
    EXPECT_DEATH(lookupGlyph(LargeFont, U'7'), "LargeFont.*U\\+0037");
    EXPECT_DEATH(lookupGlyph(LargeFont, U'8'), "LargeFont");
    EXPECT_DEATH(lookupGlyph(LargeFont, U'!'), "LargeFont");
}

TEST(FontDeathTest, ARecordOfWidthZeroStopsTheProgram) {
    makeTestBlob({0, 0, 0, 0}, 5);
    testEntries['Q'] = {3, 5};
    EXPECT_DEATH(lookupGlyph(TestFont, U'Q'), "TestFont.*width 0");
}

TEST(FontDeathTest, ARecordRunningPastTheBlobStopsTheProgram) {
    makeTestBlob({2, 0, 0, 0}, 5);
    testEntries['Q'] = {3, 6};
    EXPECT_DEATH(lookupGlyph(TestFont, U'Q'), "TestFont.*outside");
}

}  // namespace
