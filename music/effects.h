// The effect actions, one small function per effect and tick kind, in two
// flat tables indexed by the internal effect number.
#pragma once

#include <array>

#include "music/sequencer.h"

using EffectAction = void (*)(Sequencer& sequencer, ChannelState& channel);

// Run on a row's first tick, after triggerCell. nullptr = nothing to do.
extern const std::array<EffectAction, EffectCount> FirstTickActions;
// Run on the row's other ticks, after rowTick += 1. nullptr = nothing to do;
// effect 0 additionally skips the channel update.
extern const std::array<EffectAction, EffectCount> OtherTickActions;
