// invite-tool export-mod OUT.mod: the built-in module bytes, unchanged, for
// opening in a tracker.
#include "music/song.h"
#include "tools/invite-tool/command.h"
#include "tools/invite-tool/song_output.h"

namespace {

int runExportMod(std::span<const std::string_view> args);

const Command ExportModCommand{"export-mod", "export-mod OUT.mod",
                               "write the built-in module file unchanged (opens in any ProTracker-compatible "
                               "tracker; OUT '-' = stdout)",
                               runExportMod};

const CommandRegistration registration(ExportModCommand);

int runExportMod(std::span<const std::string_view> args) {
    for (std::string_view arg : args) {
        if (arg.size() > 1 && arg.starts_with("-")) {
            return usageError(ExportModCommand, "unknown option '" + std::string(arg) + "'");
        }
    }
    if (args.size() != 1) return usageError(ExportModCommand, "needs one output file");
    if (builtinModuleBytes().empty()) return fail("this build has no built-in song (assets/song.mod was missing)");
    if (Status s = writeBinaryFile(std::string(args[0]), builtinModuleBytes()); !s) return fail(s.error().text);
    return 0;
}

}  // namespace
