// Captures of the whole demo: every frame of the timeline drawn offscreen at
// a fixed frame rate, with the built-in song as the sound, either encoded by
// ffmpeg into an H.264/AAC MP4 or written as numbered PNGs plus song.wav.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "tools/invite-tool/capture_timeline.h"

inline constexpr std::int32_t SongRate = 48000;  // the rate the demo asks its audio device for

// A frame size in pixels.
struct FrameSize {
    std::int32_t width = 0;
    std::int32_t height = 0;

    bool operator==(const FrameSize&) const = default;
};

// Where the demo's picture goes in a frame of a given size: enlarged by
// `factor` (nearest neighbour) with its top-left corner at (x, y).
struct FitPlacement {
    std::int32_t factor = 1;
    std::int32_t x = 0;
    std::int32_t y = 0;

    bool operator==(const FitPlacement&) const = default;
};

// The largest whole factor at which the 640 x 400 picture fits in `frame`,
// centred (an odd remainder leaves the extra pixel right and below); none
// when the frame is smaller than the picture. 1920 x 1080: factor 2, the
// 1280 x 800 picture at (320, 140).
std::optional<FitPlacement> fitPlacement(FrameSize frame);

struct CaptureOptions {
    std::int32_t fps = 60;
    std::optional<std::uint64_t> seed;  // none: a fresh jitter key, as the live demo
    std::int32_t scale = 1;             // nearest-neighbour enlargement
    // Frames of this size with the picture placed by fitPlacement on black
    // (instead of `scale`); the size must hold the picture.
    std::optional<FrameSize> fit;
    double until = DemoEndTime;         // last demo time drawn (shorter captures for tests)
};

// The size of every frame the capture writes.
FrameSize captureFrameSize(const CaptureOptions& options);

struct CaptureSummary {
    std::int64_t frames = 0;
    double drawSeconds = 0.0;   // drawing and reading back the frames only
    double totalSeconds = 0.0;  // everything, writing or encoding included
};

// The ffmpeg command line (argv[0] = "ffmpeg") that reads raw YUV 4:2:0 frames
// (yuv_frame.h) of width x height at `fps` from its standard input and `audioPath`, and writes
// an H.264 (yuv420p) / AAC MP4 to `output`, starting both at time 0.
std::vector<std::string> ffmpegArguments(const std::string& output, std::int32_t width,
                                         std::int32_t height, std::int32_t fps,
                                         const std::string& audioPath);

// Encodes the capture with the ffmpeg at `ffmpegPath` into `output` (a
// temporary file beside it until ffmpeg has finished without error). On a
// failure or a deferred SIGINT or SIGTERM, ffmpeg is stopped and neither the
// video nor the temporary soundtrack is left.
Result<CaptureSummary> captureToVideo(const CaptureOptions& options, const std::string& ffmpegPath,
                                      const std::string& output, std::ostream& progress);

// Writes frame-00000.png, frame-00001.png, ... and song.wav into `directory`
// (made if missing). A folder that already holds such files is refused, or
// with `replace` first rid of them (and of nothing else). A failed or
// interrupted capture removes what it wrote.
Result<CaptureSummary> captureToFrames(const CaptureOptions& options, const std::string& directory,
                                       bool replace, std::ostream& progress);

// "frame-" + at least five digits + ".png": the names captureToFrames writes.
bool isFrameFileName(std::string_view name);
