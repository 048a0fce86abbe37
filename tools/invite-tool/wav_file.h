// RIFF/WAVE files of 16-bit mono PCM: the song written by render and song,
// the audio track handed to ffmpeg and the song.wav next to a folder of frames.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tools/invite-tool/output_file.h"

inline constexpr std::size_t WavHeaderBytes = 44;

// The 44-byte header of a file of `sampleCount` samples at `rate`.
std::array<std::uint8_t, WavHeaderBytes> wavHeader(std::size_t sampleCount, std::int32_t rate);

// The whole file in memory: the header, then the samples little-endian.
std::vector<std::uint8_t> wavBytes(std::span<const std::int16_t> samples, std::int32_t rate);

// Appends the samples little-endian, a block at a time: no copy of the whole.
Status writeSamples(OutputFile& file, std::span<const std::int16_t> samples);

// The header and the samples; the caller commits.
Status writeWav(OutputFile& file, std::span<const std::int16_t> samples, std::int32_t rate);

// A whole WAV file at `path`, through an OutputFile.
Status writeWav(const std::string& path, std::span<const std::int16_t> samples, std::int32_t rate);

// The song laid under a capture of `frames` frames at `fps`: as many samples
// as the video lasts, the song from its first sample (demo time 0), then
// silence once it has played out, as the demo's audio falls silent.
std::vector<std::int16_t> soundtrackFor(std::span<const std::int16_t> song, std::int32_t rate,
                                        std::int64_t frames, std::int32_t fps);
