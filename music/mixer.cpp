#include "music/mixer.h"

#include <algorithm>
#include <cassert>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

// Gains below this weight round to 0 after the >> 5: that side is silent.
constexpr std::int32_t AudibleWeight = 32;

inline std::int16_t wrappingAdd(std::int16_t sum, std::int32_t value) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(sum) + static_cast<std::uint16_t>(value));
}

// A channel alone on one side adds x * v (v up to 128) there, instead of the
// two-sided gain formula.
void mixOneSideScalar(std::int16_t* out, const std::int8_t* data, std::uint64_t pos, std::uint64_t step,
                      int count, std::int32_t volume) {
    for (int j = 0; j < count; ++j) {
        out[j] = wrappingAdd(out[j], std::int32_t{data[pos >> PositionFractionBits]} * volume);
        pos += step;
    }
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define INVITE_MIXER_AVX2 1

// The same as mixOneSideScalar, 16 frames at a time with AVX2 gathers. A
// gather reads 4 bytes at each index, so it runs only while the highest index
// of the 16 frames is at least 4 bytes before the end of the data; the
// scalar loop does the rest. Returns the number of frames done.
__attribute__((target("avx2"))) int mixOneSideAvx2(std::int16_t* out, const std::int8_t* data,
                                                   std::size_t dataSize, std::uint64_t pos,
                                                   std::uint64_t step, int count, std::int32_t volume) {
    constexpr int Lanes = 16;
    // Lane offsets k x step fit in 32 bits together with the fraction.
    if (step > (std::uint64_t{1} << 26)) return 0;
    const auto step32 = static_cast<std::int32_t>(step);
    const __m256i low = _mm256_mullo_epi32(_mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7), _mm256_set1_epi32(step32));
    const __m256i high = _mm256_add_epi32(low, _mm256_set1_epi32(8 * step32));
    const __m256i gain = _mm256_set1_epi16(static_cast<std::int16_t>(volume));
    const std::uint64_t span = (Lanes - 1) * step;
    int j = 0;
    for (; j + Lanes <= count; j += Lanes) {
        if (((pos + span) >> PositionFractionBits) + 4 > dataSize) break;
        const auto* base = reinterpret_cast<const int*>(data + (pos >> PositionFractionBits));
        const __m256i fraction = _mm256_set1_epi32(static_cast<std::int32_t>(pos & (PositionOne - 1)));
        const __m256i indexLow = _mm256_srli_epi32(_mm256_add_epi32(fraction, low), PositionFractionBits);
        const __m256i indexHigh = _mm256_srli_epi32(_mm256_add_epi32(fraction, high), PositionFractionBits);
        // The sample byte is the low byte of each gathered word; sign-extend it.
        const __m256i xLow = _mm256_srai_epi32(_mm256_slli_epi32(_mm256_i32gather_epi32(base, indexLow, 1), 24), 24);
        const __m256i xHigh = _mm256_srai_epi32(_mm256_slli_epi32(_mm256_i32gather_epi32(base, indexHigh, 1), 24), 24);
        // Pack to 16 bits (no saturation happens: -128..127) and restore the lane order.
        const __m256i x = _mm256_permute4x64_epi64(_mm256_packs_epi32(xLow, xHigh), 0xD8);
        auto* target = reinterpret_cast<__m256i*>(out + j);
        _mm256_storeu_si256(target, _mm256_add_epi16(_mm256_loadu_si256(target), _mm256_mullo_epi16(x, gain)));
        pos += Lanes * step;
    }
    return j;
}

bool cpuHasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

void mixOneSide(std::int16_t* out, const std::int8_t* data, std::size_t dataSize, std::uint64_t pos,
                std::uint64_t step, int count, std::int32_t volume) {
#ifdef INVITE_MIXER_AVX2
    if (cpuHasAvx2()) {
        const int done = mixOneSideAvx2(out, data, dataSize, pos, step, count, volume);
        out += done;
        pos += static_cast<std::uint64_t>(done) * step;
        count -= done;
    }
#else
    (void)dataSize;
#endif
    mixOneSideScalar(out, data, pos, step, count, volume);
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
            mixOneSide(&block.left[frame], data, sample.data.size(), pos, step, n, volume);
        } else {
            mixOneSide(&block.right[frame], data, sample.data.size(), pos, step, n, volume);
        }
        pos += frames * step;
        frame += n;
    }
    channel.position = pos;
}
