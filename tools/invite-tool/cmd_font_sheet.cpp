// invite-tool specimen OUT.png: every glyph of both built-in fonts, drawn
// through the demo's own glyph path (makeGlyphTexture, glyphDestRect,
// copyToCanvas) on its background, at 1:1 and enlarged four times.
#include <utility>
#include <cmath>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "text/demo_text.h"
#include "text/font.h"
#include "text/glyph_draw.h"
#include "tools/invite-tool/command.h"
#include "tools/invite-tool/command_line.h"
#include "tools/invite-tool/png_image.h"
#include "tools/invite-tool/rgba_image.h"

namespace {

constexpr std::int32_t ImageWidth = 1280;
constexpr std::int32_t Zoom = 4;
constexpr std::uint8_t Background = 12;
// The text colour with the pulse at 160: red 160, green 64, blue 95.
constexpr std::uint32_t TextColour = 0xFF000000u | (255u - 160u) << 16 | 64u << 8 | 160u;

// A line of text; its segments follow each other on one pen.
struct Segment {
    const Font* font;
    std::string text;
    std::int32_t lift = 0;  // pen y this much higher than the line's
};
using Run = std::vector<Segment>;

std::string fontCharacters(const Font& font) {
    std::string all;
    for (int code = 0; code < 256; ++code) {
        if (fontHasGlyph(font, static_cast<char32_t>(code))) all += static_cast<char>(code);
    }
    return all;
}

// Draws the runs as lines `lineStep` apart, pen y of line i at top + i * lineStep.
std::string drawLines(const Canvas& canvas, const std::vector<Run>& runs, std::int32_t left,
                      std::int32_t top, std::int32_t lineStep, double gap) {
    const TextureFactory factory = canvas.textureFactory();
    std::int32_t y = top;
    for (const Run& run : runs) {
        double pen = 0;
        for (const Segment& segment : run) {
            CharCursor cursor(segment.text);
            for (char32_t c = cursor.next(); c != EndOfText; c = cursor.next()) {
                const Glyph glyph = lookupGlyph(*segment.font, c);
                Result<Texture> texture = makeGlyphTexture(factory, glyph, TextColour);
                if (!texture) return texture.error().text;
                const std::int32_t x = left + static_cast<std::int32_t>(std::floor(pen));
                const Rect dest = glyphDestRect(glyph, x, y - segment.lift);
                const Status copied = copyToCanvas(canvas, texture.value(), std::nullopt, dest);
                texture.value().destroy();
                if (!copied) return copied.error().text;
                pen += glyph.advance + gap;
            }
        }
        y += lineStep;
    }
    return {};
}

Result<RgbaImage> render(std::int32_t width, std::int32_t height, const std::vector<Run>& runs,
                              std::int32_t left, std::int32_t top, std::int32_t lineStep, double gap) {
    Result<Canvas> canvas = Canvas::createOffscreen(width, height);
    if (!canvas) return canvas.error();
    const Canvas& c = canvas.value();
    if (Status s = c.setDrawColor(Background, Background, Background, 255); !s) return s.error();
    if (Status s = c.clear(); !s) return s.error();
    if (std::string error = drawLines(c, runs, left, top, lineStep, gap); !error.empty()) {
        return PlatformError{error};
    }
    Result<Canvas::Pixels> pixels = c.readPixels();
    if (!pixels) return pixels.error();
    return RgbaImage{pixels.value().width, pixels.value().height, std::move(pixels.value().bytes)};
}

std::vector<Run> chunked(const Font& font, const std::string& characters, std::size_t perLine) {
    std::vector<Run> runs;
    for (std::size_t i = 0; i < characters.size(); i += perLine) {
        runs.push_back({{&font, characters.substr(i, perLine)}});
    }
    return runs;
}

int runSpecimen(std::span<const std::string_view> args);
const Command Specimen{"specimen", "specimen OUT.png",
                       "draw every glyph of both fonts at 1:1 and 4x through the demo's glyph path", runSpecimen};
const CommandRegistration registration(Specimen);

int runSpecimen(std::span<const std::string_view> args) {
    std::string error;
    const auto parsed = parseArguments(args, {}, error);
    if (!parsed) return usageError(Specimen, error);
    if (error = positionalError(*parsed, {"OUT.png"}); !error.empty()) return usageError(Specimen, error);
    const std::string large = fontCharacters(LargeFont);
    const std::string small = fontCharacters(SmallFont);

    // 1:1: both fonts' glyphs, then some of the demo's texts as the scenes set them.
    // The greetings header mixes the fonts: the signature inside it is drawn in
    // SmallFont with the pen 8 pixels higher, on the same baseline.
    const std::string header(GreetingsHeaderText);
    const std::string_view spaced = "   ";
    const std::vector<Run> actual{
        {{&LargeFont, large}},
        {{&SmallFont, small}, {&LargeFont, std::string(spaced)}, {&SmallFont, std::string(SignatureText)}},
        {{&LargeFont, header.substr(0, 13)}, {&SmallFont, header.substr(13, 9), 8},
         {&LargeFont, header.substr(22) + std::string(spaced) + std::string(ComeToText)}},
        {{&LargeFont, std::string(ScrollersTitleText) + std::string(spaced) + std::string(MadeWithText)}},
        {{&LargeFont, greetingRow(0) + std::string(spaced) + greetingRow(2)}},
        {{&LargeFont, std::string(OnsiteNoteText) + " " + std::string(RestNoteText)}},
        {{&LargeFont, std::string(invitationLine(1).substr(8))}},
        {{&LargeFont, std::string(invitationLine(8).substr(7))}},
    };
    const std::int32_t lineStep = 28;
    const std::int32_t actualHeight = lineStep * static_cast<std::int32_t>(actual.size()) + 16;
    Result<RgbaImage> oneToOne = render(ImageWidth, actualHeight, actual, 8, 14, lineStep, 0.0);
    if (!oneToOne) return fail(oneToOne.error().text);

    // 4x: the glyphs spaced apart so that each one's box can be seen.
    std::vector<Run> enlarged = chunked(LargeFont, large, 20);
    for (const Run& run : chunked(SmallFont, small, 20)) enlarged.push_back(run);
    const std::int32_t zoomStep = 26;
    const std::int32_t zoomHeight = zoomStep * static_cast<std::int32_t>(enlarged.size()) + 4;
    Result<RgbaImage> zoomed = render(ImageWidth / Zoom, zoomHeight, enlarged, 2, 8, zoomStep, 2.0);
    if (!zoomed) return fail(zoomed.error().text);

    const std::int32_t height = actualHeight + zoomHeight * Zoom;
    RgbaImage image = RgbaImage::filled(ImageWidth, height, Rgba{255, 255, 255, 255});
    blit(image, oneToOne.value(), 0, 0);
    blit(image, scaleNearest(zoomed.value(), Zoom), 0, actualHeight);
    if (Status written = writePng(std::string(parsed->positional[0]), image); !written) return fail(written.error().text);
    return 0;
}

}  // namespace
