// invite-tool's commands. Each cmd_*.cpp defines one and registers it with a
// file-scope CommandRegistration, so adding a command touches no other file.
#pragma once

#include <span>
#include <string_view>
#include <vector>

struct Command {
    std::string_view name;
    std::string_view usage;    // "render MODFILE OUT.wav [--rate N]"
    std::string_view summary;  // one line for --help
    // Arguments after the command name. Returns the exit status.
    int (*run)(std::span<const std::string_view> args);
};

const std::vector<Command>& commands();

struct CommandRegistration {
    explicit CommandRegistration(const Command& command);
};

// "invite-tool: <message>" on standard error; returns 1 for `return fail(...)`.
int fail(std::string_view message);
// A usage error for `command`: the message, then its usage line; returns 2.
int usageError(const Command& command, std::string_view message);
