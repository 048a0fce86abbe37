// The ChaCha kernel built for AVX2: each 256-bit register holds one row of
// four state words for two blocks (block 2k in the low half, 2k + 1 in the
// high half), so the four blocks take two sets of four registers, and the
// diagonal rounds turn the rows with in-lane word shuffles.
#include <immintrin.h>

#include <cstdint>

#include "text/chacha_paths.h"

namespace {

inline __m256i rotateLeft(__m256i v, int bits) {
    return _mm256_or_si256(_mm256_slli_epi32(v, bits), _mm256_srli_epi32(v, 32 - bits));
}
inline __m256i rotateLeft16(__m256i v) {
    const __m256i swapHalves = _mm256_set_epi8(13, 12, 15, 14, 9, 8, 11, 10, 5, 4, 7, 6, 1, 0, 3, 2,
                                               13, 12, 15, 14, 9, 8, 11, 10, 5, 4, 7, 6, 1, 0, 3, 2);
    return _mm256_shuffle_epi8(v, swapHalves);
}
inline __m256i rotateLeft8(__m256i v) {
    const __m256i turnBytes = _mm256_set_epi8(14, 13, 12, 15, 10, 9, 8, 11, 6, 5, 4, 7, 2, 1, 0, 3,
                                              14, 13, 12, 15, 10, 9, 8, 11, 6, 5, 4, 7, 2, 1, 0, 3);
    return _mm256_shuffle_epi8(v, turnBytes);
}

struct Rows {
    __m256i a, b, c, d;
};

inline void quarterRound(Rows& r) {
    r.a = _mm256_add_epi32(r.a, r.b);
    r.d = rotateLeft16(_mm256_xor_si256(r.d, r.a));
    r.c = _mm256_add_epi32(r.c, r.d);
    r.b = rotateLeft(_mm256_xor_si256(r.b, r.c), 12);
    r.a = _mm256_add_epi32(r.a, r.b);
    r.d = rotateLeft8(_mm256_xor_si256(r.d, r.a));
    r.c = _mm256_add_epi32(r.c, r.d);
    r.b = rotateLeft(_mm256_xor_si256(r.b, r.c), 7);
}

// Turns the rows so that the diagonals line up as columns, and back.
inline void diagonalise(Rows& r) {
    r.b = _mm256_shuffle_epi32(r.b, 0x39);  // words 1 2 3 0
    r.c = _mm256_shuffle_epi32(r.c, 0x4E);  // words 2 3 0 1
    r.d = _mm256_shuffle_epi32(r.d, 0x93);  // words 3 0 1 2
}
inline void undiagonalise(Rows& r) {
    r.b = _mm256_shuffle_epi32(r.b, 0x93);
    r.c = _mm256_shuffle_epi32(r.c, 0x4E);
    r.d = _mm256_shuffle_epi32(r.d, 0x39);
}

inline int lowWord(std::uint64_t v) { return static_cast<int>(static_cast<std::uint32_t>(v)); }
inline int highWord(std::uint64_t v) { return static_cast<int>(static_cast<std::uint32_t>(v >> 32)); }

inline __m256i counterRow(std::uint64_t first, std::uint64_t stream) {
    const std::uint64_t second = first + 1;
    return _mm256_set_epi32(highWord(stream), lowWord(stream), highWord(second), lowWord(second),
                            highWord(stream), lowWord(stream), highWord(first), lowWord(first));
}

inline void store(std::uint32_t* out, const Rows& r) {
    // Low halves: the even block; high halves: the odd block.
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_permute2x128_si256(r.a, r.b, 0x20));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 8), _mm256_permute2x128_si256(r.c, r.d, 0x20));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 16), _mm256_permute2x128_si256(r.a, r.b, 0x31));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 24), _mm256_permute2x128_si256(r.c, r.d, 0x31));
}

}  // namespace

void chachaBatchAvx2(const std::uint32_t* key, std::uint64_t counter, std::uint64_t stream, std::uint32_t* out) {
    const __m256i constants = _mm256_set_epi32(0x6b206574, 0x79622d32, 0x3320646e, 0x61707865,
                                               0x6b206574, 0x79622d32, 0x3320646e, 0x61707865);
    const __m128i key0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(key));
    const __m128i key1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(key + 4));
    const __m256i keyRow0 = _mm256_broadcastsi128_si256(key0);
    const __m256i keyRow1 = _mm256_broadcastsi128_si256(key1);

    const Rows in01{constants, keyRow0, keyRow1, counterRow(counter, stream)};
    const Rows in23{constants, keyRow0, keyRow1, counterRow(counter + 2, stream)};
    Rows x01 = in01;
    Rows x23 = in23;
    for (int doubleRound = 0; doubleRound < 6; ++doubleRound) {
        quarterRound(x01);
        quarterRound(x23);
        diagonalise(x01);
        diagonalise(x23);
        quarterRound(x01);
        quarterRound(x23);
        undiagonalise(x01);
        undiagonalise(x23);
    }
    const auto addInput = [](Rows& x, const Rows& in) {
        x.a = _mm256_add_epi32(x.a, in.a);
        x.b = _mm256_add_epi32(x.b, in.b);
        x.c = _mm256_add_epi32(x.c, in.c);
        x.d = _mm256_add_epi32(x.d, in.d);
    };
    addInput(x01, in01);
    addInput(x23, in23);
    store(out, x01);
    store(out + 32, x23);
}
