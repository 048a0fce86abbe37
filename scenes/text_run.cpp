#include "scenes/text_run.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "text/glyph_draw.h"

double typewriterLimit(double sceneTime, double charactersPerSecond) {
    return std::floor(sceneTime * charactersPerSecond);
}

std::size_t shownCharacters(std::size_t length, double limit) {
    // The run stops once the count exceeds the limit: the first count that
    // does is floor(limit) + 1, and never less than 1. No count exceeds NaN.
    if (std::isnan(limit)) return length;
    if (limit < 0.0) return std::min<std::size_t>(length, 1);
    if (limit >= static_cast<double>(length)) return length;
    return std::min(length, static_cast<std::size_t>(std::floor(limit)) + 1);
}

Status drawTextRun(const SceneTarget& target, const TextRun& run) {
    // The generator's handle is held only while this run draws.
    std::shared_ptr<ThreadRandom> random;
    if (run.jitter) random = currentThreadRandom();
    return layOutTextRun(run, random.get(), [&](const Glyph& glyph, std::int32_t x,
                                                 std::int32_t y) -> Status {
        auto texture = makeGlyphTexture(target.factory, glyph, target.textColour);
        if (!texture) return texture.error();
        Status copied = copyToCanvas(target.canvas, texture.value(), std::nullopt,
                                     glyphDestRect(glyph, x, y));
        texture.value().destroy();
        return copied;
    });
}
