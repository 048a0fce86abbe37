// A helper program that the tool feeds through a pipe on its standard input
// (ffmpeg, which encodes the captured frames). POSIX only.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

#include "platform/platform.h"

// The first executable file called `name` in the directories of PATH, as the
// shell would find it; none when PATH lacks it. A name with a slash is taken
// as a path and only checked.
std::optional<std::string> findOnPath(std::string_view name);

class ChildProcess {
public:
    // Starts `program` (a path) with `arguments` (argv[0] included) and a
    // pipe on its standard input; its standard output and error are ours.
    static Result<ChildProcess> spawn(const std::string& program,
                                      const std::vector<std::string>& arguments);

    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&&) = delete;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    // Closes the pipe and waits for the child if finish() was not called.
    ~ChildProcess();

    // Writes all of `bytes` to the child's standard input. Fails when the
    // child has stopped reading (it exited), or when a deferred SIGINT or
    // SIGTERM arrives (interruption.h). The caller ignores SIGPIPE.
    Status write(std::span<const std::uint8_t> bytes);

    // Closes the pipe (end of input) and waits for the child. The exit status,
    // or 128 + the signal number when a signal ended it. A deferred SIGINT or
    // SIGTERM during the wait kills the child.
    Result<int> finish();
    // Closes the pipe, kills the child and waits for it: its work is not wanted.
    void stop();

private:
    ChildProcess(pid_t pid, int input) : pid_(pid), input_(input) {}
    pid_t pid_ = -1;
    int input_ = -1;
};
