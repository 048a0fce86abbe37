// The song's score: a plain-text tracker sheet, one line per row, parsed into
// the order table and the pattern cells of a four-channel module.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr int RowsPerPattern = 64;
inline constexpr int ChannelCount = 4;
inline constexpr int OrderTableSize = 128;

// One cell as a tracker shows it: note period, instrument, effect and parameter.
struct Cell {
    std::uint16_t period = 0;     // Amiga period, 0 = no note
    std::uint8_t instrument = 0;  // 1..31, 0 = none
    std::uint8_t effect = 0;      // 0x0..0xF
    std::uint8_t param = 0;
};

using PatternRows = std::array<std::array<Cell, ChannelCount>, RowsPerPattern>;

struct Score {
    std::string title;
    std::uint8_t restart = 0;           // stored in the module, ignored by our player
    std::vector<std::uint8_t> order;    // the played positions, at most 128
    std::vector<PatternRows> patterns;  // stored patterns 0, 1, 2, ... in the file's order
};

struct ScoreResult {
    Score score;
    std::string error;  // empty on success, else "line N: what is wrong"
};

// Classic ProTracker period of a note name such as "C-2" or "F#3" (octaves 1..3,
// finetune 0); 0 for anything else.
std::uint16_t periodOfNote(std::string_view name);

// Parses the whole text of a score file.
ScoreResult parseScore(std::string_view text);
