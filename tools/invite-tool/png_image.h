// PNG files for the capture tools, through libpng's simplified interface:
// 8-bit RGBA in and out, no metadata, so the same pixels always give the same
// file bytes.
#pragma once

#include <string>

#include "platform/platform.h"
#include "tools/invite-tool/rgba_image.h"

enum class PngSpeed {
    Small,  // zlib's default effort: stills, references, the contact sheet
    Fast,   // least effort: thousands of numbered video frames
};

// Writes the image as an 8-bit RGBA PNG. The error carries libpng's message.
Status writePng(const std::string& path, const RgbaImage& image, PngSpeed speed = PngSpeed::Small);

// Reads any PNG that libpng understands, converted to 8-bit RGBA.
Result<RgbaImage> readPng(const std::string& path);
