// The demo drawn without a window: the real scene renderer on an SDL software
// renderer that draws into a 640 x 400 surface, read back as RGBA bytes.
// Used by the frame, capture and contact-sheet commands and by the picture
// regression tests, so stills and videos show exactly what the demo draws.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/platform.h"
#include "scenes/scene_renderer.h"
#include "text/jitter.h"
#include "tools/invite-tool/rgba_image.h"

// The demo's logical canvas.
inline constexpr std::int32_t DemoWidth = 640;
inline constexpr std::int32_t DemoHeight = 400;

// The jitter key of --seed N: N as eight little-endian bytes, then the bytes
// of "tiral25-invite" and zeros up to 32, so that seed 0 is not the all-zero key.
ThreadRandom::Key seedKey(std::uint64_t seed);

// Sets the calling thread's jitter generator: with a seed, one keyed from
// seedKey(seed) whose later keys also follow from the seed, so everything it
// draws is deterministic; without one, a generator keyed by the operating
// system, as in the live demo.
void useJitterSeed(std::optional<std::uint64_t> seed);

class OffscreenDemo {
public:
    // One canvas of DemoWidth x DemoHeight with that logical size, reused for
    // every frame.
    static Result<OffscreenDemo> create();

    // Draws the frame for demo time t and reads it back. Uses the calling
    // thread's jitter generator.
    Result<RgbaImage> render(double t);

private:
    OffscreenDemo(Canvas canvas, TextureFactory factory)
        : canvas_(std::move(canvas)), factory_(std::move(factory)) {}
    Canvas canvas_;
    TextureFactory factory_;
    SceneRenderer scenes_{false};  // no console time lines: the terminal is the tool's
};

// One still: the frame at t with the jitter keyed from `seed` (fresh for each
// call, so the picture depends on t and the seed alone).
Result<RgbaImage> renderStill(OffscreenDemo& demo, double t, std::uint64_t seed);
