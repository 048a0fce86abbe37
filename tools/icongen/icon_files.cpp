#include "tools/icongen/icon_files.h"

#include <zlib.h>

#include <cassert>
#include <cstdlib>

namespace {

// Icon directory entries store 256 as 0 in their one-byte width and height.
constexpr std::int32_t LargestBitmapIcon = 255;

void put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}
void put32BigEndian(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void putPngChunk(std::vector<std::uint8_t>& out, const char (&type)[5], const std::vector<std::uint8_t>& data) {
    put32BigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(0, &out[typeAt], static_cast<uInt>(out.size() - typeAt));
    put32BigEndian(out, static_cast<std::uint32_t>(crc));
}

std::vector<std::uint8_t> deflated(const std::vector<std::uint8_t>& raw) {
    uLongf length = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> packed(length);
    if (compress2(packed.data(), &length, raw.data(), static_cast<uLong>(raw.size()), Z_BEST_COMPRESSION) != Z_OK) {
        std::abort();  // only out of memory: the buffer is compressBound large
    }
    packed.resize(length);
    return packed;
}

// BITMAPINFOHEADER and pixels of one icon image: bottom-up BGRA rows, then
// the AND mask (1 bit a pixel, rows padded to 32 bits), all zero: opaque.
void putBitmap(std::vector<std::uint8_t>& out, const RgbPicture& picture) {
    const auto size = static_cast<std::uint32_t>(picture.size);
    put32(out, 40);        // header size
    put32(out, size);      // width
    put32(out, size * 2);  // height of the colour rows and the mask together
    put16(out, 1);         // planes
    put16(out, 32);        // bits per pixel
    put32(out, 0);         // BI_RGB
    for (int field = 0; field < 5; ++field) put32(out, 0);  // image size, resolution, palette
    for (std::int32_t y = picture.size - 1; y >= 0; --y) {
        const std::uint8_t* row = &picture.bytes[static_cast<std::size_t>(y) * size * 3];
        for (std::uint32_t x = 0; x < size; ++x) {
            out.push_back(row[x * 3 + 2]);
            out.push_back(row[x * 3 + 1]);
            out.push_back(row[x * 3]);
            out.push_back(255);
        }
    }
    const std::uint32_t maskRowBytes = (size + 31) / 32 * 4;
    out.insert(out.end(), static_cast<std::size_t>(maskRowBytes) * size, 0);
}

}  // namespace

std::vector<std::uint8_t> encodePng(const RgbPicture& picture) {
    const auto size = static_cast<std::uint32_t>(picture.size);
    std::vector<std::uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    put32BigEndian(header, size);
    put32BigEndian(header, size);
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, deflate, no filter choice, no interlace
    putPngChunk(out, "IHDR", header);
    // Every row with filter 0 (none): the flat background compresses best so.
    std::vector<std::uint8_t> raw;
    const std::size_t rowBytes = static_cast<std::size_t>(size) * 3;
    for (std::uint32_t y = 0; y < size; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), picture.bytes.begin() + static_cast<std::ptrdiff_t>(y * rowBytes),
                   picture.bytes.begin() + static_cast<std::ptrdiff_t>((y + 1) * rowBytes));
    }
    putPngChunk(out, "IDAT", deflated(raw));
    putPngChunk(out, "IEND", {});
    return out;
}

std::vector<std::uint8_t> encodeIco(std::span<const RgbPicture> pictures) {
    std::vector<std::vector<std::uint8_t>> images;
    for (const RgbPicture& picture : pictures) {
        assert(picture.size > 0 && picture.size <= 256);
        std::vector<std::uint8_t> image;
        if (picture.size > LargestBitmapIcon) {
            image = encodePng(picture);
        } else {
            putBitmap(image, picture);
        }
        images.push_back(std::move(image));
    }
    constexpr std::uint32_t DirectoryBytes = 6;
    constexpr std::uint32_t EntryBytes = 16;
    std::vector<std::uint8_t> out;
    put16(out, 0);  // reserved
    put16(out, 1);  // an icon, not a cursor
    put16(out, static_cast<std::uint32_t>(images.size()));
    std::uint32_t offset = DirectoryBytes + EntryBytes * static_cast<std::uint32_t>(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        const auto side = static_cast<std::uint8_t>(pictures[i].size > LargestBitmapIcon ? 0 : pictures[i].size);
        out.insert(out.end(), {side, side, 0, 0});  // width, height, no palette, reserved
        put16(out, 1);   // planes
        put16(out, 32);  // bits per pixel
        put32(out, static_cast<std::uint32_t>(images[i].size()));
        put32(out, offset);
        offset += static_cast<std::uint32_t>(images[i].size());
    }
    for (const auto& image : images) out.insert(out.end(), image.begin(), image.end());
    return out;
}

std::string pngDataUrl(std::span<const std::uint8_t> png) {
    static constexpr char Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string url = "data:image/png;base64,";
    for (std::size_t i = 0; i < png.size(); i += 3) {
        const std::size_t left = png.size() - i;
        std::uint32_t group = static_cast<std::uint32_t>(png[i]) << 16;
        if (left > 1) group |= static_cast<std::uint32_t>(png[i + 1]) << 8;
        if (left > 2) group |= png[i + 2];
        url += Digits[group >> 18 & 63];
        url += Digits[group >> 12 & 63];
        url += left > 1 ? Digits[group >> 6 & 63] : '=';
        url += left > 2 ? Digits[group & 63] : '=';
    }
    return url;
}
