// The 128-bit ChaCha kernel built for AVX; see chacha_lanes128.inc.
#include <immintrin.h>

#include <cstdint>

#include "text/chacha_paths.h"

namespace {
#define CHACHA_BYTE_SHUFFLE 1
#include "text/chacha_lanes128.inc"
}  // namespace

void chachaBatchAvx(const std::uint32_t* key, std::uint64_t counter, std::uint64_t stream, std::uint32_t* out) {
    batch128(key, counter, stream, out);
}
