#include "music/mixer.h"

#include <algorithm>
#include <cassert>

namespace {

// Gains below this weight round to 0 after the >> 5: that side is silent.
constexpr std::int32_t AudibleWeight = 32;

inline std::int16_t wrappingAdd(std::int16_t sum, std::int32_t value) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(sum) + static_cast<std::uint16_t>(value));
}

// A channel alone on one side adds x * v (v up to 128) there, instead of the
// two-sided gain formula.
void mixOneSide(std::int16_t* out, const std::int8_t* data, std::uint64_t pos, std::uint64_t step,
                int count, std::int32_t volume) {
    for (int j = 0; j < count; ++j) {
        out[j] = wrappingAdd(out[j], std::int32_t{data[pos >> PositionFractionBits]} * volume);
        pos += step;
    }
}

void mixBothSides(std::int16_t* left, std::int16_t* right, const std::int8_t* data, std::uint64_t pos,
                  std::uint64_t step, int count, std::int32_t leftGain, std::int32_t rightGain) {
    for (int j = 0; j < count; ++j) {
        const std::int32_t x = data[pos >> PositionFractionBits];
        left[j] = wrappingAdd(left[j], (x * leftGain) >> 2);
        right[j] = wrappingAdd(right[j], (x * rightGain) >> 2);
        pos += step;
    }
}

}  // namespace

void mixChannel(MixBlock& block, int first, int count, ChannelState& channel, const SampleHeader& sample) {
    assert(first >= 0 && count >= 0 && first + count <= BlockFrames);
    const std::uint64_t end = sample.loopStart + sample.loopLength;
    assert((end >> PositionFractionBits) <= sample.data.size());
    const std::int32_t volume = channel.mixVolume;
    const std::int32_t leftWeight = volume * (127 - channel.panning);
    const std::int32_t rightWeight = volume * channel.panning;
    const bool leftAudible = leftWeight >= AudibleWeight;
    const bool rightAudible = rightWeight >= AudibleWeight;
    const std::uint64_t step = channel.step;
    const auto* data = reinterpret_cast<const std::int8_t*>(sample.data.data());

    std::uint64_t pos = channel.position;
    int frame = first;
    const int stop = first + count;
    while (frame < stop) {
        if (pos >= end) {
            // Loops are at least 4 bytes; anything shorter means no loop, and
            // a one-shot sample rests at its end until triggered again.
            if (sample.loopLength < PositionOne + 1) {
                pos = end;
                break;
            }
            // Fold back into the loop; a silent channel may have run far past it.
            pos -= sample.loopLength * ((pos - end) / sample.loopLength + 1);
        }
        const auto remaining = static_cast<std::uint64_t>(stop - frame);
        if (!leftAudible && !rightAudible) {
            // Nothing to write, but the voice runs on as if it had played; the
            // next block folds or stops it.
            pos += remaining * step;
            break;
        }
        // Frames until the position reaches the end (all of them if it never does).
        std::uint64_t frames = remaining;
        if (step != 0) frames = std::min(remaining, (end - pos + step - 1) / step);
        const int n = static_cast<int>(frames);
        if (leftAudible && rightAudible) {
            mixBothSides(&block.left[frame], &block.right[frame], data, pos, step, n,
                         leftWeight >> 5, rightWeight >> 5);
        } else if (leftAudible) {
            mixOneSide(&block.left[frame], data, pos, step, n, volume);
        } else {
            mixOneSide(&block.right[frame], data, pos, step, n, volume);
        }
        pos += frames * step;
        frame += n;
    }
    channel.position = pos;
}
