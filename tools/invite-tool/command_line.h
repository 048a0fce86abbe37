// Splitting and reading the arguments of invite-tool's commands: one parser
// and one set of rules for every command, so that the same mistake gets the
// same message everywhere.
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

// Splits `args` into positional arguments, "--name VALUE" or "--name=VALUE"
// pairs for the `valueOptions`, and the `flagOptions` given alone. "-" alone
// and negative numbers are positional. On an unknown option, a missing value
// or a value given to a flag, `error` names the argument and the result is
// empty.
std::optional<ParsedArguments> parseArguments(std::span<const std::string_view> args,
                                              std::initializer_list<std::string_view> valueOptions,
                                              std::initializer_list<std::string_view> flagOptions,
                                              std::string& error);
inline std::optional<ParsedArguments> parseArguments(std::span<const std::string_view> args,
                                                     std::initializer_list<std::string_view> valueOptions,
                                                     std::string& error) {
    return parseArguments(args, valueOptions, {}, error);
}

// What is wrong with the positional arguments when they are not exactly the
// `names` in order ("T", "OUT.png"): "missing OUT.png", "missing T and
// OUT.png" or "extra argument 'x'". Empty when they are right.
std::string positionalError(const ParsedArguments& parsed, std::initializer_list<std::string_view> names);

// "--fps takes a whole number from 1 to 240, not '0'": a value `text` of
// option (or argument) `name` that breaks its `rule`.
std::string valueError(std::string_view name, std::string_view rule, std::string_view text);

// A demo time in seconds, the one rule for every command that takes one: a
// decimal number ("45", "62.25", "1e1") from 0 to 114, the demo's whole
// timeline, ends included.
std::optional<double> parseDemoTime(std::string_view text);
inline constexpr std::string_view DemoTimeRule = "a time from 0 to 114 seconds, such as 45 or 62.25";

// A whole decimal number in [low, high].
std::optional<std::int64_t> parseWholeNumber(std::string_view text, std::int64_t low,
                                             std::int64_t high);
// A seed: any whole decimal number from 0 to 2^64 - 1.
std::optional<std::uint64_t> parseSeed(std::string_view text);
inline constexpr std::string_view SeedRule = "a whole number from 0 up";
