#include "tools/invite-tool/offscreen_demo.h"

#include <memory>
#include <string_view>
#include <utility>

ThreadRandom::Key seedKey(std::uint64_t seed) {
    ThreadRandom::Key key{};
    for (std::size_t i = 0; i < 8; ++i) key[i] = static_cast<std::uint8_t>(seed >> (8 * i));
    constexpr std::string_view Label = "tiral25-invite";
    static_assert(8 + Label.size() <= std::tuple_size_v<ThreadRandom::Key>);
    for (std::size_t i = 0; i < Label.size(); ++i) key[8 + i] = static_cast<std::uint8_t>(Label[i]);
    return key;
}

namespace {
// The generator asks for a new key after every 64 KiB of output, which a
// capture passes within a few dozen frames. A seeded generator takes those
// keys from a SplitMix64 sequence started at the seed instead of from the
// operating system, so the whole capture follows from the seed.
ThreadRandom::EntropySource seededKeys(std::uint64_t seed) {
    auto state = std::make_shared<std::uint64_t>(seed);
    return [state](std::span<std::uint8_t> buffer) {
        for (std::size_t i = 0; i < buffer.size(); ++i) {
            if (i % 8 == 0) {
                // SplitMix64 (Steele, Lea and Flood): a Weyl step, then a mix.
                *state += 0x9E3779B97F4A7C15u;
            }
            std::uint64_t z = *state;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
            z ^= z >> 31;
            buffer[i] = static_cast<std::uint8_t>(z >> (8 * (i % 8)));
        }
        return 0;
    };
}
}  // namespace

void useJitterSeed(std::optional<std::uint64_t> seed) {
    setCurrentThreadRandom(seed ? std::make_shared<ThreadRandom>(seedKey(*seed), seededKeys(*seed))
                                : std::make_shared<ThreadRandom>());
}

Result<OffscreenDemo> OffscreenDemo::create() {
    auto canvas = Canvas::createOffscreen(DemoWidth, DemoHeight);
    if (!canvas) return canvas.error();
    if (Status s = canvas.value().setLogicalSize(DemoWidth, DemoHeight); !s) return s.error();
    TextureFactory factory = canvas.value().textureFactory();
    return OffscreenDemo(std::move(canvas).value(), std::move(factory));
}

Result<RgbaImage> OffscreenDemo::render(double t) {
    if (Status s = scenes_.renderFrame(canvas_, factory_, t); !s) return s.error();
    auto pixels = canvas_.readPixels();
    if (!pixels) return pixels.error();
    Canvas::Pixels& read = pixels.value();
    assert(read.width == DemoWidth && read.height == DemoHeight);
    return RgbaImage{read.width, read.height, std::move(read.bytes)};
}

Result<RgbaImage> renderStill(OffscreenDemo& demo, double t, std::uint64_t seed) {
    useJitterSeed(seed);
    return demo.render(t);
}
