// The audio device the demo asks for, and the check of what SDL obtained.
#pragma once

#include "platform/platform.h"

// 48000 Hz, 32-bit float little-endian (AUDIO_F32LSB), mono, 8192 frames per
// callback buffer (about 171 ms). Opened with no allowed changes: SDL converts
// to whatever the hardware takes, and the callback always sees this format.
AudioSpec demoAudioRequest();
#if defined(__EMSCRIPTEN__)
// A browser's audio context runs at a rate of its own (often 44100 or 48000
// Hz), and the device takes it: the song is rendered at that rate instead of
// being resampled to it. Nothing else may change.
inline constexpr int DemoAudioAllowedChanges = 0x01;  // SDL_AUDIO_ALLOW_FREQUENCY_CHANGE
#else
inline constexpr int DemoAudioAllowedChanges = 0;
#endif

// The slowest rate the song can be rendered at.
inline constexpr int MinimumSongRate = 8000;

// True for SDL's ten sample formats: unsigned and signed 8-bit, unsigned and
// signed 16-bit in either byte order, signed 32-bit and 32-bit float in
// either byte order.
bool isSdlSampleFormat(std::uint16_t format);

// An obtained device the song cannot be played on (an unknown sample format,
// or a rate below MinimumSongRate) is an error.
Status checkObtainedAudio(const AudioSpec& obtained);
