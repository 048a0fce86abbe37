// Frames rendered through the real SDL software renderer, offscreen, and
// reference frames drawn on a second canvas from literal text runs.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "scenes/scene_renderer.h"
#include "scenes/text_run.h"
#include "scenes/timeline.h"
#include "text/demo_text.h"
#include "text/font.h"
#include "text/jitter.h"

namespace scenetest {

using Rgba = std::array<std::uint8_t, 4>;
inline constexpr Rgba Background{12, 12, 12, 255};

struct Frame {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> bytes;

    Rgba at(std::int32_t x, std::int32_t y) const {
        const std::size_t i = 4 * (static_cast<std::size_t>(y) * width + x);
        return {bytes[i], bytes[i + 1], bytes[i + 2], bytes[i + 3]};
    }
    bool isBackground(std::int32_t x, std::int32_t y) const { return at(x, y) == Background; }
    bool contains(const Rgba& colour) const {
        for (std::size_t i = 0; i + 3 < bytes.size(); i += 4) {
            if (Rgba{bytes[i], bytes[i + 1], bytes[i + 2], bytes[i + 3]} == colour) return true;
        }
        return false;
    }
};

inline ThreadRandom::Key testKey(std::uint8_t seed) {
    ThreadRandom::Key key{};
    for (std::size_t i = 0; i < key.size(); ++i) key[i] = static_cast<std::uint8_t>(seed + 7 * i);
    return key;
}

// The jitter source of this thread, restarted from a fixed key.
inline void restartRandom(std::uint8_t seed) {
    setCurrentThreadRandom(std::make_shared<ThreadRandom>(testKey(seed)));
}

inline Canvas makeCanvas(std::int32_t width = 640, std::int32_t height = 400) {
    auto canvas = Canvas::createOffscreen(width, height);
    EXPECT_TRUE(canvas.ok()) << (canvas.ok() ? "" : canvas.error().text);
    const Canvas c = canvas.value();
    EXPECT_TRUE(c.setLogicalSize(width, height).ok());
    return c;
}

inline Frame read(const Canvas& canvas) {
    auto pixels = canvas.readPixels();
    EXPECT_TRUE(pixels.ok());
    return Frame{pixels.value().width, pixels.value().height, std::move(pixels.value().bytes)};
}

// A frame of the demo at t, with the jitter source restarted from `seed`.
inline Frame renderDemo(const Canvas& canvas, double t, std::uint8_t seed = 1) {
    restartRandom(seed);
    SceneRenderer renderer(false);
    const Status s = renderer.renderFrame(canvas, canvas.textureFactory(), t);
    EXPECT_TRUE(s.ok()) << (s.ok() ? "" : s.error().text);
    return read(canvas);
}

// A frame cleared to the background, then drawn by `draw` in the text colour
// of time `colourTime`, with the jitter source restarted from `seed`.
inline Frame renderReference(const Canvas& canvas, double colourTime,
                             const std::function<void(const SceneTarget&)>& draw,
                             std::uint8_t seed = 1) {
    restartRandom(seed);
    EXPECT_TRUE(canvas.setDrawColor(12, 12, 12, 255).ok());
    EXPECT_TRUE(canvas.clear().ok());
    const TextureFactory factory = canvas.textureFactory();
    const auto [w, h] = canvas.logicalSize();
    const SceneTarget target{canvas, factory, textColour(pulse(colourTime)), w, h};
    draw(target);
    return read(canvas);
}

inline void drawRun(const SceneTarget& target, const TextRun& run) {
    const Status s = drawTextRun(target, run);
    EXPECT_TRUE(s.ok()) << (s.ok() ? "" : s.error().text);
}

inline TextRun literalRun(std::string_view text, const Font& font, double pen, std::int32_t dx,
                          std::int32_t top) {
    TextRun run;
    run.text = text;
    run.style = RunStyle{&font, top};
    run.penStart = pen;
    run.dx = dx;
    return run;
}

// The greetings' three notes where they belong on a 400-high canvas, in the
// scene's drawing order, written out by hand.
inline void drawExpectedNotes(const SceneTarget& target) {
    const struct { std::string_view text; std::int32_t dx, top; } notes[] = {
        {OnsiteNoteText, 18, 336}, {RestNoteText, 24, 368}, {SorryNoteText, 18, 304}};
    for (const auto& n : notes) {
        TextRun r = literalRun(n.text, LargeFont, 0.0, n.dx, n.top);
        r.jitter = LineJitter;
        drawRun(target, r);
    }
}

// Describes the first difference, or returns "" when the frames are equal.
inline std::string firstDifference(const Frame& a, const Frame& b, std::int32_t x0 = 0,
                                   std::int32_t x1 = -1) {
    if (a.width != b.width || a.height != b.height) return "sizes differ";
    if (x1 < 0) x1 = a.width;
    std::size_t count = 0;
    std::string first;
    for (std::int32_t y = 0; y < a.height; ++y) {
        for (std::int32_t x = x0; x < x1; ++x) {
            if (a.at(x, y) != b.at(x, y)) {
                if (count++ == 0) {
                    // Not "(" + std::to_string(x) + ...: that trips a false
                    // -Wrestrict of GCC 12 at -O2.
                    char where[32];
                    std::snprintf(where, sizeof where, "(%d, %d)", static_cast<int>(x), static_cast<int>(y));
                    first = where;
                }
            }
        }
    }
    if (count == 0) return "";
    return std::to_string(count) + " pixels differ, first at " + first;
}

}  // namespace scenetest
