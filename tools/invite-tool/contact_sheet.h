// The contact sheet: the stills of ContactSheetTimes in a grid, each with its
// demo time in seconds written under it ("t = 62.5").
#pragma once

#include <cstdint>

#include "tools/invite-tool/offscreen_demo.h"

// Layout in image pixels.
inline constexpr std::int32_t ContactSheetColumns = 4;
inline constexpr std::int32_t ContactSheetGap = 8;           // around and between tiles
inline constexpr std::int32_t ContactSheetLabelHeight = 24;  // strip under each tile
inline constexpr std::int32_t ContactSheetLabelScale = 3;    // image pixels per label pixel

struct ImageSize {
    std::int32_t width;
    std::int32_t height;
};
ImageSize contactSheetSize();

// Every still is keyed from `seed` afresh, so tile i equals
// `invite-tool frame ContactSheetTimes[i] --seed seed`.
Result<RgbaImage> renderContactSheet(OffscreenDemo& demo, std::uint64_t seed);
