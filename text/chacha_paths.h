// The vector kernels behind chachaBatch, one per instruction set. Each lives
// in its own file built for its instruction set, so these declarations use
// plain types only: no template code compiled for a wider instruction set may
// leak into the rest of the program.
#pragma once

#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#define INVITE_CHACHA_X86 1
void chachaBatchSse2(const std::uint32_t* key, std::uint64_t counter, std::uint64_t stream, std::uint32_t* out);
void chachaBatchSsse3(const std::uint32_t* key, std::uint64_t counter, std::uint64_t stream, std::uint32_t* out);
void chachaBatchSse41(const std::uint32_t* key, std::uint64_t counter, std::uint64_t stream, std::uint32_t* out);
void chachaBatchAvx(const std::uint32_t* key, std::uint64_t counter, std::uint64_t stream, std::uint32_t* out);
void chachaBatchAvx2(const std::uint32_t* key, std::uint64_t counter, std::uint64_t stream, std::uint32_t* out);
#endif
