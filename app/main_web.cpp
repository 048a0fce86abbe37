// tiral25-invite in a web browser: the page's entry points and the frame
// loop driven by the browser's animation frames.
//
// Browsers let a page make sound only after a gesture, so main() only sets
// the process up; the page calls inviteStart() from its start screen (or at
// once with #autostart where sound is allowed). inviteStart() runs the same
// start-up as the native program (RunningDemo::start) and then steps the
// loop once per animation frame instead of sleeping between frames. When the
// demo is over (t past the end, or Escape) the loop is cancelled, every
// handle is released in reverse order of creation, as natively, and the
// page is told, so that it can offer to play again.
//
// A failure is fatal to the run, as natively: one "tiral25-invite: <text>"
// line (shown on the page) and the run ends with status 1.

#include <emscripten.h>

#include <memory>

#include "app/running_demo.h"
#include "platform/os.h"

namespace {

// The one running demo, kept between animation frames; null when none runs.
std::unique_ptr<RunningDemo> current;

// Tells the page how a run ended: 0 when the demo was over, 1 on a failure.
EM_JS(void, pageDemoEnded, (int status), {
    if (Module.inviteEnded) Module.inviteEnded(status);
});

// What the page shows about the sound: the rate the song was rendered at and
// its length in samples.
EM_JS(void, pageSongRendered, (int rate, double samples), {
    Module.inviteSong = {rate: rate, samples: samples};
});

void finish(int status) {
    emscripten_cancel_main_loop();
    current.reset();  // the native shutdown order
    pageDemoEnded(status);
}

void reportFailure(const PlatformError& error) { writeStandardError(failureLine(error)); }

// One animation frame: one step of the frame loop.
void animationFrame() {
    if (!current) return;
    const Result<FrameStep> step = current->step();
    if (!step) {
        reportFailure(step.error());
        finish(1);
    } else if (step.value() == FrameStep::DemoOver) {
        finish(0);
    }
}

}  // namespace

// Starts the demo at t = 0 with its song. Returns 0 when it runs (or already
// ran), 1 when the start-up failed (the page has been told why).
extern "C" EMSCRIPTEN_KEEPALIVE int inviteStart() {
    if (current) return 0;
    auto started = RunningDemo::start(FullscreenKeys::Ignore);
    if (!started) {
        reportFailure(started.error());
        pageDemoEnded(1);
        return 1;
    }
    current = std::move(started).value();
    pageSongRendered(current->songRate(), static_cast<double>(current->songSamples()));
    // 0 frames per second: requestAnimationFrame paces the loop. The call
    // returns at once (no simulated infinite loop), so the page goes on.
    emscripten_set_main_loop(animationFrame, 0, 0);
    return 0;
}

int main() {
    prepareStandardStreams();
    return 0;
}
