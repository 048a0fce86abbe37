#include "scenes/scene_renderer.h"

#include <string>

#include "app/time_line.h"
#include "scenes/greetings_scene.h"
#include "scenes/invitation_scene.h"
#include "scenes/signature_bounce.h"
#include "scenes/slogan_scroller.h"
#include "scenes/text_run.h"
#include "scenes/timeline.h"
#include "scenes/wave_backdrop.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {
// Every wave frame allocates two canvas-sized blocks (its surface, and the
// texture SDL copies it into: 1 MB each at 640 x 400) and frees both again.
// With glibc's defaults such blocks go back to the kernel at once (as mmap
// chunks, or by trimming the heap top), so each frame faults about 500 fresh
// pages in: 6 to 8 ms of CPU per frame here, against well under 1 ms when the
// pages are reused. Blocks up to 16 MB therefore stay on the heap, and the
// heap is trimmed only past 32 MB of free space.
void keepFrameBlocksOnTheHeap() {
#if defined(__GLIBC__)
    static const bool tuned = [] {
        mallopt(M_MMAP_THRESHOLD, 16 << 20);
        mallopt(M_TRIM_THRESHOLD, 32 << 20);
        return true;
    }();
    (void)tuned;
#endif
}
}  // namespace

SceneRenderer::SceneRenderer(bool writeTimeLines) : writeTimeLines_(writeTimeLines) {
    keepFrameBlocksOnTheHeap();
}

Status SceneRenderer::renderFrame(const Canvas& canvas, const TextureFactory& factory, double t) {
    if (writeTimeLines_) {
        if (Status s = writeTimeLine(t); !s) return s;
    }
    const std::uint32_t colour = textColour(pulse(t));
    const auto [width, height] = canvas.logicalSize();
    if (Status s = canvas.setDrawColor(ClearLevel, ClearLevel, ClearLevel, 255); !s) return s;
    if (Status s = canvas.clear(); !s) return s;
    // Without a logical size every layout would divide by zero.
    if (width <= 0 || height <= 0) return PlatformError{std::string(NoLogicalSizeText)};

    const SceneTarget target{canvas, factory, colour, width, height};
    const SceneSchedule schedule = scheduleFor(t);
    if (schedule.signatureTime) {
        if (Status s = SignatureBounce::draw(target, *schedule.signatureTime); !s) return s;
    }
    if (schedule.invitation) return InvitationScene::draw(target, t);
    if (schedule.greetings) return GreetingsScene::draw(target, t);
    if (schedule.wave) {
        if (Status s = WaveBackdrop::draw(target, t); !s) return s;
    }
    if (schedule.slogan) return SloganScroller::draw(target, t);
    return okStatus();
}
