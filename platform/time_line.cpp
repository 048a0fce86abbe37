#include "platform/time_line.h"

#include <array>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "platform/os.h"

namespace {
constexpr std::string_view TimeLinePrefix = "Time: ";
constexpr std::string_view TimeLineSuffix = "\x1b[F\n";  // ESC "[F", newline
}  // namespace

std::string formatDemoTimeByPrintf(double t) {
    if (std::isnan(t)) return std::signbit(t) ? "-nan" : "nan";
    if (std::isinf(t)) return t < 0 ? "-inf" : "inf";
    // The fewest significant digits that read back as t. printf rounds
    // correctly, so if any string of that many digits reads back as t, the
    // nearest one, which %e writes, does too.
    constexpr int MostDigits = 17;  // always enough for a double
    char text[40];
    for (int digits = 1; digits <= MostDigits; ++digits) {
        std::snprintf(text, sizeof text, "%.*e", digits - 1, t);
        if (std::strtod(text, nullptr) == t) break;
    }
    // text is [-]d[.ddd]e<exponent>: write the digits out in plain notation.
    std::string_view scientific(text);
    std::string out;
    if (scientific.front() == '-') {
        out += '-';
        scientific.remove_prefix(1);
    }
    const std::size_t e = scientific.find('e');
    std::string digits;
    for (const char c : scientific.substr(0, e)) {
        if (c != '.') digits += c;
    }
    const int exponent = std::atoi(std::string(scientific.substr(e + 1)).c_str());
    const long beforePoint = exponent + 1L;  // digits left of the decimal point
    if (beforePoint <= 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-beforePoint), '0');
        out += digits;
    } else if (static_cast<std::size_t>(beforePoint) >= digits.size()) {
        out += digits;
        out.append(static_cast<std::size_t>(beforePoint) - digits.size(), '0');
    } else {
        out += digits.substr(0, static_cast<std::size_t>(beforePoint));
        out += '.';
        out += digits.substr(static_cast<std::size_t>(beforePoint));
    }
    return out;
}

std::string formatDemoTime(double t) {
#if !defined(__cpp_lib_to_chars)
    // A standard library without floating-point to_chars (emscripten's).
    return formatDemoTimeByPrintf(t);
#else
    // Fixed notation with no precision given is the shortest round-trip form
    // in plain notation: 0.001, 1.5, 2, 114. The largest finite double needs
    // 309 digits plus a sign.
    std::array<char, 330> digits;
    const auto [end, error] =
        std::to_chars(digits.data(), digits.data() + digits.size(), t, std::chars_format::fixed);
    assert(error == std::errc());
    return std::string(digits.data(), end);
#endif
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
