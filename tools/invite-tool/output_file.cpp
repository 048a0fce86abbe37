#include "tools/invite-tool/output_file.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {
constexpr std::size_t LongestName = NAME_MAX;
constexpr std::string_view TemporarySuffix = ".XXXXXX";  // mkstemp's pattern

// The mode a newly made file gets from open(..., 0666) under the umask.
mode_t newFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

struct SplitPath {
    std::string folder;  // with its trailing '/', or empty for the current folder
    std::string name;
};
SplitPath split(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {"", path};
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

// The file a regular target's name leads to, through any symbolic links:
// the rename must replace that file, not the link.
std::string resolved(const std::string& path) {
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr) return path;
    std::string result(real);
    std::free(real);
    return result;
}

// Where a chain of symbolic links that ends at a missing name leads: the
// file to make, so that the links lead to it afterwards as they would to a
// file that exists. `path` itself when it is no link; empty when the chain
// is too long (a loop) or cannot be read, with `number` set.
std::string danglingTarget(const std::string& path, int& number) {
    constexpr int LongestChain = 40;  // the kernel's own limit on links in a path
    std::string current = path;
    for (int links = 0; links < LongestChain; ++links) {
        struct stat entry {};
        if (::lstat(current.c_str(), &entry) != 0 || !S_ISLNK(entry.st_mode)) return current;
        std::string target(PATH_MAX, '\0');
        const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
        if (length < 0) {
            number = errno;
            return {};
        }
        target.resize(static_cast<std::size_t>(length));
        current = target.starts_with('/') ? target : split(current).folder + target;
    }
    number = ELOOP;
    return {};
}

// The folder of `target` as the user would name it: "./" for the current one.
std::string folderOf(const SplitPath& target) { return target.folder.empty() ? "./" : target.folder; }
}  // namespace

PlatformError writeError(const std::string& path, const std::string& reason) {
    return PlatformError{"cannot write '" + path + "': " + reason};
}

PlatformError OutputFile::failure(int number) const { return writeError(path_, std::strerror(number)); }

Result<OutputFile> OutputFile::open(const std::string& path, Writer writer, bool allowStandardOutput) {
    OutputFile file;
    file.path_ = path;
    if (path == "-" && allowStandardOutput) {
        assert(writer == Writer::Tool);
        file.writing_ = "standard output";
        file.stream_ = stdout;
        file.standardOutput_ = true;
        return file;
    }
    if (path.empty()) return writeError(path, std::strerror(ENOENT));

    struct stat existing {};
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    if (!exists && errno != ENOENT) return file.failure(errno);
    if (exists && S_ISDIR(existing.st_mode)) return file.failure(EISDIR);
    if (exists && (S_ISCHR(existing.st_mode) || S_ISFIFO(existing.st_mode))) {
        // A device or a pipe takes the bytes as they come; it has no folder
        // to hold a temporary file and must never be replaced by one.
        file.writing_ = path;
        if (writer == Writer::Other) return file;
        const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) return file.failure(errno);
        if (const int number = file.attachStream(fd); number != 0) return file.failure(number);
        return file;
    }
    if (exists && !S_ISREG(existing.st_mode)) {
        return writeError(path, "not a regular file, a character device or a pipe");
    }

    if (exists) {
        file.target_ = resolved(path);
    } else {
        // A symbolic link to a missing file: make that file, as for a link
        // whose file exists, and keep the link.
        int number = 0;
        file.target_ = danglingTarget(path, number);
        if (file.target_.empty()) return file.failure(number);
    }
    const SplitPath target = split(file.target_);
    if (target.name.empty()) return file.failure(EISDIR);  // "folder/"
    std::string name = "." + target.name;
    name.resize(std::min(name.size(), LongestName - TemporarySuffix.size()));
    std::string temporary = target.folder + name + std::string(TemporarySuffix);
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        // What fails here is the folder: missing, not writable, full.
        return writeError(path, "folder '" + folderOf(target) + "': " + std::strerror(errno));
    }
    file.temporary_ = temporary;
    file.writing_ = temporary;
    file.cleanup_ = std::make_unique<RemovedOnInterruption>(temporary);
    // mkstemp makes the file private (0600); the finished file gets the mode
    // of the file it replaces, or the one a new file would get.
    const mode_t mode = exists ? existing.st_mode & 07777 : newFileMode();
    if (::fchmod(fd, mode) != 0) {
        const int number = errno;
        ::close(fd);
        return file.failure(number);  // the destructor removes the temporary file
    }
    // And its owner, where we may give it (as root, or the group of our own):
    // a file replaced by root must not change hands. Otherwise it stays ours.
    if (exists && ::fchown(fd, existing.st_uid, existing.st_gid) != 0) {
        // Not ours to give: the new file stays ours, which is no failure.
    }
    if (writer == Writer::Other) {
        if (::close(fd) != 0) return file.failure(errno);
        return file;
    }
    if (const int number = file.attachStream(fd); number != 0) return file.failure(number);
    return file;
}

int OutputFile::attachStream(int fd) {
    stream_ = ::fdopen(fd, "wb");
    if (stream_ != nullptr) return 0;
    const int number = errno;
    ::close(fd);
    return number;
}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : path_(std::move(other.path_)), writing_(std::move(other.writing_)), target_(std::move(other.target_)),
      temporary_(std::exchange(other.temporary_, {})), stream_(std::exchange(other.stream_, nullptr)),
      standardOutput_(other.standardOutput_), committed_(other.committed_),
      cleanup_(std::move(other.cleanup_)) {}

OutputFile::~OutputFile() {
    if (!committed_) discard();
}

void OutputFile::discard() {
    if (stream_ != nullptr && !standardOutput_) std::fclose(stream_);
    if (standardOutput_) std::fflush(stream_);
    stream_ = nullptr;
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
    cleanup_.reset();
}

Status OutputFile::write(std::span<const std::uint8_t> bytes) {
    assert(stream_ != nullptr);
    if (bytes.empty()) return okStatus();
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), stream_) != bytes.size()) {
        return failure(errno != 0 ? errno : EIO);
    }
    return okStatus();
}

Status OutputFile::commit() {
    assert(!committed_);
    if (stream_ != nullptr) {
        errno = 0;
        const bool flushed = std::fflush(stream_) == 0 && std::ferror(stream_) == 0;
        if (!flushed) {
            const int number = errno != 0 ? errno : EIO;
            discard();
            return failure(number);
        }
        if (standardOutput_) {
            stream_ = nullptr;
            committed_ = true;
            return okStatus();
        }
        const bool closed = std::fclose(stream_) == 0;
        const int number = errno;
        stream_ = nullptr;
        if (!closed) {
            discard();
            return failure(number);
        }
    }
    if (!direct() && ::rename(temporary_.c_str(), target_.c_str()) != 0) {
        const int number = errno;
        discard();
        return failure(number);
    }
    temporary_.clear();
    cleanup_.reset();
    committed_ = true;
    return okStatus();
}
