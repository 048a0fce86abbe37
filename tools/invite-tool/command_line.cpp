#include "tools/invite-tool/command_line.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "tools/invite-tool/capture_timeline.h"

std::optional<std::string_view> ParsedArguments::option(std::string_view name) const {
    std::optional<std::string_view> value;
    for (const auto& [optionName, optionValue] : options) {
        if (optionName == name) value = optionValue;
    }
    return value;
}

bool ParsedArguments::flag(std::string_view name) const {
    return std::find(flags.begin(), flags.end(), name) != flags.end();
}

namespace {
bool among(std::initializer_list<std::string_view> names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

std::string quoted(std::string_view text) {
    std::string result;
    result.reserve(text.size() + 2);
    result += '\'';
    result += text;
    result += '\'';
    return result;
}
}  // namespace

std::optional<ParsedArguments> parseArguments(std::span<const std::string_view> args,
                                              std::initializer_list<std::string_view> valueOptions,
                                              std::initializer_list<std::string_view> flagOptions,
                                              std::string& error) {
    ParsedArguments parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        // "-" alone and negative numbers ("-3", "-.5") are positional.
        const bool looksLikeOption = arg.size() > 1 && arg[0] == '-' &&
                                     !((arg[1] >= '0' && arg[1] <= '9') || arg[1] == '.');
        if (!looksLikeOption) {
            parsed.positional.push_back(arg);
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string_view name = arg.substr(0, equals);
        if (among(flagOptions, name)) {
            if (equals != std::string_view::npos) {
                error = name;
                error += " takes no value";
                return std::nullopt;
            }
            parsed.flags.push_back(name);
            continue;
        }
        if (!among(valueOptions, name)) {
            error = "unknown option " + quoted(name);
            return std::nullopt;
        }
        if (equals != std::string_view::npos) {
            parsed.options.emplace_back(name, arg.substr(equals + 1));
            continue;
        }
        if (i + 1 == args.size()) {
            error = std::string(name) + " needs a value";
            return std::nullopt;
        }
        parsed.options.emplace_back(name, args[i + 1]);
        ++i;
    }
    return parsed;
}

std::string positionalError(const ParsedArguments& parsed, std::initializer_list<std::string_view> names) {
    const std::size_t given = parsed.positional.size();
    if (given > names.size()) {
        std::string text = given - names.size() == 1 ? "extra argument" : "extra arguments";
        for (std::size_t k = names.size(); k < given; ++k) {
            text += ' ';
            text += quoted(parsed.positional[k]);
        }
        return text;
    }
    std::string text;
    for (auto name = names.begin() + given; name != names.end(); ++name) {
        text += text.empty() ? "missing " : " and ";
        text += *name;
    }
    return text;
}

std::string valueError(std::string_view name, std::string_view rule, std::string_view text) {
    return std::string(name) + " takes " + std::string(rule) + ", not " + quoted(text);
}

std::optional<double> parseDemoTime(std::string_view text) {
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, std::chars_format::general);
    if (error != std::errc() || stop != end || !std::isfinite(value)) return std::nullopt;
    if (value < 0.0 || value > DemoEndTime) return std::nullopt;
    return value == 0.0 ? 0.0 : value;  // "-0" is 0
}

std::optional<std::int64_t> parseWholeNumber(std::string_view text, std::int64_t low,
                                             std::int64_t high) {
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || value < low || value > high) return std::nullopt;
    return value;
}

std::optional<std::uint64_t> parseSeed(std::string_view text) {
    std::uint64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || text.empty()) return std::nullopt;
    return value;
}
