// tiral25-invite: the native entry point and frame loop.
//
// RunningDemo (running_demo.h) does the start-up in its fixed order and one
// loop iteration per step; here the loop steps it and sleeps briefly after
// every presented frame, until the demo is over. Leaving runDemo (normally
// or on a failure) destroys the RunningDemo, which releases every handle in
// reverse order of creation.
//
// Every failure is fatal. runDemo hands the first one back and main reports
// it in one line: "tiral25-invite: <text>", exit status 1.

#include <cstddef>

#include "app/running_demo.h"
#include "app/frame_pacing.h"
#include "platform/os.h"

namespace {

// Every wave frame allocates two canvas-sized blocks (its surface, and the
// texture SDL copies it into: 1 MB each at 640 x 400) and frees both again.
// Left to glibc's defaults such blocks go back to the kernel at once, so each
// frame faults about 500 fresh pages in: 6 to 8 ms of CPU per frame against
// well under 1 ms when the pages are reused.
constexpr std::size_t LargestReusedBlock = 16 << 20;  // bytes
constexpr std::size_t HeapTrimSlack = 32 << 20;       // bytes

// The whole demo. Returns the first failure.
Status runDemo() {
    auto started = RunningDemo::start(FullscreenKeys::Toggle);
    if (!started) return started.error();
    RunningDemo& demo = *started.value();
    for (;;) {
        const Result<FrameStep> step = demo.step();
        if (!step) return step.error();
        if (step.value() == FrameStep::DemoOver) break;
        frameSleep();
    }
    return okStatus();
}

// The one place that reports a fatal failure: one line on standard error.
// Returns the exit status.
int die(const PlatformError& error) {
    writeStandardError(failureLine(error));
    return 1;
}

}  // namespace

// The demo takes no arguments; any given are ignored.
int main() {
    prepareStandardStreams();
    keepLargeBlocksOnTheHeap(LargestReusedBlock, HeapTrimSlack);
    if (Status status = runDemo(); !status) return die(status.error());
    return 0;
}
