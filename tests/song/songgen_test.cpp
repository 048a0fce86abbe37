// The song generator: note names, the score format and the cell encoding.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "tools/songgen/instruments.h"
#include "tools/songgen/module_writer.h"
#include "tools/songgen/score.h"

namespace {

TEST(SongGenerator, NotePeriods) {
    const struct {
        std::string_view name;
        unsigned period;
    } cases[] = {
        {"C-1", 856}, {"G-1", 570}, {"B-1", 453}, {"C-2", 428}, {"F#2", 302},
        {"C#3", 202}, {"G-3", 143}, {"B-3", 113}, {"C-4", 0},   {"H-2", 0},
        {"C-0", 0},   {"C2", 0},    {"---", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(periodOfNote(c.name), c.period) << c.name;
}

// A score with one pattern whose rows are all empty except those given.
std::string scoreText(std::string_view header, std::string_view rows, int firstEmpty,
                      int end = 64) {
    std::string text(header);
    text += rows;
    for (int r = firstEmpty; r < end; ++r) {
        if (r < 10) text += '0';
        text += std::to_string(r);
        text += " | --- .. ... | --- .. ... | --- .. ... | --- .. ...\n";
    }
    return text;
}

constexpr std::string_view Header = "title Mox-Space  # the group\nrestart 0\norder 0\npattern 0\n";

TEST(SongGenerator, ParsesCellsAndComments) {
    const auto text = scoreText(Header,
                                "# bar 1\n"
                                "00 | F#2 01 C31 | G-1 02 ... | --- .. C00 | C-2 04 FA0  # tempo\n",
                                1);
    const auto result = parseScore(text);
    ASSERT_EQ(result.error, "");
    EXPECT_EQ(result.score.title, "Mox-Space");
    ASSERT_EQ(result.score.patterns.size(), 1u);
    const auto& row = result.score.patterns[0][0];
    EXPECT_EQ(row[0].period, 302);
    EXPECT_EQ(row[0].instrument, 1);
    EXPECT_EQ(row[0].effect, 0xC);
    EXPECT_EQ(row[0].param, 0x31);
    EXPECT_EQ(row[1].period, 570);
    EXPECT_EQ(row[2].period, 0);
    EXPECT_EQ(row[2].instrument, 0);
    EXPECT_EQ(row[2].effect, 0xC);
    EXPECT_EQ(row[2].param, 0);
    EXPECT_EQ(row[3].param, 0xA0);
}

TEST(SongGenerator, ReportsTheFaultyLine) {
    const struct {
        std::string_view rows;
        int firstEmpty, end;
        std::string_view error;
    } cases[] = {
        {"00 | H-2 01 ... | --- .. ... | --- .. ... | --- .. ...\n", 1, 64,
         "line 5: channel 1: unknown note 'H-2'"},
        {"00 | --- 32 ... | --- .. ... | --- .. ... | --- .. ...\n", 1, 64,
         "line 5: channel 1: instrument must be 01..31 or .."},
        {"00 | --- .. ... | --- .. CX1 | --- .. ... | --- .. ...\n", 1, 64,
         "line 5: channel 2: effect must be three hex digits or ..."},
        {"00 | --- .. ... | --- .. ... | --- .. ...\n", 1, 64,
         "line 5: a row has a number and 4 cells"},
        {"01 | --- .. ... | --- .. ... | --- .. ... | --- .. ...\n", 2, 64, "line 5: expected row 0"},
        {"", 0, 62, "pattern 0 has only 62 rows"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseScore(scoreText(Header, c.rows, c.firstEmpty, c.end)).error, c.error) << c.error;
}

TEST(SongGenerator, OrderMustNameDefinedPatterns) {
    const auto text = scoreText("order 0 1\npattern 0\n", "", 0);
    EXPECT_EQ(parseScore(text).error, "the order plays pattern 1, which the score does not define");
}

// b0 holds instrument bit 4 and the period's high nibble, b2 the instrument's
// low nibble and the effect.
TEST(SongGenerator, EncodesCells) {
    Score score;
    score.title = "x";
    score.order = {0};
    score.patterns.resize(1);
    score.patterns[0][0][0] = {856, 17, 0xC, 0x31};
    score.patterns[0][63][3] = {113, 6, 0xF, 0xA0};
    const auto bytes = writeModule(score, makeInstruments());
    const auto first = PatternDataOffset;
    const auto last = PatternDataOffset + PatternSize - CellSize;
    EXPECT_EQ(bytes[first], 0x13);
    EXPECT_EQ(bytes[first + 1], 0x58);
    EXPECT_EQ(bytes[first + 2], 0x1C);
    EXPECT_EQ(bytes[first + 3], 0x31);
    EXPECT_EQ(bytes[last], 0x00);
    EXPECT_EQ(bytes[last + 1], 113);
    EXPECT_EQ(bytes[last + 2], 0x6F);
    EXPECT_EQ(bytes[last + 3], 0xA0);
    EXPECT_EQ(bytes.size(), PatternDataOffset + PatternSize + 46 + 94 + 92 + 1148 + 594);
}

}  // namespace
