// libFuzzer target: any bytes through the module loader and, when they load,
// a bounded render. Built with -fsanitize=fuzzer,address,undefined by
// scripts/fuzz-music.sh; a read outside the bytes or any undefined behaviour
// stops the run.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "music/renderer.h"

namespace {
// Low rate and short songs keep each input fast.
constexpr std::int32_t FuzzRate = 8000;
constexpr int MaxBlocks = 40;
constexpr std::int64_t MaxSeconds = 12;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    MusicResult<Module> module = loadModule(bytes);
    if (!module) {
        if (module.error().message.empty()) std::abort();  // every refusal names its reason
        return 0;
    }
    // The first blocks of any song, long or not.
    Sequencer sequencer = startSong(module.value(), FuzzRate);
    MixBlock block;
    for (int i = 0; i < MaxBlocks && renderBlock(sequencer, block); ++i) {
    }
    // The whole render when the song is short enough; its length must match
    // the length measured in advance.
    MusicResult<SongBuffer> song = renderModule(bytes, FuzzRate, MaxSeconds);
    if (song.ok()) {
        const std::int64_t expected = keptFrames(startSong(module.value(), FuzzRate), MaxSeconds * FuzzRate);
        if (static_cast<std::int64_t>(song.value().size()) != expected) std::abort();
    }
    return 0;
}
