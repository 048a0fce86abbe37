#include "scenes/greetings_scene.h"

#include <string>

#include "scenes/timeline.h"
#include "text/demo_text.h"

RunStyle GreetingsScene::headerStyle(std::size_t n) {
    if (n >= SignatureFirst && n <= SignatureLast) return RunStyle{&SmallFont, HeaderSmallTop};
    return RunStyle{&LargeFont, HeaderLargeTop};
}

double GreetingsScene::headerLimit(double u) { return typewriterLimit(u, HeaderRate); }

double GreetingsScene::rowPenStart(int row, double u, std::int32_t width) {
    const double w = static_cast<double>(width);
    return w + RowTrail * row - ScrollShare * w * (u - ScrollDelay);
}

std::int32_t GreetingsScene::rowTop(int row) { return FirstRowTop + RowStep * row; }

const std::array<GreetingsNote, 3>& GreetingsScene::notes() {
    // The lower note starts 6 pixels further right than the other two.
    static const std::array<GreetingsNote, 3> Notes{{
        {OnsiteNoteText, 18, 64},
        {RestNoteText, 24, 32},
        {SorryNoteText, 18, 96},
    }};
    return Notes;
}

TextRun GreetingsScene::headerRun(double u) {
    TextRun r;
    r.text = GreetingsHeaderText;
    r.styleAt = &headerStyle;
    r.dx = HeaderDx;
    r.jitter = TitleJitter;
    r.typewriterLimit = headerLimit(u);
    return r;
}

TextRun GreetingsScene::rowRun(std::string_view joined, int row, double u, std::int32_t width) {
    TextRun r;
    r.text = joined;
    r.style = RunStyle{&LargeFont, rowTop(row)};
    r.penStart = rowPenStart(row, u, width);
    r.dx = RowDx;
    r.jitter = LineJitter;
    return r;
}

TextRun GreetingsScene::noteRun(const GreetingsNote& note, std::int32_t height) {
    TextRun r;
    r.text = note.text;
    r.style = RunStyle{&LargeFont, height - note.riseFromBottom};
    r.dx = note.dx;
    r.jitter = LineJitter;
    return r;
}

Status GreetingsScene::draw(const SceneTarget& target, double t) {
    const double u = t - GreetingsStart;
    if (Status s = drawTextRun(target, headerRun(u)); !s) return s;
    for (int row = 0; row < GreetingRowCount; ++row) {
        // Built anew every frame and released at the end of the row.
        const std::string joined = greetingRow(row);
        if (Status s = drawTextRun(target, rowRun(joined, row, u, target.width)); !s) return s;
    }
    for (const GreetingsNote& note : notes()) {
        if (Status s = drawTextRun(target, noteRun(note, target.height)); !s) return s;
    }
    return okStatus();
}
