// PLACEHOLDER until the music engine lands: no module, no song.
#include "music/song.h"

std::span<const std::uint8_t> builtinModuleBytes() { return {}; }
SongBuffer renderSong(std::int32_t) { return {}; }
