// Shared by the music commands (render, song, export-mod): parsing --rate
// and writing a rendered song as WAV or raw samples.
// Defined in cmd_render.cpp.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "music/song_buffer.h"
#include "platform/platform.h"

inline constexpr std::int32_t DefaultSongRate = 48000;

// Writes `bytes` to `path` ("-" = standard output) through an OutputFile.
Status writeBinaryFile(const std::string& path, std::span<const std::uint8_t> bytes);

// "48000" -> 48000 if it is a whole number in the renderer's range.
std::optional<std::int32_t> parseRate(std::string_view text);
inline constexpr std::string_view RateRule = "a whole number of frames per second from 8000 to 384000";

// Writes a 16-bit mono PCM WAV file of exactly `song` to `path` ("-" =
// standard output), or with `raw` the samples alone as little-endian int16,
// streamed from the buffer a block at a time.
Status writeSong(const std::string& path, const SongBuffer& song, std::int32_t rate, bool raw);

struct Command;

// The arguments of a song-writing command: the files `names` (in order),
// --rate N (or --rate=N) and --raw. On a usage error returns the exit status
// of usageError(command, ...); otherwise nothing.
struct SongArguments {
    std::vector<std::string> paths;
    std::int32_t rate = DefaultSongRate;
    bool raw = false;
};
std::optional<int> parseSongArguments(const Command& command, std::span<const std::string_view> args,
                                      std::initializer_list<std::string_view> names, SongArguments& parsed);
