#include "scenes/slogan_scroller.h"

#include <cmath>

#include "text/demo_text.h"

double SloganScroller::penStart(double t, std::int32_t width) {
    return std::fmod((t - SloganStart) * Speed + FirstPen, static_cast<double>(width));
}

TextRun SloganScroller::run(double t, std::int32_t width, std::int32_t height) {
    TextRun r;
    r.text = ComeToText;
    r.style = RunStyle{&LargeFont, height - RiseFromBottom};
    r.penStart = penStart(t, width);
    r.wrapWidth = static_cast<double>(width);
    return r;
}

Status SloganScroller::draw(const SceneTarget& target, double t) {
    return drawTextRun(target, run(t, target.width, target.height));
}
