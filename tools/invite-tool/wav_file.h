// RIFF/WAVE files of 16-bit mono PCM: the audio track handed to ffmpeg and
// the song.wav next to a folder of frames.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/platform.h"

// The whole file in memory: a 44-byte header, then the samples little-endian.
std::vector<std::uint8_t> wavBytes(std::span<const std::int16_t> samples, std::int32_t rate);

Status writeWav(const std::string& path, std::span<const std::int16_t> samples, std::int32_t rate);

// The song laid under a capture of `frames` frames at `fps`: as many samples
// as the video lasts, the song from its first sample (demo time 0), then
// silence once it has played out, as the demo's audio falls silent.
std::vector<std::int16_t> soundtrackFor(std::span<const std::int16_t> song, std::int32_t rate,
                                        std::int64_t frames, std::int32_t fps);
