#include "tools/invite-tool/command_line.h"

#include <charconv>
#include <cmath>

std::optional<std::string_view> ParsedArguments::option(std::string_view name) const {
    std::optional<std::string_view> value;
    for (const auto& [optionName, optionValue] : options) {
        if (optionName == name) value = optionValue;
    }
    return value;
}

bool ParsedArguments::flag(std::string_view name) const {
    for (std::string_view given : flags) {
        if (given == name) return true;
    }
    return false;
}

std::optional<ParsedArguments> parseArguments(std::span<const std::string_view> args,
                                              std::initializer_list<std::string_view> valueOptions,
                                              std::initializer_list<std::string_view> flagOptions,
                                              std::string& error) {
    ParsedArguments parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        // "-" alone and negative numbers ("-3") are positional.
        const bool looksLikeOption = arg.size() > 1 && arg[0] == '-' && !(arg[1] >= '0' && arg[1] <= '9');
        if (!looksLikeOption) {
            parsed.positional.push_back(arg);
            continue;
        }
        bool isFlag = false;
        for (std::string_view name : flagOptions) isFlag = isFlag || name == arg;
        if (isFlag) {
            parsed.flags.push_back(arg);
            continue;
        }
        bool known = false;
        for (std::string_view name : valueOptions) known = known || name == arg;
        if (!known) {
            error = "unknown option " + std::string(arg);
            return std::nullopt;
        }
        if (i + 1 == args.size()) {
            error = std::string(arg) + " needs a value";
            return std::nullopt;
        }
        parsed.options.emplace_back(arg, args[i + 1]);
        ++i;
    }
    return parsed;
}

std::optional<double> parseNumber(std::string_view text) {
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, std::chars_format::fixed);
    if (error != std::errc() || stop != end || !std::isfinite(value)) return std::nullopt;
    return value;
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
