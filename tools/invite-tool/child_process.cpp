#include "tools/invite-tool/child_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "tools/invite-tool/interruption.h"

extern char** environ;

namespace {
constexpr int PipeBytes = 1 << 20;  // Linux's default limit for unprivileged pipes

PlatformError errnoError(std::string_view what, int number) {
    return PlatformError{std::string(what) + ": " + std::strerror(number)};
}

bool isExecutableFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}
}  // namespace

std::optional<std::string> findOnPath(std::string_view name) {
    if (name.empty()) return std::nullopt;
    if (name.find('/') != std::string_view::npos) {
        std::string path(name);
        if (isExecutableFile(path)) return path;
        return std::nullopt;
    }
    const char* variable = std::getenv("PATH");
    const std::string_view path = variable != nullptr ? variable : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(':', start);
        if (end == std::string_view::npos) end = path.size();
        // An empty entry means the current directory.
        std::string_view directory = path.substr(start, end - start);
        if (directory.empty()) directory = ".";
        std::string candidate;
        candidate.append(directory).append("/").append(name);
        if (isExecutableFile(candidate)) return candidate;
        start = end + 1;
    }
    return std::nullopt;
}

Result<ChildProcess> ChildProcess::spawn(const std::string& program,
                                         const std::vector<std::string>& arguments) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) return errnoError("pipe", errno);
    // A frame is hundreds of kilobytes: a larger pipe than the default 64 KiB
    // means fewer round trips between the two processes per frame. Where the
    // system refuses, the default pipe still works.
    (void)::fcntl(ends[1], F_SETPIPE_SZ, PipeBytes);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // dup2 clears close-on-exec on the child's copy, so only standard input
    // stays open in the child.
    posix_spawn_file_actions_adddup2(&actions, ends[0], STDIN_FILENO);
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int result = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(ends[0]);
    if (result != 0) {
        ::close(ends[1]);
        return errnoError(program, result);
    }
    return ChildProcess(pid, ends[1]);
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)), input_(std::exchange(other.input_, -1)) {}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) (void)finish();
}

Status ChildProcess::write(std::span<const std::uint8_t> bytes) {
    if (input_ < 0) return PlatformError{"the helper's input is already closed"};
    while (!bytes.empty()) {
        const ssize_t n = ::write(input_, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR && interrupted()) return PlatformError{"interrupted"};
            if (errno == EINTR) continue;
            if (errno == EPIPE) return PlatformError{"the helper stopped reading its input"};
            return errnoError("write to the helper", errno);
        }
        bytes = bytes.subspan(static_cast<std::size_t>(n));
    }
    return okStatus();
}

Result<int> ChildProcess::finish() {
    if (input_ >= 0) {
        ::close(input_);
        input_ = -1;
    }
    if (pid_ <= 0) return PlatformError{"the helper was already waited for"};
    int status = 0;
    pid_t waited = -1;
    bool killed = false;
    do {
        waited = ::waitpid(pid_, &status, 0);
        // Interrupted while the helper finishes its work: it must not finish.
        if (waited < 0 && errno == EINTR && interrupted() && !killed) {
            ::kill(pid_, SIGKILL);
            killed = true;
        }
    } while (waited < 0 && errno == EINTR);
    const int waitError = errno;
    pid_ = -1;
    if (waited < 0) return errnoError("waitpid", waitError);
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return 1;
}

void ChildProcess::stop() {
    if (input_ >= 0) {
        ::close(input_);
        input_ = -1;
    }
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
}
