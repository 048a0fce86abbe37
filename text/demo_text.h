// Every word the demo shows: fixed slices of one constant run of text.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// The whole run: 817 bytes of 7-bit ASCII, embedded at build time.
std::string_view demoTextBlock();

// The named pieces, slices of demoTextBlock() that live as long as the program.
extern const std::string_view SignatureText;        // "Mox-Space"
extern const std::string_view ComeToText;           // "Come to Tiral25 :3"
extern const std::string_view GreetingsHeaderText;  // "Greetings by Mox-Space to:"
extern const std::string_view GreetingHandles;      // the 14 handles back to back
extern const std::string_view OnsiteNoteText;
extern const std::string_view RestNoteText;
extern const std::string_view SorryNoteText;
extern const std::string_view ScrollersTitleText;
extern const std::string_view MadeWithText;
extern const std::string_view InvitationLines;      // the nine lines back to back

inline constexpr int GreetingRowCount = 4;
inline constexpr int InvitationLineCount = 9;

// Row `row` (0..3) of the greeted handles, its pieces joined by three spaces.
std::string greetingRow(int row);
// Line `line` (0..8) of the invitation; lines 5, 6 and 7 are empty.
std::string_view invitationLine(int line);

// Iterates a piece as UTF-8 code points; yields EndOfText at the end.
inline constexpr char32_t EndOfText = 0x110000;
class CharCursor {
public:
    explicit CharCursor(std::string_view text) : text_(text) {}
    char32_t next();

private:
    std::string_view text_;
    std::size_t index_ = 0;
};
