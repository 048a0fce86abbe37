#include "tools/invite-tool/contact_sheet.h"

#include <cassert>
#include <charconv>
#include <string>

#include "tools/invite-tool/capture_timeline.h"
#include "tools/invite-tool/label_font.h"

namespace {
// The shortest decimal that reads back as t: 0.25, 6, 62.5.
std::string formatSeconds(double t) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, t, std::chars_format::fixed);
    assert(result.ec == std::errc());
    return std::string(text, result.ptr);
}

constexpr std::int32_t Tiles = static_cast<std::int32_t>(ContactSheetTimes.size());
constexpr std::int32_t Rows = (Tiles + ContactSheetColumns - 1) / ContactSheetColumns;
constexpr std::int32_t CellWidth = DemoWidth + ContactSheetGap;
constexpr std::int32_t CellHeight = DemoHeight + ContactSheetLabelHeight + ContactSheetGap;

constexpr Rgba SheetBackground{40, 40, 40, 255};
constexpr Rgba LabelColour{210, 210, 210, 255};
}  // namespace

ImageSize contactSheetSize() {
    return {ContactSheetGap + ContactSheetColumns * CellWidth, ContactSheetGap + Rows * CellHeight};
}

Result<RgbaImage> renderContactSheet(OffscreenDemo& demo, std::uint64_t seed) {
    const ImageSize size = contactSheetSize();
    RgbaImage sheet = RgbaImage::filled(size.width, size.height, SheetBackground);
    for (std::int32_t i = 0; i < Tiles; ++i) {
        const double t = ContactSheetTimes[static_cast<std::size_t>(i)];
        auto still = renderStill(demo, t, seed);
        if (!still) return still.error();
        const std::int32_t x = ContactSheetGap + (i % ContactSheetColumns) * CellWidth;
        const std::int32_t y = ContactSheetGap + (i / ContactSheetColumns) * CellHeight;
        blit(sheet, still.value(), x, y);
        // The label sits centred in the strip under the tile.
        const std::string label = "t = " + formatSeconds(t);
        const std::int32_t labelX = x + (DemoWidth - labelWidth(label, ContactSheetLabelScale)) / 2;
        const std::int32_t labelY =
            y + DemoHeight + (ContactSheetLabelHeight - LabelCellHeight * ContactSheetLabelScale) / 2;
        drawLabel(sheet, labelX, labelY, label, ContactSheetLabelScale, LabelColour);
    }
    return sheet;
}
