// invite-tool frame: one still of the demo as a PNG.
#include <string>

#include "tools/invite-tool/command.h"
#include "tools/invite-tool/command_line.h"
#include "tools/invite-tool/offscreen_demo.h"
#include "tools/invite-tool/png_image.h"

namespace {
int runFrame(std::span<const std::string_view> args);

const Command FrameCommand{
    "frame", "frame T OUT.png [--seed N]",
    "draws the demo at time T (0 to 114 seconds) offscreen at 640 x 400 into a PNG; --seed N keys the "
    "text jitter from N, so the same command gives the same bytes",
    runFrame};
const CommandRegistration registration(FrameCommand);

int runFrame(std::span<const std::string_view> args) {
    std::string error;
    const auto parsed = parseArguments(args, {"--seed"}, error);
    if (!parsed) return usageError(FrameCommand, error);
    if (error = positionalError(*parsed, {"T", "OUT.png"}); !error.empty()) return usageError(FrameCommand, error);
    const auto t = parseDemoTime(parsed->positional[0]);
    if (!t) return usageError(FrameCommand, valueError("T", DemoTimeRule, parsed->positional[0]));
    std::optional<std::uint64_t> seed;
    if (const auto text = parsed->option("--seed")) {
        seed = parseSeed(*text);
        if (!seed) return usageError(FrameCommand, valueError("--seed", SeedRule, *text));
    }
    const std::string output(parsed->positional[1]);

    auto demo = OffscreenDemo::create();
    if (!demo) return fail(demo.error().text);
    useJitterSeed(seed);
    auto image = demo.value().render(*t);
    if (!image) return fail(image.error().text);
    if (Status s = writePng(output, image.value()); !s) return fail(s.error().text);
    return 0;
}
}  // namespace
