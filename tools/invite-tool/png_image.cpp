#include "tools/invite-tool/png_image.h"

#include <png.h>

#include <cerrno>
#include <cstring>

namespace {
PlatformError pngError(const std::string& path, const png_image& image) {
    return PlatformError{path + ": " + image.message};
}
}  // namespace

Status writePng(OutputFile& file, const RgbaImage& image, PngSpeed speed) {
    assert(image.width > 0 && image.height > 0);
    assert(image.bytes.size() == static_cast<std::size_t>(image.width) *
                                     static_cast<std::size_t>(image.height) *
                                     RgbaImage::BytesPerPixel);
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGBA;
    if (speed == PngSpeed::Fast) png.flags |= PNG_IMAGE_FLAG_FAST;
    // To our stream, not png_image_write_to_file: that one removes the file
    // it was given when a write fails, even a device node such as /dev/full.
    errno = 0;
    const int written = png_image_write_to_stdio(&png, file.stream(), 0, image.bytes.data(),
                                                 image.width * 4, nullptr);
    const int number = errno;
    if (written == 0) {
        // libpng's text for a failed fwrite is only "Write Error"; the reason is in errno.
        PlatformError error = number != 0 ? writeError(file.path(), std::strerror(number))
                                          : writeError(file.path(), png.message);
        png_image_free(&png);
        return error;
    }
    return okStatus();
}

Status writePng(const std::string& path, const RgbaImage& image, PngSpeed speed) {
    auto file = OutputFile::open(path);
    if (!file) return file.error();
    if (Status s = writePng(file.value(), image, speed); !s) return s;
    return file.value().commit();
}

Result<RgbaImage> readPng(const std::string& path) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&png, path.c_str()) == 0) {
        PlatformError error = pngError(path, png);
        png_image_free(&png);
        return error;
    }
    // Refuse sizes whose byte count could overflow before asking for memory.
    constexpr png_uint_32 LargestSide = 1u << 15;
    if (png.width > LargestSide || png.height > LargestSide) {
        png_image_free(&png);
        return PlatformError{path + ": " + std::string(PlatformErrorText::ImageTooLarge)};
    }
    png.format = PNG_FORMAT_RGBA;
    RgbaImage image{static_cast<std::int32_t>(png.width), static_cast<std::int32_t>(png.height), {}};
    image.bytes.resize(PNG_IMAGE_SIZE(png));
    if (png_image_finish_read(&png, nullptr, image.bytes.data(), 0, nullptr) == 0) {
        PlatformError error = pngError(path, png);
        png_image_free(&png);
        return error;
    }
    return image;
}
