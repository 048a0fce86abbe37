#include "scenes/timeline.h"

#include <cmath>
#include <limits>

namespace {
constexpr double PulseStepsPerSecond = 60.0;
constexpr double PulsePeriodSteps = 510.0;  // up 255 steps, down 255 steps
constexpr double PulsePeak = 255.0;
constexpr std::uint32_t TextGreen = 64;
}  // namespace

std::uint8_t pulse(double t) {
    const double b = roundHalfAway(std::fmod(t * PulseStepsPerSecond, PulsePeriodSteps));
    // fmod keeps the sign of t: a negative t lands below 0 and clamps to 0.
    // NaN fails every comparison and is caught by the first test.
    if (!(b > 0.0)) return 0;
    const double level = b <= PulsePeak ? b : PulsePeriodSteps - b;
    if (level <= 0.0) return 0;
    if (level >= PulsePeak) return 255;
    return static_cast<std::uint8_t>(level);
}

std::uint32_t textColour(std::uint8_t level) {
    return static_cast<std::uint32_t>(level) | TextGreen << 8 |
           (255u - static_cast<std::uint32_t>(level)) << 16 | 0xFFu << 24;
}

std::int32_t toPixel(double position) {
    constexpr auto Lowest = std::numeric_limits<std::int32_t>::min();
    constexpr auto Highest = std::numeric_limits<std::int32_t>::max();
    if (std::isnan(position)) return 0;
    if (position <= static_cast<double>(Lowest)) return Lowest;
    if (position >= static_cast<double>(Highest)) return Highest;
    return static_cast<std::int32_t>(position);  // truncates toward zero
}

double roundHalfAway(double value) { return std::round(value); }

std::int32_t addSaturating(std::int32_t a, std::int32_t b) {
    const std::int64_t sum = static_cast<std::int64_t>(a) + b;
    if (sum > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (sum < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(sum);
}

SceneSchedule scheduleFor(double t) {
    SceneSchedule schedule;
    // Every test below is written so that NaN passes none of them.
    if (t >= GreetingsEnd || t < InvitationStart) {
        const double s = t < GreetingsEnd ? t : t - SignatureReplayShift;
        if (!(s < 0.0)) schedule.signatureTime = s;
    }
    if (t >= GreetingsEnd) return schedule;
    if (t >= InvitationStart && t < GreetingsStart) {
        schedule.invitation = true;
    } else if (t >= GreetingsStart && t < GreetingsEnd) {
        schedule.greetings = true;
    } else if (t < InvitationStart) {
        schedule.wave = t >= WaveStart;
        schedule.slogan = t >= SloganStart;
    }
    return schedule;
}
