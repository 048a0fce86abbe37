// invite-tool export-mod OUT.mod: the built-in module bytes, unchanged, for
// opening in a tracker.
#include "music/song.h"
#include "tools/invite-tool/command.h"
#include "tools/invite-tool/command_line.h"
#include "tools/invite-tool/song_output.h"

namespace {

int runExportMod(std::span<const std::string_view> args);

const Command ExportModCommand{"export-mod", "export-mod OUT.mod",
                               "write the built-in module file unchanged (opens in any ProTracker-compatible "
                               "tracker; OUT '-' = stdout)",
                               runExportMod};

const CommandRegistration registration(ExportModCommand);

int runExportMod(std::span<const std::string_view> args) {
    std::string error;
    const auto parsed = parseArguments(args, {}, error);
    if (!parsed) return usageError(ExportModCommand, error);
    if (error = positionalError(*parsed, {"OUT.mod"}); !error.empty()) return usageError(ExportModCommand, error);
    if (builtinModuleBytes().empty()) return fail("this build has no built-in song (assets/song.mod was missing)");
    const std::string output(parsed->positional[0]);
    if (Status s = writeBinaryFile(output, builtinModuleBytes()); !s) return fail(s.error().text);
    return 0;
}

}  // namespace
