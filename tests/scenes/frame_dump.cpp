// Renders demo frames offscreen at 640 x 400 and writes each as a binary PPM
// (frame-<t>.ppm) into a folder, for looking at them by eye.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/platform.h"
#include "scenes/scene_renderer.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s DIR t...\n", argv[0]);
        return 2;
    }
    auto canvas = Canvas::createOffscreen(640, 400);
    if (!canvas || !canvas.value().setLogicalSize(640, 400)) return 1;
    SceneRenderer renderer(false);
    for (int i = 2; i < argc; ++i) {
        const double t = std::strtod(argv[i], nullptr);
        if (Status s = renderer.renderFrame(canvas.value(), canvas.value().textureFactory(), t); !s) {
            std::fprintf(stderr, "t = %s: %s\n", argv[i], s.error().text.c_str());
            return 1;
        }
        auto pixels = canvas.value().readPixels();
        if (!pixels) return 1;
        const std::string path = std::string(argv[1]) + "/frame-" + argv[i] + ".ppm";
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (f == nullptr) return 1;
        std::fprintf(f, "P6\n%d %d\n255\n", pixels.value().width, pixels.value().height);
        const auto& bytes = pixels.value().bytes;
        for (std::size_t p = 0; p + 3 < bytes.size(); p += 4) std::fwrite(&bytes[p], 1, 3, f);
        std::fclose(f);
    }
    return 0;
}
