// invite-tool render MODFILE OUT.wav [--rate N] [--raw]: plays any supported
// module file through the demo's own replayer, so a musician hears exactly
// what the demo will play.
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>

#include "music/renderer.h"
#include "tools/invite-tool/command.h"
#include "tools/invite-tool/song_output.h"
#include "tools/invite-tool/wav_file.h"

std::optional<std::vector<std::uint8_t>> readBinaryFile(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read '" + path + "': " + std::strerror(errno);
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = "cannot read '" + path + "'";
        return std::nullopt;
    }
    return bytes;
}

bool writeBinaryFile(const std::string& path, std::span<const std::uint8_t> bytes, std::string& error) {
    if (path == "-") {
        std::cout.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        std::cout.flush();
        if (!std::cout) error = "cannot write to standard output";
        return static_cast<bool>(std::cout);
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        error = "cannot write '" + path + "': " + std::strerror(errno);
        return false;
    }
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        error = "cannot write '" + path + "'";
        return false;
    }
    return true;
}

std::optional<std::int32_t> parseRate(std::string_view text) {
    std::int32_t rate = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), rate);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (rate < MinRenderRate || rate > MaxRenderRate) return std::nullopt;
    return rate;
}

std::vector<std::uint8_t> encodeSong(const SongBuffer& song, std::int32_t rate, bool raw) {
    if (!raw) return wavBytes(song, rate);
    std::vector<std::uint8_t> out;
    out.reserve(song.size() * 2);
    for (std::int16_t sample : song) {
        const auto bits = static_cast<std::uint16_t>(sample);
        out.push_back(static_cast<std::uint8_t>(bits));
        out.push_back(static_cast<std::uint8_t>(bits >> 8));
    }
    return out;
}

std::optional<int> parseSongArguments(const Command& command, std::span<const std::string_view> args,
                                      SongArguments& parsed) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "--raw") {
            parsed.raw = true;
        } else if (arg == "--rate" || arg.starts_with("--rate=")) {
            std::string_view value;
            if (arg == "--rate") {
                if (i + 1 == args.size()) return usageError(command, "--rate needs a value");
                value = args[++i];
            } else {
                value = arg.substr(7);
            }
            const auto rate = parseRate(value);
            if (!rate) {
                return usageError(command, "--rate must be a whole number of frames per second in 8000..384000, not '" +
                                               std::string(value) + "'");
            }
            parsed.rate = *rate;
        } else if (arg.size() > 1 && arg.starts_with("-")) {
            return usageError(command, "unknown option '" + std::string(arg) + "'");
        } else {
            parsed.paths.emplace_back(arg);
        }
    }
    return std::nullopt;
}

namespace {

int runRender(std::span<const std::string_view> args);

const Command RenderCommand{
    "render",
    "render MODFILE OUT.wav [--rate N] [--raw]",
    "play a 4-channel module (M.K., M!K!, FLT4, 4CHN; also 1..16-channel xCHN/xxCH) through the demo's "
    "replayer into a 16-bit mono WAV (--raw: bare little-endian int16; OUT '-' = stdout; rate 8000..384000, "
    "default 48000)",
    runRender};

const CommandRegistration registration(RenderCommand);

int runRender(std::span<const std::string_view> args) {
    SongArguments parsed;
    if (const auto status = parseSongArguments(RenderCommand, args, parsed)) return *status;
    if (parsed.paths.size() != 2) return usageError(RenderCommand, "needs a module file and an output file");

    std::string error;
    const auto bytes = readBinaryFile(parsed.paths[0], error);
    if (!bytes) return fail(error);
    MusicResult<SongBuffer> song = renderModule(*bytes, parsed.rate);
    if (!song) return fail(parsed.paths[0] + ": " + song.error().message);
    if (!writeBinaryFile(parsed.paths[1], encodeSong(song.value(), parsed.rate, parsed.raw), error)) return fail(error);
    return 0;
}

}  // namespace
