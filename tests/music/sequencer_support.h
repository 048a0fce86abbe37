// Helpers for tests that step the sequencer over a built module.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "music/module.h"
#include "music/renderer.h"
#include "music/sequencer.h"
#include "tests/music/module_builder.h"

// A sequencer after its first tick, as the renderer starts it. `bytes` must
// outlive it.
inline Sequencer startSequencer(const std::vector<std::uint8_t>& bytes, std::int64_t rate = 48000) {
    MusicResult<Module> module = loadModule(bytes);
    if (!module) ADD_FAILURE() << module.error().message;
    return startSong(module.value(), rate);
}

// The value of `field` after the first tick and after each of the next
// ticks - 1 calls of tick().
inline std::vector<std::int64_t> traceTicks(Sequencer& sequencer, int ticks,
                                            const std::function<std::int64_t(const Sequencer&)>& field) {
    std::vector<std::int64_t> values{field(sequencer)};
    for (int i = 1; i < ticks; ++i) {
        sequencer.tick();
        values.push_back(field(sequencer));
    }
    return values;
}

using Trace = std::vector<std::int64_t>;

// A builder with sample 1: 64 bytes of value 10, looping, volume 64, no finetune.
inline ModuleBuilder songWithSample(int patterns = 1) {
    ModuleBuilder builder(patterns);
    builder.constantSample(1, 64, 10);
    return builder;
}

inline auto periodOf(int channel = 0) {
    return [channel](const Sequencer& s) -> std::int64_t { return s.channels[channel].period; };
}
inline auto volumeOf(int channel = 0) {
    return [channel](const Sequencer& s) -> std::int64_t { return s.channels[channel].volume; };
}
inline auto stepOf(int channel = 0) {
    return [channel](const Sequencer& s) -> std::int64_t { return static_cast<std::int64_t>(s.channels[channel].step); };
}
