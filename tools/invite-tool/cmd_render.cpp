// invite-tool render MODFILE OUT.wav [--rate N] [--raw]: plays any supported
// module file through the demo's own replayer, so a musician hears exactly
// what the demo will play.
#include <charconv>

#include "music/renderer.h"
#include "tools/invite-tool/command.h"
#include "tools/invite-tool/input_file.h"
#include "tools/invite-tool/output_file.h"
#include "tools/invite-tool/song_output.h"
#include "tools/invite-tool/wav_file.h"

Status writeBinaryFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    auto file = OutputFile::open(path);
    if (!file) return file.error();
    if (Status s = file.value().write(bytes); !s) return s;
    return file.value().commit();
}

std::optional<std::int32_t> parseRate(std::string_view text) {
    std::int32_t rate = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), rate);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (rate < MinRenderRate || rate > MaxRenderRate) return std::nullopt;
    return rate;
}

Status writeSong(const std::string& path, const SongBuffer& song, std::int32_t rate, bool raw) {
    auto file = OutputFile::open(path);
    if (!file) return file.error();
    if (Status s = raw ? writeSamples(file.value(), song) : writeWav(file.value(), song, rate); !s) return s;
    return file.value().commit();
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
    "replayer into a 16-bit mono WAV (--raw: bare little-endian int16; MODFILE '-' = stdin, a regular file "
    "of at most 8 MiB, more than any module holds; OUT '-' = stdout; rate 8000..384000, default 48000)",
    runRender};

const CommandRegistration registration(RenderCommand);

int runRender(std::span<const std::string_view> args) {
    SongArguments parsed;
    if (const auto status = parseSongArguments(RenderCommand, args, parsed)) return *status;
    if (parsed.paths.size() != 2) return usageError(RenderCommand, "needs a module file and an output file");

    const std::string& input = parsed.paths[0];
    const std::string& output = parsed.paths[1];
    if (sameFile(input, output)) {
        return fail("'" + output + "' is the module file itself; the WAV would replace it");
    }
    const auto bytes = readInputFile(input, MaxModuleFileBytes);
    if (!bytes) return fail(bytes.error().text);
    MusicResult<SongBuffer> song = renderModule(bytes.value(), parsed.rate);
    if (!song) return fail(input + ": " + song.error().message);
    if (Status s = writeSong(output, song.value(), parsed.rate, parsed.raw); !s) return fail(s.error().text);
    return 0;
}

}  // namespace
