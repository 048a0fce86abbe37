// The song pre-render: block structure, the end rule, downmix, and agreement
// with a plain frame-by-frame mixer written straight from the rules.
#include <gtest/gtest.h>

#include <algorithm>

#include "music/renderer.h"
#include "music/song.h"
#include "tests/music/module_builder.h"

namespace {

// The rules, value by value: interleaved stereo blocks appended whole, the
// block with the end report dropped, then the downmix.
SongBuffer referenceRender(const std::vector<std::uint8_t>& bytes, std::int64_t rate) {
    Sequencer s = startSong(loadModule(bytes).value(), rate);
    std::vector<std::int16_t> stereo;
    std::vector<std::int16_t> block(4096);
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
                            block[static_cast<std::size_t>(at)] = static_cast<std::int16_t>(
                                static_cast<std::uint16_t>(block[static_cast<std::size_t>(at)] + value));
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
        for (std::int16_t value : block) stereo.push_back(value);
    }
    SongBuffer mono;
    for (std::size_t k = 0; k + 1 < stereo.size(); k += 2) {
        mono.push_back(static_cast<std::int16_t>((std::int32_t{stereo[k]} + stereo[k + 1]) / 2));
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

TEST(Render, MatchesWithTwoSidedPanningAndWrapAround) {
    // Eight channels with 8xx panning take the two-sided path; the sums wrap.
    const auto bytes = busySong(8, "8CHN").build();
    const SongBuffer song = render(bytes, 48000);
    EXPECT_EQ(song, referenceRender(bytes, 48000));
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
