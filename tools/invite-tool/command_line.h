// Splitting and reading the arguments of the capture commands.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct ParsedArguments {
    std::vector<std::string_view> positional;
    std::vector<std::pair<std::string_view, std::string_view>> options;  // name, value
    std::vector<std::string_view> flags;                                  // options without a value

    // The value of the last occurrence of `name`, if any.
    std::optional<std::string_view> option(std::string_view name) const;
    bool flag(std::string_view name) const;
};

// Splits `args` into positional arguments, "--name VALUE" pairs for the
// `valueOptions` and the `flagOptions` given alone. On an unknown option or
// a missing value, `error` says which and the result is empty.
std::optional<ParsedArguments> parseArguments(std::span<const std::string_view> args,
                                              std::initializer_list<std::string_view> valueOptions,
                                              std::initializer_list<std::string_view> flagOptions,
                                              std::string& error);
inline std::optional<ParsedArguments> parseArguments(std::span<const std::string_view> args,
                                                     std::initializer_list<std::string_view> valueOptions,
                                                     std::string& error) {
    return parseArguments(args, valueOptions, {}, error);
}

// A finite decimal number ("12", "0.25", "-3"); nothing else, not even spaces.
std::optional<double> parseNumber(std::string_view text);
// A whole decimal number in [low, high].
std::optional<std::int64_t> parseWholeNumber(std::string_view text, std::int64_t low,
                                             std::int64_t high);
// A seed: any whole decimal number from 0 to 2^64 - 1.
std::optional<std::uint64_t> parseSeed(std::string_view text);
