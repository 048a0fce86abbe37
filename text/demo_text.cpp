#include "text/demo_text.h"

#include <cassert>
#include <cstddef>

// assets/demo_text.txt, embedded byte for byte.
extern const std::uint8_t DemoTextBytes[];
extern const std::size_t DemoTextBytesSize;

namespace {

constexpr std::size_t DemoTextLength = 817;

struct Slice {
    std::size_t offset;
    std::size_t length;
};

// The pieces tile the run in this order, with nothing between them.
constexpr Slice SignatureSlice{0, 9};
constexpr Slice ComeToSlice{9, 18};
constexpr Slice GreetingsHeaderSlice{27, 26};
constexpr Slice GreetingHandlesSlice{53, 72};
constexpr Slice OnsiteNoteSlice{125, 40};
constexpr Slice RestNoteSlice{165, 21};
constexpr Slice SorryNoteSlice{186, 34};
constexpr Slice ScrollersTitleSlice{220, 23};
constexpr Slice MadeWithSlice{243, 23};
constexpr Slice InvitationLinesSlice{266, 551};
static_assert(InvitationLinesSlice.offset + InvitationLinesSlice.length == DemoTextLength);

std::string_view slice(Slice s) { return demoTextBlock().substr(s.offset, s.length); }

// The handles as (offset within GreetingHandles, length), row by row in display
// order. Row 1 starts with the fourth handle and then shows the first three.
constexpr int MaxHandlesPerRow = 4;
struct HandleRow {
    int count;
    std::array<Slice, MaxHandlesPerRow> handles;
};
constexpr std::array<HandleRow, GreetingRowCount> HandleRows{{
    {4, {{{13, 5}, {0, 5}, {5, 5}, {10, 3}}}},
    {4, {{{18, 4}, {22, 5}, {27, 2}, {29, 3}}}},
    {3, {{{32, 5}, {37, 13}, {50, 5}}}},
    {3, {{{55, 5}, {60, 6}, {66, 6}}}},
}};
constexpr std::string_view HandleSeparator = "   ";

// Lengths of the nine invitation lines, back to back; lines 6 to 8 are empty
// and only keep their places on screen.
constexpr std::array<std::size_t, InvitationLineCount> InvitationLineLengths{80,  85, 96, 100, 117,
                                                                             0,   0,  0,  73};

}  // namespace

std::string_view demoTextBlock() {
    assert(DemoTextBytesSize == DemoTextLength);
    return {reinterpret_cast<const char*>(DemoTextBytes), DemoTextLength};
}

const std::string_view SignatureText = slice(SignatureSlice);
const std::string_view ComeToText = slice(ComeToSlice);
const std::string_view GreetingsHeaderText = slice(GreetingsHeaderSlice);
const std::string_view GreetingHandles = slice(GreetingHandlesSlice);
const std::string_view OnsiteNoteText = slice(OnsiteNoteSlice);
const std::string_view RestNoteText = slice(RestNoteSlice);
const std::string_view SorryNoteText = slice(SorryNoteSlice);
const std::string_view ScrollersTitleText = slice(ScrollersTitleSlice);
const std::string_view MadeWithText = slice(MadeWithSlice);
const std::string_view InvitationLines = slice(InvitationLinesSlice);

std::string greetingRow(int row) {
    assert(row >= 0 && row < GreetingRowCount);
    const HandleRow& handles = HandleRows[static_cast<std::size_t>(row)];
    const std::string_view all = slice(GreetingHandlesSlice);
    std::string joined;
    for (int i = 0; i < handles.count; ++i) {
        if (i > 0) joined += HandleSeparator;
        const Slice& h = handles.handles[static_cast<std::size_t>(i)];
        joined += all.substr(h.offset, h.length);
    }
    return joined;
}

std::string_view invitationLine(int line) {
    assert(line >= 0 && line < InvitationLineCount);
    std::size_t offset = 0;
    for (int i = 0; i < line; ++i) offset += InvitationLineLengths[static_cast<std::size_t>(i)];
    return slice(InvitationLinesSlice).substr(offset, InvitationLineLengths[static_cast<std::size_t>(line)]);
}

char32_t CharCursor::next() {
    if (index_ >= text_.size()) return EndOfText;
    const auto lead = static_cast<unsigned char>(text_[index_++]);
    int continuation;
    char32_t code;
    if (lead < 0x80) {
        return lead;
    } else if (lead < 0xE0) {
        continuation = 1;
        code = lead & 0x1F;
    } else if (lead < 0xF0) {
        continuation = 2;
        code = lead & 0x0F;
    } else {
        continuation = 3;
        code = lead & 0x07;
    }
    // The texts are trusted constants, so the bytes are not validated; a
    // sequence cut short by the end of the piece just ends there.
    for (int i = 0; i < continuation && index_ < text_.size(); ++i) {
        code = (code << 6) | (static_cast<unsigned char>(text_[index_++]) & 0x3F);
    }
    return code;
}
