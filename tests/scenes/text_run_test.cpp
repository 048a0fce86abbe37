// The text run walked without drawing: pen arithmetic, wrap, typewriter
// limit, jitter order and ranges, per-character fonts.
#include "scenes/text_run.h"

#include <gtest/gtest.h>

#include <limits>
#include <set>
#include <vector>

#include "scenes/greetings_scene.h"

namespace {
struct Placed {
    const std::uint8_t* coverage;  // identifies the glyph and its font
    std::int32_t x;
    std::int32_t y;
};

std::vector<Placed> layOut(const TextRun& run, ThreadRandom* random = nullptr) {
    std::vector<Placed> placed;
    const Status s = layOutTextRun(run, random, [&](const Glyph& g, std::int32_t x, std::int32_t y) {
        placed.push_back({g.coverage.data(), x, y});
        return okStatus();
    });
    EXPECT_TRUE(s.ok());
    return placed;
}

ThreadRandom::Key keyOf(std::uint8_t seed) {
    ThreadRandom::Key key{};
    for (std::size_t i = 0; i < key.size(); ++i) key[i] = static_cast<std::uint8_t>(seed * 31 + i);
    return key;
}

TextRun plain(std::string_view text, double pen, std::int32_t dx, std::int32_t top) {
    TextRun run;
    run.text = text;
    run.style = RunStyle{&LargeFont, top};
    run.penStart = pen;
    run.dx = dx;
    return run;
}

// LargeFont advances, as stored (singles widened to doubles).
constexpr double AdvanceC = static_cast<double>(12.857143f);
constexpr double AdvanceO = static_cast<double>(11.428573f);

TEST(TextRun, PlacesEachGlyphAtTheTruncatedPenPlusAddend) {
    const auto placed = layOut(plain("Come", 0.0, 18, 24));
    ASSERT_EQ(placed.size(), 4u);
    EXPECT_EQ(placed[0].x, 18);
    EXPECT_EQ(placed[1].x, 18 + 12);  // pen 12.857...
    EXPECT_EQ(placed[2].x, 18 + 24);  // pen 24.2857...
    EXPECT_EQ(placed[3].x, 18 + 38);  // pen 38.5714...
    for (const auto& p : placed) EXPECT_EQ(p.y, 24);
    EXPECT_EQ(placed[0].coverage, lookupGlyph(LargeFont, U'C').coverage.data());
}

TEST(TextRun, TruncatesNegativePensTowardZero) {
    // -12.5: 'C' at toPixel(-12.5) = -12, then 'o' at toPixel(0.357...) = 0.
    const auto placed = layOut(plain("Co", -12.5, 0, 0));
    ASSERT_EQ(placed.size(), 2u);
    EXPECT_EQ(placed[0].x, -12);
    EXPECT_EQ(placed[1].x, 0);
}

TEST(TextRun, WrapsThePenOnceAfterTheAdvance) {
    TextRun run = plain("Com", 630.0, 0, 368);
    run.wrapWidth = 640.0;
    const auto placed = layOut(run);
    ASSERT_EQ(placed.size(), 3u);
    EXPECT_EQ(placed[0].x, 630);  // drawn where it is even though it runs past 640
    EXPECT_EQ(placed[1].x, 2);    // 642.857 - 640
    EXPECT_EQ(placed[2].x, toPixel(630.0 + AdvanceC - 640.0 + AdvanceO));
}

TEST(TextRun, WrapsOnlyAPenGreaterThanTheWidth) {
    TextRun run = plain("Co", 5.0, 0, 0);
    run.wrapWidth = 5.0 + AdvanceC;  // the pen lands exactly on the width: kept
    EXPECT_EQ(layOut(run)[1].x, toPixel(5.0 + AdvanceC));
    run.wrapWidth = 5.0 + AdvanceC - 0.001;  // just past it: wrapped to 0.001
    EXPECT_EQ(layOut(run)[1].x, 0);
}

TEST(TextRun, WrapSubtractsTheWidthOnlyOnce) {
    TextRun run = plain("Co", 0.0, 0, 0);
    run.wrapWidth = 4.0;  // 12.857 > 4 -> 8.857, still above 4 but not wrapped again
    EXPECT_EQ(layOut(run)[1].x, 8);
}

struct LimitCase {
    double limit;
    std::size_t shown;
};

TEST(TextRun, TypewriterShowsOneMoreThanTheLimit) {
    const std::string_view text = "Have some scrollers: x3";  // 23 characters
    const LimitCase cases[] = {
        {0.0, 1}, {1.0, 2}, {9.0, 10}, {21.0, 22}, {22.0, 23}, {23.0, 23}, {1e9, 23},
        {-1.0, 1}, {-1e9, 1}, {std::numeric_limits<double>::quiet_NaN(), 23},
    };
    for (const auto& c : cases) {
        TextRun run = plain(text, 0.0, 18, 24);
        run.typewriterLimit = c.limit;
        EXPECT_EQ(layOut(run).size(), c.shown) << "limit " << c.limit;
        EXPECT_EQ(shownCharacters(text.size(), c.limit), c.shown) << "limit " << c.limit;
    }
}

TEST(TextRun, TypewriterLimitIsTheFlooredCount) {
    EXPECT_EQ(typewriterLimit(0.0, 9.5), 0.0);
    EXPECT_EQ(typewriterLimit(1.0, 9.5), 9.0);
    EXPECT_EQ(typewriterLimit(22.0 / 9.5, 9.5), 22.0);
    EXPECT_EQ(typewriterLimit(0.1, 10.75), 1.0);  // 1.075
    EXPECT_EQ(typewriterLimit(2.0, 10.75), 21.0);  // 21.5
}

TEST(TextRun, EmptyTextPlacesNothing) {
    TextRun run = plain("", 0.0, 0, 0);
    run.jitter = LineJitter;
    ThreadRandom random(keyOf(1));
    EXPECT_TRUE(layOut(run, &random).empty());
}

TEST(TextRun, DrawsJitterXBeforeYForEveryCharacter) {
    TextRun run = plain("Come to", 100.0, 18, 24);
    run.jitter = TitleJitter;
    ThreadRandom random(keyOf(2));
    ThreadRandom twin(keyOf(2));
    const auto placed = layOut(run, &random);
    const auto still = layOut(plain("Come to", 100.0, 18, 24));
    ASSERT_EQ(placed.size(), still.size());
    for (std::size_t i = 0; i < placed.size(); ++i) {
        const std::int32_t jx = uniformInt(twin, -2, 2);
        const std::int32_t jy = uniformInt(twin, -3, 3);
        EXPECT_EQ(placed[i].x, still[i].x + jx) << i;
        EXPECT_EQ(placed[i].y, still[i].y + jy) << i;
    }
}

struct RangeCase {
    JitterRanges ranges;
    std::set<std::int32_t> xs, ys;
};

TEST(TextRun, JitterStaysInsideItsHalfOpenRanges) {
    const std::string_view text = "Pls come to Tiral 2025 and bring some friends along";
    const RangeCase cases[] = {
        {LineJitter, {-2, -1, 0, 1}, {-2, -1, 0, 1}},
        {TitleJitter, {-2, -1, 0, 1}, {-3, -2, -1, 0, 1, 2}},
    };
    for (const auto& c : cases) {
        std::set<std::int32_t> xs, ys;
        for (std::uint8_t seed = 0; seed < 20; ++seed) {
            TextRun run = plain(text, 0.0, 0, 0);
            const auto still = layOut(run);
            run.jitter = c.ranges;
            ThreadRandom random(keyOf(seed));
            const auto placed = layOut(run, &random);
            for (std::size_t i = 0; i < placed.size(); ++i) {
                xs.insert(placed[i].x - still[i].x);
                ys.insert(placed[i].y - still[i].y);
            }
        }
        EXPECT_EQ(xs, c.xs);  // every value occurs, none outside
        EXPECT_EQ(ys, c.ys);
    }
}

TEST(TextRun, PerCharacterStyleChoosesFontTopAndAdvance) {
    TextRun run;
    run.text = "Greetings by Mox-Space to:";
    run.styleAt = &GreetingsScene::headerStyle;
    run.dx = 18;
    const auto placed = layOut(run);
    ASSERT_EQ(placed.size(), 26u);
    double pen = 0.0;
    for (std::size_t n = 0; n < placed.size(); ++n) {
        const bool small = n >= 13 && n <= 21;
        const Font& font = small ? SmallFont : LargeFont;
        const Glyph g = lookupGlyph(font, static_cast<unsigned char>(run.text[n]));
        EXPECT_EQ(placed[n].coverage, g.coverage.data()) << n;
        EXPECT_EQ(placed[n].y, small ? 16 : 24) << n;
        EXPECT_EQ(placed[n].x, toPixel(pen) + 18) << n;
        pen += g.advance;
    }
}

TEST(TextRun, StopsAtTheFirstFailedPlacement) {
    int calls = 0;
    const Status s = layOutTextRun(plain("Come", 0.0, 0, 0), nullptr,
                                   [&](const Glyph&, std::int32_t, std::int32_t) -> Status {
                                       if (++calls == 2) return PlatformError{"copy failed"};
                                       return okStatus();
                                   });
    ASSERT_FALSE(s.ok());
    EXPECT_EQ(s.error().text, "copy failed");
    EXPECT_EQ(calls, 2);
}
}  // namespace
