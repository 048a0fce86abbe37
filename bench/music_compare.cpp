// Renders one module file with our engine, libopenmpt and libxmp in the same
// run and prints each time and the ratios. Usage: music_compare MODFILE [RUNS]
//   ours (render)   renderModule: allocation and first touch of the buffer included
//   ours (mixing)   sequencer + mixer + downmix into a pre-touched buffer
//   libopenmpt      interpolation filter length 1, no volume ramping, no dither
//   libxmp          nearest-neighbour interpolation
// Every renderer writes mono 16-bit samples at 48000 Hz; the libraries into a
// pre-touched buffer. Each time is the best of RUNS runs (default 7).
#include <libopenmpt/libopenmpt.h>
#include <xmp.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <vector>

#include "music/renderer.h"

namespace {

constexpr std::int32_t Rate = 48000;
constexpr std::size_t Chunk = 4096;

double bestMilliseconds(int runs, const std::function<std::size_t()>& render, std::size_t& samples) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        samples = render();
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

std::size_t renderOpenmpt(const std::vector<std::uint8_t>& file, std::vector<std::int16_t>& out) {
    openmpt_module* mod = openmpt_module_create_from_memory2(file.data(), file.size(), nullptr, nullptr, nullptr,
                                                             nullptr, nullptr, nullptr, nullptr);
    if (mod == nullptr) return 0;
    openmpt_module_set_render_param(mod, OPENMPT_MODULE_RENDER_INTERPOLATIONFILTER_LENGTH, 1);
    openmpt_module_set_render_param(mod, OPENMPT_MODULE_RENDER_VOLUMERAMPING_STRENGTH, 0);
    openmpt_module_ctl_set_integer(mod, "dither", 0);
    std::size_t done = 0;
    for (;;) {
        if (done + Chunk > out.size()) out.resize(out.size() * 2, 0);
        const std::size_t n = openmpt_module_read_mono(mod, Rate, Chunk, out.data() + done);
        if (n == 0) break;
        done += n;
    }
    openmpt_module_destroy(mod);
    return done;
}

std::size_t renderXmp(const std::vector<std::uint8_t>& file, std::vector<std::int16_t>& out) {
    xmp_context ctx = xmp_create_context();
    if (xmp_load_module_from_memory(ctx, file.data(), static_cast<long>(file.size())) != 0) {
        xmp_free_context(ctx);
        return 0;
    }
    xmp_start_player(ctx, Rate, XMP_FORMAT_MONO);
    xmp_set_player(ctx, XMP_PLAYER_INTERP, XMP_INTERP_NEAREST);
    std::size_t done = 0;
    for (;;) {
        if (done + Chunk > out.size()) out.resize(out.size() * 2, 0);
        if (xmp_play_buffer(ctx, out.data() + done, static_cast<int>(Chunk * sizeof(std::int16_t)), 1) != 0) break;
        done += Chunk;
    }
    xmp_end_player(ctx);
    xmp_release_module(ctx);
    xmp_free_context(ctx);
    return done;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: music_compare MODFILE [RUNS]\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    MusicResult<Module> module = loadModule(file);
    if (!module) {
        std::fprintf(stderr, "music_compare: %s: %s\n", argv[1], module.error().message.c_str());
        return 1;
    }

    std::size_t oursSamples = 0, mixSamples = 0, openmptSamples = 0, xmpSamples = 0;
    const double ours = bestMilliseconds(runs, [&] { return renderModule(file, Rate).value().size(); }, oursSamples);

    const std::int64_t frames = keptFrames(startSong(module.value(), Rate), MaxSongSeconds * Rate);
    SongBuffer touched(static_cast<std::size_t>(frames), 1);
    const double mixing = bestMilliseconds(runs, [&] {
        Sequencer sequencer = startSong(module.value(), Rate);
        MixBlock block;
        std::int16_t* out = touched.data();
        while (renderBlock(sequencer, block)) {
            for (int f = 0; f < BlockFrames; ++f) out[f] = downmixFrame(block.left[f], block.right[f]);
            out += BlockFrames;
        }
        return static_cast<std::size_t>(out - touched.data());
    }, mixSamples);

    // The libraries' buffers are sized and touched before the clock starts.
    std::vector<std::int16_t> openmptOut(static_cast<std::size_t>(frames) + 8 * Rate, 1);
    std::vector<std::int16_t> xmpOut(openmptOut.size(), 1);
    const double openmpt = bestMilliseconds(runs, [&] { return renderOpenmpt(file, openmptOut); }, openmptSamples);
    const double xmp = bestMilliseconds(runs, [&] { return renderXmp(file, xmpOut); }, xmpSamples);

    std::printf("module %s, %d runs each, best time, mono 16-bit at %d Hz\n", argv[1], runs, Rate);
    std::printf("  ours (render)   %8.2f ms  %9zu samples\n", ours, oursSamples);
    std::printf("  ours (mixing)   %8.2f ms  %9zu samples\n", mixing, mixSamples);
    std::printf("  libopenmpt      %8.2f ms  %9zu samples\n", openmpt, openmptSamples);
    std::printf("  libxmp          %8.2f ms  %9zu samples\n", xmp, xmpSamples);
    std::printf("ratios (library / ours render, library / ours mixing):\n");
    std::printf("  libopenmpt  %5.2fx  %5.2fx\n", openmpt / ours, openmpt / mixing);
    std::printf("  libxmp      %5.2fx  %5.2fx\n", xmp / ours, xmp / mixing);
    return 0;
}
