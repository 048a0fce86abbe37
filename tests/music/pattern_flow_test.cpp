// Position jump, pattern break, pattern loop and the end of the song.
#include "tests/music/sequencer_support.h"

namespace {

struct Step {
    std::int64_t order, row;
    bool ended;
    bool operator==(const Step&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Step& s) {
    return out << "{" << s.order << "," << s.row << (s.ended ? ",end" : "") << "}";
}

// Order, row and end report of the first tick and the next rows - 1 ticks.
// The builders below set speed 1, so every tick starts a row.
std::vector<Step> walk(const std::vector<std::uint8_t>& bytes, int rows) {
    MusicResult<Module> module = loadModule(bytes);
    EXPECT_TRUE(module.ok());
    Sequencer s(module.value(), 48000);
    std::vector<Step> steps;
    for (int i = 0; i < rows; ++i) {
        const bool ended = s.tick();
        steps.push_back({s.order, s.row, ended});
    }
    return steps;
}

ModuleBuilder fastSong(int patterns, std::initializer_list<std::uint8_t> orders) {
    ModuleBuilder builder(patterns);
    builder.orders(orders);
    for (int p = 0; p < patterns; ++p) builder.effect(p, 0, 3, 0xF, 1);
    return builder;
}

}  // namespace

TEST(PatternFlow, FirstTickReportsTheEndAndRowsRunThroughThePositions) {
    auto bytes = fastSong(2, {0, 1}).build();
    const auto steps = walk(bytes, 130);
    EXPECT_EQ(steps[0], (Step{0, 0, true}));  // the renderer ignores this one
    EXPECT_EQ(steps[63], (Step{0, 63, false}));
    EXPECT_EQ(steps[64], (Step{1, 0, false}));
    EXPECT_EQ(steps[127], (Step{1, 63, false}));
    EXPECT_EQ(steps[128], (Step{0, 0, true}));  // wrapped: the end of the song
    EXPECT_EQ(steps[129], (Step{0, 1, false}));
}

TEST(PatternFlow, SpeedSixSongEndsOnTheCallAfterAllTicks) {
    auto bytes = ModuleBuilder(2).orders({0, 1}).build();
    MusicResult<Module> module = loadModule(bytes);
    Sequencer s(module.value(), 48000);
    EXPECT_TRUE(s.tick());
    int calls = 1;
    while (!s.tick()) ++calls;
    EXPECT_EQ(calls + 1, 2 * 64 * 6 + 1);
}

TEST(PatternFlow, PositionJump) {
    auto forward = fastSong(3, {0, 1, 2}).effect(0, 5, 0, 0xB, 2).build();
    EXPECT_EQ(walk(forward, 7)[6], (Step{2, 0, false}));
    auto back = fastSong(3, {0, 1, 2}).effect(1, 5, 0, 0xB, 0).build();
    EXPECT_EQ(walk(back, 71)[70], (Step{0, 0, true}));
    auto same = fastSong(3, {0, 1, 2}).effect(0, 5, 0, 0xB, 0).build();
    EXPECT_EQ(walk(same, 7)[6], (Step{0, 0, true}));
    auto beyond = fastSong(3, {0, 1, 2}).effect(1, 5, 0, 0xB, 3).build();  // at the song length
    EXPECT_EQ(walk(beyond, 71)[70], (Step{0, 0, true}));
    auto far = fastSong(3, {0, 1, 2}).effect(1, 5, 0, 0xB, 0xFF).build();
    EXPECT_EQ(walk(far, 71)[70], (Step{0, 0, true}));
}

TEST(PatternFlow, PatternBreakRowsAreDecimal) {
    auto d3f = fastSong(2, {0, 1}).effect(0, 1, 0, 0xD, 0x3F).build();
    EXPECT_EQ(walk(d3f, 3)[2], (Step{1, 45, false}));
    auto d64 = fastSong(2, {0, 1}).effect(0, 1, 0, 0xD, 0x64).build();
    EXPECT_EQ(walk(d64, 3)[2], (Step{1, 0, false}));
    auto d63 = fastSong(2, {0, 1}).effect(0, 1, 0, 0xD, 0x63).build();
    EXPECT_EQ(walk(d63, 3)[2], (Step{1, 63, false}));
    // A break on the last position wraps to position 0 at row 0, whatever the row.
    auto last = fastSong(2, {0, 1}).effect(1, 1, 0, 0xD, 0x10).build();
    EXPECT_EQ(walk(last, 67)[66], (Step{0, 0, true}));
}

TEST(PatternFlow, LaterChannelWinsWhenJumpAndBreakShareARow) {
    auto jumpThenBreak = fastSong(3, {0, 1, 2}).effect(0, 1, 0, 0xB, 2).effect(0, 1, 2, 0xD, 0x10).build();
    EXPECT_EQ(walk(jumpThenBreak, 3)[2], (Step{2, 10, false}));
    auto breakThenJump = fastSong(3, {0, 1, 2}).effect(0, 1, 0, 0xD, 0x10).effect(0, 1, 2, 0xB, 2).build();
    EXPECT_EQ(walk(breakThenJump, 3)[2], (Step{2, 0, false}));
}

TEST(PatternFlow, PatternLoopPlaysTheRowsAgain) {
    auto bytes = fastSong(2, {0, 1}).effect(0, 8, 1, 0xE, 0x60).effect(0, 11, 1, 0xE, 0x62).build();
    MusicResult<Module> module = loadModule(bytes);
    Sequencer s(module.value(), 48000);
    Trace rows;
    for (int i = 0; i < 22; ++i) {
        s.tick();
        rows.push_back(s.row);
        if (i == 19) {
            EXPECT_EQ(s.channels[1].loopStartRow, 12);  // set on the third pass of row 11
            EXPECT_EQ(s.loopCount, -1);
        }
    }
    EXPECT_EQ(rows, (Trace{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 8, 9, 10, 11, 8, 9, 10, 11, 12, 13}));
}

TEST(PatternFlow, PatternLoopWithoutStartLoopsFromRowZero) {
    auto bytes = fastSong(1, {0}).effect(0, 2, 0, 0xE, 0x61).build();
    Trace rows;
    for (const Step& step : walk(bytes, 8)) rows.push_back(step.row);
    EXPECT_EQ(rows, (Trace{0, 1, 2, 0, 1, 2, 3, 4}));
}

TEST(PatternFlow, RunningLoopIgnoresJumpsAndOtherChannelsLoops) {
    auto bytes = fastSong(2, {0, 1})
                     .effect(0, 1, 0, 0xE, 0x61)
                     .effect(0, 1, 1, 0xB, 1)
                     .effect(0, 1, 2, 0xE, 0x63)  // channel 0 owns the loop
                     .build();
    const auto steps = walk(bytes, 5);
    EXPECT_EQ(steps, (std::vector<Step>{{0, 0, true}, {0, 1, false}, {0, 0, false}, {0, 1, false}, {1, 0, false}}));
}

TEST(PatternFlow, PositionChangeResetsLoopStarts) {
    auto bytes = fastSong(2, {0, 1}).effect(0, 30, 0, 0xE, 0x60).effect(1, 2, 0, 0xE, 0x61).build();
    Trace rows;
    for (const Step& step : walk(bytes, 70)) rows.push_back(step.order * 100 + step.row);
    EXPECT_EQ(std::vector<std::int64_t>(rows.begin() + 64, rows.end()), (Trace{100, 101, 102, 100, 101, 102}));
}

TEST(PatternFlow, SongLengthZeroPlaysPositionZeroAndEnds) {
    auto bytes = fastSong(1, {0}).songLength(0).build();
    const auto steps = walk(bytes, 66);
    EXPECT_EQ(steps[63], (Step{0, 63, false}));
    EXPECT_EQ(steps[64], (Step{0, 0, true}));
}
