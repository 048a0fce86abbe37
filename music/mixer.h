// The integer mixer: nearest-sample resampling of one channel's voice into a
// block of stereo frames, with 16-bit wrapping additions (no saturation).
// It reads only the voice fields of a ChannelState (playingSample's header,
// position, step, mixVolume, panning) and writes back position.
#pragma once

#include <array>
#include <cstdint>

#include "music/module.h"
#include "music/sequencer.h"

inline constexpr int BlockFrames = 2048;

// One block of stereo frames; the two sides are kept apart (planar).
struct MixBlock {
    std::array<std::int16_t, BlockFrames> left{};
    std::array<std::int16_t, BlockFrames> right{};

    void clear() {
        left.fill(0);
        right.fill(0);
    }
};

// Mixes frames first .. first + count - 1 of `channel`, which plays `sample`
// (the header of its playingSample), into `block`, and advances its position.
// Requires first + count <= BlockFrames and, for the sample, that its data
// holds (loopStart + loopLength) >> 14 bytes, as the loader guarantees.
void mixChannel(MixBlock& block, int first, int count, ChannelState& channel, const SampleHeader& sample);

// The mono value of one stereo frame: (left + right) / 2, truncated toward 0.
inline std::int16_t downmixFrame(std::int16_t left, std::int16_t right) {
    return static_cast<std::int16_t>((std::int32_t{left} + std::int32_t{right}) / 2);
}
