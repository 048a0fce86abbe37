#include "tools/invite-tool/yuv_frame.h"

#include <cassert>

namespace {
// BT.601 coefficients in 1/256 (ITU-R BT.601 for 8-bit limited range).
constexpr std::int32_t YR = 66, YG = 129, YB = 25;
constexpr std::int32_t UR = -38, UG = -74, UB = 112;
constexpr std::int32_t VR = 112, VG = -94, VB = -18;
constexpr std::int32_t LumaFloor = 16;
constexpr std::int32_t ChromaZero = 128;

std::uint8_t luma(std::int32_t r, std::int32_t g, std::int32_t b) {
    return static_cast<std::uint8_t>(((YR * r + YG * g + YB * b + 128) >> 8) + LumaFloor);
}

// From the sums of four pixels' channels: two more fraction bits.
std::uint8_t chroma(std::int32_t kr, std::int32_t kg, std::int32_t kb, std::int32_t r4,
                    std::int32_t g4, std::int32_t b4) {
    return static_cast<std::uint8_t>(((kr * r4 + kg * g4 + kb * b4 + 512) >> 10) + ChromaZero);
}
}  // namespace

Yuv toYuv(Rgba c) {
    const std::int32_t r = c.r, g = c.g, b = c.b;
    return {luma(r, g, b), chroma(UR, UG, UB, 4 * r, 4 * g, 4 * b),
            chroma(VR, VG, VB, 4 * r, 4 * g, 4 * b)};
}

void toYuv420(const RgbaImage& image, std::vector<std::uint8_t>& out) {
    assert(image.width % 2 == 0 && image.height % 2 == 0);
    const auto width = static_cast<std::size_t>(image.width);
    const auto height = static_cast<std::size_t>(image.height);
    const std::size_t chromaWidth = width / 2;
    out.resize(width * height * 3 / 2);
    std::uint8_t* const lumaPlane = out.data();
    std::uint8_t* const cbPlane = lumaPlane + width * height;
    std::uint8_t* const crPlane = cbPlane + chromaWidth * (height / 2);
    const std::uint8_t* const pixels = image.bytes.data();
    const std::size_t stride = width * RgbaImage::BytesPerPixel;
    // Plain loops over whole rows, one plane at a time, so that the compiler
    // can turn them into vector code (this file is built with -O3).
    for (std::size_t i = 0; i < width * height; ++i) {
        const std::uint8_t* p = pixels + 4 * i;
        lumaPlane[i] = luma(p[0], p[1], p[2]);
    }
    for (std::size_t y = 0; y < height; y += 2) {
        const std::uint8_t* top = pixels + y * stride;
        const std::uint8_t* bottom = top + stride;
        std::uint8_t* cb = cbPlane + (y / 2) * chromaWidth;
        std::uint8_t* cr = crPlane + (y / 2) * chromaWidth;
        for (std::size_t x = 0; x < chromaWidth; ++x) {
            const std::uint8_t* p = top + 8 * x;
            const std::uint8_t* q = bottom + 8 * x;
            const std::int32_t r4 = p[0] + p[4] + q[0] + q[4];
            const std::int32_t g4 = p[1] + p[5] + q[1] + q[5];
            const std::int32_t b4 = p[2] + p[6] + q[2] + q[6];
            cb[x] = chroma(UR, UG, UB, r4, g4, b4);
            cr[x] = chroma(VR, VG, VB, r4, g4, b4);
        }
    }
}
