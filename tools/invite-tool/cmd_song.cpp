// invite-tool song OUT.wav [--rate N] [--raw]: the demo's built-in song,
// rendered exactly as the demo renders it at start-up.
#include "music/song.h"
#include "tools/invite-tool/command.h"
#include "tools/invite-tool/song_output.h"

namespace {

int runSong(std::span<const std::string_view> args);

const Command SongCommand{"song", "song OUT.wav [--rate N] [--raw]",
                          "render the built-in song into a 16-bit mono WAV (--raw: bare little-endian int16; "
                          "OUT '-' = stdout; default rate 48000)",
                          runSong};

const CommandRegistration registration(SongCommand);

int runSong(std::span<const std::string_view> args) {
    SongArguments parsed;
    if (const auto status = parseSongArguments(SongCommand, args, {"OUT.wav"}, parsed)) return *status;
    if (builtinModuleBytes().empty()) return fail("this build has no built-in song (assets/song.mod was missing)");
    if (Status s = writeSong(parsed.paths[0], renderSong(parsed.rate), parsed.rate, parsed.raw); !s) {
        return fail(s.error().text);
    }
    return 0;
}

}  // namespace
