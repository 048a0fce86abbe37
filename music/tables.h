// Constant pitch and modulation tables of the sequencer. The factors are
// 4096-based (4096 = 1.0); tests recompute every entry from its formula.
#pragma once

#include <array>
#include <cstdint>

// Entry i = round(4096 * 2^(-(i - 8) / 96)): one sixteenth of a semitone per
// step, indexed by the finetune index (8 = no finetune, 0 = -8, 15 = +7).
inline constexpr std::array<std::uint16_t, 16> FinetuneFactors = {
    4340, 4308, 4277, 4247, 4216, 4186, 4156, 4126,
    4096, 4067, 4037, 4008, 3979, 3951, 3922, 3894};

// Entry i = round(4096 * 2^(-i / 12)): the period factor of i semitones up,
// indexed by the arpeggio offset.
inline constexpr std::array<std::uint16_t, 16> SemitoneFactors = {
    4096, 3866, 3649, 3444, 3251, 3069, 2896, 2734,
    2580, 2435, 2299, 2170, 2048, 1933, 1825, 1722};

// The positive half-wave of the vibrato and tremolo sine, 32 steps, peak 255.
// These are the trackers' historical values, close to but not exactly
// round(255 * sin(pi * i / 32)); the negative half is the same table negated.
inline constexpr std::array<std::uint8_t, 32> VibratoSine = {
    0,   24,  49,  74,  97,  120, 141, 161, 180, 197, 212, 224, 235, 244, 250, 253,
    255, 253, 250, 244, 235, 224, 212, 197, 180, 161, 141, 120, 97,  74,  49,  24};
