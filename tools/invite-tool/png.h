// Writing 8-bit RGBA images as PNG files (libpng), for the tool's commands.
#pragma once

#include <cstdint>
#include <span>
#include <string>

// Writes width x height pixels, 4 bytes each (red, green, blue, alpha), rows
// packed top to bottom. Returns an empty string on success, else the reason.
std::string writePngRgba(const std::string& path, std::int32_t width, std::int32_t height,
                         std::span<const std::uint8_t> pixels);
