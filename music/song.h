// The built-in song, rendered whole at start-up.
#pragma once

#include <cstdint>
#include <span>

#include "music/song_buffer.h"

// The bytes of the built-in "M.K." module, embedded at build time.
std::span<const std::uint8_t> builtinModuleBytes();

// Renders the built-in module into a SongBuffer at `rate` frames per second.
// Requires rate >= 8000 (the caller checked the device's obtained rate).
SongBuffer renderSong(std::int32_t rate);
