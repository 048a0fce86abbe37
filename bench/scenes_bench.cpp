// renderFrame on the SDL software renderer at 640 x 400, one frame from each
// scene window. Each frame's thread CPU time is taken on its own, and the
// median and the worst of 200 frames (after 5 to warm up) are reported as
// counters, in milliseconds. The canvas is presented after each frame so that
// every queued copy is carried out inside the timing.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/os.h"
#include "platform/platform.h"
#include "scenes/scene_renderer.h"
#include "scenes/wave_backdrop.h"
#include "text/jitter.h"

namespace {
constexpr int Width = 640;
constexpr int Height = 400;
constexpr int Frames = 200;
constexpr int WarmUp = 5;

double threadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

void renderOneFrame(benchmark::State& state, double t) {
    auto canvas = Canvas::createOffscreen(Width, Height);
    if (!canvas || !canvas.value().setLogicalSize(Width, Height)) {
        state.SkipWithError("no offscreen canvas");
        return;
    }
    // As the demo's start-up does: canvas-sized blocks stay in the heap.
    keepLargeBlocksOnTheHeap(16 << 20, 32 << 20);
    const Canvas& c = canvas.value();
    const TextureFactory factory = c.textureFactory();
    setCurrentThreadRandom(std::make_shared<ThreadRandom>(ThreadRandom::Key{}));
    SceneRenderer renderer(false);
    std::vector<double> times;
    times.reserve(Frames);
    for (auto _ : state) {
        times.clear();
        for (int frame = -WarmUp; frame < Frames; ++frame) {
            const double start = threadCpuMs();
            if (Status s = renderer.renderFrame(c, factory, t); !s) {
                state.SkipWithError(s.error().text.c_str());
                return;
            }
            c.present();
            if (frame >= 0) times.push_back(threadCpuMs() - start);
        }
    }
    std::sort(times.begin(), times.end());
    state.counters["median_ms"] = times[times.size() / 2];
    state.counters["worst_ms"] = times.back();
}

void waveFill(benchmark::State& state) {
    std::vector<std::uint8_t> pixels(std::size_t{4} * Width * Height);
    double t = 20.0;
    for (auto _ : state) {
        WaveBackdrop::fill(pixels, t, Width, Height);
        benchmark::DoNotOptimize(pixels.data());
        t += 0.001;
    }
}

void perFrame(benchmark::internal::Benchmark* b) {
    b->Iterations(1)->Unit(benchmark::kMillisecond);
}
}  // namespace

BENCHMARK_CAPTURE(renderOneFrame, signature_t5, 5.0)->Apply(perFrame);
BENCHMARK_CAPTURE(renderOneFrame, wave_slogan_t20, 20.0)->Apply(perFrame);
BENCHMARK_CAPTURE(renderOneFrame, invitation_t40, 40.0)->Apply(perFrame);
BENCHMARK_CAPTURE(renderOneFrame, greetings_t70, 70.0)->Apply(perFrame);
BENCHMARK_CAPTURE(renderOneFrame, signature_again_t100, 100.0)->Apply(perFrame);
BENCHMARK(waveFill)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
