#include "music/sequencer.h"

#include <algorithm>
#include <cassert>

#include "music/effects.h"
#include "music/tables.h"

namespace {

// Period 428 is the tracker's C-3; `clock` is the rate in Hz at which it plays.
constexpr std::int64_t ReferencePeriod = 428;
constexpr std::int64_t InitialTempo = 125;
constexpr std::int64_t InitialSpeed = 6;
// A period slid below this plays at LowestPeriodFallback, four octaves below
// period 428, instead of dividing by a tiny or negative number.
constexpr std::int64_t LowestPeriod = 14;
constexpr std::int64_t LowestPeriodFallback = ReferencePeriod * 16;  // 6848
constexpr std::int64_t RandomModulus = std::int64_t{1} << 29;

}  // namespace

InternalEffect internalEffect(std::uint8_t nibble, std::uint8_t param) {
    InternalEffect result{nibble, param};
    if (nibble == 0xE) {
        result.effect = static_cast<std::uint8_t>(EffectExtended + (param >> 4));
        result.param = static_cast<std::uint8_t>(param & 15);
    }
    if (result.effect == EffectNone && result.param != 0) result.effect = EffectArpeggio;
    return result;
}

std::int64_t framesPerTick(std::int64_t rate, std::int64_t tempo) {
    // A tick lasts 2.5 / tempo seconds (the Amiga's CIA timer at 125 BPM
    // gives 50 ticks per second).
    return ((rate >> 1) + 2 * rate) / tempo;
}

Sequencer::Sequencer(Module song, std::int64_t outputRate)
    : module(std::move(song)),
      rate(outputRate),
      volumeScale(module.channelCount < 5 ? 64 : 32),
      clock(module.channelCount < 5 ? 8287 : 8363),
      samplesPerTick(framesPerTick(outputRate, InitialTempo)),
      speed(InitialSpeed) {
    assert(module.channelCount >= 1 && module.channelCount <= MaxChannels);
    assert(rate > 0);
    for (std::size_t i = 0; i < channels.size(); ++i) {
        channels[i].channelIndex = static_cast<std::uint8_t>(i);
        // Left, right, right, left, as the Amiga's four voices.
        const std::size_t side = i & 3;
        channels[i].panning = (side == 1 || side == 2) ? 127 : 0;
    }
}

bool Sequencer::tick() {
    const auto count = static_cast<std::size_t>(module.channelCount);
    ticksLeft -= 1;
    if (ticksLeft > 0) {
        for (std::size_t c = 0; c < count; ++c) {
            ChannelState& channel = channels[c];
            channel.rowTick = static_cast<std::uint8_t>(channel.rowTick + 1);
            if (channel.effect == EffectNone) continue;
            if (const EffectAction action = OtherTickActions[channel.effect]) action(*this, channel);
            updateChannel(channel, rate, volumeScale, clock);
        }
        return false;
    }

    ticksLeft = speed;
    std::int64_t target;
    std::int64_t nextRowIndex;
    if (nextRow < 0) {
        target = order + 1;
        pendingOrder = target;
        nextRowIndex = 0;
    } else {
        target = pendingOrder;
        nextRowIndex = nextRow;
    }
    bool ended = false;
    if (target >= 0) {
        if (target >= module.songLength) {
            target = 0;
            nextRowIndex = 0;
        }
        ended = target <= order;
        order = target;
        for (ChannelState& channel : channels) channel.loopStartRow = 0;
        pendingOrder = -1;
    }
    startRow(nextRowIndex);
    return ended;
}

void Sequencer::startRow(std::int64_t rowIndex) {
    row = rowIndex;
    nextRow = rowIndex + 1 < RowsPerPattern ? rowIndex + 1 : -1;
    // The order entry is used as stored; the loader checked that every played
    // entry names a stored pattern.
    const std::size_t pattern = module.orderTable[static_cast<std::size_t>(order)];
    assert(static_cast<std::int64_t>(pattern) < module.patternCount);
    const auto count = static_cast<std::size_t>(module.channelCount);
    const std::uint8_t* cells =
        &module.patternData[(pattern * RowsPerPattern + static_cast<std::size_t>(row)) * count * CellBytes];
    for (std::size_t c = 0; c < count; ++c) {
        ChannelState& channel = channels[c];
        const PatternCell cell = decodeCell(cells + c * CellBytes);
        const InternalEffect effect = internalEffect(cell.effect, cell.param);
        channel.notePeriod = cell.notePeriod;
        channel.instrument = cell.instrument;
        channel.effect = effect.effect;
        channel.param = effect.param;
        channel.tremoloDelta = 0;
        channel.vibratoDelta = 0;
        channel.rowTick = 0;
        channel.arpeggioStep = 0;
        // EDx with x > 0 delays the whole cell to tick x.
        const bool delayed = channel.effect == EffectNoteDelay && channel.param != 0;
        if (!delayed) {
            triggerCell(channel, module);
            if (const EffectAction action = FirstTickActions[channel.effect]) action(*this, channel);
        }
        updateChannel(channel, rate, volumeScale, clock);
    }
}

void triggerCell(ChannelState& channel, const Module& module) {
    if (channel.instrument >= 1 && channel.instrument <= SampleCount) {
        const SampleHeader& sample = module.samples[channel.instrument];
        channel.lastInstrument = channel.instrument;
        channel.sampleOffset = 0;
        channel.finetune = sample.finetune;
        channel.volume = sample.volume;
        // A looping instrument without a note takes over the playing voice at
        // its current position, as the Amiga's DMA picks up the new loop.
        if (sample.loopLength != 0 && channel.playingSample != 0) {
            channel.playingSample = channel.instrument;
        }
    }
    if (channel.effect == EffectSampleOffset) channel.sampleOffset = std::uint64_t{channel.param} * 256;
    if (channel.effect == EffectFinetune) channel.finetune = static_cast<std::uint8_t>(channel.param ^ 8);
    if (channel.notePeriod == 0) return;

    const std::uint32_t product = std::uint32_t{channel.notePeriod} * FinetuneFactors[channel.finetune & 15];
    channel.targetPeriod = static_cast<std::uint16_t>((product >> 12) + ((product >> 11) & 1));
    // Tone portamento slides to the new note instead of restarting it.
    if (channel.effect == EffectTonePorta || channel.effect == EffectTonePortaVolumeSlide) return;

    channel.playingSample = channel.lastInstrument;
    channel.period = channel.targetPeriod;
    channel.position = channel.sampleOffset * PositionOne;
    // Waveforms 4..7 are the "no retrigger" variants: they keep their phase.
    if (channel.vibratoWave <= 3) channel.vibratoPos = 0;
    if (channel.tremoloWave <= 3) channel.tremoloPos = 0;
}

void updateChannel(ChannelState& channel, std::int64_t rate, std::int64_t volumeScale,
                   std::int64_t clock) {
    const std::int64_t scaled =
        (std::int64_t{channel.period} + channel.vibratoDelta) * SemitoneFactors[channel.arpeggioStep & 15];
    std::int64_t period = (scaled + 2048) >> 12;  // rounded to nearest, halves up
    if (period < LowestPeriod) period = LowestPeriodFallback;
    const std::int64_t frequency = clock * ReferencePeriod / period;
    channel.step = static_cast<std::uint64_t>(frequency * std::int64_t{PositionOne} / rate);
    const std::int64_t volume = std::clamp<std::int64_t>(std::int64_t{channel.volume} + channel.tremoloDelta, 0, 64);
    channel.mixVolume = static_cast<std::uint8_t>((volumeScale * volume) >> 5);
}

void tonePortamento(ChannelState& channel) {
    if (channel.period < channel.targetPeriod) {
        channel.period = static_cast<std::uint16_t>(
            std::min<int>(channel.period + channel.portaSpeed, channel.targetPeriod));
    } else if (channel.period > channel.targetPeriod) {
        channel.period = static_cast<std::uint16_t>(
            std::max<int>(channel.period - channel.portaSpeed, channel.targetPeriod));
    }
}

void volumeSlide(ChannelState& channel, std::uint8_t param) {
    // Both nibbles count at once: A42 raises the volume by 2 per tick.
    const int volume = channel.volume + (param >> 4) - (param & 15);
    channel.volume = static_cast<std::uint8_t>(std::clamp(volume, 0, 64));
}

int waveformValue(std::uint8_t pos, std::uint8_t wave, std::int64_t& randomState) {
    switch (wave & 3) {
        case 0: {
            const int value = VibratoSine[pos & 31];
            return (pos & 32) ? -value : value;
        }
        case 1: {
            const int q = pos & 63;
            return q < 32 ? -1 - 8 * q : 511 - 8 * q;
        }
        case 2:
            return (pos & 32) == 0 ? 255 : -257;
        default: {
            const int value = static_cast<int>(randomState >> 20) - 255;
            randomState = (randomState * 65 + 17) % RandomModulus;
            return value;
        }
    }
}

void applyVibrato(ChannelState& channel, std::int64_t& randomState) {
    const int value = waveformValue(channel.vibratoPos, channel.vibratoWave, randomState);
    channel.vibratoDelta = static_cast<std::int8_t>((value * channel.vibratoDepth) >> 7);  // floor(/128)
}

void applyTremolo(ChannelState& channel, std::int64_t& randomState) {
    const int value = waveformValue(channel.tremoloPos, channel.tremoloWave, randomState);
    channel.tremoloDelta = static_cast<std::int8_t>((value * channel.tremoloDepth) >> 6);  // floor(/64)
}
