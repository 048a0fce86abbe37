// How fast the capture draws: the frames of each part of the timeline, and
// the whole demo at 60 fps as a capture draws it (without encoding; see
// bench/capture_speed.sh for the whole capture with ffmpeg).
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "platform/os.h"
#include "tools/invite-tool/capture_timeline.h"
#include "tools/invite-tool/offscreen_demo.h"
#include "tools/invite-tool/yuv_frame.h"

namespace {
OffscreenDemo makeDemo(benchmark::State& state) {
    // As a capture does: canvas-sized buffers stay in the heap between frames.
    keepLargeBlocksOnTheHeap(64 << 20, 256 << 20);
    auto demo = OffscreenDemo::create();
    if (!demo) {
        state.SkipWithError(demo.error().text.c_str());
        std::abort();
    }
    useJitterSeed(1);
    return std::move(demo).value();
}

// One frame at the demo time given in milliseconds.
void drawFrameAt(benchmark::State& state) {
    OffscreenDemo demo = makeDemo(state);
    const double t = static_cast<double>(state.range(0)) / 1000.0;
    for (auto _ : state) {
        auto frame = demo.render(t);
        benchmark::DoNotOptimize(frame.value().bytes.data());
    }
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                               benchmark::Counter::kIsRate);
}
// Signature, wave backdrop, slogan, invitation, greetings, returned signature.
BENCHMARK(drawFrameAt)->Arg(6000)->Arg(15000)->Arg(24000)->Arg(45000)->Arg(75000)->Arg(100000)
    ->Unit(benchmark::kMicrosecond);

// The conversion of one drawn frame for the encoder.
void convertFrameToYuv420(benchmark::State& state) {
    OffscreenDemo demo = makeDemo(state);
    const RgbaImage frame = demo.render(24.0).value();
    std::vector<std::uint8_t> out;
    for (auto _ : state) {
        toYuv420(frame, out);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(convertFrameToYuv420)->Unit(benchmark::kMicrosecond);

// Every frame of a 60 fps capture of the whole demo.
void drawWholeDemoAt60Fps(benchmark::State& state) {
    OffscreenDemo demo = makeDemo(state);
    constexpr std::int32_t Fps = 60;
    const std::int64_t frames = captureFrameCount(Fps, DemoEndTime);
    for (auto _ : state) {
        for (std::int64_t k = 0; k < frames; ++k) {
            auto frame = demo.render(captureFrameTime(k, Fps));
            benchmark::DoNotOptimize(frame.value().bytes.data());
        }
    }
    const double totalFrames = static_cast<double>(frames) * static_cast<double>(state.iterations());
    state.counters["fps"] = benchmark::Counter(totalFrames, benchmark::Counter::kIsRate);
    state.counters["x_real_time"] = benchmark::Counter(
        totalFrames / Fps, benchmark::Counter::kIsRate);
}
BENCHMARK(drawWholeDemoAt60Fps)->Unit(benchmark::kSecond)->Iterations(1);
}  // namespace
