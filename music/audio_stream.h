// The record shared between the main thread and SDL's audio thread, and the
// audio callback that plays the pre-rendered song from it.
//
// Threads: the main thread fills the record while the device is paused, never
// touches it while the device runs, and frees it only after the device is
// closed. The callback alone reads and writes `position` and `playing`.
#pragma once

#include <cstdint>
#include <optional>

#include "music/song_buffer.h"

struct AudioStream {
    std::optional<SongBuffer> song;  // absent until the song has been rendered
    std::uint64_t position = 0;      // index in `song` of the next sample to play
    bool playing = false;
};

// Hands a rendered song to the stream: position 0, playing. Main thread, while
// the device is paused.
void installSong(AudioStream& stream, SongBuffer song);

// The SDL audio callback: `userdata` is the AudioStream, `out` receives
// length / 4 mono 32-bit floats. Never allocates, locks or throws.
void audioCallback(void* userdata, std::uint8_t* out, int length) noexcept;
