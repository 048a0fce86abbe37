// The sequencer: walks a Module one tick at a time. On a row's first tick it
// reads one cell per channel and applies instrument, note and effect; on the
// other ticks it runs the effects. After every tick each channel holds the
// voice state the mixer reads: playingSample, position, step, mixVolume and
// panning. All arithmetic is integer; the renderer calls `tick` once every
// `samplesPerTick` output frames.
#pragma once

#include <array>
#include <cstdint>

#include "music/module.h"

struct ChannelState {
    std::uint64_t sampleOffset = 0;  // bytes; where the next note starts (9xx), cleared by an instrument
    std::uint64_t position = 0;      // bytes x 2^14 in the playing sample
    std::uint64_t step = 0;          // bytes x 2^14 per output frame
    std::uint16_t notePeriod = 0;    // the current cell's note, 0 = none
    std::uint8_t instrument = 0;     // the current cell's instrument, 0 = none
    std::uint8_t effect = 0;         // internal effect number 0..31
    std::uint8_t param = 0;          // for Exy only the low nibble
    std::uint16_t period = 0;        // what slides act on
    std::uint16_t targetPeriod = 0;  // the finetuned note; tone portamento's goal
    std::uint8_t volume = 0;         // 0..64
    std::uint8_t panning = 0;        // 0 = left .. 127 = right
    std::uint8_t finetune = 0;       // index 0..15
    std::uint8_t mixVolume = 0;      // 0..128 with up to four channels, else 0..64
    std::uint8_t channelIndex = 0;
    std::uint8_t playingSample = 0;  // 0 = the empty sample
    std::uint8_t lastInstrument = 0;
    std::uint8_t portaSpeed = 0;
    std::uint8_t loopStartRow = 0;
    std::uint8_t rowTick = 0;  // ticks since the row began; arpeggio and E9x reset it
    std::uint8_t vibratoWave = 0, vibratoPos = 0, vibratoSpeed = 0, vibratoDepth = 0;
    std::uint8_t tremoloWave = 0, tremoloPos = 0, tremoloSpeed = 0, tremoloDepth = 0;
    std::int8_t tremoloDelta = 0;  // volume offset
    std::int8_t vibratoDelta = 0;  // period offset
    std::uint8_t arpeggioStep = 0;  // semitones, 0..15
};

// Internal effect numbers: the cell's nibble for 0x0..0xF (0 with a nonzero
// parameter becomes Arpeggio), 16 + x for Exy.
enum EffectNumber : std::uint8_t {
    EffectNone = 0,
    EffectPortaUp = 1,
    EffectPortaDown = 2,
    EffectTonePorta = 3,
    EffectVibrato = 4,
    EffectTonePortaVolumeSlide = 5,
    EffectVibratoVolumeSlide = 6,
    EffectTremolo = 7,
    EffectPanning = 8,
    EffectSampleOffset = 9,
    EffectVolumeSlide = 10,
    EffectPositionJump = 11,
    EffectSetVolume = 12,
    EffectPatternBreak = 13,
    EffectArpeggio = 14,
    EffectSpeed = 15,
    EffectExtended = 16,  // E0x .. EFx are 16 .. 31
    EffectFinePortaUp = 17,
    EffectFinePortaDown = 18,
    EffectVibratoWave = 20,
    EffectFinetune = 21,
    EffectPatternLoop = 22,
    EffectTremoloWave = 23,
    EffectRetrigger = 25,
    EffectFineVolumeUp = 26,
    EffectFineVolumeDown = 27,
    EffectNoteCut = 28,
    EffectNoteDelay = 29,
    EffectPatternDelay = 30,
};
inline constexpr int EffectCount = 32;

// (effect, param) of a cell's effect nibble and parameter byte.
struct InternalEffect {
    std::uint8_t effect;
    std::uint8_t param;
};
InternalEffect internalEffect(std::uint8_t nibble, std::uint8_t param);

inline constexpr std::int64_t RandomSeed = 0xABCDEF;  // 11259375

struct Sequencer {
    // A sequencer at the song's start. Requires 1..16 channels and rate > 0.
    Sequencer(Module module, std::int64_t rate);

    // Advances one tick. True when this tick moved the song to an order
    // position that is not after the current one (wrapped or jumped back):
    // the end of the song. The very first call reports it too (position 0).
    bool tick();

    Module module;
    std::int64_t rate;
    std::array<ChannelState, MaxChannels> channels{};
    std::int64_t volumeScale;     // 64 with up to four channels, else 32
    std::int64_t clock;           // Hz at which period 428 plays
    std::int64_t samplesPerTick;  // output frames per tick
    std::int64_t tickFramesDone = 0;
    std::int64_t order = 0;
    std::int64_t pendingOrder = 0;  // -1 = none
    std::int64_t row = 0;
    std::int64_t nextRow = 0;  // -1 = end of the pattern
    std::int64_t ticksLeft = 1;
    std::int64_t speed = 6;
    std::int64_t loopCount = -1;    // pattern-loop repetitions left, -1 = no loop
    std::int64_t loopChannel = -1;  // owner of the active pattern loop
    std::int64_t randomState = RandomSeed;

private:
    void startRow(std::int64_t rowIndex);
};

// Output frames per tick at `tempo` (BPM 32..255): 2.5 x rate / tempo.
std::int64_t framesPerTick(std::int64_t rate, std::int64_t tempo);

void triggerCell(ChannelState& channel, const Module& module);
void updateChannel(ChannelState& channel, std::int64_t rate, std::int64_t volumeScale,
                   std::int64_t clock);
void tonePortamento(ChannelState& channel);
void volumeSlide(ChannelState& channel, std::uint8_t param);
void applyVibrato(ChannelState& channel, std::int64_t& randomState);
void applyTremolo(ChannelState& channel, std::int64_t& randomState);
// The vibrato/tremolo waveform at `pos` (64 positions per cycle): sine, ramp,
// square or random by wave AND 3. The random one advances `randomState`.
int waveformValue(std::uint8_t pos, std::uint8_t wave, std::int64_t& randomState);
