// The song's 31 instruments: names, loop points, volumes, finetunes and the
// synthesized sample bytes (signed 8-bit).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

inline constexpr int InstrumentCount = 31;

struct Instrument {
    std::string name;               // at most 22 characters
    std::vector<std::int8_t> data;  // an even number of bytes
    std::uint32_t loopStart = 0;    // bytes, even
    std::uint32_t loopLength = 2;   // bytes, even; 2 = one-shot (no loop)
    std::uint8_t volume = 64;       // 0..64
    std::int8_t finetune = 0;       // -8..+7, eighths of a semitone
};

// Instrument k + 1 at index k. Deterministic: the same bytes on every run.
std::array<Instrument, InstrumentCount> makeInstruments();

// The waveforms, exposed for the tests of their shape.
std::vector<std::int8_t> pulseCycle();     // 46 bytes, 34 low then 12 high
std::vector<std::int8_t> triangleCycle();  // 92 bytes, 16 steps up and down
std::vector<std::int8_t> squareCycle();    // 92 bytes, 46 high then 46 low
std::vector<std::int8_t> bassDrum();       // 1148 bytes
std::vector<std::int8_t> closedHiHat();    // 594 bytes
