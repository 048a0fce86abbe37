// The file formats the icon ships in, written from RgbPictures with no
// time, name or other metadata, so that the same pictures always give the
// same bytes.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "tools/icongen/icon_picture.h"

// An 8-bit RGB PNG: IHDR, one IDAT (zlib at level 9), IEND.
std::vector<std::uint8_t> encodePng(const RgbPicture& picture);

// A Windows .ico holding every picture, in the order given: pictures of 256
// pixels as PNG (as Windows Vista and later read them), smaller ones as
// 32-bit bitmaps with an all-opaque mask, which every Windows reads.
std::vector<std::uint8_t> encodeIco(std::span<const RgbPicture> pictures);

// "data:image/png;base64,..." for a web page's icon link.
std::string pngDataUrl(std::span<const std::uint8_t> png);
