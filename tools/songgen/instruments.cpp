#include "tools/songgen/instruments.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <numbers>

namespace {

// The player reads a sample at PlayerClock × 428 / period bytes per second,
// with the period scaled by the finetune: +7 gives round(p × 2^(-7/96)).
constexpr double PlayerClock = 8287.0;  // bytes per second at period 428
// The bass drum is played at C-2, period 428, finetuned 407, so its sweep is
// designed at this rate.
constexpr double BassDrumRate = PlayerClock * 428.0 / 407.0;  // about 8715 bytes per second
// The hi-hat is played at G-3, period 143, finetuned 136.
constexpr double HiHatRate = PlayerClock * 428.0 / 136.0;  // about 26080 bytes per second

constexpr int PulseLength = 46;
constexpr int PulseHigh = 12;  // 26 % duty, near the 2A03's 25 % setting
// Zero mean over the cycle: 12 × 119 = 34 × 42 = 1428.
constexpr int PulseHighValue = 119;
constexpr int PulseLowValue = -42;
static_assert(PulseHigh * PulseHighValue + (PulseLength - PulseHigh) * PulseLowValue == 0);

constexpr int WaveLength = 92;  // one cycle of the triangle and of the square
constexpr int SquareValue = 80;
constexpr int BassDrumLength = 1148;
constexpr int HiHatLength = 594;

// No synthesized value lies within 0.001 of a rounding boundary, so the last-bit
// differences between maths libraries cannot change a byte.
std::int8_t toByte(double x) {
    return static_cast<std::int8_t>(std::clamp(std::lround(x), -127L, 127L));
}

// Removes the mean of a one-shot without moving its ends: the correction is
// shaped by a sine arch that is 0 at both ends.
void removeMean(std::vector<double>& wave) {
    double sum = 0;
    double archSum = 0;
    const double n = static_cast<double>(wave.size());
    for (std::size_t i = 0; i < wave.size(); ++i) {
        sum += wave[i];
        archSum += std::sin(std::numbers::pi * static_cast<double>(i) / (n - 1));
    }
    for (std::size_t i = 0; i < wave.size(); ++i)
        wave[i] -= sum / archSum * std::sin(std::numbers::pi * static_cast<double>(i) / (n - 1));
}

// Fades the last `count` values to 0 along a half cosine.
void fadeOut(std::vector<double>& wave, std::size_t count) {
    const std::size_t start = wave.size() - count;
    for (std::size_t i = start; i < wave.size(); ++i) {
        const double t = static_cast<double>(i - start + 1) / static_cast<double>(count);
        wave[i] *= 0.5 + 0.5 * std::cos(std::numbers::pi * t);
    }
}

std::vector<std::int8_t> quantize(const std::vector<double>& wave) {
    std::vector<std::int8_t> bytes;
    bytes.reserve(wave.size());
    for (const double x : wave) bytes.push_back(toByte(x));
    return bytes;
}

Instrument empty(std::int8_t finetune) {
    Instrument instrument;
    instrument.finetune = finetune;
    return instrument;
}

}  // namespace

// The cycle begins with its long low part: a note restarts the sample at byte
// 0, and three times out of four the old note was low as well, so the restart
// rarely jumps.
std::vector<std::int8_t> pulseCycle() {
    std::vector<std::int8_t> cycle(PulseLength, PulseLowValue);
    std::fill(cycle.end() - PulseHigh, cycle.end(), static_cast<std::int8_t>(PulseHighValue));
    return cycle;
}

// The 2A03 triangle is a 4-bit staircase. Sampled at the byte centres and
// starting at its zero crossing, the second half is the first half negated, so
// the cycle has no DC.
std::vector<std::int8_t> triangleCycle() {
    std::vector<std::int8_t> cycle;
    for (int i = 0; i < WaveLength; ++i) {
        const double t = (i + 0.5) / WaveLength;
        const double shape = t < 0.25 ? 4 * t : t < 0.75 ? 2 - 4 * t : 4 * t - 4;  // -1..1
        // Eight steps each side of zero, chosen by magnitude so that +s and -s
        // always land on opposite steps.
        const int step = std::min(static_cast<int>(std::floor(std::abs(shape) * 8)), 7);
        const int value = (2 * step + 1) * 8;  // 8, 24, .. 120
        cycle.push_back(static_cast<std::int8_t>(shape < 0 ? -value : value));
    }
    return cycle;
}

// Each half begins with one zero byte, so that a restarted note starts from 0
// rather than from a full step.
std::vector<std::int8_t> squareCycle() {
    std::vector<std::int8_t> cycle(WaveLength, -SquareValue);
    std::fill_n(cycle.begin(), WaveLength / 2, static_cast<std::int8_t>(SquareValue));
    cycle[0] = 0;
    cycle[WaveLength / 2] = 0;
    return cycle;
}

// A sine whose pitch falls from about 180 Hz to 48 Hz within the first 60 ms,
// with a fast exponential decay; it starts at phase 0 and fades to 0.
std::vector<std::int8_t> bassDrum() {
    std::vector<double> wave(BassDrumLength);
    double phase = 0;
    for (int i = 0; i < BassDrumLength; ++i) {
        const double t = i / BassDrumRate;
        const double frequency = 48 + 132 * std::exp(-t / 0.022);
        const double envelope = std::exp(-t / 0.075);
        wave[static_cast<std::size_t>(i)] = 127 * envelope * std::sin(phase);
        phase += 2 * std::numbers::pi * frequency / BassDrumRate;
    }
    fadeOut(wave, 200);
    removeMean(wave);
    return quantize(wave);
}

// White noise from the 2A03's 15-bit shift register (feedback from bits 0 and
// 1) under a fast decay, with a few bytes of fade-in so it starts at 0.
std::vector<std::int8_t> closedHiHat() {
    std::vector<double> wave(HiHatLength);
    std::uint16_t shiftRegister = 1;
    for (int i = 0; i < HiHatLength; ++i) {
        const int feedback = (shiftRegister ^ (shiftRegister >> 1)) & 1;
        shiftRegister = static_cast<std::uint16_t>((shiftRegister >> 1) | (feedback << 14));
        const double t = i / HiHatRate;
        const double attack = std::min(1.0, i / 4.0);
        wave[static_cast<std::size_t>(i)] =
            ((shiftRegister & 1) ? 100.0 : -100.0) * attack * std::exp(-t / 0.006);
    }
    fadeOut(wave, 120);
    removeMean(wave);
    return quantize(wave);
}

std::array<Instrument, InstrumentCount> makeInstruments() {
    std::array<Instrument, InstrumentCount> instruments;
    for (auto& instrument : instruments) instrument = empty(0);

    auto& lead = instruments[0];
    lead.name = "2a03";
    lead.data = pulseCycle();
    lead.loopLength = PulseLength;
    lead.finetune = 3;

    // The two bytes after the loop are never played; they continue the cycle.
    auto& bass = instruments[1];
    bass.name = "2a03 triangle";
    bass.data = triangleCycle();
    bass.data.push_back(bass.data[0]);
    bass.data.push_back(bass.data[1]);
    bass.loopLength = WaveLength;
    bass.volume = 50;
    bass.finetune = 4;

    auto& harmony = instruments[2];
    harmony.name = "2a03 50";
    harmony.data = squareCycle();
    harmony.loopLength = WaveLength;
    harmony.volume = 40;
    harmony.finetune = 3;

    auto& kick = instruments[3];
    kick.name = "BTAA0D0";
    kick.data = bassDrum();
    kick.finetune = 7;

    instruments[4] = empty(7);

    auto& hat = instruments[5];
    hat.name = "HHCD0";
    hat.data = closedHiHat();
    hat.finetune = 7;

    for ([[maybe_unused]] const auto& instrument : instruments) {
        assert(instrument.data.size() % 2 == 0);
        assert(instrument.loopStart + instrument.loopLength <=
                   std::max<std::size_t>(instrument.data.size(), 2));
    }
    return instruments;
}
