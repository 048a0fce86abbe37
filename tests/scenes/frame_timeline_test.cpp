// Whole frames through the real software renderer: the clear, the text
// colour, the scene boundaries and what must not survive between frames.
#include <gtest/gtest.h>

#include <limits>

#include "platform/time_line.h"
#include "frame_fixture.h"
#include "scenes/signature_bounce.h"
#include "text/demo_text.h"
#include "text/font.h"

namespace scenetest {
namespace {

TextRun signatureAt(PenOrigin at) { return literalRun(SignatureText, SmallFont, 0.0, at.x, at.y); }

TEST(FrameTimeline, FirstFrameShowsTheSignatureRestingAtSixteenInBlue) {
    const Canvas canvas = makeCanvas();
    const Frame frame = renderDemo(canvas, 0.001);
    EXPECT_EQ(frame.at(0, 0), Background);
    EXPECT_EQ(frame.at(639, 399), Background);
    EXPECT_TRUE(frame.contains(Rgba{0, 64, 255, 255}));  // fully covered glyph pixels
    // The first glyph's bitmap starts at the pen: offsetX 0, offsetY 0 in SmallFont.
    std::int32_t left = 640, top = 400;
    for (std::int32_t y = 0; y < 400; ++y) {
        for (std::int32_t x = 0; x < 640; ++x) {
            if (!frame.isBackground(x, y)) {
                left = std::min(left, x);
                top = std::min(top, y);
            }
        }
    }
    EXPECT_EQ(left, 16);
    EXPECT_EQ(top, 16);
    const Frame expected = renderReference(canvas, 0.001, [](const SceneTarget& target) {
        drawRun(target, signatureAt({16, 16}));
    });
    EXPECT_EQ(firstDifference(frame, expected), "");
}

struct ColourCase {
    double t;
    Rgba colour;
};

TEST(FrameTimeline, TextColourPulsesBetweenBlueAndRed) {
    const Canvas canvas = makeCanvas();
    const ColourCase cases[] = {
        {4.25, {255, 64, 0, 255}}, {6.0, {150, 64, 105, 255}}, {8.5, {0, 64, 255, 255}},
    };
    for (const auto& c : cases) {
        const Frame frame = renderDemo(canvas, c.t);
        EXPECT_TRUE(frame.contains(c.colour)) << "t = " << c.t;
        for (const auto& other : cases) {
            if (other.colour != c.colour) {
                EXPECT_FALSE(frame.contains(other.colour)) << c.t;
            }
        }
    }
}

TEST(FrameTimeline, NegativeOrNaNTimeGivesOnlyTheClear) {
    const Canvas canvas = makeCanvas();
    const Frame clear = renderReference(canvas, 0.0, [](const SceneTarget&) {});
    for (double t : {-0.001, -1.0, -75.0, std::numeric_limits<double>::quiet_NaN()}) {
        // Leave something on the canvas first: the frame must clear it.
        renderDemo(canvas, 40.0);
        EXPECT_EQ(firstDifference(renderDemo(canvas, t), clear), "") << "t = " << t;
    }
}

TEST(FrameTimeline, InvitationAtThirtyExactlyShowsOneTitleCharacterAndNoSignature) {
    const Canvas canvas = makeCanvas();
    const Frame frame = renderDemo(canvas, 30.0);
    const Frame expected = renderReference(canvas, 30.0, [](const SceneTarget& target) {
        TextRun title = literalRun(ScrollersTitleText, LargeFont, 0.0, 18, 24);
        title.jitter = TitleJitter;
        title.typewriterLimit = 0.0;
        drawRun(target, title);
    });
    EXPECT_EQ(firstDifference(frame, expected), "");
}

TEST(FrameTimeline, GreetingsAtSixtyThreeExactlyShowHeaderStartAndNotes) {
    const Canvas canvas = makeCanvas();
    const Frame frame = renderDemo(canvas, 63.0);
    const Frame expected = renderReference(canvas, 63.0, [](const SceneTarget& target) {
        TextRun header = literalRun(GreetingsHeaderText, LargeFont, 0.0, 18, 24);
        header.jitter = TitleJitter;
        header.typewriterLimit = 0.0;  // only "G", in LargeFont
        drawRun(target, header);
        for (int row = 0; row < 4; ++row) {  // off to the right, but jittered all the same
            const std::string joined = greetingRow(row);
            TextRun r = literalRun(joined, LargeFont, 640.0 + 90 * row + 200.0, 18, 60 + 24 * row);
            r.jitter = LineJitter;
            drawRun(target, r);
        }
        drawExpectedNotes(target);
    });
    EXPECT_EQ(firstDifference(frame, expected), "");
    // Nothing above the header's first character and the notes: the rows are off the canvas.
    for (std::int32_t y = 50; y < 290; ++y) {
        for (std::int32_t x = 0; x < 640; ++x) ASSERT_TRUE(frame.isBackground(x, y)) << x << "," << y;
    }
}

TEST(FrameTimeline, NinetyExactlyShowsTheSignatureAsAtFifteenAndNothingElse) {
    const Canvas canvas = makeCanvas();
    const PenOrigin at15 = SignatureBounce::position(15.0, 640, 400, SignatureBounce::measure());
    const Frame expected = renderReference(canvas, 90.0, [&](const SceneTarget& target) {
        drawRun(target, signatureAt(at15));
    });
    EXPECT_EQ(firstDifference(renderDemo(canvas, 90.0), expected), "");
}

TEST(FrameTimeline, SignatureAtOneAndAHalfSecondsIsAt106) {
    const Canvas canvas = makeCanvas();
    const Frame expected = renderReference(canvas, 1.5, [](const SceneTarget& target) {
        drawRun(target, signatureAt({106, 106}));
    });
    EXPECT_EQ(firstDifference(renderDemo(canvas, 1.5), expected), "");
}

TEST(FrameTimeline, TheSameTimeGivesTheSameFrameWhateverCameBefore) {
    const Canvas canvas = makeCanvas();
    const Frame first = renderDemo(canvas, 42.0, 5);
    renderDemo(canvas, 20.0, 6);
    renderDemo(canvas, 70.0, 7);
    EXPECT_EQ(firstDifference(renderDemo(canvas, 42.0, 5), first), "");
}

TEST(FrameTimeline, ReadsTheLogicalSizeEveryFrame) {
    const Canvas canvas = makeCanvas();
    const SignatureMetrics m = SignatureBounce::measure();
    const PenOrigin small = SignatureBounce::position(5.0, 320, 200, m);
    ASSERT_NE(small, SignatureBounce::position(5.0, 640, 400, m));
    ASSERT_TRUE(canvas.setLogicalSize(320, 200).ok());
    const Frame frame = renderDemo(canvas, 5.0);
    const Frame expected = renderReference(canvas, 5.0, [&](const SceneTarget& target) {
        EXPECT_EQ(target.width, 320);
        drawRun(target, signatureAt(small));
    });
    EXPECT_EQ(firstDifference(frame, expected), "");
    ASSERT_TRUE(canvas.setLogicalSize(640, 400).ok());
    const Frame back = renderDemo(canvas, 5.0);
    const Frame expectedBack = renderReference(canvas, 5.0, [&](const SceneTarget& target) {
        drawRun(target, signatureAt(SignatureBounce::position(5.0, 640, 400, m)));
    });
    EXPECT_EQ(firstDifference(back, expectedBack), "");
}

TEST(FrameTimeline, CanvasWithoutLogicalSizeIsAnError) {
    auto canvas = Canvas::createOffscreen(64, 40);
    ASSERT_TRUE(canvas.ok());
    SceneRenderer renderer(false);
    const Status s = renderer.renderFrame(canvas.value(), canvas.value().textureFactory(), 5.0);
    ASSERT_FALSE(s.ok());
    EXPECT_EQ(s.error().text, NoLogicalSizeText);
}

TEST(FrameTimeline, WritesTheTimeLineOnlyWhenAskedTo) {
    const Canvas canvas = makeCanvas(64, 40);
    testing::internal::CaptureStdout();
    const Status direct = writeTimeLine(0.001);
    const std::string directLine = testing::internal::GetCapturedStdout();

    testing::internal::CaptureStdout();
    SceneRenderer withLine(true);
    const Status loud = withLine.renderFrame(canvas, canvas.textureFactory(), 0.001);
    const std::string loudLine = testing::internal::GetCapturedStdout();

    testing::internal::CaptureStdout();
    SceneRenderer quiet(false);
    const Status silent = quiet.renderFrame(canvas, canvas.textureFactory(), 0.001);
    const std::string quietLine = testing::internal::GetCapturedStdout();

    EXPECT_TRUE(direct.ok());
    EXPECT_TRUE(loud.ok());
    EXPECT_TRUE(silent.ok());
    EXPECT_EQ(loudLine, directLine);
    EXPECT_EQ(quietLine, "");
}

}  // namespace
}  // namespace scenetest
