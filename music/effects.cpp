#include "music/effects.h"

#include <algorithm>

namespace {

using S = Sequencer;
using C = ChannelState;

std::uint8_t high(const C& c) { return static_cast<std::uint8_t>(c.param >> 4); }
std::uint8_t low(const C& c) { return static_cast<std::uint8_t>(c.param & 15); }

std::uint16_t periodDown(std::uint16_t period, int amount) {
    return static_cast<std::uint16_t>(std::max(period - amount, 0));
}
std::uint16_t periodUp(std::uint16_t period, int amount) {
    return static_cast<std::uint16_t>(std::min(period + amount, 65535));
}

// --- First tick of the row -------------------------------------------------

void setPortaSpeed(S&, C& c) {
    if (c.param != 0) c.portaSpeed = c.param;
}

void startVibrato(S& s, C& c) {
    if (c.param >= 16) c.vibratoSpeed = high(c);
    if (low(c) != 0) c.vibratoDepth = low(c);
    applyVibrato(c, s.randomState);
}

void holdVibrato(S& s, C& c) { applyVibrato(c, s.randomState); }

void startTremolo(S& s, C& c) {
    if (c.param >= 16) c.tremoloSpeed = high(c);
    if (low(c) != 0) c.tremoloDepth = low(c);
    applyTremolo(c, s.randomState);
}

// Panning is fixed (hard left/right/right/left) in a four-channel song, as on
// the Amiga; other channel counts take 8xx.
void setPanning(S& s, C& c) {
    if (s.module.channelCount != 4) c.panning = c.param < 128 ? c.param : 127;
}

// While a pattern loop runs, jumps and breaks are ignored so that the loop
// plays out.
void positionJump(S& s, C& c) {
    if (s.loopCount >= 0) return;
    s.pendingOrder = c.param;
    s.nextRow = 0;
}

void setVolume(S&, C& c) { c.volume = std::min<std::uint8_t>(c.param, 64); }

// The row is given in decimal digits: D3F is row 3 x 10 + 15 = 45. A row past
// the pattern's end starts the next position at row 0.
void patternBreak(S& s, C& c) {
    if (s.loopCount >= 0) return;
    if (s.pendingOrder < 0) s.pendingOrder = s.order + 1;
    const int target = 10 * high(c) + low(c);
    s.nextRow = target < RowsPerPattern ? target : 0;
}

void setSpeedOrTempo(S& s, C& c) {
    if (c.param == 0) return;
    if (c.param < 32) {
        s.speed = c.param;
        s.ticksLeft = c.param;
    } else {
        s.samplesPerTick = framesPerTick(s.rate, c.param);
    }
}

void finePortaUp(S&, C& c) { c.period = periodDown(c.period, c.param); }
void finePortaDown(S&, C& c) { c.period = periodUp(c.period, c.param); }

void setVibratoWave(S&, C& c) {
    if (c.param < 8) c.vibratoWave = c.param;
}
void setTremoloWave(S&, C& c) {
    if (c.param < 8) c.tremoloWave = c.param;
}

// E6x: E60 marks the loop start; E6x (x > 0) plays the rows from there x more
// times. One channel owns the running loop; a loop in another channel waits.
void patternLoop(S& s, C& c) {
    if (c.param == 0) c.loopStartRow = static_cast<std::uint8_t>(s.row);
    if (s.row <= c.loopStartRow || s.pendingOrder >= 0) return;
    std::int64_t left;
    if (s.loopCount < 0) {
        s.loopChannel = c.channelIndex;
        left = c.param;
    } else if (s.loopChannel != c.channelIndex) {
        return;
    } else {
        left = s.loopCount;
    }
    if (left != 0) {
        s.nextRow = c.loopStartRow;
    } else {
        c.loopStartRow = static_cast<std::uint8_t>(s.row + 1);
    }
    s.loopCount = left - 1;
}

void fineVolumeUp(S&, C& c) { c.volume = static_cast<std::uint8_t>(std::min(c.volume + c.param, 64)); }
void fineVolumeDown(S&, C& c) { c.volume = static_cast<std::uint8_t>(std::max(c.volume - c.param, 0)); }

void cutNow(S&, C& c) {
    if (c.param == 0) c.volume = 0;
}

void patternDelay(S& s, C& c) { s.ticksLeft = (std::int64_t{c.param} + 1) * s.speed; }

// --- Other ticks of the row ------------------------------------------------

void portaUp(S&, C& c) { c.period = periodDown(c.period, c.param); }
void portaDown(S&, C& c) { c.period = periodUp(c.period, c.param); }
void slideToNote(S&, C& c) { tonePortamento(c); }

void runVibrato(S& s, C& c) {
    c.vibratoPos = static_cast<std::uint8_t>(c.vibratoPos + c.vibratoSpeed);
    applyVibrato(c, s.randomState);
}

void slideToNoteAndVolume(S&, C& c) {
    tonePortamento(c);
    volumeSlide(c, c.param);
}

void runVibratoAndVolume(S& s, C& c) {
    runVibrato(s, c);
    volumeSlide(c, c.param);
}

void runTremolo(S& s, C& c) {
    c.tremoloPos = static_cast<std::uint8_t>(c.tremoloPos + c.tremoloSpeed);
    applyTremolo(c, s.randomState);
}

void slideVolume(S&, C& c) { volumeSlide(c, c.param); }

// Ticks 0, 1, 2 of each cycle play the base note, +x and +y semitones.
void arpeggio(S&, C& c) {
    if (c.rowTick == 1) {
        c.arpeggioStep = high(c);
    } else if (c.rowTick == 2) {
        c.arpeggioStep = low(c);
    } else {
        c.rowTick = 0;
        c.arpeggioStep = 0;
    }
}

// E9x restarts the sample from its beginning (not from the 9xx offset) every
// x ticks; E90 restarts it on every tick after the first.
void retrigger(S&, C& c) {
    if (c.rowTick < c.param) return;
    c.rowTick = 0;
    c.position = 0;
}

void cutLater(S&, C& c) {
    if (c.rowTick == c.param) c.volume = 0;
}

void delayedNote(S& s, C& c) {
    if (c.rowTick == c.param) triggerCell(c, s.module);
}

}  // namespace

const std::array<EffectAction, EffectCount> FirstTickActions = {
    /*  0 000 */ nullptr,
    /*  1 1xx */ nullptr,
    /*  2 2xx */ nullptr,
    /*  3 3xx */ setPortaSpeed,
    /*  4 4xy */ startVibrato,
    /*  5 5xy */ nullptr,
    /*  6 6xy */ holdVibrato,
    /*  7 7xy */ startTremolo,
    /*  8 8xx */ setPanning,
    /*  9 9xx */ nullptr,  // triggerCell took the offset
    /* 10 Axy */ nullptr,
    /* 11 Bxx */ positionJump,
    /* 12 Cxx */ setVolume,
    /* 13 Dxy */ patternBreak,
    /* 14 0xy */ nullptr,  // arpeggio: arpeggioStep is already 0
    /* 15 Fxx */ setSpeedOrTempo,
    /* 16 E0x */ nullptr,
    /* 17 E1x */ finePortaUp,
    /* 18 E2x */ finePortaDown,
    /* 19 E3x */ nullptr,
    /* 20 E4x */ setVibratoWave,
    /* 21 E5x */ nullptr,  // triggerCell took the finetune
    /* 22 E6x */ patternLoop,
    /* 23 E7x */ setTremoloWave,
    /* 24 E8x */ nullptr,
    /* 25 E9x */ nullptr,
    /* 26 EAx */ fineVolumeUp,
    /* 27 EBx */ fineVolumeDown,
    /* 28 ECx */ cutNow,
    /* 29 EDx */ nullptr,  // with x != 0 the row step skips the trigger
    /* 30 EEx */ patternDelay,
    /* 31 EFx */ nullptr,
};

const std::array<EffectAction, EffectCount> OtherTickActions = {
    /*  0 000 */ nullptr,
    /*  1 1xx */ portaUp,
    /*  2 2xx */ portaDown,
    /*  3 3xx */ slideToNote,
    /*  4 4xy */ runVibrato,
    /*  5 5xy */ slideToNoteAndVolume,
    /*  6 6xy */ runVibratoAndVolume,
    /*  7 7xy */ runTremolo,
    /*  8 8xx */ nullptr,
    /*  9 9xx */ nullptr,
    /* 10 Axy */ slideVolume,
    /* 11 Bxx */ nullptr,
    /* 12 Cxx */ nullptr,
    /* 13 Dxy */ nullptr,
    /* 14 0xy */ arpeggio,
    /* 15 Fxx */ nullptr,
    /* 16 E0x */ nullptr,
    /* 17 E1x */ nullptr,
    /* 18 E2x */ nullptr,
    /* 19 E3x */ nullptr,
    /* 20 E4x */ nullptr,
    /* 21 E5x */ nullptr,
    /* 22 E6x */ nullptr,
    /* 23 E7x */ nullptr,
    /* 24 E8x */ nullptr,
    /* 25 E9x */ retrigger,
    /* 26 EAx */ nullptr,
    /* 27 EBx */ nullptr,
    /* 28 ECx */ cutLater,
    /* 29 EDx */ delayedNote,
    /* 30 EEx */ nullptr,
    /* 31 EFx */ nullptr,
};
