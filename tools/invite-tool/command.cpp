#include "tools/invite-tool/command.h"

#include <algorithm>
#include <iostream>

namespace {
std::vector<Command>& registry() {
    static std::vector<Command> all;
    return all;
}
}  // namespace

const std::vector<Command>& commands() { return registry(); }

CommandRegistration::CommandRegistration(const Command& command) {
    auto& all = registry();
    all.push_back(command);
    std::sort(all.begin(), all.end(),
              [](const Command& a, const Command& b) { return a.name < b.name; });
}

int fail(std::string_view message) {
    std::cerr << "invite-tool: " << message << '\n';
    return 1;
}

int usageError(const Command& command, std::string_view message) {
    std::cerr << "invite-tool " << command.name << ": " << message << '\n'
              << "usage: invite-tool " << command.usage << '\n';
    return 2;
}
