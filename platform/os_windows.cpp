// The operating-system services of os.h for Windows 10 and 11.
//
// Frame pacing uses a high-resolution waitable timer (Windows 10 1803 and
// later): it waits the 83.3 microseconds asked for without raising the
// system's timer rate, which timeBeginPeriod would do for every program on
// the machine while the demo runs. Where the timer cannot be made (older
// Windows), the loop falls back to Sleep(1); SDL raises the timer
// resolution to 1 ms itself when it starts, so even then the pause is about
// a millisecond and not the default 15.6 ms tick.
//
// Standard output and error are written with WriteFile on the standard
// handles: the C library would turn every "\n" into "\r\n" and fully buffer
// a redirected stream. A real console gets virtual-terminal processing
// switched on, so that the time line's ESC "[F" moves the cursor instead of
// showing up as text; a file or a pipe gets the same bytes as on Linux.
#include "platform/os.h"

#include "platform/os_windows.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002  // not in mingw-w64's headers
#endif

namespace {

// -------- frame pacing

// One timer per thread that sleeps, made on its first sleep and closed
// when the thread ends. A null handle: this Windows has no such timer.
class PreciseTimer {
public:
    PreciseTimer()
        : handle_(CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                         TIMER_MODIFY_STATE | SYNCHRONIZE)) {}
    ~PreciseTimer() {
        if (handle_ != nullptr) CloseHandle(handle_);
    }
    PreciseTimer(const PreciseTimer&) = delete;
    PreciseTimer& operator=(const PreciseTimer&) = delete;

    HANDLE handle() const { return handle_; }

private:
    HANDLE handle_;
};

// -------- standard streams

bool isValid(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }

// Writes every byte or fails; GetLastError tells why.
bool writeAll(HANDLE handle, std::string_view bytes) {
    constexpr std::size_t LargestWrite = 1u << 30;
    while (!bytes.empty()) {
        const auto chunk = static_cast<DWORD>(std::min(bytes.size(), LargestWrite));
        DWORD written = 0;
        if (!WriteFile(handle, bytes.data(), chunk, &written, nullptr)) return false;
        if (written == 0) {
            SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

// The console output mode we found, put back when the program ends.
HANDLE changedConsole = nullptr;
DWORD originalConsoleMode = 0;

void restoreConsoleMode() {
    if (changedConsole != nullptr) SetConsoleMode(changedConsole, originalConsoleMode);
}

// -------- entropy

constexpr LONG StatusDllNotFound = static_cast<LONG>(0xC0000135);

LONG WINAPI genRandomMissing(void*, PUCHAR, ULONG, ULONG) { return StatusDllNotFound; }
BOOLEAN WINAPI rtlGenRandomMissing(PVOID, ULONG) { return FALSE; }

// GetProcAddress hands back a generic function pointer; going through
// void(*)() keeps the compiler from warning about the cast.
template <class Function>
Function loadFunction(const wchar_t* library, const char* name, Function missing) {
    HMODULE module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module == nullptr) return missing;
    FARPROC found = GetProcAddress(module, name);
    if (found == nullptr) return missing;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

}  // namespace

std::uint64_t wallClockTicks() {
    FILETIME now{};
    GetSystemTimePreciseAsFileTime(&now);  // 100-nanosecond ticks since 1601
    return static_cast<std::uint64_t>(now.dwHighDateTime) << 32 | now.dwLowDateTime;
}

bool sleepTicksPrecise(std::uint64_t ticks) {
    thread_local const PreciseTimer timer;
    if (timer.handle() == nullptr) return false;
    LARGE_INTEGER due{};
    // Negative: relative to now, in 100-nanosecond ticks.
    due.QuadPart = -static_cast<LONGLONG>(std::min<std::uint64_t>(ticks, INT64_MAX));
    if (!SetWaitableTimer(timer.handle(), &due, 0, nullptr, nullptr, FALSE)) return false;
    return WaitForSingleObject(timer.handle(), INFINITE) == WAIT_OBJECT_0;
}

void sleepMilliseconds(std::uint32_t milliseconds) { Sleep(milliseconds); }

void prepareStandardStreams() {
    // A handle the process was given but that names nothing could later be
    // handed to a file we open (an audio file, say), and our output would
    // land in it: point such a stream at the null device. A missing handle
    // (null) stays missing; the time line is then dropped.
    for (const DWORD stream : {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
        const HANDLE handle = GetStdHandle(stream);
        if (!isValid(handle)) continue;
        SetLastError(NO_ERROR);
        if (GetFileType(handle) != FILE_TYPE_UNKNOWN || GetLastError() != ERROR_INVALID_HANDLE) continue;
        const HANDLE null = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        0, nullptr);
        if (isValid(null)) SetStdHandle(stream, null);
    }

    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (!isValid(out) || !GetConsoleMode(out, &mode)) return;  // a file, a pipe: left alone
    if ((mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0) return;
    if (!SetConsoleMode(out, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING)) return;
    if (changedConsole == nullptr) std::atexit(restoreConsoleMode);
    changedConsole = out;
    originalConsoleMode = mode;
}

OutputStatus writeStandardOutput(std::string_view bytes, int& errorNumber) {
    errorNumber = 0;
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (!isValid(out)) return OutputStatus::NoOutput;
    if (writeAll(out, bytes)) return OutputStatus::Written;
    const DWORD error = GetLastError();
    if (error == ERROR_INVALID_HANDLE) return OutputStatus::NoOutput;
    errorNumber = static_cast<int>(error);
    return OutputStatus::Failed;
}

void writeStandardError(std::string_view bytes) {
    const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    if (isValid(err)) writeAll(err, bytes);
}

std::string errorText(int errorNumber) {
    char buffer[512];
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       static_cast<DWORD>(errorNumber), 0, buffer, sizeof buffer, nullptr);
    std::string text(buffer, length);
    // The system's texts end in a full stop and a line break; ours do not.
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' ||
                             text.back() == '.')) {
        text.pop_back();
    }
    if (text.empty()) text = "Windows error " + std::to_string(static_cast<DWORD>(errorNumber));
    return text;
}

// Windows always has a desktop to open the window on.
bool displayAvailable() { return true; }
std::string namedDisplay() { return {}; }

const EntropySources& systemEntropySources() {
    static const EntropySources sources{
        loadFunction<GenRandomFunction>(L"bcrypt.dll", "BCryptGenRandom", genRandomMissing),
        loadFunction<RtlGenRandomFunction>(L"advapi32.dll", "SystemFunction036", rtlGenRandomMissing),
    };
    return sources;
}

int fillEntropyFrom(std::span<std::uint8_t> buffer, const EntropySources& sources,
                    std::uint64_t largestStretch) {
    const std::uint64_t stretch = std::clamp<std::uint64_t>(largestStretch, 1, LargestEntropyStretch);
    while (!buffer.empty()) {
        const auto length = static_cast<ULONG>(std::min<std::uint64_t>(buffer.size(), stretch));
        const auto status = static_cast<std::uint32_t>(
            sources.genRandom(nullptr, buffer.data(), length, UseSystemPreferredRng));
        if (status >= FirstErrorStatus && sources.rtlGenRandom(buffer.data(), length) == 0) {
            return static_cast<int>(status & 0x7FFFFFFF);
        }
        buffer = buffer.subspan(length);
    }
    return 0;
}

int fillEntropy(std::span<std::uint8_t> buffer) {
    return fillEntropyFrom(buffer, systemEntropySources());
}

// The Windows heap has no knobs for this: nothing to do.
void keepLargeBlocksOnTheHeap(std::size_t largestBlockBytes, std::size_t trimSlackBytes) {
    (void)largestBlockBytes;
    (void)trimSlackBytes;
}
