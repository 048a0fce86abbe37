#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "music/tables.h"

TEST(Tables, FinetuneFactorsAreSixteenthSemitonesAroundOne) {
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(FinetuneFactors[i], std::lround(4096.0 * std::pow(2.0, -(i - 8) / 96.0))) << i;
    }
    EXPECT_EQ(FinetuneFactors[8], 4096);
}

TEST(Tables, SemitoneFactorsAreEqualTemperedSteps) {
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(SemitoneFactors[i], std::lround(4096.0 * std::pow(2.0, -i / 12.0))) << i;
    }
}

TEST(Tables, VibratoSineIsASymmetricHalfWaveCloseToTheSine) {
    EXPECT_EQ(VibratoSine[0], 0);
    EXPECT_EQ(VibratoSine[16], 255);
    for (int i = 1; i < 16; ++i) {
        EXPECT_EQ(VibratoSine[i], VibratoSine[32 - i]) << i;
        EXPECT_NEAR(VibratoSine[i], 255.0 * std::sin(std::numbers::pi * i / 32.0), 3.0) << i;
    }
    // The historical table is not exactly the rounded sine.
    EXPECT_EQ(VibratoSine[1], 24);
    EXPECT_EQ(std::lround(255.0 * std::sin(std::numbers::pi / 32.0)), 25);
}
