// Each scene through the real software renderer, against reference frames
// drawn from literal runs with the same jitter source.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "frame_fixture.h"
#include "scenes/signature_bounce.h"
#include "scenes/wave_backdrop.h"
#include "text/demo_text.h"
#include "text/font.h"
#include "text/glyph_draw.h"

namespace scenetest {
namespace {

void drawSignatureAndWave(const SceneTarget& target, double t) {
    EXPECT_TRUE(SignatureBounce::draw(target, t).ok());
    EXPECT_TRUE(WaveBackdrop::draw(target, t).ok());
}

TEST(FrameWave, AtTwelveTheWaveIsBuiltButFullyTransparent) {
    const Canvas canvas = makeCanvas();
    const Frame expected = renderReference(canvas, 12.0, [](const SceneTarget& target) {
        EXPECT_TRUE(SignatureBounce::draw(target, 12.0).ok());
    });
    EXPECT_EQ(firstDifference(renderDemo(canvas, 12.0), expected), "");
}

TEST(FrameWave, AtSeventeenTheLeftHalfIsUntouched) {
    const Canvas canvas = makeCanvas();
    const Frame frame = renderDemo(canvas, 17.0);
    const Frame signatureOnly = renderReference(canvas, 17.0, [](const SceneTarget& target) {
        EXPECT_TRUE(SignatureBounce::draw(target, 17.0).ok());
    });
    EXPECT_EQ(firstDifference(frame, signatureOnly, 0, 320), "");
    EXPECT_NE(firstDifference(frame, signatureOnly, 320, 640), "");
    // The first revealed column that has rows below its crest is drawn there.
    std::int32_t x = 320;
    while (x < 640 && WaveBackdrop::column(17.0, x, 640, 400).crest + 5 >= 400) ++x;
    ASSERT_LT(x, 640);
    const auto crest = static_cast<std::int32_t>(WaveBackdrop::column(17.0, x, 640, 400).crest);
    EXPECT_NE(frame.at(x, crest + 5), Background);
}

TEST(FrameWave, IsBlendedOverTheCanvasByItsAlpha) {
    // t = 25: the wave covers the whole width. Rows above the slogan, and away
    // from the signature, show the wave alone over the background.
    const Canvas canvas = makeCanvas();
    const double t = 25.0;
    const Frame frame = renderDemo(canvas, t);
    const PenOrigin sig = SignatureBounce::position(t, 640, 400, SignatureBounce::measure());
    int full = 0, clear = 0, partial = 0;
    for (std::int32_t y = 0; y < 340; ++y) {
        for (std::int32_t x = 0; x < 640; ++x) {
            if (x >= sig.x - 4 && x < sig.x + 140 && y >= sig.y - 4 && y < sig.y + 40) continue;
            const auto px = WaveBackdrop::pixel(t, x, y, 640, 400);
            const Rgba got = frame.at(x, y);
            const int a = px[3];
            for (int k = 0; k < 3; ++k) {
                const double blended = (px[k] * a + 12.0 * (255 - a)) / 255.0;
                // SDL's blender rounds its own way: allow a few levels.
                ASSERT_LE(std::abs(got[k] - blended), 3.0) << x << "," << y << " channel " << k;
            }
            if (a == 255) {
                ++full;
                ASSERT_EQ(got, (Rgba{px[0], px[1], px[2], 255})) << x << "," << y;
            } else if (a == 0) {
                ++clear;
                ASSERT_EQ(got, Background) << x << "," << y;
            } else {
                ++partial;
            }
        }
    }
    EXPECT_GT(full, 1000);
    EXPECT_GT(clear, 1000);
    EXPECT_GT(partial, 1000);
}

TEST(FrameWave, LiesOverTheSignatureAndUnderTheSlogan) {
    // At t = 29 the signature lies below the crest: its pixels are mixed with
    // the wave, not drawn on top of it, and the slogan comes last.
    const Canvas canvas = makeCanvas();
    const Frame frame = renderDemo(canvas, 29.0);
    const auto slogan = [](const SceneTarget& target) {
        TextRun run = literalRun(ComeToText, LargeFont, 370.0, 0, 368);  // 11 * 32 + 18
        run.wrapWidth = 640.0;
        drawRun(target, run);
    };
    const Frame expected = renderReference(canvas, 29.0, [&](const SceneTarget& target) {
        drawSignatureAndWave(target, 29.0);
        slogan(target);
    });
    EXPECT_EQ(firstDifference(frame, expected), "");
    const Frame signatureOnTop = renderReference(canvas, 29.0, [&](const SceneTarget& target) {
        EXPECT_TRUE(WaveBackdrop::draw(target, 29.0).ok());
        EXPECT_TRUE(SignatureBounce::draw(target, 29.0).ok());
        slogan(target);
    });
    EXPECT_NE(firstDifference(frame, signatureOnTop), "");
    const Frame sloganUnder = renderReference(canvas, 29.0, [&](const SceneTarget& target) {
        EXPECT_TRUE(SignatureBounce::draw(target, 29.0).ok());
        slogan(target);
        EXPECT_TRUE(WaveBackdrop::draw(target, 29.0).ok());
    });
    EXPECT_NE(firstDifference(frame, sloganUnder), "");
}

TEST(FrameSlogan, StartsWithItsPenAtEighteenOnTheBottomLine) {
    const Canvas canvas = makeCanvas();
    const Frame expected = renderReference(canvas, 18.0, [](const SceneTarget& target) {
        drawSignatureAndWave(target, 18.0);
        TextRun slogan = literalRun(ComeToText, LargeFont, 18.0, 0, 368);
        slogan.wrapWidth = 640.0;
        drawRun(target, slogan);
    });
    EXPECT_EQ(firstDifference(renderDemo(canvas, 18.0), expected), "");
}

TEST(FrameSlogan, WrapsAroundTheRightEdgeAtTwentyNine) {
    const Canvas canvas = makeCanvas();
    const Frame expected = renderReference(canvas, 29.0, [](const SceneTarget& target) {
        drawSignatureAndWave(target, 29.0);
        TextRun slogan = literalRun(ComeToText, LargeFont, 370.0, 0, 368);
        slogan.wrapWidth = 640.0;
        drawRun(target, slogan);
    });
    EXPECT_EQ(firstDifference(renderDemo(canvas, 29.0), expected), "");
}

TEST(FrameSlogan, CharactersPastTheWidthComeBackAtTheLeft) {
    // On a 400-pixel-wide canvas the pen starts at 370 at t = 29: "Co" stays
    // at the right edge, "me to ..." continues from the left.
    const Canvas canvas = makeCanvas(400, 250);
    const Frame frame = renderDemo(canvas, 29.0);
    const Frame expected = renderReference(canvas, 29.0, [](const SceneTarget& target) {
        drawSignatureAndWave(target, 29.0);
        TextRun slogan = literalRun(ComeToText, LargeFont, 370.0, 0, 218);
        slogan.wrapWidth = 400.0;
        drawRun(target, slogan);
    });
    EXPECT_EQ(firstDifference(frame, expected), "");
    const Frame unwrapped = renderReference(canvas, 29.0, [](const SceneTarget& target) {
        drawSignatureAndWave(target, 29.0);
        drawRun(target, literalRun(ComeToText, LargeFont, 370.0, 0, 218));
    });
    EXPECT_NE(firstDifference(frame, unwrapped, 0, 100), "");
}

TEST(FrameSlogan, IsNotJittered) {
    const Canvas canvas = makeCanvas();
    EXPECT_EQ(firstDifference(renderDemo(canvas, 20.0, 1), renderDemo(canvas, 20.0, 2)), "");
}

// The invitation scene at t from literal runs: the title with `title` and
// `limit`, then the nine lines at `linePen`.
Frame invitationReference(const Canvas& canvas, double t, std::string_view title, double limit,
                          double linePen) {
    return renderReference(canvas, t, [&](const SceneTarget& target) {
        TextRun run = literalRun(title, LargeFont, 0.0, 18, 24);
        run.jitter = TitleJitter;
        run.typewriterLimit = limit;
        drawRun(target, run);
        for (int i = 0; i < 9; ++i) {
            TextRun line = literalRun(invitationLine(i), LargeFont, linePen, 0, 60 + 24 * i);
            line.jitter = LineJitter;
            drawRun(target, line);
        }
    });
}

struct InvitationCase {
    double t;
    std::string_view title;
    double limit;
    double linePen;
};

TEST(FrameInvitation, TypesTheTitleAndScrollsTheLines) {
    const Canvas canvas = makeCanvas();
    const InvitationCase cases[] = {
        {30.0, ScrollersTitleText, 0.0, 740.0},      // one title character, lines off canvas
        {31.0, ScrollersTitleText, 9.0, 690.0},      // ten characters
        {42.0, ScrollersTitleText, 114.0, 140.0},    // every line's pen at 140
        {62.249, ScrollersTitleText, 306.0, 640.0 - 50.0 * 30.249},
        {62.25, MadeWithText, 306.0, 640.0 - 50.0 * 30.25},  // the switch: whole at once
    };
    for (const auto& c : cases) {
        const Frame expected = invitationReference(canvas, c.t, c.title, c.limit, c.linePen);
        EXPECT_EQ(firstDifference(renderDemo(canvas, c.t), expected), "") << "t = " << c.t;
    }
}

TEST(FrameInvitation, ShowsExactlyTenTitleCharactersAtThirtyOne) {
    // One character more or fewer changes the frame.
    const Canvas canvas = makeCanvas();
    const Frame frame = renderDemo(canvas, 31.0);
    // Character 9 is a space: 8 and 10 are the neighbours that show a change.
    for (double limit : {7.0, 10.0}) {
        EXPECT_NE(firstDifference(frame, invitationReference(canvas, 31.0, ScrollersTitleText, limit,
                                                             690.0)),
                  "")
            << limit;
    }
}

struct GreetingsCase {
    double t;
    double headerLimit;
};

Frame greetingsReference(const Canvas& canvas, double t, double headerLimit) {
    const double u = t - 63.0;
    return renderReference(canvas, t, [&](const SceneTarget& target) {
        // The header by hand: each character as its own run, the signature's
        // letters in SmallFont 8 pixels higher.
        auto random = currentThreadRandom();
        double pen = 0.0;
        for (std::size_t n = 0; n < GreetingsHeaderText.size() && n <= headerLimit; ++n) {
            const bool small = n >= 13 && n <= 21;
            const Font& font = small ? SmallFont : LargeFont;
            const Glyph g = lookupGlyph(font, static_cast<unsigned char>(GreetingsHeaderText[n]));
            const std::int32_t jx = uniformInt(*random, -2, 2);
            const std::int32_t jy = uniformInt(*random, -3, 3);
            auto texture = makeGlyphTexture(target.factory, g, target.textColour);
            ASSERT_TRUE(texture.ok());
            ASSERT_TRUE(copyToCanvas(target.canvas, texture.value(), std::nullopt,
                                     glyphDestRect(g, static_cast<std::int32_t>(pen) + 18 + jx,
                                                   (small ? 16 : 24) + jy))
                            .ok());
            pen += g.advance;
        }
        for (int row = 0; row < 4; ++row) {
            const std::string joined = greetingRow(row);
            TextRun r = literalRun(joined, LargeFont, 640.0 + 90.0 * row - 50.0 * (u - 4.0), 18,
                                   60 + 24 * row);
            r.jitter = LineJitter;
            drawRun(target, r);
        }
        drawExpectedNotes(target);
    });
}

TEST(FrameGreetings, TypesTheMixedHeaderScrollsTheRowsAndKeepsTheNotes) {
    const Canvas canvas = makeCanvas();
    const GreetingsCase cases[] = {
        {63.0, 0.0},    // "G" alone
        {64.2, 12.0},   // up to the space before the signature
        {64.21, 13.0},  // the signature's "M" in SmallFont
        {67.0, 43.0},   // the whole header; rows start at 640, 730, 820, 910
        {75.0, 129.0},  // rows on the canvas
        {89.999, 289.0},
    };
    for (const auto& c : cases) {
        const Frame expected = greetingsReference(canvas, c.t, c.headerLimit);
        EXPECT_EQ(firstDifference(renderDemo(canvas, c.t), expected), "") << "t = " << c.t;
    }
}

// Every non-background pixel of a jittered frame must come from the same
// frame drawn unjittered, moved by an offset inside the jitter ranges.
TEST(FrameJitter, ShakesTextOnlyWithinItsRanges) {
    const Canvas canvas = makeCanvas();
    const double t = 42.0;
    // Drawn wider than the demo's canvas, so that glyphs just past the right
    // edge, which jitter may pull in, are there to compare with.
    const Canvas wide = makeCanvas(648, 400);
    const Frame still = renderReference(wide, t, [](const SceneTarget& target) {
        drawRun(target, literalRun(ScrollersTitleText, LargeFont, 0.0, 18, 24));
        for (int i = 0; i < 9; ++i) {
            drawRun(target, literalRun(invitationLine(i), LargeFont, 140.0, 0, 60 + 24 * i));
        }
    });
    for (std::uint8_t seed = 10; seed < 13; ++seed) {
        const Frame shaken = renderDemo(canvas, t, seed);
        EXPECT_NE(firstDifference(shaken, still), "");
        for (std::int32_t y = 0; y < 400; ++y) {
            // The title (tops near 24) shakes -3..2 down, the lines -2..1.
            const int yLow = y < 48 ? -3 : -2;
            const int yHigh = y < 48 ? 2 : 1;
            for (std::int32_t x = 0; x < 640; ++x) {
                if (shaken.isBackground(x, y)) continue;
                bool explained = false;
                for (int dy = yLow; dy <= yHigh && !explained; ++dy) {
                    for (int dx = -2; dx <= 1 && !explained; ++dx) {
                        const std::int32_t sx = x - dx, sy = y - dy;
                        if (sx >= 0 && sx < 648 && sy >= 0 && sy < 400 && !still.isBackground(sx, sy)) {
                            explained = true;
                        }
                    }
                }
                ASSERT_TRUE(explained) << "seed " << int(seed) << " pixel " << x << "," << y;
            }
        }
    }
}

}  // namespace
}  // namespace scenetest
