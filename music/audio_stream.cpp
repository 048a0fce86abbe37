// PLACEHOLDER until the music engine lands: silence.
#include "music/audio_stream.h"

#include <cstring>
#include <utility>

void installSong(AudioStream& stream, SongBuffer song) {
    stream.song = std::move(song);
    stream.position = 0;
    stream.playing = true;
}

void audioCallback(void*, std::uint8_t* out, int length) noexcept {
    std::memset(out, 0, static_cast<std::size_t>(length));
}
