#include "tools/invite-tool/rgba_image.h"

#include <algorithm>
#include <cstdlib>

RgbaImage RgbaImage::filled(std::int32_t width, std::int32_t height, Rgba colour) {
    assert(width >= 0 && height >= 0);
    RgbaImage image{width, height, {}};
    image.bytes.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
                       BytesPerPixel);
    for (std::size_t i = 0; i < image.bytes.size(); i += BytesPerPixel) {
        image.bytes[i] = colour.r;
        image.bytes[i + 1] = colour.g;
        image.bytes[i + 2] = colour.b;
        image.bytes[i + 3] = colour.a;
    }
    return image;
}

Rgba RgbaImage::at(std::int32_t x, std::int32_t y) const {
    const std::size_t i = offset(x, y);
    return {bytes[i], bytes[i + 1], bytes[i + 2], bytes[i + 3]};
}

void RgbaImage::set(std::int32_t x, std::int32_t y, Rgba colour) {
    const std::size_t i = offset(x, y);
    bytes[i] = colour.r;
    bytes[i + 1] = colour.g;
    bytes[i + 2] = colour.b;
    bytes[i + 3] = colour.a;
}

RgbaImage scaleNearest(const RgbaImage& image, std::int32_t factor) {
    assert(factor >= 1);
    if (factor == 1) return image;
    RgbaImage scaled{image.width * factor, image.height * factor, {}};
    scaled.bytes.resize(static_cast<std::size_t>(scaled.width) *
                        static_cast<std::size_t>(scaled.height) * RgbaImage::BytesPerPixel);
    const std::size_t scaledRowBytes =
        static_cast<std::size_t>(scaled.width) * RgbaImage::BytesPerPixel;
    for (std::int32_t y = 0; y < image.height; ++y) {
        // Widen one source row, then repeat the widened row factor times.
        std::uint8_t* first = scaled.bytes.data() + static_cast<std::size_t>(y) *
                                                        static_cast<std::size_t>(factor) *
                                                        scaledRowBytes;
        const std::uint8_t* source = image.bytes.data() + image.offset(0, y);
        std::uint8_t* out = first;
        for (std::int32_t x = 0; x < image.width; ++x, source += RgbaImage::BytesPerPixel) {
            for (std::int32_t k = 0; k < factor; ++k, out += RgbaImage::BytesPerPixel) {
                std::copy_n(source, RgbaImage::BytesPerPixel, out);
            }
        }
        for (std::int32_t k = 1; k < factor; ++k) {
            std::copy_n(first, scaledRowBytes, first + static_cast<std::size_t>(k) * scaledRowBytes);
        }
    }
    return scaled;
}

void blit(RgbaImage& target, const RgbaImage& source, std::int32_t x, std::int32_t y) {
    const std::int32_t left = std::max(0, x);
    const std::int32_t top = std::max(0, y);
    const std::int32_t right = std::min(target.width, x + source.width);
    const std::int32_t bottom = std::min(target.height, y + source.height);
    if (left >= right || top >= bottom) return;
    const std::size_t rowBytes = static_cast<std::size_t>(right - left) * RgbaImage::BytesPerPixel;
    for (std::int32_t row = top; row < bottom; ++row) {
        std::copy_n(source.bytes.data() + source.offset(left - x, row - y), rowBytes,
                    target.bytes.data() + target.offset(left, row));
    }
}

void fillRect(RgbaImage& image, std::int32_t x, std::int32_t y, std::int32_t width,
              std::int32_t height, Rgba colour) {
    const std::int32_t right = std::min(image.width, x + width);
    const std::int32_t bottom = std::min(image.height, y + height);
    for (std::int32_t row = std::max(0, y); row < bottom; ++row) {
        for (std::int32_t column = std::max(0, x); column < right; ++column) {
            image.set(column, row, colour);
        }
    }
}

ImageComparison compareImages(const RgbaImage& expected, const RgbaImage& actual,
                              std::int32_t tolerance) {
    assert(expected.width == actual.width && expected.height == actual.height);
    assert(tolerance >= 0);
    ImageComparison result;
    result.difference = RgbaImage::filled(expected.width, expected.height, Rgba{0, 0, 0, 255});
    for (std::size_t i = 0; i < expected.bytes.size(); i += RgbaImage::BytesPerPixel) {
        std::int32_t largest = 0;
        std::int32_t deltas[RgbaImage::BytesPerPixel] = {};
        for (std::size_t c = 0; c < RgbaImage::BytesPerPixel; ++c) {
            deltas[c] = std::abs(static_cast<std::int32_t>(expected.bytes[i + c]) -
                                 static_cast<std::int32_t>(actual.bytes[i + c]));
            largest = std::max(largest, deltas[c]);
        }
        result.largestChannelDelta = std::max(result.largestChannelDelta, largest);
        if (largest <= tolerance) continue;
        ++result.differingPixels;
        // A difference of 1 shows as 64, anything from 4 up as full brightness;
        // a difference only in alpha shows white.
        const auto lift = [](std::int32_t d) {
            return static_cast<std::uint8_t>(std::min(255, d * 64));
        };
        const bool alphaOnly = deltas[0] == 0 && deltas[1] == 0 && deltas[2] == 0;
        result.difference.bytes[i] = alphaOnly ? 255 : lift(deltas[0]);
        result.difference.bytes[i + 1] = alphaOnly ? 255 : lift(deltas[1]);
        result.difference.bytes[i + 2] = alphaOnly ? 255 : lift(deltas[2]);
    }
    return result;
}
