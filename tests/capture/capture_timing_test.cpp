// What a capture draws and when: frame times, frame counts, the soundtrack
// under the video, its WAV bytes, the progress line and the options.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "tools/invite-tool/capture.h"
#include "tools/invite-tool/capture_timeline.h"
#include "tools/invite-tool/command_line.h"
#include "tools/invite-tool/offscreen_demo.h"
#include "tools/invite-tool/progress_bar.h"
#include "tools/invite-tool/wav_file.h"

TEST(CaptureFrames, FirstFrameIsTheDemosFirstAndTheLastStaysWithinTheEnd) {
    EXPECT_EQ(captureFrameTime(0, 60), 0.001);
    EXPECT_EQ(captureFrameTime(1, 60), 1.0 / 60);
    EXPECT_EQ(captureFrameTime(6840, 60), 114.0);
    struct Case {
        std::int32_t fps;
        double until;
        std::int64_t frames;
    };
    const Case cases[] = {
        {60, 114.0, 6841},  // 0.001, 1/60, ..., 114 exactly
        {30, 114.0, 3421},
        {25, 114.0, 2851},
        {7, 114.0, 799},    // 798 / 7 = 114 exactly
        {60, 1.0, 61},
        {30, 0.5, 16},
        {60, 0.0, 1},       // the first frame always
        {1, 0.999, 1},
        {3, 0.1, 1},
        {10, 0.3, 4},       // 3 / 10 is 0.3 exactly as doubles divide
    };
    for (const Case& c : cases) {
        const std::int64_t frames = captureFrameCount(c.fps, c.until);
        EXPECT_EQ(frames, c.frames) << c.fps << " fps until " << c.until;
        EXPECT_LE(captureFrameTime(frames - 1, c.fps), std::max(c.until, FirstFrameTime));
        EXPECT_GT(captureFrameTime(frames, c.fps), c.until);
    }
}

TEST(FitPlacement, LargestWholeFactorThatFitsCentredWithTheOddPixelRightAndBelow) {
    struct Case {
        FrameSize frame;
        std::optional<FitPlacement> placement;
    };
    const Case cases[] = {
        {{640, 400}, FitPlacement{1, 0, 0}},       // the picture itself
        {{641, 401}, FitPlacement{1, 0, 0}},       // odd remainders: the extra pixel right and below
        {{642, 403}, FitPlacement{1, 1, 1}},
        {{1279, 799}, FitPlacement{1, 319, 199}},  // one short of twice in both sides
        {{1280, 800}, FitPlacement{2, 0, 0}},
        {{1280, 720}, FitPlacement{1, 320, 160}},  // 720p: the height allows only 1
        {{1920, 1080}, FitPlacement{2, 320, 140}}, // 1080p: 1280 x 800 inside
        {{1920, 1200}, FitPlacement{3, 0, 0}},
        {{2560, 1440}, FitPlacement{3, 320, 120}},
        {{3840, 2160}, FitPlacement{5, 320, 80}},  // 4K: the height allows 5, the width 6
        {{8192, 400}, FitPlacement{1, 3776, 0}},   // a wide strip
        {{640, 8192}, FitPlacement{1, 0, 3896}},   // a tall strip
        {{639, 400}, std::nullopt},                // smaller than the picture
        {{640, 399}, std::nullopt},
        {{0, 0}, std::nullopt},
    };
    for (const Case& c : cases) {
        const auto placement = fitPlacement(c.frame);
        EXPECT_EQ(placement, c.placement) << c.frame.width << "x" << c.frame.height;
        if (!placement) continue;
        // The enlarged picture lies inside the frame, no margin holds another
        // whole step, and the two margins of a side differ by at most one.
        const std::int32_t w = DemoWidth * placement->factor, h = DemoHeight * placement->factor;
        EXPECT_LE(placement->x + w, c.frame.width);
        EXPECT_LE(placement->y + h, c.frame.height);
        EXPECT_TRUE(c.frame.width < w + DemoWidth || c.frame.height < h + DemoHeight);
        EXPECT_LE(c.frame.width - w - 2 * placement->x, 1);
        EXPECT_LE(c.frame.height - h - 2 * placement->y, 1);
    }
}

TEST(FitPlacement, FrameSizeIsTheFitOrTheScaledPicture) {
    CaptureOptions options;
    EXPECT_EQ(captureFrameSize(options), (FrameSize{640, 400}));
    options.scale = 3;
    EXPECT_EQ(captureFrameSize(options), (FrameSize{1920, 1200}));
    options.scale = 1;
    options.fit = FrameSize{1920, 1080};
    EXPECT_EQ(captureFrameSize(options), (FrameSize{1920, 1080}));
}

TEST(Soundtrack, StartsWithTheSongAndLastsAsLongAsTheVideo) {
    const std::vector<std::int16_t> song = {5, -6, 7, -8, 9};
    // 3 frames at 10 fps at a rate of 20: 0.3 s = 6 samples, the last one silence.
    EXPECT_EQ(soundtrackFor(song, 20, 3, 10), (std::vector<std::int16_t>{5, -6, 7, -8, 9, 0}));
    // A shorter video cuts the song.
    EXPECT_EQ(soundtrackFor(song, 20, 1, 10), (std::vector<std::int16_t>{5, -6}));
    // The whole demo at 60 fps: 6841 frames = 114.01667 s = 5472800 samples at 48000.
    EXPECT_EQ(soundtrackFor({}, SongRate, 6841, 60).size(), 5472800u);
    // 1 frame at 7 fps at 48000 Hz: 6857.14 samples, rounded to 6857.
    EXPECT_EQ(soundtrackFor({}, SongRate, 1, 7).size(), 6857u);
}

TEST(WavFile, HeaderDescribesMono16BitPcmAndSamplesAreLittleEndian) {
    const std::vector<std::int16_t> samples = {0x0102, -2};
    const std::vector<std::uint8_t> bytes = wavBytes(samples, 48000);
    const std::vector<std::uint8_t> expected = {
        'R', 'I', 'F', 'F', 40, 0, 0, 0, 'W', 'A', 'V', 'E',          //
        'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 1, 0,                  // PCM, mono
        0x80, 0xBB, 0, 0,                                             // 48000 Hz
        0x00, 0x77, 1, 0,                                             // 96000 bytes/s
        2, 0, 16, 0,                                                  // 2 bytes/frame, 16 bits
        'd', 'a', 't', 'a', 4, 0, 0, 0, 0x02, 0x01, 0xFE, 0xFF};
    EXPECT_EQ(bytes, expected);
}

TEST(ProgressLine, FillsTheBarInProportion) {
    EXPECT_EQ(formatProgress(0, 200, 0.0, 10), "[..........]   0%  0/200 frames");
    EXPECT_EQ(formatProgress(99, 200, 612.4, 10), "[####......]  49%  99/200 frames  612 fps");
    EXPECT_EQ(formatProgress(200, 200, 0.0, 10), "[##########] 100%  200/200 frames");
    EXPECT_EQ(formatProgress(250, 200, 0.0, 4), "[####] 100%  200/200 frames");
}

TEST(CaptureCommandLine, SplitsOptionsFromPositionalArguments) {
    std::string error;
    const std::vector<std::string_view> args = {"out.mp4", "--fps", "30", "-2.5", "--seed", "7", "--fps", "25"};
    const auto parsed = parseArguments(args, {"--fps", "--seed"}, error);
    ASSERT_TRUE(parsed) << error;
    EXPECT_EQ(parsed->positional, (std::vector<std::string_view>{"out.mp4", "-2.5"}));
    EXPECT_EQ(parsed->option("--fps"), "25");  // the last one counts
    EXPECT_EQ(parsed->option("--seed"), "7");
    EXPECT_FALSE(parsed->option("--scale"));

    const std::vector<std::string_view> unknown = {"--speed", "3"};
    EXPECT_FALSE(parseArguments(unknown, {"--fps"}, error));
    EXPECT_EQ(error, "unknown option --speed");
    const std::vector<std::string_view> missing = {"x", "--fps"};
    EXPECT_FALSE(parseArguments(missing, {"--fps"}, error));
    EXPECT_EQ(error, "--fps needs a value");
}

TEST(CaptureCommandLine, NumbersAreReadStrictly) {
    EXPECT_EQ(parseNumber("62.25"), 62.25);
    EXPECT_EQ(parseNumber("-1"), -1.0);
    for (const char* bad : {"", "1e3", "nan", "inf", "12s", " 3", "0x10"}) {
        EXPECT_FALSE(parseNumber(bad)) << bad;
    }
    EXPECT_EQ(parseWholeNumber("60", 1, 240), 60);
    for (const char* bad : {"0", "241", "6.0", "-5", "x"}) {
        EXPECT_FALSE(parseWholeNumber(bad, 1, 240)) << bad;
    }
    EXPECT_EQ(parseSeed("18446744073709551615"), 18446744073709551615u);
    for (const char* bad : {"", "-1", "18446744073709551616", "1.5"}) {
        EXPECT_FALSE(parseSeed(bad)) << bad;
    }
}

TEST(SeededJitter, TheWholeStreamFollowsFromTheSeedAcrossReKeys) {
    // 65536 bytes per key: 40000 words cross two re-keys.
    constexpr int Words = 40000;
    const auto stream = [](std::uint64_t seed) {
        useJitterSeed(seed);
        const std::shared_ptr<ThreadRandom> random = currentThreadRandom();
        std::vector<std::uint32_t> words(Words);
        for (std::uint32_t& word : words) word = random->nextWord();
        return words;
    };
    const std::vector<std::uint32_t> first = stream(11);
    EXPECT_EQ(stream(11), first);
    const std::vector<std::uint32_t> other = stream(12);
    // Different seeds differ in the first key and in every later one.
    EXPECT_NE(std::vector<std::uint32_t>(other.begin(), other.begin() + 16),
              std::vector<std::uint32_t>(first.begin(), first.begin() + 16));
    EXPECT_NE(std::vector<std::uint32_t>(other.end() - 16, other.end()),
              std::vector<std::uint32_t>(first.end() - 16, first.end()));

    // Without a seed the operating system keys the generator afresh.
    useJitterSeed(std::nullopt);
    const std::shared_ptr<ThreadRandom> fresh = currentThreadRandom();
    std::vector<std::uint32_t> words(16);
    for (std::uint32_t& word : words) word = fresh->nextWord();
    EXPECT_NE(words, std::vector<std::uint32_t>(first.begin(), first.begin() + 16));
}

TEST(SeededJitter, KeyCarriesTheSeedAndIsNeverAllZero) {
    const ThreadRandom::Key zero = seedKey(0);
    EXPECT_NE(zero, ThreadRandom::Key{});
    const ThreadRandom::Key key = seedKey(0x0102030405060708u);
    EXPECT_EQ(key[0], 0x08);
    EXPECT_EQ(key[7], 0x01);
    EXPECT_NE(seedKey(1), seedKey(2));
}
