// The song pre-render: block structure, the end rule, downmix, and agreement
// with a plain frame-by-frame mixer written straight from the rules.
#include <gtest/gtest.h>

#include <algorithm>

#include "music/renderer.h"
#include "music/song.h"
#include "tests/music/module_builder.h"

namespace {

// The rules, value by value: interleaved stereo blocks of the sides' true
// (64-bit) sums, appended whole, the block with the end report dropped.
std::vector<std::int64_t> referenceSides(const std::vector<std::uint8_t>& bytes, std::int64_t rate) {
    Sequencer s = startSong(loadModule(bytes).value(), rate);
    std::vector<std::int64_t> stereo;
    std::vector<std::int64_t> block(4096);
    for (;;) {
        std::fill(block.begin(), block.end(), 0);
        std::int64_t framesLeft = 2048, f = 0;
        bool keep = true;
        while (framesLeft > 0) {
            const std::int64_t n = std::min(s.samplesPerTick - s.tickFramesDone, framesLeft);
            for (std::int64_t c = 0; c < s.module.channelCount; ++c) {
                ChannelState& ch = s.channels[static_cast<std::size_t>(c)];
                const SampleHeader& sample = s.module.samples[ch.playingSample];
                const std::uint64_t end = sample.loopStart + sample.loopLength;
                const std::int32_t v = ch.mixVolume, lw = v * (127 - ch.panning), rw = v * ch.panning;
                const std::int32_t gl = lw >> 5, gr = rw >> 5;
                std::int64_t i = 2 * f;
                const std::int64_t iEnd = 2 * (f + n);
                std::uint64_t pos = ch.position;
                for (;;) {
                    if (i >= iEnd) break;
                    if (pos >= end) {
                        if (sample.loopLength < 16385) {
                            pos = end;
                            break;
                        }
                        while (pos >= end) pos -= sample.loopLength;
                    }
                    std::uint64_t limit = pos + static_cast<std::uint64_t>((iEnd - i) / 2) * ch.step;
                    if (lw < 32 && rw < 32) {
                        pos = limit;
                        break;
                    }
                    limit = std::min(limit, end);
                    while (pos < limit) {
                        const std::int32_t x = static_cast<std::int8_t>(sample.data[pos >> 14]);
                        auto add = [&](std::int64_t at, std::int32_t value) {
                            block[static_cast<std::size_t>(at)] += value;
                        };
                        if (lw >= 32 && rw >= 32) {
                            add(i, (x * gl) >> 2);
                            add(i + 1, (x * gr) >> 2);
                        } else if (lw >= 32) {
                            add(i, x * v);
                        } else {
                            add(i + 1, x * v);
                        }
                        i += 2;
                        pos += ch.step;
                    }
                }
                ch.position = pos;
            }
            s.tickFramesDone += n;
            if (s.tickFramesDone == s.samplesPerTick) {
                if (s.tick()) keep = false;
                s.tickFramesDone = 0;
            }
            framesLeft -= n;
            f += n;
        }
        if (!keep) break;
        for (std::int64_t value : block) stereo.push_back(value);
    }
    return stereo;
}

// Then each side clamped to 16 bits, and the downmix.
SongBuffer referenceRender(const std::vector<std::uint8_t>& bytes, std::int64_t rate) {
    const std::vector<std::int64_t> stereo = referenceSides(bytes, rate);
    SongBuffer mono;
    const auto clamped = [](std::int64_t sum) { return std::clamp<std::int64_t>(sum, -32768, 32767); };
    for (std::size_t k = 0; k + 1 < stereo.size(); k += 2) {
        mono.push_back(static_cast<std::int16_t>((clamped(stereo[k]) + clamped(stereo[k + 1])) / 2));
    }
    return mono;
}

SongBuffer render(const std::vector<std::uint8_t>& bytes, std::int32_t rate) {
    MusicResult<SongBuffer> song = renderModule(bytes, rate);
    EXPECT_TRUE(song.ok()) << (song.ok() ? "" : song.error().message);
    return song.ok() ? song.value() : SongBuffer{};
}

std::vector<std::int8_t> wave(int length, int seed) {
    std::vector<std::int8_t> out;
    for (int i = 0; i < length; ++i) out.push_back(static_cast<std::int8_t>((i * 37 + seed * 101) % 256 - 128));
    return out;
}

// A busy two-pattern song: every channel plays, with slides, vibrato,
// arpeggio, loops, one-shots, offsets, retrigger and a tempo change.
ModuleBuilder busySong(int channels = 4, const char* signature = "M.K.") {
    ModuleBuilder b(2, channels, signature);
    b.orders({0, 1, 0});
    ModuleBuilder::Sample looped{wave(64, 1), 16, 48, 64, 0x03};
    ModuleBuilder::Sample oneShot{wave(300, 2), 0, 2, 50, 0x0F};
    ModuleBuilder::Sample tiny{wave(6, 3), 2, 4, 40, 0};
    b.sample(1, looped).sample(2, oneShot).sample(3, tiny);
    const int periods[] = {428, 381, 339, 285, 254, 214, 170, 143, 508, 570, 856, 113};
    for (int p = 0; p < 2; ++p) {
        for (int row = 0; row < 64; row += 2) {
            for (int c = 0; c < channels; ++c) {
                const int k = p * 64 + row + 7 * c;
                const int effects[][2] = {{0x0, 0x37}, {0x1, 0x03}, {0x2, 0x05}, {0x4, 0x46}, {0xA, 0x0F},
                                          {0x7, 0x8F}, {0x9, 0x01}, {0xC, 0x30}, {0xE, 0x93}, {0x6, 0x21},
                                          {0x3, 0x08}, {0xE, 0xC4}, {0xE, 0xD2}, {0x0, 0x00}, {0x8, 0x40}};
                const auto& e = effects[k % 15];
                b.cell(p, row, c, periods[k % 12], 1 + (k % 3), e[0], e[1]);
            }
        }
    }
    b.effect(0, 1, 0, 0xF, 0x91);
    b.effect(1, 33, 1, 0xF, 0x04);
    return b;
}

}  // namespace

TEST(Render, MatchesTheFrameByFrameRules) {
    for (const std::int32_t rate : {48000, 44100, 8000}) {
        const auto bytes = busySong().build();
        const SongBuffer song = render(bytes, rate);
        EXPECT_EQ(song, referenceRender(bytes, rate)) << rate;
        EXPECT_GT(std::count_if(song.begin(), song.end(), [](std::int16_t v) { return v != 0; }), 1000);
    }
}

TEST(Render, MatchesWithTwoSidedPanningAndClipping) {
    // Eight and sixteen channels with 8xx panning take the two-sided path;
    // their sums leave the 16-bit range and clip.
    for (const auto& [channels, signature] : {std::pair{8, "8CHN"}, std::pair{16, "16CH"}}) {
        const auto bytes = busySong(channels, signature).build();
        const SongBuffer song = render(bytes, 48000);
        EXPECT_EQ(song, referenceRender(bytes, 48000)) << channels;
    }
}

// A looping square wave of `amplitude` and -`amplitude`, 32 bytes each.
ModuleBuilder::Sample square(std::int8_t amplitude) {
    std::vector<std::int8_t> content(64, amplitude);
    std::fill(content.begin() + 32, content.end(), static_cast<std::int8_t>(-amplitude));
    return {content, 0, 64, 64, 0};
}

TEST(Render, LoudChannelsInUnisonClipInsteadOfWrappingAround) {
    // A twelve-channel module whose first `playing` channels play the same
    // square wave of +-127 at full volume (64). One channel alone gives
    // +-127 x 64 = +-8128 on the left, halved by the downmix. All twelve put
    // six on each side: +-48768, which clips to 32767 and -32768; wrapped
    // around, the wave came out upside down at -+16768.
    const auto unison = [](int playing) {
        ModuleBuilder b(1, 12, "12CH");
        b.sample(1, square(127));
        for (int c = 0; c < playing; ++c) b.cell(0, 0, c, 428, 1);
        return render(b.build(), 48000);
    };
    const SongBuffer one = unison(1);
    const SongBuffer twelve = unison(12);
    ASSERT_EQ(twelve.size(), one.size());
    ASSERT_GT(std::count(one.begin(), one.end(), 4064), 10000);
    ASSERT_GT(std::count(one.begin(), one.end(), -4064), 10000);
    for (std::size_t i = 0; i < one.size(); ++i) {
        const int expected = one[i] > 0 ? 32767 : one[i] < 0 ? -32768 : 0;
        ASSERT_EQ(twelve[i], expected) << "sample " << i;
    }
}

TEST(Render, ALoudSixteenChannelChordClipsWithTheSignOfItsTrueSum) {
    // Sixteen square waves of +-127 at sixteen pitches, all panned hard left
    // (800): the left side's true sum swings far past 16 bits. Each mono
    // value is that sum clamped, halved, and never of the opposite sign.
    ModuleBuilder b(1, 16, "16CH");
    b.sample(1, square(127));
    const int periods[] = {856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453, 428, 404, 381, 360};
    for (int c = 0; c < 16; ++c) b.cell(0, 0, c, periods[c], 1, 0x8, 0x00);
    const auto bytes = b.build();
    const SongBuffer song = render(bytes, 48000);
    const std::vector<std::int64_t> sides = referenceSides(bytes, 48000);
    ASSERT_EQ(sides.size(), 2 * song.size());
    std::size_t clipped = 0;
    for (std::size_t i = 0; i < song.size(); ++i) {
        const std::int64_t left = sides[2 * i];
        ASSERT_EQ(sides[2 * i + 1], 0) << "frame " << i;
        ASSERT_EQ(song[i], std::clamp<std::int64_t>(left, -32768, 32767) / 2) << "frame " << i;
        if (left > 1) {
            ASSERT_GT(song[i], 0) << "frame " << i;
        } else if (left < -1) {
            ASSERT_LT(song[i], 0) << "frame " << i;
        }
        if (left < -32768 || left > 32767) ++clipped;
    }
    EXPECT_GT(clipped, song.size() / 10);
}

TEST(Render, EndOnTheLastFrameOfABlockDropsThatBlock) {
    // 64 rows x 6 ticks x 960 frames = 368640 = 180 blocks: the end is
    // reported on the last frame of block 180, which is dropped.
    const auto bytes = ModuleBuilder().build();
    EXPECT_EQ(render(bytes, 48000).size(), 179u * 2048);
    // At 44100: 384 ticks x 882 frames = 338688; the end falls in block 166.
    EXPECT_EQ(render(bytes, 44100).size(), 165u * 2048);
    EXPECT_EQ(keptFrames(startSong(loadModule(bytes).value(), 44100), 1'000'000), 165 * 2048);
}

TEST(Render, TempoOfTheFirstRowAppliesFromTheFirstFrame) {
    // Tempo 32: 3750 frames per tick; the note on row 1 starts at frame 22500.
    ModuleBuilder b;
    b.constantSample(1, 64, 10).effect(0, 0, 2, 0xF, 0x20).cell(0, 1, 0, 428, 1);
    const auto bytes = b.build();
    const SongBuffer song = render(bytes, 48000);
    EXPECT_EQ(song[22499], 0);
    EXPECT_EQ(song[22500], 10 * 128 / 2);  // hard left at mixVolume 128, halved by the downmix
    EXPECT_EQ(song.size(), (64u * 6 * 3750 - 1) / 2048 * 2048);
}

TEST(Render, TempoChangeMidBlockTakesEffectAtTheTickBoundary) {
    ModuleBuilder b;
    b.constantSample(1, 64, 10).effect(0, 1, 2, 0xF, 0xFA).cell(0, 2, 0, 428, 1);
    const auto bytes = b.build();
    const SongBuffer song = render(bytes, 48000);
    // Row 0 at 960 frames per tick, row 1 at 480 (tempo 250).
    EXPECT_EQ(song[6 * 960 + 6 * 480 - 1], 0);
    EXPECT_EQ(song[6 * 960 + 6 * 480], 640);
}

TEST(Render, LeftAndRightChannelsDownmixToTheirMean) {
    ModuleBuilder b;
    b.constantSample(1, 64, -3).constantSample(2, 64, 1);
    // Channel 0 (left) plays -3 x 128, channel 1 (right) plays 1 x 128.
    b.cell(0, 0, 0, 428, 1).cell(0, 0, 1, 428, 2);
    const SongBuffer song = render(b.build(), 48000);
    EXPECT_EQ(song[0], (-384 + 128) / 2);
    EXPECT_EQ(song[100000], -128);
}

TEST(Render, BuiltInSongFillsTheBlocksBeforeItsEnd) {
    ASSERT_FALSE(builtinModuleBytes().empty());
    // 7296 ticks of 750 frames end 1792 frames into block 2672.
    EXPECT_EQ(renderSong(48000).size(), 5470208u);
    EXPECT_EQ(renderSong(44100).size(), (7296u * 689 - 1) / 2048 * 2048);
}

TEST(Render, BuiltInSongMatchesTheFrameByFrameRules) {
    const auto bytes = std::vector<std::uint8_t>(builtinModuleBytes().begin(), builtinModuleBytes().end());
    EXPECT_EQ(renderSong(48000), referenceRender(bytes, 48000));
}

TEST(Render, BuiltInSongsSidesNeverLeaveSixteenBits) {
    // Every true sum of the built-in song fits in 16 bits at the rates a
    // device may give: there 16-bit wrapping additions, the sums clamped once
    // and the true sums are the same numbers, so clipping instead of wrapping
    // leaves every sample of the demo's song as it was.
    const auto bytes = std::vector<std::uint8_t>(builtinModuleBytes().begin(), builtinModuleBytes().end());
    for (const std::int64_t rate : {48000, 44100, 22050}) {
        const std::vector<std::int64_t> sides = referenceSides(bytes, rate);
        ASSERT_FALSE(sides.empty());
        const auto [low, high] = std::minmax_element(sides.begin(), sides.end());
        EXPECT_GE(*low, -32768) << rate;
        EXPECT_LE(*high, 32767) << rate;
    }
}
