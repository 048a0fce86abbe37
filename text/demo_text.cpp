// PLACEHOLDER until the texts land.
#include "text/demo_text.h"

std::string_view demoTextBlock() { return {}; }
const std::string_view SignatureText = "Mox-Space";
const std::string_view ComeToText = "Come to Tiral25 :3";
const std::string_view GreetingsHeaderText = "Greetings by Mox-Space to:";
const std::string_view GreetingHandles;
const std::string_view OnsiteNoteText;
const std::string_view RestNoteText = "the rest 2 months ago";
const std::string_view SorryNoteText = "sorry for shit invite we have adhd";
const std::string_view ScrollersTitleText = "Have some scrollers: x3";
const std::string_view MadeWithText;
const std::string_view InvitationLines;
std::string greetingRow(int) { return {}; }
std::string_view invitationLine(int) { return {}; }
char32_t CharCursor::next() {
    if (index_ >= text_.size()) return EndOfText;
    return static_cast<unsigned char>(text_[index_++]);
}
