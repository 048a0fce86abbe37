#include "scenes/signature_bounce.h"

#include <algorithm>
#include <cmath>

#include "text/demo_text.h"
#include "text/font.h"

namespace {
// Folds the travel into [0, range] like a reflection between two walls and
// moves it inside the margin.
std::int32_t fold(double travel, double range) {
    double r = std::fmod(travel, 2.0 * range);
    if (r > range) r = 2.0 * range - r;
    return toPixel(roundHalfAway(r + SignatureBounce::Margin));
}
}  // namespace

SignatureMetrics SignatureBounce::measure() {
    constexpr float MarginF = static_cast<float>(Margin);
    SignatureMetrics m{Margin, MarginF};
    CharCursor cursor(SignatureText);
    for (char32_t c = cursor.next(); c != EndOfText; c = cursor.next()) {
        const Glyph glyph = lookupGlyph(SmallFont, c);
        m.length += glyph.advance;
        // Only the height counts; the glyph's offsetY is not part of the measure.
        m.tallest = std::max(m.tallest, static_cast<float>(glyph.height) + MarginF);
    }
    return m;
}

PenOrigin SignatureBounce::position(double s, std::int32_t width, std::int32_t height,
                                    const SignatureMetrics& metrics) {
    if (s <= RestUntil) return PenOrigin{static_cast<std::int32_t>(Margin),
                                         static_cast<std::int32_t>(Margin)};
    const double rangeX = static_cast<double>(width) - (metrics.length + Margin);
    // The bottom margin is added in single precision, then widened.
    const float bottom = metrics.tallest + static_cast<float>(Margin);
    const double rangeY = static_cast<double>(height) - static_cast<double>(bottom);
    const double travel = (s - RestUntil) * Speed;
    return PenOrigin{fold(travel, rangeX), fold(travel, rangeY)};
}

Status SignatureBounce::draw(const SceneTarget& target, double s) {
    // The glyphs are measured only once the signature moves.
    const PenOrigin at = s <= RestUntil
                             ? position(s, target.width, target.height, SignatureMetrics{})
                             : position(s, target.width, target.height, measure());
    TextRun run;
    run.text = SignatureText;
    run.style = RunStyle{&SmallFont, at.y};
    run.penStart = 0.0;
    run.dx = at.x;
    return drawTextRun(target, run);
}
