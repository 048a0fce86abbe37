// PLACEHOLDER until the scenes land: the time line and the clear.
#include "scenes/scene_renderer.h"

#include "app/time_line.h"

Status SceneRenderer::renderFrame(const Canvas& canvas, const TextureFactory&, double t) {
    if (writeTimeLines_) {
        if (Status s = writeTimeLine(t); !s) return s;
    }
    if (Status s = canvas.setDrawColor(12, 12, 12, 255); !s) return s;
    return canvas.clear();
}
