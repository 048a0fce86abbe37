// Whole images in memory for the capture tools: the frames the offscreen
// renderer reads back, the contact sheet, and the pictures the regression
// tests compare.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <vector>

struct Rgba {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 255;
};

// RGBA bytes (red, green, blue, alpha per pixel), rows packed without
// padding: the layout SDL calls ABGR8888 on a little-endian machine.
struct RgbaImage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> bytes;  // width * height * 4

    static constexpr std::size_t BytesPerPixel = 4;

    static RgbaImage filled(std::int32_t width, std::int32_t height, Rgba colour);

    std::size_t offset(std::int32_t x, std::int32_t y) const {
        assert(x >= 0 && x < width && y >= 0 && y < height);
        return (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                static_cast<std::size_t>(x)) * BytesPerPixel;
    }
    Rgba at(std::int32_t x, std::int32_t y) const;
    void set(std::int32_t x, std::int32_t y, Rgba colour);
};

// Every pixel repeated factor x factor times (nearest neighbour), so that
// enlarged frames keep their hard pixel edges. Requires factor >= 1.
RgbaImage scaleNearest(const RgbaImage& image, std::int32_t factor);

// Copies `source` into `target` with its top-left corner at (x, y); the parts
// that fall outside the target are cut off.
void blit(RgbaImage& target, const RgbaImage& source, std::int32_t x, std::int32_t y);

// Fills the rectangle, clipped to the image.
void fillRect(RgbaImage& image, std::int32_t x, std::int32_t y, std::int32_t width,
              std::int32_t height, Rgba colour);

// How far `actual` is from `expected` (same size required). A pixel differs
// when one of its four channels is more than `tolerance` apart.
struct ImageComparison {
    std::int64_t differingPixels = 0;
    std::int32_t largestChannelDelta = 0;
    // Black where the pixels agree within the tolerance; elsewhere the
    // absolute channel differences, lifted so that even small ones show.
    RgbaImage difference;
};
ImageComparison compareImages(const RgbaImage& expected, const RgbaImage& actual,
                              std::int32_t tolerance);
