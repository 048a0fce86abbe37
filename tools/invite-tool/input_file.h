// Reading the files the tool is given (module files), with a bound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

// The largest module the loader can accept is 1084 header bytes, 128
// patterns of 64 rows x 16 channels x 4 bytes (512 KiB) and 31 samples of
// 65535 words (about 3.9 MiB): 4,588,542 bytes in all. Twice that rounded up
// leaves room for the trailing bytes some trackers append, and stops a
// device or a wrong file long before memory runs out.
inline constexpr std::size_t MaxModuleFileBytes = 8u << 20;
inline constexpr std::string_view MaxModuleFileText = "8 MiB";

// The whole of `path` ("-" = standard input), at most `maxBytes`. Refuses
// anything but a regular file or standard input, and a longer file. Every
// error is one line: "cannot read 'PATH': REASON".
Result<std::vector<std::uint8_t>> readInputFile(const std::string& path, std::size_t maxBytes);

// True when `output` names the very file `input` is (same device and inode:
// another path, a symbolic or a hard link to it). Writing there would
// destroy the input.
bool sameFile(const std::string& input, const std::string& output);
