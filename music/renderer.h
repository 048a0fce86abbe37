// The song pre-render: runs a module through the Sequencer and the mixer in
// blocks of 2048 frames and downmixes each kept block into the SongBuffer.
// The sequencer ticks exactly at tick boundaries inside a block, so a tempo
// change takes effect at the exact frame. Rendering stops at the first block
// in which the sequencer reports the end of the song; that block is dropped.
#pragma once

#include <cstdint>
#include <span>

#include "music/mixer.h"
#include "music/music_result.h"
#include "music/sequencer.h"
#include "music/song_buffer.h"

inline constexpr std::int32_t MinRenderRate = 8000;
inline constexpr std::int32_t MaxRenderRate = 384000;
inline constexpr std::int64_t MaxSongSeconds = 30 * 60;

// A sequencer ready for the first frame: row 0 of position 0 applied (with its
// tempo), its end report ignored.
Sequencer startSong(const Module& module, std::int64_t rate);

// Mixes the next block: every channel, channel 0 first, ticking the sequencer
// at each tick boundary. Returns false when a tick inside the block reported
// the end of the song (the block is still complete).
bool renderBlock(Sequencer& sequencer, MixBlock& block);

// The number of frames that the render keeps (whole blocks before the one in
// which the end is reported), or -1 if that exceeds maxFrames. Runs only the
// sequencer, which never reads the mixer's positions.
std::int64_t keptFrames(Sequencer sequencer, std::int64_t maxFrames);

// Renders `bytes` at `rate` frames per second into mono 16-bit samples.
// Refuses a module the loader refuses, a rate outside 8000..384000, and a song
// that would play longer than maxSeconds.
MusicResult<SongBuffer> renderModule(std::span<const std::uint8_t> bytes, std::int32_t rate,
                                     std::int64_t maxSeconds = MaxSongSeconds);
