// The integer mixer: nearest-sample resampling of one channel's voice into a
// block of stereo frames. Each side sums its channels in 32 bits (16 channels
// of at most 128 x 128 cannot overflow that) and is clamped to -32768..32767
// once, at the downmix: a loud chord clips instead of wrapping around, and
// wherever the true sum fits it is exactly what 16-bit additions would give.
// It reads only the voice fields of a ChannelState (playingSample's header,
// position, step, mixVolume, panning) and writes back position.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "music/module.h"
#include "music/sequencer.h"

inline constexpr int BlockFrames = 2048;

// One block of stereo frames; the two sides are kept apart (planar) and hold
// the unclamped sums.
struct MixBlock {
    std::array<std::int32_t, BlockFrames> left{};
    std::array<std::int32_t, BlockFrames> right{};

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

// The mono values of a whole block, as downmixFrame gives them, into out[0..2047].
void downmixBlock(const MixBlock& block, std::int16_t* out);

// A side's sum clamped to the 16-bit range.
inline std::int32_t clampSide(std::int32_t sum) { return std::clamp<std::int32_t>(sum, -32768, 32767); }

// The mono value of one stereo frame: the clamped sides' (left + right) / 2,
// truncated toward 0.
inline std::int16_t downmixFrame(std::int32_t left, std::int32_t right) {
    return static_cast<std::int16_t>((clampSide(left) + clampSide(right)) / 2);
}
