// invite-tool render MODFILE OUT.wav [--rate N] [--raw]: plays any supported
// module file through the demo's own replayer, so a musician hears exactly
// what the demo will play.
#include "music/renderer.h"
#include "tools/invite-tool/command.h"
#include "tools/invite-tool/command_line.h"
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
    const auto rate = parseWholeNumber(text, MinRenderRate, MaxRenderRate);
    if (!rate) return std::nullopt;
    return static_cast<std::int32_t>(*rate);
}

Status writeSong(const std::string& path, const SongBuffer& song, std::int32_t rate, bool raw) {
    auto file = OutputFile::open(path);
    if (!file) return file.error();
    if (Status s = raw ? writeSamples(file.value(), song) : writeWav(file.value(), song, rate); !s) return s;
    return file.value().commit();
}

std::optional<int> parseSongArguments(const Command& command, std::span<const std::string_view> args,
                                      std::initializer_list<std::string_view> names, SongArguments& parsed) {
    std::string error;
    const auto arguments = parseArguments(args, {"--rate"}, {"--raw"}, error);
    if (!arguments) return usageError(command, error);
    if (error = positionalError(*arguments, names); !error.empty()) return usageError(command, error);
    if (const auto text = arguments->option("--rate")) {
        const auto rate = parseRate(*text);
        if (!rate) return usageError(command, valueError("--rate", RateRule, *text));
        parsed.rate = *rate;
    }
    parsed.raw = arguments->flag("--raw");
    parsed.paths.assign(arguments->positional.begin(), arguments->positional.end());
    return std::nullopt;
}

namespace {

int runRender(std::span<const std::string_view> args);

const Command RenderCommand{
    "render",
    "render MODFILE OUT.wav [--rate N] [--raw]",
    "play a 4-channel module (M.K., M!K!, FLT4, 4CHN; also 1..16-channel xCHN/xxCH) through the demo's "
    "replayer into a 16-bit mono WAV (--raw: bare little-endian int16; MODFILE '-' = stdin, a regular file "
    "of at most 8 MiB, more than any module holds; OUT '-' = stdout; rate 8000..384000, default 48000); "
    "a side whose channels add up past 16 bits clips",
    runRender};

const CommandRegistration registration(RenderCommand);

int runRender(std::span<const std::string_view> args) {
    SongArguments parsed;
    if (const auto status = parseSongArguments(RenderCommand, args, {"MODFILE", "OUT.wav"}, parsed)) return *status;

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
