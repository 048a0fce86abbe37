#include "tools/invite-tool/png.h"

#include <png.h>

#include <cstdio>
#include <vector>

std::string writePngRgba(const std::string& path, std::int32_t width, std::int32_t height,
                         std::span<const std::uint8_t> pixels) {
    if (width <= 0 || height <= 0) return "empty image";
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    if (pixels.size() < rowBytes * static_cast<std::size_t>(height)) return "too few pixels for the image size";

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGBA;
    if (png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), static_cast<png_int_32>(rowBytes),
                                nullptr) == 0) {
        std::string reason = image.message;
        png_image_free(&image);
        return "cannot write " + path + ": " + reason;
    }
    return {};
}
