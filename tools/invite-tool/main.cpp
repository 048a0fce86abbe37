// invite-tool: the command-line tool for the people who make the demo.
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/os.h"
#include "tools/invite-tool/command.h"
#include "tools/invite-tool/interruption.h"

namespace {
// Every captured frame allocates and frees a few canvas-sized buffers (the
// read-back pixels, the backdrop's surface and texture, an enlarged copy).
// Left to the defaults, glibc hands each back to the system and the next
// frame pays for fresh pages, which took most of the time per frame; keep
// them in the heap instead.
constexpr std::size_t LargestReusedBlock = 64 << 20;  // bytes
constexpr std::size_t HeapTrimSlack = 256 << 20;      // bytes

// The release this tool belongs to (the top-level VERSION file).
constexpr std::string_view InviteVersion = INVITE_VERSION;

void printHelp(std::ostream& out) {
    out << "usage: invite-tool COMMAND [ARGS...]\n       invite-tool --version\n\ncommands:\n";
    for (const Command& command : commands()) {
        out << "  " << command.usage << "\n      " << command.summary << '\n';
    }
    out << "\ninvite-tool COMMAND --help shows one command's usage.\n";
}

const Command* findCommand(std::string_view name) {
    for (const Command& command : commands()) {
        if (command.name == name) return &command;
    }
    return nullptr;
}
}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string_view> args(argv + 1, argv + argc);
    const Command* command = args.empty() ? nullptr : findCommand(args[0]);
    keepLargeBlocksOnTheHeap(LargestReusedBlock, HeapTrimSlack);
    // A signal removes the temporary file of an unfinished output.
    catchInterruptions();
    if (args.empty()) {
        printHelp(std::cerr);
        return 2;
    }
    if (args[0] == "--version") {
        std::cout << "invite-tool " << InviteVersion << '\n';
        return 0;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        printHelp(std::cout);
        return 0;
    }
    if (command == nullptr) {
        std::cerr << "invite-tool: unknown command '" << args[0] << "'\n";
        printHelp(std::cerr);
        return 2;
    }
    const std::span<const std::string_view> rest(args.data() + 1, args.size() - 1);
    for (std::string_view arg : rest) {
        if (arg == "--help" || arg == "-h") {
            std::cout << "usage: invite-tool " << command->usage << '\n' << command->summary << '\n';
            return 0;
        }
    }
    return command->run(rest);
}
