// The ChaCha block function with 12 rounds, a 64-bit block counter and a
// 64-bit stream number (Bernstein's original layout, not RFC 8439's): the
// state is "expand 32-byte k", the eight key words, the counter (low, high)
// and the stream (low, high). Output is made four blocks at a time.
//
// On x86-64 the four blocks are computed side by side with the widest vector
// instructions the processor has; the choice is made once from its feature
// flags. Every path gives the same words.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

inline constexpr std::size_t ChaChaKeyWords = 8;
inline constexpr std::size_t ChaChaBlockWords = 16;
inline constexpr std::size_t ChaChaBatchBlocks = 4;
inline constexpr std::size_t ChaChaBatchWords = ChaChaBlockWords * ChaChaBatchBlocks;  // 64

enum class ChaChaPath : std::uint8_t {
    Portable,  // plain C++, one block at a time; every machine
    Sse2,      // four blocks in 128-bit lanes, rotations by shifts
    Ssse3,     // as Sse2, rotations by 16 and 8 as byte shuffles
    Sse41,     // the SSSE3 code built for SSE4.1
    Avx,       // the SSSE3 code in three-operand VEX form
    Avx2,      // two blocks per 256-bit register
};
inline constexpr ChaChaPath AllChaChaPaths[] = {ChaChaPath::Portable, ChaChaPath::Sse2,
                                               ChaChaPath::Ssse3,    ChaChaPath::Sse41,
                                               ChaChaPath::Avx,      ChaChaPath::Avx2};

std::string_view chachaPathName(ChaChaPath path);
// Whether this build has the path and this processor can run it.
bool chachaPathSupported(ChaChaPath path);
// The widest supported path; the processor's flags are read on the first call.
ChaChaPath bestChaChaPath();

struct ChaChaInput {
    std::uint32_t key[ChaChaKeyWords];  // little-endian words of the 32-byte key
    std::uint64_t blockCounter;         // the first of the four blocks
    std::uint64_t streamId;
};

// Blocks blockCounter .. blockCounter + 3 (the counter wraps modulo 2^64),
// their 16 words each, block after block, into `out`.
void chachaBatch(ChaChaPath path, const ChaChaInput& input, std::span<std::uint32_t, ChaChaBatchWords> out);
// The same with the best path.
void chachaBatch(const ChaChaInput& input, std::span<std::uint32_t, ChaChaBatchWords> out);
