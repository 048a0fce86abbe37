#include "scenes/invitation_scene.h"

#include "scenes/timeline.h"
#include "text/demo_text.h"

std::string_view InvitationScene::title(double u) {
    return u + TitleSwitchLead < SceneLength ? ScrollersTitleText : MadeWithText;
}

double InvitationScene::titleLimit(double u) { return typewriterLimit(u, TitleRate); }

double InvitationScene::linePenStart(double u, std::int32_t width) {
    const double w = static_cast<double>(width);
    return w - ScrollShare * w * (u - ScrollDelay);
}

std::int32_t InvitationScene::lineTop(int line) { return FirstLineTop + LineStep * line; }

TextRun InvitationScene::titleRun(double u) {
    TextRun r;
    r.text = title(u);
    r.style = RunStyle{&LargeFont, TitleTop};
    r.dx = TitleDx;
    r.jitter = TitleJitter;
    r.typewriterLimit = titleLimit(u);
    return r;
}

TextRun InvitationScene::lineRun(int line, double u, std::int32_t width) {
    TextRun r;
    r.text = invitationLine(line);
    r.style = RunStyle{&LargeFont, lineTop(line)};
    r.penStart = linePenStart(u, width);
    r.jitter = LineJitter;
    return r;
}

Status InvitationScene::draw(const SceneTarget& target, double t) {
    const double u = t - InvitationStart;
    if (Status s = drawTextRun(target, titleRun(u)); !s) return s;
    // Every line is drawn in full, also off the canvas; the canvas clips.
    // The empty lines draw nothing but keep their places.
    for (int line = 0; line < InvitationLineCount; ++line) {
        if (Status s = drawTextRun(target, lineRun(line, u, target.width)); !s) return s;
    }
    return okStatus();
}
