// invite-tool capture: the whole demo as an MP4 (or as PNG frames and a WAV).
#include <csignal>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>

#include "tools/invite-tool/capture.h"
#include "tools/invite-tool/child_process.h"
#include "tools/invite-tool/command.h"
#include "tools/invite-tool/command_line.h"
#include "tools/invite-tool/interruption.h"
#include "tools/invite-tool/offscreen_demo.h"

namespace {
int runCapture(std::span<const std::string_view> args);

const Command CaptureCommand{
    "capture", "capture (OUT.mp4 | --frames DIR [--force]) [--fps 60] [--seed N] [--scale K | --fit WxH] [--until T]",
    "renders every frame of the demo (t = k / fps up to 114 s) offscreen with the built-in song "
    "as sound, encoded by ffmpeg into an H.264/AAC MP4, or with --frames DIR as numbered PNGs "
    "plus song.wav (a folder that holds an earlier capture is refused; --force replaces it); "
    "--scale K enlarges the pixels K times; --fit WxH makes W x H frames with the picture enlarged by "
    "the largest whole factor that fits, centred on black (at least 640x400; an MP4 needs an even W and H); "
    "--until T stops at demo time T (for tests); "
    "Ctrl-C stops it and leaves no partial output",
    runCapture};
const CommandRegistration registration(CaptureCommand);

constexpr std::int64_t MaxFps = 240;
constexpr std::int64_t MaxScale = 8;
constexpr std::int64_t MaxFitSide = 8192;  // pixels; a frame and its enlarged picture stay well under 1 GB

// "WxH": two whole numbers of pixels, each side at most MaxFitSide. Whether
// the picture fits is checked apart, for its own message.
std::optional<FrameSize> parseFitSize(std::string_view text) {
    const std::size_t x = text.find('x');
    if (x == std::string_view::npos) return std::nullopt;
    const auto width = parseWholeNumber(text.substr(0, x), 1, MaxFitSide);
    const auto height = parseWholeNumber(text.substr(x + 1), 1, MaxFitSide);
    if (!width || !height) return std::nullopt;
    return FrameSize{static_cast<std::int32_t>(*width), static_cast<std::int32_t>(*height)};
}

void printSummary(const std::string& what, const CaptureOptions& options,
                  const CaptureSummary& summary) {
    const double videoSeconds = static_cast<double>(summary.frames) / options.fps;
    const auto rate = [&](double seconds) {
        return seconds > 0.0 ? static_cast<double>(summary.frames) / seconds : 0.0;
    };
    std::fprintf(stderr,
                 "invite-tool: wrote %s: %lld frames at %d fps (%.3f s); drawing %.0f fps, "
                 "all in all %.0f fps (%.1f x real time)\n",
                 what.c_str(), static_cast<long long>(summary.frames), options.fps, videoSeconds,
                 rate(summary.drawSeconds), rate(summary.totalSeconds),
                 summary.totalSeconds > 0.0 ? videoSeconds / summary.totalSeconds : 0.0);
}

int runCapture(std::span<const std::string_view> args) {
    std::string error;
    const auto parsed =
        parseArguments(args, {"--fps", "--seed", "--scale", "--fit", "--frames", "--until"}, {"--force"}, error);
    if (!parsed) return usageError(CaptureCommand, error);
    const auto frames = parsed->option("--frames");
    if (parsed->positional.size() != (frames ? 0u : 1u)) {
        return usageError(CaptureCommand, "needs either OUT.mp4 or --frames DIR");
    }
    if (!frames && parsed->flag("--force")) return usageError(CaptureCommand, "--force goes with --frames DIR");
    CaptureOptions options;
    if (const auto text = parsed->option("--fps")) {
        const auto fps = parseWholeNumber(*text, 1, MaxFps);
        if (!fps) return usageError(CaptureCommand, "--fps takes a whole number from 1 to 240");
        options.fps = static_cast<std::int32_t>(*fps);
    }
    if (const auto text = parsed->option("--seed")) {
        options.seed = parseSeed(*text);
        if (!options.seed) return usageError(CaptureCommand, "--seed takes a whole number from 0 up");
    }
    if (const auto text = parsed->option("--scale")) {
        const auto scale = parseWholeNumber(*text, 1, MaxScale);
        if (!scale) return usageError(CaptureCommand, "--scale takes a whole number from 1 to 8");
        options.scale = static_cast<std::int32_t>(*scale);
    }
    if (const auto text = parsed->option("--fit")) {
        if (parsed->option("--scale")) return usageError(CaptureCommand, "--fit and --scale cannot go together");
        options.fit = parseFitSize(*text);
        if (!options.fit) {
            return usageError(CaptureCommand, "--fit takes WxH in pixels (such as 1920x1080), each side at most 8192");
        }
        if (!fitPlacement(*options.fit)) {
            return usageError(CaptureCommand, "--fit " + std::string(*text) +
                                                  " is smaller than the demo's 640x400 picture; the frame must hold it whole");
        }
        // H.264 in 4:2:0 has one colour sample per 2 x 2 pixels.
        if (!frames && (options.fit->width % 2 != 0 || options.fit->height % 2 != 0)) {
            return usageError(CaptureCommand, "--fit needs an even width and height for an MP4 (PNG frames take any)");
        }
    }
    if (const auto text = parsed->option("--until")) {
        const auto until = parseNumber(*text);
        if (!until || *until < 0.0 || *until > DemoEndTime) {
            return usageError(CaptureCommand, "--until takes a time from 0 to 114 seconds");
        }
        options.until = *until;
    }

    // From here a SIGINT or SIGTERM stops the capture, which then cleans up
    // (ffmpeg, the partial output, the temporary soundtrack) and ends by it.
    deferInterruptions();
    if (frames) {
        const std::string directory(*frames);
        auto summary = captureToFrames(options, directory, parsed->flag("--force"), std::cerr);
        endByPendingSignal();
        if (!summary) return fail(summary.error().text);
        printSummary(directory + "/ (frame-NNNNN.png and song.wav)", options, summary.value());
        return 0;
    }
    const auto ffmpeg = findOnPath("ffmpeg");
    if (!ffmpeg) {
        return fail(
            "ffmpeg not found: install it (Debian/Ubuntu: sudo apt-get install ffmpeg) or use "
            "--frames DIR for PNG frames and song.wav");
    }
    // A finished or failed ffmpeg must turn our next write into an error, not
    // end the tool without a word.
    std::signal(SIGPIPE, SIG_IGN);
    const std::string output(parsed->positional[0]);
    auto summary = captureToVideo(options, *ffmpeg, output, std::cerr);
    endByPendingSignal();
    if (!summary) return fail(summary.error().text);
    printSummary(output, options, summary.value());
    return 0;
}
}  // namespace
