// The libxmp side of bench/render-speed.sh: a whole process that renders a
// module file to raw mono 16-bit samples at 48000 Hz, nearest-neighbour
// interpolation, written in blocks as invite-tool render --raw writes them.
// Usage: xmp_render MODFILE OUT.raw
#include <xmp.h>

#include <cstdint>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    constexpr int Rate = 48000;
    constexpr std::size_t BlockSamples = 32 << 10;
    if (argc != 3) {
        std::fprintf(stderr, "usage: xmp_render MODFILE OUT.raw\n");
        return 2;
    }
    xmp_context ctx = xmp_create_context();
    if (xmp_load_module(ctx, argv[1]) != 0) {
        std::fprintf(stderr, "xmp_render: cannot load %s\n", argv[1]);
        return 1;
    }
    std::FILE* out = std::fopen(argv[2], "wb");
    if (out == nullptr) {
        std::perror(argv[2]);
        return 1;
    }
    xmp_start_player(ctx, Rate, XMP_FORMAT_MONO);
    xmp_set_player(ctx, XMP_PLAYER_INTERP, XMP_INTERP_NEAREST);
    std::vector<std::int16_t> block(BlockSamples);
    while (xmp_play_buffer(ctx, block.data(), static_cast<int>(block.size() * sizeof(std::int16_t)), 1) == 0) {
        if (std::fwrite(block.data(), sizeof(std::int16_t), block.size(), out) != block.size()) {
            std::perror(argv[2]);
            return 1;
        }
    }
    xmp_end_player(ctx);
    xmp_release_module(ctx);
    xmp_free_context(ctx);
    return std::fclose(out) == 0 ? 0 : 1;
}
