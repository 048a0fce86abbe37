#include "app/audio_request.h"

#include <gtest/gtest.h>

namespace {

TEST(DemoAudioRequest, Is48kHzFloatMonoWith8192FrameBuffers) {
    const AudioSpec request = demoAudioRequest();
    EXPECT_EQ(request.frequency, 48000);
    EXPECT_EQ(request.format, 0x8120);  // AUDIO_F32LSB
    EXPECT_EQ(request.channels, 1);
    EXPECT_EQ(request.samples, 8192);
    EXPECT_EQ(DemoAudioAllowedChanges, 0);
}

TEST(CheckObtainedAudio, AcceptsSdlsTenSampleFormats) {
    // U8, S8, U16LSB, U16MSB, S16LSB, S16MSB, S32LSB, S32MSB, F32LSB, F32MSB
    const std::uint16_t accepted[] = {0x0008, 0x8008, 0x0010, 0x1010, 0x8010,
                                      0x9010, 0x8020, 0x9020, 0x8120, 0x9120};
    for (const std::uint16_t format : accepted) {
        EXPECT_TRUE(isSdlSampleFormat(format)) << format;
        EXPECT_TRUE(checkObtainedAudio(AudioSpec{48000, format, 1, 8192}).ok()) << format;
    }
}

TEST(CheckObtainedAudio, RejectsOtherFormats) {
    // Not sample formats: nothing, float without sign bit, 24-bit, 64-bit float,
    // a 16-bit big-endian float that SDL does not have.
    const std::uint16_t rejected[] = {0x0000, 0x0120, 0x8018, 0x8140, 0x9110, 0xFFFF};
    for (const std::uint16_t format : rejected) {
        EXPECT_FALSE(isSdlSampleFormat(format)) << format;
        const Status status = checkObtainedAudio(AudioSpec{48000, format, 1, 8192});
        ASSERT_FALSE(status.ok()) << format;
        EXPECT_FALSE(status.error().text.empty());
    }
}

TEST(CheckObtainedAudio, NeedsAtLeast8000Hz) {
    EXPECT_TRUE(checkObtainedAudio(AudioSpec{8000, 0x8120, 1, 8192}).ok());
    EXPECT_TRUE(checkObtainedAudio(AudioSpec{44100, 0x8010, 2, 4096}).ok());
    EXPECT_FALSE(checkObtainedAudio(AudioSpec{7999, 0x8120, 1, 8192}).ok());
    EXPECT_FALSE(checkObtainedAudio(AudioSpec{0, 0x8120, 1, 8192}).ok());
    EXPECT_FALSE(checkObtainedAudio(AudioSpec{-48000, 0x8120, 1, 8192}).ok());
}

TEST(CheckObtainedAudio, NamesTheFormatAndRateItRejects) {
    const Status status = checkObtainedAudio(AudioSpec{4000, 0x8120, 1, 8192});
    ASSERT_FALSE(status.ok());
    EXPECT_NE(status.error().text.find("0x8120"), std::string::npos) << status.error().text;
    EXPECT_NE(status.error().text.find("4000 Hz"), std::string::npos) << status.error().text;
}

}  // namespace
