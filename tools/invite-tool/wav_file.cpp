#include "tools/invite-tool/wav_file.h"

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {
void putLe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}
void putTag(std::vector<std::uint8_t>& out, const char (&tag)[5]) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(tag[i]));
}
}  // namespace

std::vector<std::uint8_t> wavBytes(std::span<const std::int16_t> samples, std::int32_t rate) {
    constexpr std::uint32_t Channels = 1;
    constexpr std::uint32_t BytesPerSample = 2;
    assert(rate > 0);
    // The RIFF sizes are 32-bit: a mono 16-bit file holds at most about 2^31 samples.
    assert(samples.size() <= (0xFFFFFFFFu - 36) / BytesPerSample);
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * BytesPerSample);
    std::vector<std::uint8_t> out;
    out.reserve(44 + dataBytes);
    putTag(out, "RIFF");
    putLe(out, 36 + dataBytes, 4);
    putTag(out, "WAVE");
    putTag(out, "fmt ");
    putLe(out, 16, 4);  // size of the PCM format block
    putLe(out, 1, 2);   // PCM
    putLe(out, Channels, 2);
    putLe(out, static_cast<std::uint32_t>(rate), 4);
    putLe(out, static_cast<std::uint32_t>(rate) * Channels * BytesPerSample, 4);  // bytes per second
    putLe(out, Channels * BytesPerSample, 2);  // bytes per frame
    putLe(out, BytesPerSample * 8, 2);         // bits per sample
    putTag(out, "data");
    putLe(out, dataBytes, 4);
    for (std::int16_t sample : samples) putLe(out, static_cast<std::uint16_t>(sample), 2);
    return out;
}

Status writeWav(const std::string& path, std::span<const std::int16_t> samples, std::int32_t rate) {
    const std::vector<std::uint8_t> bytes = wavBytes(samples, rate);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return PlatformError{path + ": " + std::strerror(errno)};
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const int writeError = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written) return PlatformError{path + ": " + std::strerror(writeError)};
    if (!closed) return PlatformError{path + ": " + std::strerror(errno)};
    return okStatus();
}

std::vector<std::int16_t> soundtrackFor(std::span<const std::int16_t> song, std::int32_t rate,
                                        std::int64_t frames, std::int32_t fps) {
    assert(rate > 0 && frames >= 0 && fps >= 1);
    // Rounded to the nearest sample: frames / fps seconds at `rate`.
    const std::int64_t length = (frames * rate + fps / 2) / fps;
    std::vector<std::int16_t> track(static_cast<std::size_t>(length), 0);
    const std::size_t kept = std::min(track.size(), song.size());
    std::copy_n(song.begin(), kept, track.begin());
    return track;
}
