// PNG files for the capture tools, through libpng's simplified interface:
// 8-bit RGBA in and out, no metadata, so the same pixels always give the same
// file bytes.
#pragma once

#include <string>

#include "platform/platform.h"
#include "tools/invite-tool/output_file.h"
#include "tools/invite-tool/rgba_image.h"

enum class PngSpeed {
    Small,  // zlib's default effort: stills, references, the contact sheet
    Fast,   // least effort: thousands of numbered video frames
};

// Writes the image as an 8-bit RGBA PNG into `file`; the caller commits.
// The error carries the system's reason, or libpng's message.
Status writePng(OutputFile& file, const RgbaImage& image, PngSpeed speed = PngSpeed::Small);
// A whole PNG file at `path`, through an OutputFile.
Status writePng(const std::string& path, const RgbaImage& image, PngSpeed speed = PngSpeed::Small);

// Reads any PNG that libpng understands, converted to 8-bit RGBA.
Result<RgbaImage> readPng(const std::string& path);
