#include "tools/invite-tool/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {
PlatformError readError(const std::string& path, const std::string& reason) {
    return PlatformError{"cannot read '" + path + "': " + reason};
}

std::string tooLarge(std::size_t maxBytes) {
    return "larger than " + std::to_string(maxBytes) + " bytes, more than any module holds";
}

std::string kindOf(mode_t mode) {
    if (S_ISDIR(mode)) return std::strerror(EISDIR);
    if (S_ISCHR(mode)) return "a character device, not a regular file (use '-' for standard input)";
    if (S_ISBLK(mode)) return "a block device, not a regular file";
    if (S_ISFIFO(mode)) return "a pipe, not a regular file (use '-' for standard input)";
    return "not a regular file";
}

// Reads `fd` to its end, failing past `maxBytes`.
Result<std::vector<std::uint8_t>> readAll(int fd, const std::string& path, std::size_t maxBytes,
                                          std::size_t expected) {
    std::vector<std::uint8_t> bytes(std::min(expected, maxBytes) + 1);
    std::size_t filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (bytes.size() > maxBytes) return readError(path, tooLarge(maxBytes));
            bytes.resize(std::min(bytes.size() * 2, maxBytes + 1));
        }
        const ssize_t n = ::read(fd, bytes.data() + filled, bytes.size() - filled);
        if (n < 0) {
            if (errno == EINTR) continue;
            return readError(path, std::strerror(errno));
        }
        if (n == 0) break;
        filled += static_cast<std::size_t>(n);
    }
    bytes.resize(filled);
    return bytes;
}
}  // namespace

Result<std::vector<std::uint8_t>> readInputFile(const std::string& path, std::size_t maxBytes) {
    if (path == "-") return readAll(STDIN_FILENO, "standard input", maxBytes, 64 << 10);
    // O_NONBLOCK: opening a pipe would otherwise wait for a writer before
    // fstat could refuse it.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return readError(path, std::strerror(errno));
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int number = errno;
        ::close(fd);
        return readError(path, std::strerror(number));
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        return readError(path, kindOf(info.st_mode));
    }
    if (static_cast<std::uint64_t>(info.st_size) > maxBytes) {
        ::close(fd);
        return readError(path, tooLarge(maxBytes));
    }
    auto bytes = readAll(fd, path, maxBytes, static_cast<std::size_t>(info.st_size));
    ::close(fd);
    return bytes;
}

bool sameFile(const std::string& input, const std::string& output) {
    if (input == "-" || output == "-") return false;
    struct stat in {}, out {};
    if (::stat(input.c_str(), &in) != 0 || ::stat(output.c_str(), &out) != 0) return false;
    return in.st_dev == out.st_dev && in.st_ino == out.st_ino;
}
