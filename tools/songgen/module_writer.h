// Assembles the bytes of a four-channel "M.K." module from a score and the
// instruments.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "tools/songgen/instruments.h"
#include "tools/songgen/score.h"

// Byte layout of the module: title, 31 sample headers, song length, restart,
// order table, signature, patterns, then the sample bytes in header order.
inline constexpr std::size_t TitleSize = 20;
inline constexpr std::size_t SampleNameSize = 22;
inline constexpr std::size_t SampleHeaderSize = 30;
inline constexpr std::size_t SongLengthOffset = TitleSize + InstrumentCount * SampleHeaderSize;  // 950
inline constexpr std::size_t OrderTableOffset = SongLengthOffset + 2;                           // 952
inline constexpr std::size_t SignatureOffset = OrderTableOffset + OrderTableSize;               // 1080
inline constexpr std::size_t PatternDataOffset = SignatureOffset + 4;                           // 1084
inline constexpr std::size_t CellSize = 4;
inline constexpr std::size_t PatternSize = RowsPerPattern * ChannelCount * CellSize;  // 1024

// The module bytes. Requires a valid score (parseScore succeeded) whose order
// table names every stored pattern up to the highest one.
std::vector<std::uint8_t> writeModule(const Score& score,
                                      const std::array<Instrument, InstrumentCount>& instruments);
