#pragma once

#include <cstdint>
#include <vector>

// The whole song as mono signed 16-bit samples at the output rate.
using SongBuffer = std::vector<std::int16_t>;
