// The demo's picture, guarded: frames at fixed times and a fixed jitter seed
// compared with the reference images in tests/capture/reference/. One frame
// per window of the timeline and the frames on both sides of each boundary.
//
// When the picture changes on purpose, regenerate the references with
//   INVITE_UPDATE_REFERENCES=1 ctest --test-dir build -R ScenePictures
// and look at them before committing. A failing case writes
// NAME-actual.png and NAME-difference.png into the build's
// tests/capture/picture-failures/.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tools/invite-tool/offscreen_demo.h"
#include "tools/invite-tool/png_image.h"
#include "tools/invite-tool/rgba_image.h"

namespace {
// The seed of every reference frame.
constexpr std::uint64_t ReferenceSeed = 2025;
// The renderer is integer and deterministic; this leaves room only for a
// different SDL rounding a blend by a step or two (INVITE_PICTURE_TOLERANCE,
// see CMakeLists.txt).
constexpr std::int32_t ChannelTolerance = INVITE_PICTURE_TOLERANCE;

struct PictureCase {
    double t;
    const char* what;
};

const PictureCase PictureCases[] = {
    {0.001, "first frame: signature at rest"},
    {0.5, "last frame of the resting signature"},
    {0.501, "the signature starts to bounce"},
    {6.0, "bouncing signature"},
    {11.999, "last frame before the wave backdrop"},
    {12.0, "wave backdrop appears"},
    {15.0, "wave backdrop over the signature"},
    {17.999, "last frame before the slogan"},
    {18.0, "slogan scroller starts"},
    {24.0, "slogan scroller"},
    {29.999, "last frame before the invitation"},
    {30.0, "invitation scene starts"},
    {45.0, "invitation lines"},
    {62.25, "invitation title changes"},
    {62.999, "last frame of the invitation"},
    {63.0, "greetings scene starts"},
    {75.0, "greetings"},
    {89.999, "last frame of the greetings"},
    {90.0, "signature returns"},
    {100.0, "returned signature"},
    {114.0, "last frame of the demo"},
};

void PrintTo(const PictureCase& c, std::ostream* out) { *out << "t = " << c.t << " (" << c.what << ")"; }

std::string caseName(double t) {
    char name[32];
    std::snprintf(name, sizeof name, "t%07.3f", t);  // t062.250
    return name;
}

std::filesystem::path referencePath(double t) {
    return std::filesystem::path(INVITE_REFERENCE_DIR) / (caseName(t) + ".png");
}

bool updatingReferences() {
    const char* value = std::getenv("INVITE_UPDATE_REFERENCES");
    return value != nullptr && std::string(value) == "1";
}

class ScenePictures : public ::testing::TestWithParam<PictureCase> {};
}  // namespace

TEST_P(ScenePictures, MatchesTheReferenceImage) {
    const PictureCase& c = GetParam();
    auto demo = OffscreenDemo::create();
    ASSERT_TRUE(demo) << demo.error().text;
    auto actual = renderStill(demo.value(), c.t, ReferenceSeed);
    ASSERT_TRUE(actual) << actual.error().text;
    ASSERT_EQ(actual.value().width, DemoWidth);
    ASSERT_EQ(actual.value().height, DemoHeight);

    const std::filesystem::path reference = referencePath(c.t);
    if (updatingReferences()) {
        ASSERT_TRUE(writePng(reference.string(), actual.value()));
        std::printf("wrote %s (%s)\n", reference.c_str(), c.what);
        return;
    }
    auto expected = readPng(reference.string());
    ASSERT_TRUE(expected) << expected.error().text
                          << "\nmake it with INVITE_UPDATE_REFERENCES=1 ctest --test-dir build -R "
                             "ScenePictures";
    ASSERT_EQ(expected.value().width, DemoWidth);
    ASSERT_EQ(expected.value().height, DemoHeight);

    const ImageComparison comparison =
        compareImages(expected.value(), actual.value(), ChannelTolerance);
    const std::filesystem::path failures(INVITE_FAILURE_DIR);
    const std::filesystem::path actualPath = failures / (caseName(c.t) + "-actual.png");
    const std::filesystem::path differencePath = failures / (caseName(c.t) + "-difference.png");
    if (comparison.differingPixels == 0) {
        // Pictures of an earlier failure would only mislead now.
        std::filesystem::remove(actualPath);
        std::filesystem::remove(differencePath);
        return;
    }
    std::filesystem::create_directories(failures);
    EXPECT_TRUE(writePng(actualPath.string(), actual.value()));
    EXPECT_TRUE(writePng(differencePath.string(), comparison.difference));
    ADD_FAILURE() << "t = " << c.t << " (" << c.what << "): " << comparison.differingPixels
                  << " pixels differ from " << reference << " by more than " << ChannelTolerance
                  << " (largest channel difference " << comparison.largestChannelDelta
                  << ")\n  actual:     " << actualPath << "\n  difference: " << differencePath;
}

INSTANTIATE_TEST_SUITE_P(EveryWindowAndBoundary, ScenePictures, ::testing::ValuesIn(PictureCases),
                         [](const ::testing::TestParamInfo<PictureCase>& info) {
                             std::string name = caseName(info.param.t);
                             for (char& ch : name) {
                                 if (ch == '.') ch = '_';
                             }
                             return name;
                         });

TEST(OffscreenStill, SameSeedGivesTheSamePixels) {
    auto demo = OffscreenDemo::create();
    ASSERT_TRUE(demo) << demo.error().text;
    for (double t : {6.0, 45.0, 75.0}) {
        auto first = renderStill(demo.value(), t, 99);
        auto between = renderStill(demo.value(), t + 1.0, 98);  // disturbs the canvas and generator
        auto second = renderStill(demo.value(), t, 99);
        ASSERT_TRUE(first && between && second);
        EXPECT_EQ(first.value().bytes, second.value().bytes) << "t = " << t;
    }
}

TEST(OffscreenStill, FirstFrameIsClearedToTheBackground) {
    auto demo = OffscreenDemo::create();
    ASSERT_TRUE(demo) << demo.error().text;
    auto frame = renderStill(demo.value(), 0.001, 1);
    ASSERT_TRUE(frame);
    // The corner opposite the resting signature shows the clear colour.
    const Rgba corner = frame.value().at(DemoWidth - 1, DemoHeight - 1);
    EXPECT_EQ(corner.r, 12);
    EXPECT_EQ(corner.g, 12);
    EXPECT_EQ(corner.b, 12);
    EXPECT_EQ(corner.a, 255);
}
