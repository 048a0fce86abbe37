#include "text/chacha.h"

#include <cassert>

#include "text/chacha_paths.h"

namespace {

constexpr std::uint32_t Sigma[4] = {0x61707865, 0x3320646e, 0x79622d32, 0x6b206574};  // "expand 32-byte k"
constexpr int DoubleRounds = 6;  // 12 rounds

constexpr std::uint32_t rotateLeft(std::uint32_t v, int bits) { return (v << bits) | (v >> (32 - bits)); }

constexpr void quarterRound(std::uint32_t* x, int a, int b, int c, int d) {
    x[a] += x[b];
    x[d] = rotateLeft(x[d] ^ x[a], 16);
    x[c] += x[d];
    x[b] = rotateLeft(x[b] ^ x[c], 12);
    x[a] += x[b];
    x[d] = rotateLeft(x[d] ^ x[a], 8);
    x[c] += x[d];
    x[b] = rotateLeft(x[b] ^ x[c], 7);
}

void portableBlock(const std::uint32_t* key, std::uint64_t counter, std::uint64_t stream, std::uint32_t* out) {
    std::uint32_t input[16];
    for (int i = 0; i < 4; ++i) input[i] = Sigma[i];
    for (int i = 0; i < 8; ++i) input[4 + i] = key[i];
    input[12] = static_cast<std::uint32_t>(counter);
    input[13] = static_cast<std::uint32_t>(counter >> 32);
    input[14] = static_cast<std::uint32_t>(stream);
    input[15] = static_cast<std::uint32_t>(stream >> 32);
    std::uint32_t x[16];
    for (int i = 0; i < 16; ++i) x[i] = input[i];
    for (int round = 0; round < DoubleRounds; ++round) {
        quarterRound(x, 0, 4, 8, 12);  // columns
        quarterRound(x, 1, 5, 9, 13);
        quarterRound(x, 2, 6, 10, 14);
        quarterRound(x, 3, 7, 11, 15);
        quarterRound(x, 0, 5, 10, 15);  // diagonals
        quarterRound(x, 1, 6, 11, 12);
        quarterRound(x, 2, 7, 8, 13);
        quarterRound(x, 3, 4, 9, 14);
    }
    for (int i = 0; i < 16; ++i) out[i] = x[i] + input[i];
}

void portableBatch(const std::uint32_t* key, std::uint64_t counter, std::uint64_t stream, std::uint32_t* out) {
    for (std::uint64_t block = 0; block < ChaChaBatchBlocks; ++block) {
        portableBlock(key, counter + block, stream, out + ChaChaBlockWords * block);
    }
}

using BatchFunction = void (*)(const std::uint32_t*, std::uint64_t, std::uint64_t, std::uint32_t*);

BatchFunction batchFunction(ChaChaPath path) {
    switch (path) {
        case ChaChaPath::Portable: return portableBatch;
#ifdef INVITE_CHACHA_X86
        case ChaChaPath::Sse2: return chachaBatchSse2;
        case ChaChaPath::Ssse3: return chachaBatchSsse3;
        case ChaChaPath::Sse41: return chachaBatchSse41;
        case ChaChaPath::Avx: return chachaBatchAvx;
        case ChaChaPath::Avx2: return chachaBatchAvx2;
#else
        default: return nullptr;
#endif
    }
    return nullptr;
}

struct CpuPaths {
    bool supported[std::size(AllChaChaPaths)] = {};
    ChaChaPath best = ChaChaPath::Portable;
};

// The processor's flags, read once.
const CpuPaths& cpuPaths() {
    static const CpuPaths paths = [] {
        CpuPaths p;
        p.supported[static_cast<int>(ChaChaPath::Portable)] = true;
#ifdef INVITE_CHACHA_X86
        __builtin_cpu_init();
        p.supported[static_cast<int>(ChaChaPath::Sse2)] = __builtin_cpu_supports("sse2");
        p.supported[static_cast<int>(ChaChaPath::Ssse3)] = __builtin_cpu_supports("ssse3");
        p.supported[static_cast<int>(ChaChaPath::Sse41)] = __builtin_cpu_supports("sse4.1");
        p.supported[static_cast<int>(ChaChaPath::Avx)] = __builtin_cpu_supports("avx");
        p.supported[static_cast<int>(ChaChaPath::Avx2)] = __builtin_cpu_supports("avx2");
#endif
        for (ChaChaPath path : AllChaChaPaths) {
            if (p.supported[static_cast<int>(path)]) p.best = path;  // listed narrowest first
        }
        return p;
    }();
    return paths;
}

}  // namespace

std::string_view chachaPathName(ChaChaPath path) {
    switch (path) {
        case ChaChaPath::Portable: return "portable";
        case ChaChaPath::Sse2: return "sse2";
        case ChaChaPath::Ssse3: return "ssse3";
        case ChaChaPath::Sse41: return "sse4.1";
        case ChaChaPath::Avx: return "avx";
        case ChaChaPath::Avx2: return "avx2";
    }
    return "?";
}

bool chachaPathSupported(ChaChaPath path) {
    return batchFunction(path) != nullptr && cpuPaths().supported[static_cast<int>(path)];
}

ChaChaPath bestChaChaPath() { return cpuPaths().best; }

void chachaBatch(ChaChaPath path, const ChaChaInput& input, std::span<std::uint32_t, ChaChaBatchWords> out) {
    assert(chachaPathSupported(path));
    batchFunction(path)(input.key, input.blockCounter, input.streamId, out.data());
}

void chachaBatch(const ChaChaInput& input, std::span<std::uint32_t, ChaChaBatchWords> out) {
    static const BatchFunction best = batchFunction(bestChaChaPath());
    best(input.key, input.blockCounter, input.streamId, out.data());
}
