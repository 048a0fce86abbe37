// The per-frame geometry of the scenes as pure functions of time and canvas
// size: bounce position, pen starts, tops, titles and typewriter limits.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "scenes/greetings_scene.h"
#include "scenes/invitation_scene.h"
#include "scenes/signature_bounce.h"
#include "scenes/slogan_scroller.h"
#include "scenes/timeline.h"
#include "text/demo_text.h"

namespace {
constexpr std::int32_t W = 640;
constexpr std::int32_t H = 400;

// Metrics that make the ranges X = 640 - (A + 16) and Y = 400 - (M + 16).
SignatureMetrics metricsFor(double rangeX, float rangeY) {
    return SignatureMetrics{W - 16 - rangeX, static_cast<float>(H - 16) - rangeY};
}

struct BounceCase {
    double s;
    double rangeX;
    float rangeY;
    PenOrigin expected;
};

TEST(SignatureBounce, FoldsTheTravelIntoEachRange) {
    const BounceCase cases[] = {
        {0.0, 500, 300, {16, 16}},      // rests until s = 0.5
        {0.001, 500, 300, {16, 16}},
        {0.5, 500, 300, {16, 16}},
        {0.5 + 1.0 / 90, 500, 300, {17, 17}},  // no jump when the motion starts
        {1.5, 500, 300, {106, 106}},
        {0.5 + 400.0 / 90, 500, 300, {416, 16 + 200}},  // y reflected: 600 - 400
        {0.5 + 700.0 / 90, 500, 300, {16 + 300, 16 + 100}},  // x reflected, y on its second lap
        {0.5 + 1000.0 / 90, 500, 300, {16, 16 + 200}},  // x back at the left margin
        {1.5, 44.75, 300, {17, 106}},   // fmod(90, 89.5) = 0.5: 16.5 rounds away from zero
        {1.5, 0.0, 300, {0, 106}},      // X = 0: the remainder is NaN, x becomes 0
        {1.5, 500, 0.0f, {106, 0}},     // Y = 0 likewise
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SignatureBounce::position(c.s, W, H, metricsFor(c.rangeX, c.rangeY)), c.expected)
            << "s = " << c.s << " X = " << c.rangeX << " Y = " << c.rangeY;
    }
}

TEST(SignatureBounce, MeasuresTheAdvancesAndTheTallestGlyph) {
    const SignatureMetrics m = SignatureBounce::measure();
    double length = 16.0;
    float tallest = 16.0f;
    for (char c : SignatureText) {
        const Glyph g = lookupGlyph(SmallFont, static_cast<unsigned char>(c));
        length += g.advance;
        tallest = std::max(tallest, static_cast<float>(g.height) + 16.0f);
    }
    EXPECT_EQ(m.length, length);
    EXPECT_EQ(m.tallest, tallest);
    // "p" has height 16 and "S" 19; nothing in the signature is taller than 19 + a bit.
    EXPECT_GE(m.tallest, 16.0f + 19.0f);
    EXPECT_LE(m.tallest, 16.0f + 24.0f);
    EXPECT_GT(m.length, 16.0 + 9 * 10.0);
}

TEST(SignatureBounce, BothRangesArePositiveOnTheLogicalCanvas) {
    // At 1.5 s the travel is 90 along both axes: (106, 106) on a 640 x 400 canvas.
    EXPECT_EQ(SignatureBounce::position(1.5, W, H, SignatureBounce::measure()), (PenOrigin{106, 106}));
}

TEST(SignatureBounce, ResumesAtNinetySecondsWhereItWasAtFifteen) {
    const SignatureMetrics m = SignatureBounce::measure();
    const auto at90 = scheduleFor(90.0).signatureTime;
    ASSERT_TRUE(at90.has_value());
    EXPECT_EQ(SignatureBounce::position(*at90, W, H, m), SignatureBounce::position(15.0, W, H, m));
    EXPECT_NE(SignatureBounce::position(15.0, W, H, m), (PenOrigin{16, 16}));
}

TEST(SloganScroller, StartsAtEighteenAndWrapsAroundTheWidth) {
    EXPECT_EQ(SloganScroller::penStart(18.0, W), 18.0);
    EXPECT_EQ(SloganScroller::penStart(19.0, W), 50.0);
    EXPECT_EQ(SloganScroller::penStart(29.0, W), 370.0);
    EXPECT_EQ(SloganScroller::penStart(37.4375, W), 0.0);   // exactly 640: back to 0
    EXPECT_EQ(SloganScroller::penStart(38.0, W), 18.0);     // 658 - 640
    EXPECT_EQ(SloganScroller::penStart(19.0, 320), 50.0);
    EXPECT_EQ(SloganScroller::penStart(29.0, 320), 50.0);   // 370 - 320
}

TEST(SloganScroller, RunsAlongTheBottomUnjitteredAndWrapped) {
    const TextRun run = SloganScroller::run(18.0, W, H);
    EXPECT_EQ(run.text, ComeToText);
    EXPECT_EQ(run.style.font, &LargeFont);
    EXPECT_EQ(run.style.top, 368);
    EXPECT_EQ(run.penStart, 18.0);
    EXPECT_EQ(run.dx, 0);
    EXPECT_FALSE(run.jitter.has_value());
    EXPECT_FALSE(run.typewriterLimit.has_value());
    EXPECT_EQ(run.wrapWidth, std::optional<double>(640.0));
    EXPECT_EQ(SloganScroller::run(18.0, W, 300).style.top, 268);
}

TEST(InvitationScene, SwitchesTheTitleForTheLastThreeQuarterSeconds) {
    EXPECT_EQ(InvitationScene::title(0.0), ScrollersTitleText);
    EXPECT_EQ(InvitationScene::title(32.249), ScrollersTitleText);
    EXPECT_EQ(InvitationScene::title(62.25 - 30.0), MadeWithText);
    EXPECT_EQ(InvitationScene::title(32.999), MadeWithText);
}

TEST(InvitationScene, TypesTheTitleAtNineAndAHalfCharactersASecond) {
    const TextRun at30 = InvitationScene::titleRun(0.0);
    EXPECT_EQ(at30.typewriterLimit, std::optional<double>(0.0));  // one character shows
    EXPECT_EQ(InvitationScene::titleRun(1.0).typewriterLimit, std::optional<double>(9.0));
    EXPECT_EQ(InvitationScene::titleRun(32.25).typewriterLimit, std::optional<double>(306.0));
    EXPECT_EQ(at30.style.font, &LargeFont);
    EXPECT_EQ(at30.style.top, 24);
    EXPECT_EQ(at30.dx, 18);
    EXPECT_EQ(at30.penStart, 0.0);
    ASSERT_TRUE(at30.jitter.has_value());
    EXPECT_EQ(at30.jitter->yLow, -3);
    EXPECT_EQ(at30.jitter->yHigh, 3);
    EXPECT_FALSE(at30.wrapWidth.has_value());
}

struct LineCase {
    int line;
    std::int32_t top;
    std::size_t bytes;
};

TEST(InvitationScene, SharesOnePenStartAcrossTheNineLines) {
    EXPECT_EQ(InvitationScene::linePenStart(0.0, W), 740.0);   // t = 30: off to the right
    EXPECT_EQ(InvitationScene::linePenStart(2.0, W), 640.0);   // t = 32: at the right edge
    EXPECT_EQ(InvitationScene::linePenStart(12.0, W), 140.0);  // t = 42: 640 - 50 * 10
    EXPECT_EQ(InvitationScene::linePenStart(12.0, 1280), 280.0);  // speed follows the width
    const LineCase cases[] = {
        {0, 60, 80}, {1, 84, 85}, {2, 108, 96}, {3, 132, 100}, {4, 156, 117},
        {5, 180, 0}, {6, 204, 0}, {7, 228, 0}, {8, 252, 73},
    };
    for (const auto& c : cases) {
        const TextRun run = InvitationScene::lineRun(c.line, 12.0, W);
        EXPECT_EQ(run.style.top, c.top) << c.line;
        EXPECT_EQ(run.text.size(), c.bytes) << c.line;
        EXPECT_EQ(run.penStart, 140.0) << c.line;
        EXPECT_EQ(run.dx, 0) << c.line;
        ASSERT_TRUE(run.jitter.has_value());
        EXPECT_EQ(run.jitter->yLow, -2) << c.line;
        EXPECT_EQ(run.jitter->yHigh, 2) << c.line;
        EXPECT_FALSE(run.typewriterLimit.has_value());
    }
}

TEST(GreetingsScene, HeaderSetsTheEmbeddedSignatureInSmallFontOnOneBaseline) {
    for (std::size_t n = 0; n < 26; ++n) {
        const RunStyle style = GreetingsScene::headerStyle(n);
        const bool small = n >= 13 && n <= 21;
        EXPECT_EQ(style.font, small ? &SmallFont : &LargeFont) << n;
        // Baselines: SmallFont 18 below its pen, LargeFont 10 below: both at 34.
        EXPECT_EQ(style.top + (small ? 18 : 10), 34) << n;
    }
    const TextRun run = GreetingsScene::headerRun(0.0);
    EXPECT_EQ(run.text, GreetingsHeaderText);
    EXPECT_EQ(run.dx, 18);
    EXPECT_EQ(run.typewriterLimit, std::optional<double>(0.0));
    ASSERT_TRUE(run.jitter.has_value());
    EXPECT_EQ(run.jitter->yLow, -3);
}

TEST(GreetingsScene, TypesTheHeaderAtTenAndThreeQuarterCharactersASecond) {
    EXPECT_EQ(GreetingsScene::headerLimit(0.0), 0.0);
    EXPECT_EQ(GreetingsScene::headerLimit(1.2), 12.0);   // 12.9: the signature not yet
    EXPECT_EQ(GreetingsScene::headerLimit(1.21), 13.0);  // 13.0075: its first letter shows
    EXPECT_EQ(GreetingsScene::headerLimit(2.33), 25.0);  // the whole header
}

TEST(GreetingsScene, RowsTrailEachOtherByNinetyPixels) {
    const double at67[] = {640.0, 730.0, 820.0, 910.0};
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(GreetingsScene::rowPenStart(row, 4.0, W), at67[row]) << row;
        EXPECT_EQ(GreetingsScene::rowTop(row), 60 + 24 * row);
        const std::string joined = greetingRow(row);
        const TextRun run = GreetingsScene::rowRun(joined, row, 4.0, W);
        EXPECT_EQ(run.text, joined);
        EXPECT_EQ(run.dx, 18);
        EXPECT_EQ(run.style.top, 60 + 24 * row);
        EXPECT_EQ(run.penStart, at67[row]);
        EXPECT_TRUE(run.jitter.has_value());
    }
    EXPECT_EQ(GreetingsScene::rowPenStart(0, 14.0, W), 140.0);  // 50 px/s to the left
}

TEST(GreetingsScene, NotesStandNearTheBottomInDrawingOrder) {
    const auto& notes = GreetingsScene::notes();
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[0].text, OnsiteNoteText);
    EXPECT_EQ(notes[1].text, RestNoteText);
    EXPECT_EQ(notes[2].text, SorryNoteText);
    const std::int32_t tops[] = {336, 368, 304};
    const std::int32_t dxs[] = {18, 24, 18};
    for (std::size_t i = 0; i < 3; ++i) {
        const TextRun run = GreetingsScene::noteRun(notes[i], H);
        EXPECT_EQ(run.style.top, tops[i]) << i;
        EXPECT_EQ(run.dx, dxs[i]) << i;
        EXPECT_EQ(run.penStart, 0.0) << i;
        EXPECT_FALSE(run.typewriterLimit.has_value());
        ASSERT_TRUE(run.jitter.has_value());
        EXPECT_EQ(run.jitter->yHigh, 2);
    }
}
}  // namespace
