// Glyph drawing: the surface bytes, the destination rectangle, and a real
// copy onto SDL's software renderer.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/platform.h"
#include "text/font.h"
#include "text/glyph_draw.h"

namespace {

constexpr std::uint32_t Colour = 0xFF00'4080u;  // red 128, green 64, blue 0

std::vector<std::uint8_t> pixelsOf(const Glyph& g, std::uint32_t colour) {
    const std::size_t w = g.width == 0 ? 1 : g.width, h = g.height == 0 ? 1 : g.height;
    std::vector<std::uint8_t> pixels(w * h * 4, 0);
    fillGlyphPixels(pixels, g, colour);
    return pixels;
}

TEST(FillGlyphPixels, TheSpaceIsOneTransparentPixelInTheColourAndZeros) {
    const Glyph space = lookupGlyph(LargeFont, U' ');
    const auto pixels = pixelsOf(space, Colour);
    ASSERT_EQ(pixels.size(), 7u * 4);
    const std::vector<std::uint8_t> first{128, 64, 0, 0};
    EXPECT_EQ(std::vector<std::uint8_t>(pixels.begin(), pixels.begin() + 4), first);
    for (std::size_t i = 4; i < pixels.size(); ++i) EXPECT_EQ(pixels[i], 0) << i;
}

TEST(FillGlyphPixels, CoverageByteIBecomesTheAlphaOfPixelI) {
    const Glyph a = lookupGlyph(LargeFont, U'A');
    ASSERT_EQ(a.coverage.size(), 177u);
    std::vector<std::uint8_t> pixels(11 * 16 * 4 + 4, 0x5A);  // one pixel more than the surface
    std::fill(pixels.begin(), pixels.end() - 4, 0);
    fillGlyphPixels(std::span(pixels).first(11 * 16 * 4), a, Colour);
    for (std::size_t i = 0; i < 176; ++i) {
        EXPECT_EQ(pixels[4 * i], 128);
        EXPECT_EQ(pixels[4 * i + 1], 64);
        EXPECT_EQ(pixels[4 * i + 2], 0);
        EXPECT_EQ(pixels[4 * i + 3], a.coverage[i]) << i;
    }
    // The terminating 177th byte is not written past the surface.
    for (std::size_t i = 176 * 4; i < pixels.size(); ++i) EXPECT_EQ(pixels[i], 0x5A);
}

TEST(FillGlyphPixels, TheTopByteOfTheColourIsIgnored) {
    const Glyph g = lookupGlyph(SmallFont, U'S');
    EXPECT_EQ(pixelsOf(g, 0x00C0FFEEu), pixelsOf(g, 0xFFC0FFEEu));
    const auto pixels = pixelsOf(g, 0x12C0FFEEu);
    EXPECT_EQ(pixels[0], 0xEE);
    EXPECT_EQ(pixels[1], 0xFF);
    EXPECT_EQ(pixels[2], 0xC0);
}

TEST(FillGlyphPixels, AGlyphWithNoWidthAndNoHeightClearsItsPixel) {
    static const std::uint8_t coverage[] = {200};
    Glyph empty;
    empty.coverage = coverage;
    std::vector<std::uint8_t> pixels(4, 0x77);
    fillGlyphPixels(pixels, empty, Colour);
    EXPECT_EQ(pixels, std::vector<std::uint8_t>(4, 0));
}

TEST(GlyphDestRect, AddsTheOffsetsAtThePen) {
    const Rect a = glyphDestRect(lookupGlyph(LargeFont, U'A'), 100, 50);
    EXPECT_EQ(a.x, 100);
    EXPECT_EQ(a.y, 44);
    EXPECT_EQ(a.w, 11u);
    EXPECT_EQ(a.h, 16u);
    const Rect space = glyphDestRect(lookupGlyph(LargeFont, U' '), 3, 4);
    EXPECT_EQ(space.x, 3);
    EXPECT_EQ(space.y, 14);
    EXPECT_EQ(space.w, 7u);
    EXPECT_EQ(space.h, 1u);  // the size of its one-row surface
}

TEST(GlyphDestRect, ClampsThePositionAndWrapsTheAddition) {
    Glyph g = lookupGlyph(LargeFont, U'l');  // offsetX 1, offsetY -6
    const struct {
        std::int32_t x, y;
        std::int32_t expectX, expectY;
    } cases[] = {
        {(1 << 30) - 1, 6 - (1 << 30) - 5, (1 << 30) - 1, -(1 << 30)},  // x + 1 = 2^30; y - 6 = -2^30 - 5
        {(1 << 30) - 2, (1 << 30) + 5, (1 << 30) - 1, (1 << 30) - 1},
        {INT32_MAX, 0, -(1 << 30), -6},  // INT32_MAX + 1 wraps to INT32_MIN
        {-5, INT32_MIN + 5, -4, (1 << 30) - 1},  // INT32_MIN - 1 wraps to INT32_MAX
    };
    for (const auto& c : cases) {
        const Rect r = glyphDestRect(g, c.x, c.y);
        EXPECT_EQ(r.x, c.expectX) << c.x;
        EXPECT_EQ(r.y, c.expectY) << c.y;
    }
}

TEST(CreateRgbaSurface, RefusesSizesOfTwoToTheThirtyOneBeforeAskingSdl) {
    for (const auto& [w, h] : {std::pair{0x8000'0000u, 1u}, {1u, 0x8000'0000u}, {0xFFFF'FFFFu, 0xFFFF'FFFFu}}) {
        const Result<Surface> s = createRgbaSurface(w, h);
        ASSERT_FALSE(s.ok());
        EXPECT_EQ(s.error().text, "Image is too large.");
    }
}

TEST(CreateRgbaSurface, GivesAClearedSurfaceWithAPackedPitch) {
    const Result<Surface> s = createRgbaSurface(3, 2);
    ASSERT_TRUE(s.ok()) << s.error().text;
    EXPECT_EQ(s.value().width(), 3);
    EXPECT_EQ(s.value().height(), 2);
    EXPECT_EQ(s.value().pitch(), 12);
    for (int i = 0; i < 24; ++i) EXPECT_EQ(s.value().pixels()[i], 0);
}

class GlyphOnCanvas : public testing::Test {
protected:
    static constexpr std::int32_t Size = 48;
    static constexpr std::uint8_t Background = 12;

    void SetUp() override {
        Result<Canvas> made = Canvas::createOffscreen(Size, Size);
        ASSERT_TRUE(made.ok()) << made.error().text;
        canvas.emplace(std::move(made.value()));
        ASSERT_TRUE(canvas->setDrawColor(Background, Background, Background, 255).ok());
        ASSERT_TRUE(canvas->clear().ok());
    }

    Canvas::Pixels draw(const Glyph& g, std::int32_t x, std::int32_t y) {
        Result<Texture> texture = makeGlyphTexture(canvas->textureFactory(), g, Colour);
        EXPECT_TRUE(texture.ok());
        EXPECT_TRUE(copyToCanvas(*canvas, texture.value(), std::nullopt, glyphDestRect(g, x, y)).ok());
        texture.value().destroy();
        Result<Canvas::Pixels> pixels = canvas->readPixels();
        EXPECT_TRUE(pixels.ok());
        return pixels.value();
    }

    std::optional<Canvas> canvas;
};

TEST_F(GlyphOnCanvas, AnAChangesExactlyItsRectangleBlendedByCoverage) {
    const Glyph a = lookupGlyph(LargeFont, U'A');
    const Canvas::Pixels p = draw(a, 20, 30);  // rectangle x 20..30, y 24..39
    ASSERT_EQ(p.width, Size);
    const std::uint8_t colour[3] = {128, 64, 0};
    int changed = 0;
    for (std::int32_t y = 0; y < Size; ++y) {
        for (std::int32_t x = 0; x < Size; ++x) {
            const std::uint8_t* px = p.bytes.data() + (static_cast<std::size_t>(y) * Size + x) * 4;
            const bool inside = x >= 20 && x < 31 && y >= 24 && y < 40;
            const int coverage = inside ? a.coverage[static_cast<std::size_t>((y - 24) * 11 + (x - 20))] : 0;
            for (int c = 0; c < 3; ++c) {
                const double expected = colour[c] * coverage / 255.0 + Background * (1 - coverage / 255.0);
                if (coverage == 0 || coverage == 255) {
                    ASSERT_EQ(px[c], static_cast<int>(expected)) << x << "," << y;
                } else {
                    ASSERT_NEAR(px[c], expected, 2.0) << x << "," << y << " coverage " << coverage;
                }
            }
            changed += px[0] != Background;
        }
    }
    EXPECT_GT(changed, 60);
}

TEST_F(GlyphOnCanvas, TheSpaceLeavesTheCanvasAsItWas) {
    const Canvas::Pixels p = draw(lookupGlyph(LargeFont, U' '), 5, 5);
    for (std::size_t i = 0; i < p.bytes.size(); i += 4) {
        ASSERT_EQ(p.bytes[i], Background);
        ASSERT_EQ(p.bytes[i + 1], Background);
        ASSERT_EQ(p.bytes[i + 2], Background);
    }
}

}  // namespace
