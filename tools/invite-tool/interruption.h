// SIGINT and SIGTERM in invite-tool. Without a handler the tool would die at
// once and leave its temporary files behind, and a capture's ffmpeg would go
// on alone and finish a video that looks complete.
//
// By default (catchInterruptions() at start-up) a signal removes the
// temporary files that are registered at that moment and then ends the
// process with the signal's default action, so the shell sees 130 or 143.
// A command that must clean up more than files (capture stops and reaps
// ffmpeg) calls deferInterruptions(): the signal is then only noted, the
// command polls interrupted(), unwinds, and main ends with endByPendingSignal().
#pragma once

#include <string>

void catchInterruptions();
void deferInterruptions();

// True once a SIGINT or SIGTERM has arrived while deferred.
bool interrupted();
// When interrupted(): ends the process by the signal that arrived, with its
// default action. Otherwise returns.
void endByPendingSignal();

// While it lives, `path` is removed if a signal ends the process at once.
// At most a handful are held at a time (an output and its companions).
class RemovedOnInterruption {
public:
    explicit RemovedOnInterruption(const std::string& path);
    ~RemovedOnInterruption();
    RemovedOnInterruption(const RemovedOnInterruption&) = delete;
    RemovedOnInterruption& operator=(const RemovedOnInterruption&) = delete;

private:
    int slot_ = -1;
};
