// Benchmarks of text/: the ChaCha12 batch per vector path (with cycles per
// byte from the time-stamp counter), uniformInt, and the per-character glyph
// path (makeGlyphTexture + copyToCanvas + destroy) on SDL's software renderer.
#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <ctime>
#include <cstdlib>
#include <optional>
#include <string>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#define INVITE_HAVE_TSC 1
#endif

#include "platform/platform.h"
#include "text/chacha.h"
#include "text/demo_text.h"
#include "text/font.h"
#include "text/glyph_draw.h"
#include "text/jitter.h"

namespace {

#ifdef INVITE_HAVE_TSC
double threadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Time-stamp counter ticks per second, measured once against the wall clock.
double tscHz() {
    static const double hz = [] {
        const auto wallStart = std::chrono::steady_clock::now();
        const std::uint64_t tscStart = __rdtsc();
        while (std::chrono::steady_clock::now() - wallStart < std::chrono::milliseconds(50)) {
        }
        const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - wallStart;
        return static_cast<double>(__rdtsc() - tscStart) / wall.count();
    }();
    return hz;
}
#endif

void chachaBatchOn(benchmark::State& state, ChaChaPath path) {
    if (!chachaPathSupported(path)) {
        state.SkipWithError("this processor lacks the instructions");
        return;
    }
    ChaChaInput input{{1, 2, 3, 4, 5, 6, 7, 8}, 0, 0};
    std::array<std::uint32_t, ChaChaBatchWords> out{};
#ifdef INVITE_HAVE_TSC
    const double hz = tscHz();
    const double cpuStart = threadCpuSeconds();
#endif
    for (auto _ : state) {
        chachaBatch(path, input, out);
        benchmark::DoNotOptimize(out.data());
        input.blockCounter += ChaChaBatchBlocks;
    }
    const auto bytes = static_cast<double>(state.iterations()) * ChaChaBatchWords * 4;
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
#ifdef INVITE_HAVE_TSC
    // Cycles of the time-stamp counter per byte, over the thread's own CPU
    // time, so that other processes on a busy machine do not count.
    state.counters["cycles_per_byte"] = (threadCpuSeconds() - cpuStart) * hz / bytes;
#endif
}

void registerChaCha() {
    for (ChaChaPath path : AllChaChaPaths) {
        benchmark::RegisterBenchmark(("ChaChaBatch/" + std::string(chachaPathName(path))).c_str(),
                                     [path](benchmark::State& s) { chachaBatchOn(s, path); });
    }
}
const int chachaRegistered = (registerChaCha(), 0);

void UniformIntJitterPair(benchmark::State& state) {
    ThreadRandom random(ThreadRandom::Key{});
    for (auto _ : state) {
        benchmark::DoNotOptimize(uniformInt(random, -2, 2));
        benchmark::DoNotOptimize(uniformInt(random, -3, 3));
    }
}
BENCHMARK(UniformIntJitterPair);

// One character as the scenes draw it: a fresh texture, one copy, destroyed.
class GlyphCanvas {
public:
    GlyphCanvas() {
        Result<Canvas> made = Canvas::createOffscreen(640, 400);
        if (!made) return;
        canvas_.emplace(std::move(made.value()));
        (void)canvas_->setDrawColor(12, 12, 12, 255);
        (void)canvas_->clear();
    }
    bool ok() const { return canvas_.has_value(); }

    void drawOne(const Glyph& glyph, std::int32_t x, std::int32_t y) {
        Result<Texture> texture = makeGlyphTexture(canvas_->textureFactory(), glyph, 0xFF5F40A0u);
        if (!texture) std::abort();
        if (!copyToCanvas(*canvas_, texture.value(), std::nullopt, glyphDestRect(glyph, x, y))) std::abort();
        texture.value().destroy();
    }

private:
    std::optional<Canvas> canvas_;
};

void GlyphTextureCopyDestroy(benchmark::State& state, const Font& font, char32_t character) {
    GlyphCanvas canvas;
    if (!canvas.ok()) {
        state.SkipWithError("no software renderer");
        return;
    }
    std::int32_t x = 0;
    for (auto _ : state) {
        canvas.drawOne(lookupGlyph(font, character), 20 + x, 100);
        x = (x + 13) % 560;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(GlyphTextureCopyDestroy, LargeA, LargeFont, U'A');
BENCHMARK_CAPTURE(GlyphTextureCopyDestroy, LargeSpace, LargeFont, U' ');
BENCHMARK_CAPTURE(GlyphTextureCopyDestroy, SmallS, SmallFont, U'S');

// The longest invitation line, 117 characters, once per iteration.
void InvitationLineOfGlyphs(benchmark::State& state) {
    GlyphCanvas canvas;
    if (!canvas.ok()) {
        state.SkipWithError("no software renderer");
        return;
    }
    const std::string_view line = invitationLine(4);
    for (auto _ : state) {
        double pen = 0;
        CharCursor cursor(line);
        for (char32_t c = cursor.next(); c != EndOfText; c = cursor.next()) {
            const Glyph g = lookupGlyph(LargeFont, c);
            canvas.drawOne(g, static_cast<std::int32_t>(pen) - 400, 160);
            pen += g.advance;
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(line.size()));
}
BENCHMARK(InvitationLineOfGlyphs);

}  // namespace
