// Frames for the video encoder: RGBA converted to planar YUV 4:2:0 (the
// layout ffmpeg calls yuv420p) with the BT.601 matrix in limited range.
// Done here rather than in ffmpeg, whose general converter took about a
// millisecond a frame on the encoder's core, and it sends the encoder 1.5
// bytes per pixel instead of 4.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/invite-tool/rgba_image.h"

struct Yuv {
    std::uint8_t y;
    std::uint8_t u;  // Cb
    std::uint8_t v;  // Cr
};

// One colour through the BT.601 matrix, limited range (Y 16..235, Cb and Cr
// 16..240), coefficients in 1/256: Y = (66 R + 129 G + 25 B) / 256 + 16,
// Cb = (-38 R - 74 G + 112 B) / 256 + 128, Cr = (112 R - 94 G - 18 B) / 256 + 128,
// rounded. Alpha is ignored (the demo's frames are opaque).
Yuv toYuv(Rgba colour);

// The image as three planes: width x height luma samples, then the Cb and
// the Cr plane, each (width / 2) x (height / 2); a chroma sample is taken
// from the average colour of its 2 x 2 pixels. Requires even sizes. `out` is
// resized to width * height * 3 / 2 bytes and reused between frames.
void toYuv420(const RgbaImage& image, std::vector<std::uint8_t>& out);
