// invite-tool capture: the whole demo as an MP4 (or as PNG frames and a WAV).
#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstdio>
#include <filesystem>
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
    "plus song.wav (a folder that holds an earlier capture is refused; --force replaces it once "
    "the new capture is complete); "
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

// What is wrong with OUT.mp4, or nothing. An MP4 is finished by going back
// to its start, so it cannot stream to standard output or a pipe; and a name
// must say what the file is. A device (/dev/null) takes the bytes as they are.
std::string videoPathError(std::string_view path) {
    if (path == "-") {
        return "an MP4 cannot stream to standard output ('-'); name a file such as out.mp4, or use --frames DIR";
    }
    std::error_code ignored;
    if (std::filesystem::is_character_file(std::filesystem::path(path), ignored)) return {};
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".mp4") return {};
    return "the capture is an MP4 video: name it OUT.mp4, not '" + std::string(path) + "'";
}

// "frames/" for "frames", "frames/" and "frames//": how the summary names the folder.
std::string folderName(std::string_view directory) {
    while (directory.size() > 1 && directory.ends_with('/')) directory.remove_suffix(1);
    if (directory == "/") return "/";
    return std::string(directory) + "/";
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
    if (frames) {
        if (!parsed->positional.empty()) {
            return usageError(CaptureCommand, positionalError(*parsed, {}) + " (--frames DIR takes the place of OUT.mp4)");
        }
        if (*frames == "-") {
            return usageError(CaptureCommand, "--frames takes a folder, not '-' (standard output)");
        }
    } else {
        if (parsed->positional.empty()) return usageError(CaptureCommand, "missing OUT.mp4 or --frames DIR");
        if (error = positionalError(*parsed, {"OUT.mp4"}); !error.empty()) return usageError(CaptureCommand, error);
        if (error = videoPathError(parsed->positional[0]); !error.empty()) return usageError(CaptureCommand, error);
    }
    if (!frames && parsed->flag("--force")) return usageError(CaptureCommand, "--force goes with --frames DIR");
    CaptureOptions options;
    if (const auto text = parsed->option("--fps")) {
        const auto fps = parseWholeNumber(*text, 1, MaxFps);
        if (!fps) return usageError(CaptureCommand, valueError("--fps", "a whole number from 1 to 240", *text));
        options.fps = static_cast<std::int32_t>(*fps);
    }
    if (const auto text = parsed->option("--seed")) {
        options.seed = parseSeed(*text);
        if (!options.seed) return usageError(CaptureCommand, valueError("--seed", SeedRule, *text));
    }
    if (const auto text = parsed->option("--scale")) {
        const auto scale = parseWholeNumber(*text, 1, MaxScale);
        if (!scale) return usageError(CaptureCommand, valueError("--scale", "a whole number from 1 to 8", *text));
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
        const auto until = parseDemoTime(*text);
        if (!until) return usageError(CaptureCommand, valueError("--until", DemoTimeRule, *text));
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
        printSummary(folderName(directory) + " (frame-NNNNN.png and song.wav)", options, summary.value());
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
