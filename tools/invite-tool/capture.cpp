#include "tools/invite-tool/capture.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <system_error>

#include "music/song.h"
#include "tools/invite-tool/child_process.h"
#include "tools/invite-tool/interruption.h"
#include "tools/invite-tool/offscreen_demo.h"
#include "tools/invite-tool/png_image.h"
#include "tools/invite-tool/progress_bar.h"
#include "tools/invite-tool/wav_file.h"
#include "tools/invite-tool/yuv_frame.h"

namespace {
// x264's speed preset. The backdrop's fine pattern changes every pixel of
// every frame; on two cores "veryfast" needed about 3.5 ms a frame against
// the drawing's 0.5 ms, "ultrafast" about 1.3 ms, with larger files (about
// 40 MB for the whole demo) that still look the same.
constexpr std::string_view EncoderPreset = "ultrafast";

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Draws every frame of the capture in order on one offscreen canvas and hands
// each (enlarged, or enlarged and framed, when asked) to `consume`. The
// jitter generator is keyed once, so text shakes from frame to frame as in
// the live demo.
Result<CaptureSummary> drawFrames(const CaptureOptions& options, std::ostream& progress,
                                  const std::function<Status(std::int64_t, const RgbaImage&)>& consume) {
    assert(options.fps >= 1 && options.scale >= 1 && options.until >= 0.0);
    const Clock::time_point start = Clock::now();
    auto demo = OffscreenDemo::create();
    if (!demo) return demo.error();
    useJitterSeed(options.seed);
    const std::optional<FitPlacement> fit = options.fit ? fitPlacement(*options.fit) : std::nullopt;
    assert(fit.has_value() == options.fit.has_value());
    const std::int32_t factor = fit ? fit->factor : options.scale;
    // The borders stay black; every frame overwrites the picture between them.
    RgbaImage framed;
    if (fit) framed = RgbaImage::filled(options.fit->width, options.fit->height, Rgba{0, 0, 0, 255});
    CaptureSummary summary;
    summary.frames = captureFrameCount(options.fps, options.until);
    ProgressBar bar(progress, summary.frames);
    for (std::int64_t k = 0; k < summary.frames; ++k) {
        if (interrupted()) {
            progress << '\n';
            return PlatformError{"interrupted"};
        }
        const Clock::time_point drawStart = Clock::now();
        auto frame = demo.value().render(captureFrameTime(k, options.fps));
        if (!frame) return frame.error();
        if (factor > 1) frame.value() = scaleNearest(frame.value(), factor);
        if (fit) blit(framed, frame.value(), fit->x, fit->y);
        summary.drawSeconds += secondsSince(drawStart);
        if (Status s = consume(k, fit ? framed : frame.value()); !s) {
            progress << '\n';
            return s.error();
        }
        bar.update(k + 1);
    }
    bar.finish(summary.frames);
    summary.totalSeconds = secondsSince(start);
    return summary;
}

std::vector<std::int16_t> soundtrack(const CaptureOptions& options) {
    const SongBuffer song = renderSong(SongRate);
    return soundtrackFor(song, SongRate, captureFrameCount(options.fps, options.until), options.fps);
}

// A temporary file that is removed again when this goes out of scope.
class TemporaryFile {
public:
    static Result<TemporaryFile> create(const std::string& suffix) {
        const char* directory = std::getenv("TMPDIR");
        std::string path = std::string(directory != nullptr && *directory != '\0' ? directory : "/tmp") +
                           "/invite-capture-XXXXXX" + suffix;
        const int fd = ::mkstemps(path.data(), static_cast<int>(suffix.size()));
        if (fd < 0) return writeError(path, std::strerror(errno));
        ::close(fd);
        return TemporaryFile(std::move(path));
    }
    TemporaryFile(TemporaryFile&& other) noexcept : path_(std::move(other.path_)) { other.path_.clear(); }
    TemporaryFile& operator=(TemporaryFile&&) = delete;
    ~TemporaryFile() {
        if (!path_.empty()) std::remove(path_.c_str());
    }
    const std::string& path() const { return path_; }

private:
    explicit TemporaryFile(std::string path) : path_(std::move(path)) {}
    std::string path_;
};
}  // namespace

std::optional<FitPlacement> fitPlacement(FrameSize frame) {
    const std::int32_t factor = std::min(frame.width / DemoWidth, frame.height / DemoHeight);
    if (factor < 1) return std::nullopt;
    return FitPlacement{factor, (frame.width - DemoWidth * factor) / 2, (frame.height - DemoHeight * factor) / 2};
}

FrameSize captureFrameSize(const CaptureOptions& options) {
    if (options.fit) return *options.fit;
    return FrameSize{DemoWidth * options.scale, DemoHeight * options.scale};
}

std::vector<std::string> ffmpegArguments(const std::string& output, std::int32_t width,
                                         std::int32_t height, std::int32_t fps,
                                         const std::string& audioPath) {
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    // "file:" keeps ffmpeg from reading a name with a colon as a protocol or
    // a leading "-" as an option.
    return {"ffmpeg", "-hide_banner", "-loglevel", "error", "-y",
            // input 0: the frames, raw YUV 4:2:0 on standard input
            "-f", "rawvideo", "-pix_fmt", "yuv420p", "-video_size", size, "-framerate",
            std::to_string(fps), "-i", "pipe:0",
            // input 1: the soundtrack, which starts with the song's first sample
            "-i", "file:" + audioPath, "-map", "0:v:0", "-map", "1:a:0",
            // veryfast keeps the encoder ahead of the drawing on two cores
            "-c:v", "libx264", "-preset", std::string(EncoderPreset), "-crf", "18",
            // the frames are BT.601 (yuv_frame.h); say so, or players guess
            // BT.709 for the larger --scale sizes and shift the colours
            "-colorspace", "smpte170m", "-color_primaries", "smpte170m", "-color_trc", "smpte170m",
            "-color_range", "tv",
            "-c:a", "aac", "-b:a", "192k",
            // The same frames and song give the same file on any machine: a
            // fixed number of encoder threads (x264's output depends on it),
            // and no encoder version or time in the container.
            "-threads", "2", "-fflags", "+bitexact", "-flags:v", "+bitexact", "-flags:a", "+bitexact",
            "-map_metadata", "-1", "-movflags", "+faststart", "-f", "mp4", "file:" + output};
}

Result<CaptureSummary> captureToVideo(const CaptureOptions& options, const std::string& ffmpegPath,
                                      const std::string& output, std::ostream& progress) {
    const Clock::time_point start = Clock::now();
    // ffmpeg writes a temporary file next to the output; only a video that
    // ffmpeg finished without error is renamed over it.
    auto video = OutputFile::open(output, OutputFile::Writer::Other, false);
    if (!video) return video.error();
    auto audio = TemporaryFile::create(".wav");
    if (!audio) return audio.error();
    if (Status s = writeWav(audio.value().path(), soundtrack(options), SongRate); !s) return s.error();
    if (interrupted()) return PlatformError{"interrupted"};
    const FrameSize size = captureFrameSize(options);
    auto encoder = ChildProcess::spawn(
        ffmpegPath, ffmpegArguments(video.value().writingPath(), size.width, size.height, options.fps,
                                    audio.value().path()));
    if (!encoder) return encoder.error();
    std::vector<std::uint8_t> yuv;
    auto summary = drawFrames(options, progress, [&](std::int64_t, const RgbaImage& image) {
        toYuv420(image, yuv);
        return encoder.value().write(yuv);
    });
    if (interrupted()) {
        encoder.value().stop();
        return PlatformError{"interrupted"};
    }
    auto status = encoder.value().finish();
    if (!status) return status.error();
    if (interrupted()) return PlatformError{"interrupted"};
    if (status.value() != 0) {
        return PlatformError{"ffmpeg failed with exit status " + std::to_string(status.value())};
    }
    if (!summary) return summary.error();
    if (Status s = video.value().commit(); !s) return s.error();
    summary.value().totalSeconds = secondsSince(start);  // the encoder's tail included
    return summary;
}

bool isFrameFileName(std::string_view name) {
    constexpr std::string_view Prefix = "frame-";
    constexpr std::string_view Suffix = ".png";
    constexpr std::size_t LeastDigits = 5;  // frame-%05lld.png
    if (name.size() < Prefix.size() + LeastDigits + Suffix.size()) return false;
    if (!name.starts_with(Prefix) || !name.ends_with(Suffix)) return false;
    const std::string_view digits = name.substr(Prefix.size(), name.size() - Prefix.size() - Suffix.size());
    return std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
}

namespace {
constexpr std::string_view SongFileName = "song.wav";

std::string frameFileName(std::int64_t k) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%05lld.png", static_cast<long long>(k));
    return name;
}

// The files of an earlier capture in `directory`: its frames and song.wav.
Result<std::vector<std::filesystem::path>> earlierCapture(const std::filesystem::path& directory) {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (std::filesystem::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name == SongFileName || isFrameFileName(name)) files.push_back(it->path());
    }
    if (error) return PlatformError{"cannot read '" + directory.string() + "': " + error.message()};
    std::sort(files.begin(), files.end());
    return files;
}

std::string describe(const std::vector<std::filesystem::path>& files) {
    std::int64_t frames = 0;
    bool song = false;
    for (const auto& file : files) {
        if (file.filename() == SongFileName) {
            song = true;
        } else {
            ++frames;
        }
    }
    std::string text;
    if (frames > 0) text = std::to_string(frames) + (frames == 1 ? " frame" : " frames") + " (" +
                           files.front().filename().string() + " ...)";
    if (song) text += std::string(text.empty() ? "" : " and ") + std::string(SongFileName);
    return text;
}

// What one run writes into the folder; unless kept, the destructor removes
// it again (and the folder, if this run made it), so a failed or
// interrupted capture leaves nothing half done.
class FrameFolder {
public:
    FrameFolder(std::filesystem::path directory, bool made) : directory_(std::move(directory)), made_(made) {}
    FrameFolder(const FrameFolder&) = delete;
    FrameFolder& operator=(const FrameFolder&) = delete;
    ~FrameFolder() {
        if (kept_) return;
        std::error_code ignored;
        for (std::int64_t k = 0; k < frames_; ++k) std::filesystem::remove(directory_ / frameFileName(k), ignored);
        if (song_) std::filesystem::remove(directory_ / SongFileName, ignored);
        if (made_) std::filesystem::remove(directory_, ignored);  // only if empty
    }
    void wroteSong() { song_ = true; }
    void wroteFrame() { ++frames_; }
    void keep() { kept_ = true; }

private:
    std::filesystem::path directory_;
    bool made_;
    bool song_ = false;
    std::int64_t frames_ = 0;
    bool kept_ = false;
};
}  // namespace

Result<CaptureSummary> captureToFrames(const CaptureOptions& options, const std::string& directory,
                                       bool replace, std::ostream& progress) {
    const Clock::time_point start = Clock::now();
    const std::filesystem::path folder(directory);
    std::error_code error;
    const bool made = std::filesystem::create_directories(folder, error);
    if (error) return PlatformError{"cannot write '" + directory + "': " + error.message()};
    auto earlier = earlierCapture(folder);
    if (!earlier) return earlier.error();
    if (!earlier.value().empty()) {
        if (!replace) {
            return PlatformError{"'" + directory + "' already holds a capture: " + describe(earlier.value()) +
                                 "; --force replaces it"};
        }
        // Stale frames of another length or rate must not mix with the new ones.
        for (const auto& file : earlier.value()) {
            if (!std::filesystem::remove(file, error) && error) {
                return PlatformError{"cannot remove '" + file.string() + "': " + error.message()};
            }
        }
    }
    FrameFolder written(folder, made);
    if (Status s = writeWav((folder / SongFileName).string(), soundtrack(options), SongRate); !s) return s.error();
    written.wroteSong();
    auto summary = drawFrames(options, progress, [&](std::int64_t k, const RgbaImage& image) {
        Status s = writePng((folder / frameFileName(k)).string(), image, PngSpeed::Fast);
        if (s) written.wroteFrame();
        return s;
    });
    if (!summary) return summary;
    written.keep();
    summary.value().totalSeconds = secondsSince(start);
    return summary;
}
