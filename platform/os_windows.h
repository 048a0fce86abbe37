// Windows-only pieces of os_windows.cpp that the tests reach into. Nothing
// but os_windows.cpp and its tests includes this file.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdint>
#include <span>

// The random sources fillEntropy asks, in this order: bcrypt.dll's
// BCryptGenRandom, then advapi32.dll's SystemFunction036 (RtlGenRandom).
using GenRandomFunction = LONG(WINAPI*)(void* algorithm, PUCHAR buffer, ULONG length, ULONG flags);
using RtlGenRandomFunction = BOOLEAN(WINAPI*)(PVOID buffer, ULONG length);
struct EntropySources {
    GenRandomFunction genRandom;
    RtlGenRandomFunction rtlGenRandom;
};

// BCRYPT_USE_SYSTEM_PREFERRED_RNG: no algorithm handle, the system's generator.
inline constexpr ULONG UseSystemPreferredRng = 0x00000002;
// Both sources take a 32-bit length.
inline constexpr std::uint64_t LargestEntropyStretch = 0xFFFFFFFF;
// NTSTATUS values from here up are errors; below are success, information
// and warnings.
inline constexpr std::uint32_t FirstErrorStatus = 0xC0000000;

// The system's two sources, loaded from System32 on first use. A source
// that cannot be loaded is replaced by one that always fails (for
// BCryptGenRandom with STATUS_DLL_NOT_FOUND).
const EntropySources& systemEntropySources();

// fillEntropy with the sources given. For every stretch of at most
// `largestStretch` bytes: BCryptGenRandom with no algorithm and the
// system-preferred flag; a status below 0xC0000000 means done. Otherwise
// SystemFunction036 for the same stretch; non-zero means done. If both fail
// the result is the BCryptGenRandom status with its top bit cleared.
// Returns 0 when the whole buffer is filled.
int fillEntropyFrom(std::span<std::uint8_t> buffer, const EntropySources& sources,
                    std::uint64_t largestStretch = LargestEntropyStretch);
