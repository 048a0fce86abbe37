// The invitation: a typed-out title at the top and the party's details with
// the credits scrolling in from the right as one block of nine lines.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/platform.h"
#include "scenes/text_run.h"

class InvitationScene {
public:
    static constexpr double TitleRate = 9.5;         // characters per second
    static constexpr double TitleSwitchLead = 0.75;  // MadeWithText for the last 0.75 s
    static constexpr double SceneLength = 33.0;      // 30 <= t < 63
    static constexpr std::int32_t TitleDx = 18;
    static constexpr std::int32_t TitleTop = 24;
    static constexpr double ScrollShare = 0.078125;  // of w per second: 50 px/s at 640
    static constexpr double ScrollDelay = 2.0;       // the block reaches the right edge at u = 2
    static constexpr std::int32_t FirstLineTop = 60;
    static constexpr std::int32_t LineStep = 24;

    // ScrollersTitleText while u + 0.75 < 33 (t < 62.25), then MadeWithText.
    static std::string_view title(double u);
    // floor(u * 9.5).
    static double titleLimit(double u);
    // The pen start shared by all lines: w - 0.078125 * w * (u - 2).
    static double linePenStart(double u, std::int32_t width);
    // 60 + 24 * i.
    static std::int32_t lineTop(int line);

    static TextRun titleRun(double u);
    static TextRun lineRun(int line, double u, std::int32_t width);

    // Draws the scene at demo time t (30 <= t < 63).
    static Status draw(const SceneTarget& target, double t);
};
