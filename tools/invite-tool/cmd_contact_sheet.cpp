// invite-tool contact-sheet: a grid of labelled stills from every scene.
#include <string>

#include "tools/invite-tool/command.h"
#include "tools/invite-tool/command_line.h"
#include "tools/invite-tool/contact_sheet.h"
#include "tools/invite-tool/png_image.h"

namespace {
int runContactSheet(std::span<const std::string_view> args);

const Command ContactSheetCommand{
    "contact-sheet", "contact-sheet OUT.png [--seed N]",
    "draws stills from every part of the timeline into one labelled grid (PNG); the jitter is "
    "keyed from N (default 1)",
    runContactSheet};
const CommandRegistration registration(ContactSheetCommand);

// The seed of the sheet in the README.
constexpr std::uint64_t DefaultSeed = 1;

int runContactSheet(std::span<const std::string_view> args) {
    std::string error;
    const auto parsed = parseArguments(args, {"--seed"}, error);
    if (!parsed) return usageError(ContactSheetCommand, error);
    if (error = positionalError(*parsed, {"OUT.png"}); !error.empty()) return usageError(ContactSheetCommand, error);
    std::uint64_t seed = DefaultSeed;
    if (const auto text = parsed->option("--seed")) {
        const auto value = parseSeed(*text);
        if (!value) return usageError(ContactSheetCommand, valueError("--seed", SeedRule, *text));
        seed = *value;
    }
    const std::string output(parsed->positional[0]);

    auto demo = OffscreenDemo::create();
    if (!demo) return fail(demo.error().text);
    auto sheet = renderContactSheet(demo.value(), seed);
    if (!sheet) return fail(sheet.error().text);
    if (Status s = writePng(output, sheet.value()); !s) return fail(s.error().text);
    return 0;
}
}  // namespace
