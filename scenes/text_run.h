// The one procedure that draws every piece of text of the demo: a pen walks
// along the characters, each glyph gets a fresh texture in the frame's colour,
// optionally shaken by jitter, cut short by a typewriter limit or wrapped
// around a width.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/platform.h"
#include "scenes/timeline.h"
#include "text/demo_text.h"
#include "text/font.h"
#include "text/jitter.h"

// Where a frame is drawn and what every scene of it shares.
struct SceneTarget {
    const Canvas& canvas;
    const TextureFactory& factory;
    std::uint32_t textColour;  // as textColour() makes it
    std::int32_t width;        // logical size, read this frame
    std::int32_t height;
};

// Half-open jitter ranges: x from [xLow, xHigh), y from [yLow, yHigh).
struct JitterRanges {
    std::int32_t xLow, xHigh, yLow, yHigh;
};
// Lines, rows and notes shake by -2..1 on both axes...
inline constexpr JitterRanges LineJitter{-2, 2, -2, 2};
// ...typed-out titles by -2..1 across and -3..2 down.
inline constexpr JitterRanges TitleJitter{-2, 2, -3, 3};

// The font of a character and the top its pen y starts from.
struct RunStyle {
    const Font* font = nullptr;
    std::int32_t top = 0;
};

struct TextRun {
    std::string_view text;
    RunStyle style;  // for every character, unless styleAt is set
    // Per-character style: n is the number of characters already drawn in
    // this run (0 for the first).
    RunStyle (*styleAt)(std::size_t n) = nullptr;
    double penStart = 0.0;
    std::int32_t dx = 0;  // added to the pixel of the pen
    std::optional<JitterRanges> jitter;
    // The run stops after the character whose count exceeds the limit, so it
    // shows min(length, limit + 1) characters.
    std::optional<double> typewriterLimit;
    // After an advance that takes the pen past the width, the width is
    // subtracted once: the next character re-enters at the left.
    std::optional<double> wrapWidth;
};

// floor(u * rate): the typewriter limit after u seconds at `rate` characters
// per second.
double typewriterLimit(double sceneTime, double charactersPerSecond);

// How many characters a run of `length` characters shows under `limit`.
std::size_t shownCharacters(std::size_t length, double limit);

// Walks the run without drawing: for each shown character, in order, calls
// place(glyph, x, y) with the pen's pixel position (before the glyph's
// offsets): x = toPixel(pen) + dx + jx, y = top + jy. jx is drawn before jy
// from `random`, which may be null only for a run without jitter. Stops at
// the first failure that place returns.
template <class Place>
Status layOutTextRun(const TextRun& run, ThreadRandom* random, Place&& place) {
    double pen = run.penStart;
    std::size_t drawn = 0;
    CharCursor cursor(run.text);
    for (char32_t c = cursor.next(); c != EndOfText; c = cursor.next()) {
        const RunStyle style = run.styleAt != nullptr ? run.styleAt(drawn) : run.style;
        const Glyph glyph = lookupGlyph(*style.font, c);
        std::int32_t jx = 0;
        std::int32_t jy = 0;
        if (run.jitter) {
            jx = uniformInt(*random, run.jitter->xLow, run.jitter->xHigh);
            jy = uniformInt(*random, run.jitter->yLow, run.jitter->yHigh);
        }
        const std::int32_t x = addSaturating(addSaturating(toPixel(pen), run.dx), jx);
        const std::int32_t y = addSaturating(style.top, jy);
        if (Status s = place(glyph, x, y); !s) return s;
        ++drawn;
        if (run.typewriterLimit && static_cast<double>(drawn) > *run.typewriterLimit) break;
        pen += glyph.advance;
        if (run.wrapWidth && pen > *run.wrapWidth) pen -= *run.wrapWidth;
    }
    return okStatus();
}

// Draws the run onto the canvas: per character a texture in the frame's
// colour, copied at glyphDestRect with no source rectangle and destroyed at
// once. A jittered run draws from the thread's generator.
Status drawTextRun(const SceneTarget& target, const TextRun& run);
