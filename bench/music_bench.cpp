// Google Benchmarks of the song pre-render: the whole renderSong call
// (buffer allocation and first touch included), the mixing work alone into a
// buffer that is already touched, and the bare cost of first-touching a
// buffer of the song's size for comparison.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstring>

#include "music/renderer.h"
#include "music/song.h"

namespace {

constexpr std::int32_t Rate = 48000;

void renderSongWhole(benchmark::State& state) {
    for (auto _ : state) {
        SongBuffer song = renderSong(Rate);
        benchmark::DoNotOptimize(song.data());
    }
    state.counters["samples"] = static_cast<double>(renderSong(Rate).size());
}
BENCHMARK(renderSongWhole)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Sequencer, mixer and downmix into a buffer that is already touched.
void mixingOnly(benchmark::State& state) {
    const Module module = loadModule(builtinModuleBytes()).value();
    const std::int64_t frames = keptFrames(startSong(module, Rate), MaxSongSeconds * Rate);
    SongBuffer song(static_cast<std::size_t>(frames), 1);
    for (auto _ : state) {
        Sequencer sequencer = startSong(module, Rate);
        MixBlock block;
        std::int16_t* out = song.data();
        while (renderBlock(sequencer, block)) {
            for (int f = 0; f < BlockFrames; ++f) out[f] = downmixFrame(block.left[f], block.right[f]);
            out += BlockFrames;
        }
        benchmark::DoNotOptimize(song.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(mixingOnly)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// What allocating and first-touching a buffer of the song's size costs alone.
void firstTouchOnly(benchmark::State& state) {
    const std::size_t samples = renderSong(Rate).size();
    for (auto _ : state) {
        SongBuffer song;
        song.reserve(samples);
        song.resize(samples);
        benchmark::DoNotOptimize(song.data());
    }
}
BENCHMARK(firstTouchOnly)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    // The demo renders its song once, into memory fresh from the system. A
    // fixed mmap threshold keeps glibc from recycling the freed buffer of one
    // iteration for the next, so every iteration pays the first touch too.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
