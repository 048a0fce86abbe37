// The audio callback: conversion, the n - 1 rule, the end and silence.
#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "music/audio_stream.h"

namespace {

std::vector<float> callback(AudioStream& stream, int count) {
    std::vector<float> out(static_cast<std::size_t>(count), 123.0f);
    audioCallback(&stream, reinterpret_cast<std::uint8_t*>(out.data()), count * 4);
    return out;
}

SongBuffer ramp(int n) {
    SongBuffer song(static_cast<std::size_t>(n));
    std::iota(song.begin(), song.end(), std::int16_t{1});
    return song;
}

std::vector<float> floats(std::initializer_list<int> values) {
    std::vector<float> out;
    for (int v : values) out.push_back(static_cast<float>(v / 32767.0));
    return out;
}

}  // namespace

TEST(AudioStream, SilenceBeforeASongIsInstalled) {
    AudioStream stream;
    EXPECT_EQ(callback(stream, 4), std::vector<float>(4, 0.0f));
}

TEST(AudioStream, PlaysOnceAndNeverTheLastSample) {
    AudioStream stream;
    installSong(stream, ramp(10));
    EXPECT_EQ(callback(stream, 4), floats({1, 2, 3, 4}));
    EXPECT_EQ(stream.position, 4u);
    EXPECT_EQ(callback(stream, 4), floats({5, 6, 7, 8}));
    // Index 8 is the last one played (n - 2), then silence; the song ends.
    EXPECT_EQ(callback(stream, 4), floats({9, 0, 0, 0}));
    EXPECT_FALSE(stream.playing);
    EXPECT_EQ(stream.position, 0u);
    EXPECT_EQ(callback(stream, 4), floats({0, 0, 0, 0}));
}

TEST(AudioStream, EndingExactlyAtNMinusOneFillsTheWholeBuffer) {
    AudioStream stream;
    installSong(stream, ramp(9));
    callback(stream, 4);
    EXPECT_EQ(callback(stream, 4), floats({5, 6, 7, 8}));
    EXPECT_FALSE(stream.playing);
}

TEST(AudioStream, ConvertsByDividingBy32767) {
    AudioStream stream;
    installSong(stream, SongBuffer{-32768, 32767, 0, -1, 1});
    const std::vector<float> out = callback(stream, 4);
    EXPECT_FLOAT_EQ(out[0], -1.0000305f);
    EXPECT_EQ(out[0], static_cast<float>(-32768 / 32767.0));
    EXPECT_EQ(out[1], 1.0f);
    EXPECT_EQ(out[2], 0.0f);
    EXPECT_EQ(out[3], static_cast<float>(-1 / 32767.0));
}

TEST(AudioStream, EmptyAndOneSampleSongsPlaySilence) {
    for (int n : {0, 1}) {
        AudioStream stream;
        installSong(stream, ramp(n));
        EXPECT_EQ(callback(stream, 3), std::vector<float>(3, 0.0f)) << n;
        EXPECT_EQ(callback(stream, 3), std::vector<float>(3, 0.0f)) << n;
    }
}

TEST(AudioStream, InstallingAgainStartsOver) {
    AudioStream stream;
    installSong(stream, ramp(4));
    callback(stream, 8);
    EXPECT_FALSE(stream.playing);
    installSong(stream, ramp(6));
    EXPECT_TRUE(stream.playing);
    EXPECT_EQ(callback(stream, 2), floats({1, 2}));
}

TEST(AudioStream, BuiltInSongLengthEndsOnThe668thCallback) {
    AudioStream stream;
    installSong(stream, SongBuffer(5470208, 7));
    for (int i = 0; i < 667; ++i) {
        callback(stream, 8192);
        ASSERT_TRUE(stream.playing) << i;
    }
    const std::vector<float> last = callback(stream, 8192);
    EXPECT_FALSE(stream.playing);
    EXPECT_EQ(last[6142], static_cast<float>(7 / 32767.0));
    EXPECT_EQ(last[6143], 0.0f);
    EXPECT_EQ(std::count(last.begin(), last.end(), 0.0f), 2049);
}
