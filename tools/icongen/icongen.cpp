// icongen: draws the program's icon in every size a platform asks for.
//   icongen OUT_DIR
// writes into OUT_DIR (assets/icon in the source tree):
//   tiral25-invite.ico                         16, 24, 32, 48, 64 and 256 pixels, for the Windows exe
//   hicolor/NxN/apps/tiral25-invite.png        N = 16, 24, 32, 48, 64, 128, 256, for the desktop entry
//   favicon-data-url.txt                       the 32 x 32 PNG as a data: URL, for the web page
// Each size is drawn on its own (icon_picture.h): a whole-factor enlargement
// of the font's pixels, never a resampled copy of a larger picture. The
// output depends on nothing but the built-in font.
#include <array>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "tools/icongen/icon_files.h"
#include "tools/icongen/icon_picture.h"

namespace {

constexpr std::array<std::int32_t, 6> IcoSizes{16, 24, 32, 48, 64, 256};
constexpr std::array<std::int32_t, 7> HicolorSizes{16, 24, 32, 48, 64, 128, 256};
constexpr std::int32_t FaviconSize = 32;

bool writeFile(const std::filesystem::path& path, const void* bytes, std::size_t length) {
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(length));
    out.close();
    if (!out) std::cerr << "icongen: cannot write " << path.string() << '\n';
    return static_cast<bool>(out);
}

bool writeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    return writeFile(path, bytes.data(), bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: icongen OUT_DIR\n";
        return 2;
    }
    const std::filesystem::path out(argv[1]);
    bool ok = true;

    std::vector<RgbPicture> icoPictures;
    for (const std::int32_t size : IcoSizes) icoPictures.push_back(drawIcon(size));
    ok &= writeFile(out / "tiral25-invite.ico", encodeIco(icoPictures));

    for (const std::int32_t size : HicolorSizes) {
        const std::string folder = std::to_string(size) + "x" + std::to_string(size);
        ok &= writeFile(out / "hicolor" / folder / "apps" / "tiral25-invite.png", encodePng(drawIcon(size)));
    }

    const std::string url = pngDataUrl(encodePng(drawIcon(FaviconSize))) + "\n";
    ok &= writeFile(out / "favicon-data-url.txt", url.data(), url.size());
    return ok ? 0 : 1;
}
