#include "platform/os.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {
constexpr std::uint64_t TicksPerSecond = 10'000'000;  // 100-nanosecond ticks
constexpr std::uint64_t NanosecondsPerTick = 100;
}  // namespace

std::uint64_t wallClockTicks() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * TicksPerSecond +
           static_cast<std::uint64_t>(now.tv_nsec) / NanosecondsPerTick;
}

bool sleepTicksPrecise(std::uint64_t ticks) {
    timespec wait{};
    wait.tv_sec = static_cast<time_t>(ticks / TicksPerSecond);
    wait.tv_nsec = static_cast<long>((ticks % TicksPerSecond) * NanosecondsPerTick);
    // A signal may cut the wait short; wait out the rest.
    int status;
    while ((status = clock_nanosleep(CLOCK_MONOTONIC, 0, &wait, &wait)) == EINTR) {
    }
    return status == 0;
}

void sleepMilliseconds(std::uint32_t milliseconds) {
    timespec wait{};
    wait.tv_sec = milliseconds / 1000;
    wait.tv_nsec = static_cast<long>(milliseconds % 1000) * 1'000'000L;
    while (nanosleep(&wait, &wait) == -1 && errno == EINTR) {
    }
}

void prepareStandardStreams() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // open() returns the lowest free number, which is `fd` itself.
        const int opened = ::open("/dev/null", O_RDWR);
        if (opened != fd && opened >= 0) ::close(opened);
    }
    ::signal(SIGPIPE, SIG_IGN);
}

OutputStatus writeStandardOutput(std::string_view bytes, int& errorNumber) {
    errorNumber = 0;
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(STDOUT_FILENO, data, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            errorNumber = errno;
            // A closed descriptor: the process was started without standard output.
            return errno == EBADF ? OutputStatus::NoOutput : OutputStatus::Failed;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return OutputStatus::Written;
}

void writeStandardError(std::string_view bytes) {
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(STDERR_FILENO, data, left);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return;
        data += written;
        left -= static_cast<std::size_t>(written);
    }
}

std::string errorText(int errorNumber) {
    char buffer[256];
    // GNU strerror_r: the text may or may not be placed in `buffer`.
    return ::strerror_r(errorNumber, buffer, sizeof buffer);
}

bool displayAvailable() {
    for (const char* name : {"SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') return true;
    }
    return false;
}

std::string namedDisplay() {
    std::string names;
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value == nullptr || *value == '\0') continue;
        if (!names.empty()) names += " or ";
        names += std::string(name) + "=" + value;
    }
    return names;
}

int fillEntropy(std::span<std::uint8_t> buffer) {
    std::size_t filled = 0;
    while (filled < buffer.size()) {
        const ssize_t got = getrandom(buffer.data() + filled, buffer.size() - filled, 0);
        if (got < 0) {
            if (errno == EINTR) continue;
            break;  // no getrandom (old kernel, seccomp): fall back to the device
        }
        filled += static_cast<std::size_t>(got);
    }
    if (filled == buffer.size()) return 0;

    const int fd = ::open("/dev/urandom", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno != 0 ? errno : EIO;
    while (filled < buffer.size()) {
        const ssize_t got = ::read(fd, buffer.data() + filled, buffer.size() - filled);
        if (got <= 0) {
            if (got < 0 && errno == EINTR) continue;
            const int error = got < 0 ? errno : EIO;
            ::close(fd);
            return error;
        }
        filled += static_cast<std::size_t>(got);
    }
    ::close(fd);
    return 0;
}

void keepLargeBlocksOnTheHeap(std::size_t largestBlockBytes, std::size_t trimSlackBytes) {
#if defined(__GLIBC__)
    // glibc's defaults map blocks of 128 KiB and more on their own and hand
    // them back at free, and trim the heap top as soon as it is free.
    mallopt(M_MMAP_THRESHOLD, static_cast<int>(largestBlockBytes));
    mallopt(M_TRIM_THRESHOLD, static_cast<int>(trimSlackBytes));
#else
    (void)largestBlockBytes;
    (void)trimSlackBytes;
#endif
}
