#include "music/mixer.h"

#include <algorithm>
#include <cassert>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

// Gains below this weight round to 0 after the >> 5: that side is silent.
constexpr std::int32_t AudibleWeight = 32;

// A channel alone on one side adds x * v (v up to 128) there, instead of the
// two-sided gain formula.
void mixOneSideScalar(std::int32_t* out, const std::int8_t* data, std::uint64_t pos, std::uint64_t step,
                      int count, std::int32_t volume) {
    for (int j = 0; j < count; ++j) {
        out[j] += std::int32_t{data[pos >> PositionFractionBits]} * volume;
        pos += step;
    }
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__)) && !defined(INVITE_MIXER_SCALAR)
#define INVITE_MIXER_AVX2 1

// The sample bytes of 16 frames from `pos` on, sign-extended to 16 bits, for
// a step of at most one byte per frame: all of them lie among the 16 bytes
// from pos >> 14, which the caller checked are inside the data. `low` and
// `high` hold k x step for lanes 0..7 and 8..15.
__attribute__((target("avx2"))) inline __m256i nearestSixteen(const std::int8_t* data, std::uint64_t pos,
                                                              __m256i low, __m256i high) {
    const __m256i fraction = _mm256_set1_epi32(static_cast<std::int32_t>(pos & (PositionOne - 1)));
    const __m256i indexLow = _mm256_srli_epi32(_mm256_add_epi32(fraction, low), PositionFractionBits);
    const __m256i indexHigh = _mm256_srli_epi32(_mm256_add_epi32(fraction, high), PositionFractionBits);
    const __m256i index16 = _mm256_permute4x64_epi64(_mm256_packus_epi32(indexLow, indexHigh), 0xD8);
    const __m128i index8 = _mm_packus_epi16(_mm256_castsi256_si128(index16), _mm256_extracti128_si256(index16, 1));
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + (pos >> PositionFractionBits)));
    return _mm256_cvtepi8_epi16(_mm_shuffle_epi8(bytes, index8));
}

constexpr int Lanes = 16;

// Adds 16 products x * v (each within -16384..16384, so 16 bits hold them)
// to out[0..15], widened to the side's 32-bit sums.
__attribute__((target("avx2"))) inline void addSixteen(std::int32_t* out, __m256i products) {
    auto* low = reinterpret_cast<__m256i*>(out);
    auto* high = reinterpret_cast<__m256i*>(out + 8);
    const __m256i lowSums = _mm256_cvtepi16_epi32(_mm256_castsi256_si128(products));
    const __m256i highSums = _mm256_cvtepi16_epi32(_mm256_extracti128_si256(products, 1));
    _mm256_storeu_si256(low, _mm256_add_epi32(_mm256_loadu_si256(low), lowSums));
    _mm256_storeu_si256(high, _mm256_add_epi32(_mm256_loadu_si256(high), highSums));
}

// Lane offsets k x step for lanes 0..7 and 8..15; with step at most 2^26 they
// fit in 32 bits together with the 14-bit fraction.
struct LaneOffsets {
    __m256i low;
    __m256i high;
};

__attribute__((target("avx2"))) inline LaneOffsets laneOffsets(std::uint64_t step) {
    const auto step32 = static_cast<std::int32_t>(step);
    const __m256i low = _mm256_mullo_epi32(_mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7), _mm256_set1_epi32(step32));
    return {low, _mm256_add_epi32(low, _mm256_set1_epi32(8 * step32))};
}

// Steps up to one byte per frame: the 16 frames of a vector read from 16
// consecutive bytes, so one load and a byte shuffle do. The load runs only
// while 16 bytes are left from the first index. The last frames of the run
// take one more vector whose lanes past `count` add 0, when those lanes still
// lie inside the side's array (`room` frames from `out`).
__attribute__((target("avx2"))) int mixOneSideShuffle(std::int32_t* out, int room, const std::int8_t* data,
                                                      std::size_t dataSize, std::uint64_t pos,
                                                      std::uint64_t step, int count, std::int32_t volume) {
    const LaneOffsets offsets = laneOffsets(step);
    const __m256i gain = _mm256_set1_epi16(static_cast<std::int16_t>(volume));
    int j = 0;
    for (; j + Lanes <= count; j += Lanes) {
        if ((pos >> PositionFractionBits) + Lanes > dataSize) return j;
        const __m256i x = nearestSixteen(data, pos, offsets.low, offsets.high);
        addSixteen(out + j, _mm256_mullo_epi16(x, gain));
        pos += Lanes * step;
    }
    const int left = count - j;
    if (left > 0 && j + Lanes <= room && (pos >> PositionFractionBits) + Lanes <= dataSize) {
        const __m256i x = nearestSixteen(data, pos, offsets.low, offsets.high);
        const __m256i lane = _mm256_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
        const __m256i inside = _mm256_cmpgt_epi16(_mm256_set1_epi16(static_cast<std::int16_t>(left)), lane);
        addSixteen(out + j, _mm256_and_si256(_mm256_mullo_epi16(x, gain), inside));
        j = count;
    }
    return j;
}

// Larger steps: two gathers of 8 frames. A gather reads 4 bytes at each
// index, so it runs only while the highest index is at least 4 bytes before
// the end of the data.
__attribute__((target("avx2"))) int mixOneSideGather(std::int32_t* out, const std::int8_t* data,
                                                     std::size_t dataSize, std::uint64_t pos, std::uint64_t step,
                                                     int count, std::int32_t volume) {
    const LaneOffsets offsets = laneOffsets(step);
    const __m256i gain = _mm256_set1_epi16(static_cast<std::int16_t>(volume));
    const std::uint64_t span = (Lanes - 1) * step;
    int j = 0;
    for (; j + Lanes <= count; j += Lanes) {
        if (((pos + span) >> PositionFractionBits) + 4 > dataSize) break;
        const auto* base = reinterpret_cast<const int*>(data + (pos >> PositionFractionBits));
        const __m256i fraction = _mm256_set1_epi32(static_cast<std::int32_t>(pos & (PositionOne - 1)));
        const __m256i indexLow = _mm256_srli_epi32(_mm256_add_epi32(fraction, offsets.low), PositionFractionBits);
        const __m256i indexHigh = _mm256_srli_epi32(_mm256_add_epi32(fraction, offsets.high), PositionFractionBits);
        // The sample byte is the low byte of each gathered word; sign-extend it.
        const __m256i xLow = _mm256_srai_epi32(_mm256_slli_epi32(_mm256_i32gather_epi32(base, indexLow, 1), 24), 24);
        const __m256i xHigh = _mm256_srai_epi32(_mm256_slli_epi32(_mm256_i32gather_epi32(base, indexHigh, 1), 24), 24);
        // Pack to 16 bits (no saturation happens: -128..127) and restore the lane order.
        const __m256i x = _mm256_permute4x64_epi64(_mm256_packs_epi32(xLow, xHigh), 0xD8);
        addSixteen(out + j, _mm256_mullo_epi16(x, gain));
        pos += Lanes * step;
    }
    return j;
}

// The same as mixOneSideScalar, 16 frames at a time with AVX2; returns the
// number of frames done, the scalar loop does the rest.
int mixOneSideAvx2(std::int32_t* out, int room, const std::int8_t* data, std::size_t dataSize, std::uint64_t pos,
                   std::uint64_t step, int count, std::int32_t volume) {
    if (step <= PositionOne) return mixOneSideShuffle(out, room, data, dataSize, pos, step, count, volume);
    if (step <= (std::uint64_t{1} << 26)) return mixOneSideGather(out, data, dataSize, pos, step, count, volume);
    return 0;
}

// Eight of a side's sums from `side` on, clamped to -32768..32767.
__attribute__((target("avx2"))) inline __m256i clampedEight(const std::int32_t* side) {
    const __m256i sum = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(side));
    return _mm256_max_epi32(_mm256_min_epi32(sum, _mm256_set1_epi32(32767)), _mm256_set1_epi32(-32768));
}

__attribute__((target("avx2"))) void downmixAvx2(const MixBlock& block, std::int16_t* out) {
    for (int f = 0; f < BlockFrames; f += 16) {
        __m256i sums[2];
        for (int half = 0; half < 2; ++half) {
            const int at = f + 8 * half;
            const __m256i sum = _mm256_add_epi32(clampedEight(&block.left[at]), clampedEight(&block.right[at]));
            // Division by 2 truncating toward zero: add 1 to negative sums first.
            sums[half] = _mm256_srai_epi32(_mm256_add_epi32(sum, _mm256_srli_epi32(sum, 31)), 1);
        }
        // The halves lie in -32768..32767, so the saturating pack is exact.
        const __m256i mono = _mm256_permute4x64_epi64(_mm256_packs_epi32(sums[0], sums[1]), 0xD8);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + f), mono);
    }
}

bool cpuHasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

// `room`: frames from `out` to the end of its array (at least `count`).
void mixOneSide(std::int32_t* out, int room, const std::int8_t* data, std::size_t dataSize, std::uint64_t pos,
                std::uint64_t step, int count, std::int32_t volume) {
#ifdef INVITE_MIXER_AVX2
    if (cpuHasAvx2()) {
        const int done = mixOneSideAvx2(out, room, data, dataSize, pos, step, count, volume);
        out += done;
        pos += static_cast<std::uint64_t>(done) * step;
        count -= done;
    }
#else
    (void)room;
    (void)dataSize;
#endif
    mixOneSideScalar(out, data, pos, step, count, volume);
}

void mixBothSides(std::int32_t* left, std::int32_t* right, const std::int8_t* data, std::uint64_t pos,
                  std::uint64_t step, int count, std::int32_t leftGain, std::int32_t rightGain) {
    for (int j = 0; j < count; ++j) {
        const std::int32_t x = data[pos >> PositionFractionBits];
        left[j] += (x * leftGain) >> 2;
        right[j] += (x * rightGain) >> 2;
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
            mixOneSide(&block.left[frame], BlockFrames - frame, data, sample.data.size(), pos, step, n, volume);
        } else {
            mixOneSide(&block.right[frame], BlockFrames - frame, data, sample.data.size(), pos, step, n, volume);
        }
        pos += frames * step;
        frame += n;
    }
    channel.position = pos;
}

void downmixBlock(const MixBlock& block, std::int16_t* out) {
#ifdef INVITE_MIXER_AVX2
    if (cpuHasAvx2()) {
        downmixAvx2(block, out);
        return;
    }
#endif
    for (int f = 0; f < BlockFrames; ++f) out[f] = downmixFrame(block.left[f], block.right[f]);
}
