#include "music/audio_stream.h"

#include <algorithm>
#include <utility>

void installSong(AudioStream& stream, SongBuffer song) {
    stream.song = std::move(song);
    stream.position = 0;
    stream.playing = true;
}

void audioCallback(void* userdata, std::uint8_t* out, int length) noexcept {
    auto* stream = static_cast<AudioStream*>(userdata);
    const std::uint64_t count = length > 0 ? static_cast<std::uint64_t>(length) / 4 : 0;
    float* floats = reinterpret_cast<float*>(out);
    // An empty song plays nothing: the n - 1 rule below needs n >= 1.
    if (stream == nullptr || !stream->song || !stream->playing || stream->song->empty()) {
        std::fill_n(floats, count, 0.0f);
        return;
    }
    const SongBuffer& song = *stream->song;
    const std::uint64_t n = song.size();
    const std::uint64_t position = stream->position;
    // The last sample of the song is never played: playing stops at n - 2.
    const std::uint64_t end = std::min<std::uint64_t>(n - 1, position + count);
    const std::uint64_t played = end > position ? end - position : 0;
    for (std::uint64_t k = 0; k < played; ++k) {
        floats[k] = static_cast<float>(song[position + k] / 32767.0);
    }
    std::fill(floats + played, floats + count, 0.0f);
    if (position + count >= n - 1) {
        stream->position = 0;
        stream->playing = false;
    } else {
        stream->position = end;
    }
}
