// A tracker module of the ProTracker kind ("M.K." and friends), parsed from a
// byte view into a `Module` that borrows the bytes: sample headers with their
// loop rules applied, and views of the order table and the pattern data.
//
// File layout (16-bit fields big-endian):
//   0     20 bytes  title (not read)
//   20    31 x 30   sample headers 1..31
//   950   1         song length (order entries played)
//   951   1         restart position (not read: the song wraps to order 0)
//   952   128       order table
//   1080  4         signature, gives the channel count
//   1084  patterns  64 rows x channelCount cells x 4 bytes each
//   then  samples   signed 8-bit PCM, one after the other in header order
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "music/music_result.h"

// Sample positions and steps are bytes scaled by 2^14.
inline constexpr int PositionFractionBits = 14;
inline constexpr std::uint64_t PositionOne = std::uint64_t{1} << PositionFractionBits;

inline constexpr std::size_t ModuleHeaderBytes = 1084;
inline constexpr std::size_t SongLengthOffset = 950;
inline constexpr std::size_t OrderTableOffset = 952;
inline constexpr std::size_t OrderTableEntries = 128;
inline constexpr std::size_t SignatureOffset = 1080;
inline constexpr std::size_t SampleHeaderOffset = 20;
inline constexpr std::size_t SampleHeaderBytes = 30;
inline constexpr int SampleCount = 31;  // headers in the file; table entry 0 is empty
inline constexpr int RowsPerPattern = 64;
inline constexpr int CellBytes = 4;
inline constexpr int MaxChannels = 16;

struct SampleHeader {
    // From the sample's first byte to the end of the module (not the sample
    // length); the loader guarantees that every played sample's playable part,
    // loopStart + loopLength, lies inside it.
    std::span<const std::uint8_t> data;
    std::uint64_t loopStart = 0;   // bytes x 2^14; the sample length when there is no loop
    std::uint64_t loopLength = 0;  // bytes x 2^14; 0 = no loop, else at least 4 bytes
    std::uint8_t volume = 0;       // 0..64
    std::uint8_t finetune = 0;     // finetune index 0..15, 8 = none
};

// One pattern cell as stored (the effect is the raw nibble; the sequencer maps
// it to its internal effect number).
struct PatternCell {
    std::uint16_t notePeriod = 0;  // 12 bits, 0 = no note
    std::uint8_t instrument = 0;   // 0..31, 0 = none
    std::uint8_t effect = 0;       // 0..15
    std::uint8_t param = 0;
};

struct Module {
    std::array<SampleHeader, SampleCount + 1> samples;  // indexed by instrument number
    std::span<const std::uint8_t> data;                 // the whole module
    std::span<const std::uint8_t> patternData;          // from offset 1084 to the end
    std::span<const std::uint8_t> orderTable;           // the 128 order entries
    std::int64_t patternCount = 0;                      // patterns stored
    std::int64_t channelCount = 0;                      // 1..16
    std::int64_t songLength = 0;                        // order entries played, 0..128
};

// The big-endian word at `index`. Requires index + 1 < bytes.size().
std::uint16_t readU16BE(std::span<const std::uint8_t> bytes, std::size_t index);

// Decodes the 4 bytes of one cell.
PatternCell decodeCell(const std::uint8_t* bytes);

// The channel count that a signature announces, or 0 for one we do not play.
// "M.K.", "M!K!", "FLT4" and "4CHN" are four channels; "1CHN".."9CHN" and
// "10CH".."16CH" the count they name.
int channelCountForSignature(std::span<const std::uint8_t, 4> signature);

// Parses `bytes`, which must outlive the Module. Refuses, with a message that
// names the problem, anything the sequencer or the mixer could not play
// within the bytes: a truncated header or pattern block, an unsupported
// signature, a song length beyond the order table, a played order entry that
// addresses a pattern not stored, sample data that starts past the end, and a
// played sample whose playable part reaches past the end.
MusicResult<Module> loadModule(std::span<const std::uint8_t> bytes);
