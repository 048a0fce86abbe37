// The program's icon: where the letter sits at each size, and that the
// committed .ico, hicolor PNGs and favicon hold exactly those pictures.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/icongen/icon_files.h"
#include "tools/icongen/icon_picture.h"
#include "tools/invite-tool/png_image.h"

namespace {

const std::filesystem::path IconDir = INVITE_ICON_DIR;

std::vector<std::uint8_t> fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::uint32_t read16(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return bytes.at(at) | static_cast<std::uint32_t>(bytes.at(at + 1)) << 8;
}
std::uint32_t read32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return read16(bytes, at) | read16(bytes, at + 2) << 16;
}

// The RGB pixel at (x, y) of a picture.
std::vector<std::uint8_t> pixelOf(const RgbPicture& picture, std::int32_t x, std::int32_t y) {
    const auto at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.size) + static_cast<std::size_t>(x)) * 3;
    return {picture.bytes[at], picture.bytes[at + 1], picture.bytes[at + 2]};
}

}  // namespace

TEST(IconPicture, TheLetterIsCentredAtTheLargestWholeFactorThatKeepsABorder) {
    struct Case {
        std::int32_t size;
        bool signatureFont;
        std::int32_t factor, x, y;
    };
    // The signature's M is 19 x 18 pixels, the text font's 13 x 16.
    const Case cases[] = {
        {16, false, 1, 1, 0},    // 19 > 16 - 2: the text font's M fills the height
        {24, true, 1, 2, 3},     // border 1
        {32, true, 1, 6, 7},     // 2 x 19 = 38 > 30
        {48, true, 2, 5, 6},     // border 2: 38 <= 44
        {64, true, 3, 3, 5},     // 57 <= 60
        {128, true, 6, 7, 10},   // border 4: 114 <= 120
        {256, true, 12, 14, 20}, // border 8: 228 <= 240 < 247
    };
    for (const Case& c : cases) {
        const LetterPlacement p = placeLetter(c.size);
        EXPECT_EQ(p.signatureFont, c.signatureFont) << c.size;
        EXPECT_EQ(p.factor, c.factor) << c.size;
        EXPECT_EQ(p.x, c.x) << c.size;
        EXPECT_EQ(p.y, c.y) << c.size;
    }
}

TEST(IconPicture, TextColourOnTheDemosDarkWithHardPixelEdges) {
    const RgbPicture picture = drawIcon(256);
    ASSERT_EQ(picture.bytes.size(), 256u * 256u * 3u);
    const std::vector<std::uint8_t> dark{12, 12, 12};
    const std::vector<std::uint8_t> text{255, 64, 0};  // red = pulse 255, green 64, blue 255 - pulse
    EXPECT_EQ(pixelOf(picture, 0, 0), dark);
    EXPECT_EQ(pixelOf(picture, 255, 255), dark);
    std::int64_t textPixels = 0;
    for (std::int32_t y = 0; y < 256; ++y) {
        for (std::int32_t x = 0; x < 256; ++x) {
            if (pixelOf(picture, x, y) == text) ++textPixels;
            // Every 12 x 12 block of the enlarged glyph is one colour.
            const std::int32_t bx = 14 + (x - 14) / 12 * 12;
            const std::int32_t by = 20 + (y - 20) / 12 * 12;
            if (x >= 14 && y >= 20) {
                ASSERT_EQ(pixelOf(picture, x, y), pixelOf(picture, bx, by)) << x << "," << y;
            }
        }
    }
    // The M's strokes: well over a tenth of the picture in the full colour.
    EXPECT_GT(textPixels, 256 * 256 / 10);
}

TEST(IconFiles, HicolorPngsShowThePicturesOfTheirSize) {
    for (const std::int32_t size : {16, 24, 32, 48, 64, 128, 256}) {
        const std::string folder = std::to_string(size) + "x" + std::to_string(size);
        const auto image = readPng((IconDir / "hicolor" / folder / "apps" / "tiral25-invite.png").string());
        ASSERT_TRUE(image.ok()) << image.error().text;
        ASSERT_EQ(image.value().width, size);
        ASSERT_EQ(image.value().height, size);
        const RgbPicture picture = drawIcon(size);
        for (std::int32_t y = 0; y < size; ++y) {
            for (std::int32_t x = 0; x < size; ++x) {
                const Rgba read = image.value().at(x, y);
                ASSERT_EQ((std::vector<std::uint8_t>{read.r, read.g, read.b, read.a}),
                          (std::vector<std::uint8_t>{pixelOf(picture, x, y)[0], pixelOf(picture, x, y)[1],
                                                     pixelOf(picture, x, y)[2], 255}))
                    << size << " at " << x << "," << y;
            }
        }
    }
}

TEST(IconFiles, IcoHoldsEverySizeAsWindowsReadsIt) {
    const std::vector<std::uint8_t> ico = fileBytes(IconDir / "tiral25-invite.ico");
    ASSERT_GE(ico.size(), 6u);
    EXPECT_EQ(read16(ico, 0), 0u);  // reserved
    EXPECT_EQ(read16(ico, 2), 1u);  // icon
    const std::vector<std::int32_t> sizes{16, 24, 32, 48, 64, 256};
    ASSERT_EQ(read16(ico, 4), sizes.size());
    std::size_t expectedOffset = 6 + 16 * sizes.size();
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const std::size_t entry = 6 + 16 * i;
        const std::int32_t size = sizes[i];
        EXPECT_EQ(ico.at(entry), size == 256 ? 0 : size);
        EXPECT_EQ(ico.at(entry + 1), size == 256 ? 0 : size);
        EXPECT_EQ(read16(ico, entry + 6), 32u);  // bits per pixel
        const std::uint32_t length = read32(ico, entry + 8);
        const std::uint32_t offset = read32(ico, entry + 12);
        ASSERT_EQ(offset, expectedOffset) << size;
        ASSERT_LE(offset + length, ico.size()) << size;
        expectedOffset += length;
        const std::vector<std::uint8_t> image(ico.begin() + offset, ico.begin() + offset + length);
        const RgbPicture picture = drawIcon(size);
        if (size == 256) {
            // The same PNG as the hicolor one.
            EXPECT_EQ(image, fileBytes(IconDir / "hicolor" / "256x256" / "apps" / "tiral25-invite.png"));
            continue;
        }
        // A 32-bit bitmap, bottom-up BGRA, then an all-zero (opaque) mask.
        ASSERT_EQ(read32(image, 0), 40u);
        ASSERT_EQ(read32(image, 4), static_cast<std::uint32_t>(size));
        ASSERT_EQ(read32(image, 8), static_cast<std::uint32_t>(2 * size));
        const std::size_t maskBytes = static_cast<std::size_t>((size + 31) / 32 * 4 * size);
        ASSERT_EQ(length, 40 + static_cast<std::size_t>(size * size * 4) + maskBytes) << size;
        for (std::int32_t y = 0; y < size; ++y) {
            for (std::int32_t x = 0; x < size; ++x) {
                const std::size_t at = 40 + (static_cast<std::size_t>(size - 1 - y) * size + x) * 4;
                const auto rgb = pixelOf(picture, x, y);
                ASSERT_EQ((std::vector<std::uint8_t>{image[at + 2], image[at + 1], image[at], image[at + 3]}),
                          (std::vector<std::uint8_t>{rgb[0], rgb[1], rgb[2], 255}))
                    << size << " at " << x << "," << y;
            }
        }
        for (std::size_t k = length - maskBytes; k < length; ++k) ASSERT_EQ(image[k], 0) << size;
    }
    EXPECT_EQ(expectedOffset, ico.size());
}

TEST(IconFiles, FaviconIsThe32PixelPngAsADataUrl) {
    std::ifstream in(IconDir / "favicon-data-url.txt");
    std::string url;
    std::getline(in, url);
    EXPECT_EQ(url, pngDataUrl(fileBytes(IconDir / "hicolor" / "32x32" / "apps" / "tiral25-invite.png")));
    EXPECT_TRUE(url.starts_with("data:image/png;base64,iVBORw0KGgo")) << url;  // the PNG signature
}

TEST(IconFiles, DataUrlPadsAsBase64Does) {
    const std::vector<std::uint8_t> bytes{'M', 'o', 'x'};
    EXPECT_EQ(pngDataUrl(std::span(bytes).first(1)), "data:image/png;base64,TQ==");
    EXPECT_EQ(pngDataUrl(std::span(bytes).first(2)), "data:image/png;base64,TW8=");
    EXPECT_EQ(pngDataUrl(bytes), "data:image/png;base64,TW94");
}
