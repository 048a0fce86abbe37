#include "tools/invite-tool/wav_file.h"

#include <algorithm>
#include <bit>
#include <cassert>

namespace {
constexpr std::uint32_t Channels = 1;
constexpr std::uint32_t BytesPerSample = 2;
// Samples converted per write on a big-endian machine; a little-endian one
// writes the buffer as it is, in blocks of the same size.
constexpr std::size_t BlockSamples = 32 << 10;

void putLe(std::uint8_t*& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) *out++ = static_cast<std::uint8_t>(value >> (8 * i));
}
void putTag(std::uint8_t*& out, const char (&tag)[5]) {
    for (int i = 0; i < 4; ++i) *out++ = static_cast<std::uint8_t>(tag[i]);
}
}  // namespace

std::array<std::uint8_t, WavHeaderBytes> wavHeader(std::size_t sampleCount, std::int32_t rate) {
    assert(rate > 0);
    // The RIFF sizes are 32-bit: a mono 16-bit file holds at most about 2^31 samples.
    assert(sampleCount <= (0xFFFFFFFFu - 36) / BytesPerSample);
    const auto dataBytes = static_cast<std::uint32_t>(sampleCount * BytesPerSample);
    std::array<std::uint8_t, WavHeaderBytes> header{};
    std::uint8_t* out = header.data();
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
    assert(out == header.data() + header.size());
    return header;
}

std::vector<std::uint8_t> wavBytes(std::span<const std::int16_t> samples, std::int32_t rate) {
    const auto header = wavHeader(samples.size(), rate);
    std::vector<std::uint8_t> out(header.begin(), header.end());
    out.resize(WavHeaderBytes + samples.size() * BytesPerSample);
    std::uint8_t* at = out.data() + WavHeaderBytes;
    for (std::int16_t sample : samples) putLe(at, static_cast<std::uint16_t>(sample), 2);
    return out;
}

Status writeSamples(OutputFile& file, std::span<const std::int16_t> samples) {
    for (std::size_t at = 0; at < samples.size(); at += BlockSamples) {
        const auto part = samples.subspan(at, std::min(BlockSamples, samples.size() - at));
        if constexpr (std::endian::native == std::endian::little) {
            const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(part.data()),
                                                      part.size() * BytesPerSample);
            if (Status s = file.write(bytes); !s) return s;
        } else {
            std::array<std::uint8_t, BlockSamples * BytesPerSample> block;
            std::uint8_t* out = block.data();
            for (std::int16_t sample : part) putLe(out, static_cast<std::uint16_t>(sample), 2);
            if (Status s = file.write(std::span(block.data(), part.size() * BytesPerSample)); !s) return s;
        }
    }
    return okStatus();
}

Status writeWav(OutputFile& file, std::span<const std::int16_t> samples, std::int32_t rate) {
    const auto header = wavHeader(samples.size(), rate);
    if (Status s = file.write(header); !s) return s;
    return writeSamples(file, samples);
}

Status writeWav(const std::string& path, std::span<const std::int16_t> samples, std::int32_t rate) {
    auto file = OutputFile::open(path);
    if (!file) return file.error();
    if (Status s = writeWav(file.value(), samples, rate); !s) return s;
    return file.value().commit();
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
