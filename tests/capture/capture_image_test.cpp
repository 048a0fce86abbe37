// Image handling of the capture tools: enlarging, pasting, comparing, PNG
// files and the labels of the contact sheet.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tools/invite-tool/contact_sheet.h"
#include "tools/invite-tool/label_font.h"
#include "tools/invite-tool/png_image.h"
#include "tools/invite-tool/rgba_image.h"
#include "tools/invite-tool/yuv_frame.h"

namespace {
// A small image whose every pixel is different: r = x, g = y, b = x + y.
RgbaImage gradient(std::int32_t width, std::int32_t height) {
    RgbaImage image = RgbaImage::filled(width, height, Rgba{});
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            image.set(x, y, Rgba{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
                                 static_cast<std::uint8_t>(x + y), static_cast<std::uint8_t>(200 + x)});
        }
    }
    return image;
}

bool sameColour(Rgba a, Rgba b) { return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a; }

std::string temporaryPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() /
            ("capture-image-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + name))
        .string();
}

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}
}  // namespace

TEST(ScaleNearest, EveryPixelBecomesASolidBlock) {
    const RgbaImage source = gradient(5, 3);
    for (std::int32_t factor : {1, 2, 3}) {
        const RgbaImage scaled = scaleNearest(source, factor);
        ASSERT_EQ(scaled.width, 5 * factor);
        ASSERT_EQ(scaled.height, 3 * factor);
        for (std::int32_t y = 0; y < scaled.height; ++y) {
            for (std::int32_t x = 0; x < scaled.width; ++x) {
                ASSERT_TRUE(sameColour(scaled.at(x, y), source.at(x / factor, y / factor)))
                    << "factor " << factor << " at " << x << "," << y;
            }
        }
    }
}

TEST(Blit, CopiesAndClipsAtEveryEdge) {
    const RgbaImage source = gradient(4, 4);
    struct Case {
        std::int32_t x, y;
    };
    for (const Case c : {Case{0, 0}, Case{-2, -1}, Case{4, 3}, Case{-3, 5}, Case{10, 10}}) {
        RgbaImage target = RgbaImage::filled(6, 6, Rgba{9, 9, 9, 9});
        blit(target, source, c.x, c.y);
        for (std::int32_t y = 0; y < 6; ++y) {
            for (std::int32_t x = 0; x < 6; ++x) {
                const bool inside = x >= c.x && x < c.x + 4 && y >= c.y && y < c.y + 4;
                const Rgba expected = inside ? source.at(x - c.x, y - c.y) : Rgba{9, 9, 9, 9};
                ASSERT_TRUE(sameColour(target.at(x, y), expected))
                    << "blit at " << c.x << "," << c.y << ", pixel " << x << "," << y;
            }
        }
    }
}

TEST(CompareImages, CountsPixelsBeyondTheToleranceAndMarksThem) {
    const RgbaImage expected = gradient(8, 8);
    RgbaImage actual = expected;
    Rgba nudged = actual.at(1, 1);
    nudged.g = static_cast<std::uint8_t>(nudged.g + 2);  // within a tolerance of 2
    actual.set(1, 1, nudged);
    Rgba changed = actual.at(5, 6);
    changed.r = static_cast<std::uint8_t>(changed.r + 3);  // beyond it
    actual.set(5, 6, changed);
    Rgba alphaOnly = actual.at(7, 0);
    alphaOnly.a = static_cast<std::uint8_t>(alphaOnly.a - 50);
    actual.set(7, 0, alphaOnly);

    const ImageComparison result = compareImages(expected, actual, 2);
    EXPECT_EQ(result.differingPixels, 2);
    EXPECT_EQ(result.largestChannelDelta, 50);
    EXPECT_TRUE(sameColour(result.difference.at(1, 1), Rgba{0, 0, 0, 255}));
    EXPECT_TRUE(sameColour(result.difference.at(5, 6), Rgba{192, 0, 0, 255}));
    EXPECT_TRUE(sameColour(result.difference.at(7, 0), Rgba{255, 255, 255, 255}));
    EXPECT_EQ(compareImages(expected, expected, 0).differingPixels, 0);
}

TEST(PngFile, RoundTripsEveryByteAndWritesTheSameFileTwice) {
    const RgbaImage image = gradient(37, 23);
    const std::string first = temporaryPath("a.png");
    const std::string second = temporaryPath("b.png");
    for (PngSpeed speed : {PngSpeed::Small, PngSpeed::Fast}) {
        ASSERT_TRUE(writePng(first, image, speed));
        ASSERT_TRUE(writePng(second, image, speed));
        EXPECT_EQ(fileBytes(first), fileBytes(second));
        auto read = readPng(first);
        ASSERT_TRUE(read) << read.error().text;
        EXPECT_EQ(read.value().width, 37);
        EXPECT_EQ(read.value().height, 23);
        EXPECT_EQ(read.value().bytes, image.bytes);
    }
    std::remove(first.c_str());
    std::remove(second.c_str());
}

TEST(PngFile, ReportsFilesItCannotReadOrWrite) {
    const std::string notPng = temporaryPath("not.png");
    std::ofstream(notPng) << "this is not a PNG file";
    auto read = readPng(notPng);
    ASSERT_FALSE(read);
    EXPECT_NE(read.error().text.find(notPng), std::string::npos);
    std::remove(notPng.c_str());

    EXPECT_FALSE(readPng("/nonexistent-directory/x.png"));
    EXPECT_FALSE(writePng("/nonexistent-directory/x.png", gradient(2, 2)));
}

TEST(LabelFont, WidthsAndPixelsFollowTheCells) {
    // "1" is 3 cells, "." 1, spacing 1 between characters: 3 + 1 + 1 + 1 + 3 = 9.
    EXPECT_EQ(labelWidth("1.5", 1), 9);
    EXPECT_EQ(labelWidth("1.5", 3), 27);
    EXPECT_EQ(labelWidth("", 2), 0);

    RgbaImage image = RgbaImage::filled(8, 6, Rgba{0, 0, 0, 255});
    drawLabel(image, 1, 0, "7", 1, Rgba{255, 255, 255, 255});
    // 7: 111 / 001 / 010 / 010 / 010
    const char* const expected[] = {".111....", "...1....", "..1.....", "..1.....", "..1.....",
                                    "........"};
    for (std::int32_t y = 0; y < 6; ++y) {
        for (std::int32_t x = 0; x < 8; ++x) {
            EXPECT_EQ(image.at(x, y).r == 255, expected[y][x] == '1') << x << "," << y;
        }
    }
}

TEST(ContactSheet, SizeHoldsTheGridOfTilesWithTheirLabels) {
    const ImageSize size = contactSheetSize();
    // Four columns of 640 + 8, three rows of 400 + 24 + 8, and the outer gap.
    EXPECT_EQ(size.width, 8 + 4 * 648);
    EXPECT_EQ(size.height, 8 + 3 * 432);
}

TEST(YuvFrame, PrimariesLandOnTheirLimitedRangeValues) {
    struct Case {
        Rgba rgb;
        Yuv yuv;
    };
    const Case cases[] = {
        {{0, 0, 0, 255}, {16, 128, 128}},       {{255, 255, 255, 255}, {235, 128, 128}},
        {{255, 0, 0, 255}, {82, 90, 240}},      {{0, 255, 0, 255}, {144, 54, 34}},
        {{0, 0, 255, 255}, {41, 240, 110}},     {{12, 12, 12, 255}, {26, 128, 128}},
        {{12, 12, 12, 0}, {26, 128, 128}},  // alpha does not count
    };
    for (const Case& c : cases) {
        const Yuv yuv = toYuv(c.rgb);
        EXPECT_EQ(yuv.y, c.yuv.y) << int(c.rgb.r) << "," << int(c.rgb.g) << "," << int(c.rgb.b);
        EXPECT_EQ(yuv.u, c.yuv.u) << int(c.rgb.r) << "," << int(c.rgb.g) << "," << int(c.rgb.b);
        EXPECT_EQ(yuv.v, c.yuv.v) << int(c.rgb.r) << "," << int(c.rgb.g) << "," << int(c.rgb.b);
    }
}

TEST(YuvFrame, PlanesHoldLumaPerPixelAndChromaPerTwoByTwoBlock) {
    // 4 x 2: a red/blue checker block on the left, a plain white block on the right.
    RgbaImage image = RgbaImage::filled(4, 2, Rgba{255, 255, 255, 255});
    image.set(0, 0, Rgba{255, 0, 0, 255});
    image.set(1, 1, Rgba{255, 0, 0, 255});
    image.set(1, 0, Rgba{0, 0, 255, 255});
    image.set(0, 1, Rgba{0, 0, 255, 255});
    std::vector<std::uint8_t> out(3, 0xAA);  // reused buffers are resized
    toYuv420(image, out);
    ASSERT_EQ(out.size(), 12u);
    const std::vector<std::uint8_t> luma(out.begin(), out.begin() + 8);
    EXPECT_EQ(luma, (std::vector<std::uint8_t>{82, 41, 235, 235, 41, 82, 235, 235}));
    // The left block averages to (127.5, 0, 127.5); the right one is white.
    const Yuv mixed = toYuv(Rgba{128, 0, 128, 255});
    EXPECT_NEAR(out[8], mixed.u, 1);   // Cb, left
    EXPECT_EQ(out[9], 128);            // Cb, right
    EXPECT_NEAR(out[10], mixed.v, 1);  // Cr, left
    EXPECT_EQ(out[11], 128);           // Cr, right
}
