// The demo's text run: the pieces at their offsets, the handle rows, the
// invitation lines with their columns, and character iteration.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/demo_text.h"
#include "text/font.h"

namespace {

struct PieceLayout {
    const char* name;
    const std::string_view* piece;
    std::size_t offset;
    std::size_t length;
};

const PieceLayout Pieces[] = {
    {"SignatureText", &SignatureText, 0, 9},
    {"ComeToText", &ComeToText, 9, 18},
    {"GreetingsHeaderText", &GreetingsHeaderText, 27, 26},
    {"GreetingHandles", &GreetingHandles, 53, 72},
    {"OnsiteNoteText", &OnsiteNoteText, 125, 40},
    {"RestNoteText", &RestNoteText, 165, 21},
    {"SorryNoteText", &SorryNoteText, 186, 34},
    {"ScrollersTitleText", &ScrollersTitleText, 220, 23},
    {"MadeWithText", &MadeWithText, 243, 23},
    {"InvitationLines", &InvitationLines, 266, 551},
};

TEST(DemoText, TheRunIs817BytesOfSevenBitAscii) {
    const std::string_view block = demoTextBlock();
    ASSERT_EQ(block.size(), 817u);
    for (char c : block) EXPECT_LT(static_cast<unsigned char>(c), 0x80u);
}

TEST(DemoText, ThePiecesTileTheRunAtTheirOffsets) {
    const std::string_view block = demoTextBlock();
    std::size_t expectedOffset = 0;
    for (const PieceLayout& p : Pieces) {
        SCOPED_TRACE(p.name);
        EXPECT_EQ(p.offset, expectedOffset);
        EXPECT_EQ(p.piece->size(), p.length);
        EXPECT_EQ(p.piece->data(), block.data() + p.offset);  // a slice, not a copy
        expectedOffset += p.length;
    }
    EXPECT_EQ(expectedOffset, block.size());
}

TEST(DemoText, TheFixedPiecesSayWhatTheyShould) {
    EXPECT_EQ(SignatureText, "Mox-Space");
    EXPECT_EQ(ComeToText, "Come to Tiral25 :3");
    EXPECT_EQ(GreetingsHeaderText, "Greetings by Mox-Space to:");
    EXPECT_EQ(GreetingsHeaderText.substr(13, 9), SignatureText);
    EXPECT_EQ(RestNoteText, "the rest 2 months ago");
    EXPECT_EQ(SorryNoteText, "sorry for shit invite we have adhd");
    EXPECT_EQ(ScrollersTitleText, "Have some scrollers: x3");
}

TEST(DemoText, OurOwnPiecesKeepTheirRoles) {
    EXPECT_EQ(OnsiteNoteText.back(), ',');
    EXPECT_NE(OnsiteNoteText.find("20"), std::string_view::npos);  // names a year
    EXPECT_NE(MadeWithText.find("64k"), std::string_view::npos);
    EXPECT_NE(MadeWithText.find("C++"), std::string_view::npos);
}

TEST(DemoText, HandleRowsJoinTheirHandlesWithThreeSpaces) {
    struct RowLayout {
        std::vector<std::pair<std::size_t, std::size_t>> handles;
        std::size_t joinedLength;
    };
    const RowLayout rows[] = {
        {{{13, 5}, {0, 5}, {5, 5}, {10, 3}}, 27},
        {{{18, 4}, {22, 5}, {27, 2}, {29, 3}}, 23},
        {{{32, 5}, {37, 13}, {50, 5}}, 29},
        {{{55, 5}, {60, 6}, {66, 6}}, 23},
    };
    std::size_t covered = 0;
    for (int row = 0; row < GreetingRowCount; ++row) {
        SCOPED_TRACE(row);
        const RowLayout& layout = rows[row];
        std::string expected;
        for (const auto& [offset, length] : layout.handles) {
            if (!expected.empty()) expected += "   ";
            const std::string_view handle = GreetingHandles.substr(offset, length);
            EXPECT_NE(handle.front(), ' ');
            EXPECT_NE(handle.back(), ' ');
            expected += handle;
            covered += length;
        }
        const std::string joined = greetingRow(row);
        EXPECT_EQ(joined, expected);
        EXPECT_EQ(joined.size(), layout.joinedLength);
        EXPECT_EQ(joined.find("    "), std::string::npos);  // never more than three
    }
    EXPECT_EQ(covered, GreetingHandles.size());
}

// A non-empty line: fields at fixed columns, spaces before and between them,
// none after the last.
struct Field {
    std::size_t column;
    std::size_t length;
};
struct LineLayout {
    std::size_t offset;  // within the run
    std::size_t length;
    std::vector<Field> fields;
};
const LineLayout Lines[] = {
    {266, 80, {{0, 22}, {73, 7}}},
    {346, 85, {{8, 24}, {66, 6}, {79, 6}}},
    {431, 96, {{22, 12}, {55, 19}, {90, 6}}},
    {527, 100, {{30, 11}, {45, 16}, {95, 5}}},
    {627, 117, {{37, 11}, {105, 12}}},
    {744, 0, {}},
    {744, 0, {}},
    {744, 0, {}},
    {744, 73, {{7, 30}, {41, 32}}},
};

TEST(DemoText, InvitationLinesHaveTheirFieldsAtTheirColumns) {
    for (int i = 0; i < InvitationLineCount; ++i) {
        SCOPED_TRACE("line " + std::to_string(i + 1));
        const LineLayout& layout = Lines[i];
        const std::string_view line = invitationLine(i);
        ASSERT_EQ(line.size(), layout.length);
        EXPECT_EQ(line.data(), demoTextBlock().data() + layout.offset);
        std::string mask(line.size(), ' ');  // 'f' where a field is
        for (const Field& f : layout.fields) {
            ASSERT_LE(f.column + f.length, line.size());
            EXPECT_NE(line[f.column], ' ') << "field at " << f.column;
            EXPECT_NE(line[f.column + f.length - 1], ' ') << "field at " << f.column;
            if (f.column > 0) {
                EXPECT_EQ(line[f.column - 1], ' ') << "field at " << f.column;
            }
            for (std::size_t c = f.column; c < f.column + f.length; ++c) mask[c] = 'f';
        }
        for (std::size_t c = 0; c < line.size(); ++c) {
            if (mask[c] == ' ') {
                EXPECT_EQ(line[c], ' ') << "column " << c;
            }
        }
    }
}

TEST(DemoText, TheFixedFieldsOfTheInvitation) {
    EXPECT_EQ(invitationLine(0).substr(0, 22), "Pls come to Tiral 2025");
    EXPECT_EQ(invitationLine(0).substr(22, 51), std::string(51, ' '));
    EXPECT_EQ(invitationLine(0).substr(73), "Credits");
    EXPECT_EQ(invitationLine(1).substr(66, 6), "Mox :3");
    // The two contacts: "service: address".
    EXPECT_NE(invitationLine(8).substr(7, 30).find(": "), std::string_view::npos);
    EXPECT_NE(invitationLine(8).substr(41, 32).find(": "), std::string_view::npos);
}

TEST(DemoText, EmptyLinesYieldTheEndAtOnce) {
    for (int i : {5, 6, 7}) {
        CharCursor cursor(invitationLine(i));
        EXPECT_EQ(cursor.next(), EndOfText);
    }
}

TEST(CharCursor, YieldsTheSignatureThenTheEndMarker) {
    CharCursor cursor(SignatureText);
    std::u32string seen;
    for (char32_t c = cursor.next(); c != EndOfText; c = cursor.next()) seen += c;
    EXPECT_EQ(seen, U"Mox-Space");
    EXPECT_EQ(cursor.next(), EndOfText);
    EXPECT_EQ(EndOfText, 0x110000u);
}

TEST(CharCursor, DecodesMultiByteSequences) {
    CharCursor cursor("A\xC5\x81\xE2\x82\xAC\xF0\x9F\x98\x80z");  // A, U+0141, U+20AC, U+1F600, z
    EXPECT_EQ(cursor.next(), U'A');
    EXPECT_EQ(cursor.next(), 0x141u);
    EXPECT_EQ(cursor.next(), 0x20ACu);
    EXPECT_EQ(cursor.next(), 0x1F600u);
    EXPECT_EQ(cursor.next(), U'z');
    EXPECT_EQ(cursor.next(), EndOfText);
}

TEST(CharCursor, ASequenceCutShortEndsWithThePiece) {
    const std::string_view text("\xE2\x82\xAC\xE2\x82", 5);
    CharCursor cursor(text.substr(3));  // a three-byte lead with only one continuation byte
    EXPECT_EQ(cursor.next(), (0x2u << 6) | 0x2u);
    EXPECT_EQ(cursor.next(), EndOfText);
}

TEST(DemoText, EveryCharacterHasAGlyphInTheFontThatDrawsIt) {
    for (const PieceLayout& p : Pieces) {
        SCOPED_TRACE(p.name);
        std::size_t n = 0;
        CharCursor cursor(*p.piece);
        for (char32_t c = cursor.next(); c != EndOfText; c = cursor.next(), ++n) {
            const bool signature = p.piece == &SignatureText ||
                                   (p.piece == &GreetingsHeaderText && n >= 13 && n <= 21);
            const Font& font = signature ? SmallFont : LargeFont;
            EXPECT_TRUE(fontHasGlyph(font, c)) << "'" << static_cast<char>(c) << "' at " << n << " in " << font.name;
        }
    }
}

}  // namespace
