#include "music/renderer.h"

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <string>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace {

// The song buffer is about 11 MB, written once from start to end. On Linux,
// ask for transparent huge pages over it: the first touch then costs a few
// 2 MB page faults instead of about 2700 small ones (about 30 ms on a VM,
// where the mixing itself takes about 10 ms). Only a hint; nothing depends
// on it being taken.
void adviseHugePages(SongBuffer& buffer) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t Page = 4096;
    const auto first = reinterpret_cast<std::uintptr_t>(buffer.data());
    const auto begin = (first + Page - 1) & ~(Page - 1);
    const auto end = (first + buffer.capacity() * sizeof(std::int16_t)) & ~(Page - 1);
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)buffer;
#endif
}

}  // namespace

Sequencer startSong(const Module& module, std::int64_t rate) {
    Sequencer sequencer(module, rate);
    sequencer.tick();  // starts position 0; that it "reports the end" means nothing here
    sequencer.tickFramesDone = 0;
    return sequencer;
}

bool renderBlock(Sequencer& sequencer, MixBlock& block) {
    block.clear();
    const auto channelCount = static_cast<std::size_t>(sequencer.module.channelCount);
    bool keep = true;
    int frame = 0;
    while (frame < BlockFrames) {
        const int n = static_cast<int>(
            std::min<std::int64_t>(sequencer.samplesPerTick - sequencer.tickFramesDone, BlockFrames - frame));
        for (std::size_t c = 0; c < channelCount; ++c) {
            ChannelState& channel = sequencer.channels[c];
            mixChannel(block, frame, n, channel, sequencer.module.samples[channel.playingSample]);
        }
        sequencer.tickFramesDone += n;
        if (sequencer.tickFramesDone == sequencer.samplesPerTick) {
            const bool ended = sequencer.tick();
            sequencer.tickFramesDone = 0;
            if (ended) keep = false;
        }
        frame += n;
    }
    return keep;
}

std::int64_t keptFrames(Sequencer sequencer, std::int64_t maxFrames) {
    // Each tick lasts the samplesPerTick in force when it starts; the tick
    // call that reports the end comes after `played` frames, inside the block
    // that holds frame played - 1.
    std::int64_t played = sequencer.samplesPerTick - sequencer.tickFramesDone;
    while (!sequencer.tick()) {
        if (played > maxFrames + BlockFrames) return -1;
        played += sequencer.samplesPerTick;
    }
    const std::int64_t kept = (played - 1) / BlockFrames * BlockFrames;
    return kept <= maxFrames ? kept : -1;
}

MusicResult<SongBuffer> renderModule(std::span<const std::uint8_t> bytes, std::int32_t rate,
                                     std::int64_t maxSeconds) {
    if (rate < MinRenderRate || rate > MaxRenderRate) {
        return MusicError{"output rate " + std::to_string(rate) + " is outside " +
                          std::to_string(MinRenderRate) + ".." + std::to_string(MaxRenderRate)};
    }
    MusicResult<Module> module = loadModule(bytes);
    if (!module) return module.error();

    Sequencer sequencer = startSong(module.value(), rate);
    // Knowing the length first lets the buffer be allocated once, and refuses
    // a song that would take minutes to render and exhaust memory.
    const std::int64_t frames = keptFrames(sequencer, maxSeconds * rate);
    if (frames < 0) {
        // Appended piece by piece: " " + std::to_string(...) trips a false
        // -Wrestrict of GCC 12 at -O2.
        std::string text = "the song plays longer than " + std::to_string(maxSeconds / 60) + " minutes";
        if (maxSeconds % 60 != 0) {
            text += ' ';
            text += std::to_string(maxSeconds % 60);
            text += " seconds";
        }
        return MusicError{text};
    }
    SongBuffer song;
    song.reserve(static_cast<std::size_t>(frames));
    adviseHugePages(song);
    MixBlock block;
    std::array<std::int16_t, BlockFrames> mono;
    while (renderBlock(sequencer, block)) {
        // Downmix each kept block right away: only the mono song stays.
        downmixBlock(block, mono.data());
        song.insert(song.end(), mono.begin(), mono.end());
    }
    assert(static_cast<std::int64_t>(song.size()) == frames);
    return song;
}
