#include "scenes/scene_renderer.h"

#include <string>

#include "platform/time_line.h"
#include "scenes/greetings_scene.h"
#include "scenes/invitation_scene.h"
#include "scenes/signature_bounce.h"
#include "scenes/slogan_scroller.h"
#include "scenes/text_run.h"
#include "scenes/timeline.h"
#include "scenes/wave_backdrop.h"

SceneRenderer::SceneRenderer(bool writeTimeLines) : writeTimeLines_(writeTimeLines) {}

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
