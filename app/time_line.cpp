#include "app/time_line.h"

#include <array>
#include <cassert>
#include <charconv>
#include <string_view>

#include "platform/os.h"

namespace {
constexpr std::string_view TimeLinePrefix = "Time: ";
constexpr std::string_view TimeLineSuffix = "\x1b[F\n";  // ESC "[F", newline

// FrameSleepTicks rounded up to whole milliseconds (10,000 ticks each).
constexpr std::uint32_t FallbackMilliseconds = (FrameSleepTicks + 9'999) / 10'000;
static_assert(FallbackMilliseconds == 1);
}  // namespace

std::string formatDemoTime(double t) {
    // Fixed notation with no precision given is the shortest round-trip form
    // in plain notation: 0.001, 1.5, 2, 114. The largest finite double needs
    // 309 digits plus a sign.
    std::array<char, 330> digits;
    const auto [end, error] =
        std::to_chars(digits.data(), digits.data() + digits.size(), t, std::chars_format::fixed);
    assert(error == std::errc());
    return std::string(digits.data(), end);
}

std::string timeLine(double t) {
    std::string line;
    line.reserve(TimeLinePrefix.size() + 24 + TimeLineSuffix.size());
    line += TimeLinePrefix;
    line += formatDemoTime(t);
    line += TimeLineSuffix;
    return line;
}

Status writeTimeLine(double t) {
    int errorNumber = 0;
    switch (writeStandardOutput(timeLine(t), errorNumber)) {
        case OutputStatus::Written:
        case OutputStatus::NoOutput:
            return okStatus();
        case OutputStatus::Failed:
            break;
    }
    return PlatformError{"Cannot write the time line to standard output: " +
                         errorText(errorNumber)};
}

void frameSleep() { frameSleep(SleepServices{sleepTicksPrecise, sleepMilliseconds}); }

void frameSleep(const SleepServices& services) {
    if (!services.precise(FrameSleepTicks)) services.milliseconds(FallbackMilliseconds);
}
