// The Windows operating-system services, under wine: the real clock, timer,
// standard handles, console and random sources, plus fillEntropy's order of
// sources with stand-ins that record what they were asked.
#include "platform/os.h"
#include "platform/os_windows.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "app/frame_pacing.h"
#include "platform/time_line.h"

namespace {

// -------- fillEntropy's sources and their order

// What the stand-in sources were asked, in order.
struct Call {
    char source;  // 'b': BCryptGenRandom, 'r': SystemFunction036
    void* algorithm;
    std::ptrdiff_t offset;  // from the start of the test's buffer
    ULONG length;
    ULONG flags;
};

struct Sources {
    static inline std::vector<Call> calls;
    static inline std::vector<std::uint32_t> statuses;  // BCryptGenRandom's answers, in turn
    static inline std::vector<BOOLEAN> rtlResults;      // SystemFunction036's answers, in turn
    static inline std::uint8_t* base = nullptr;

    static LONG WINAPI genRandom(void* algorithm, PUCHAR buffer, ULONG length, ULONG flags) {
        calls.push_back({'b', algorithm, buffer - base, length, flags});
        const std::uint32_t status = statuses.empty() ? 0 : statuses.front();
        if (!statuses.empty()) statuses.erase(statuses.begin());
        if (status < FirstErrorStatus) std::fill_n(buffer, length, std::uint8_t{0xB0});
        return static_cast<LONG>(status);
    }
    static BOOLEAN WINAPI rtlGenRandom(PVOID buffer, ULONG length) {
        calls.push_back({'r', nullptr, static_cast<std::uint8_t*>(buffer) - base, length, 0});
        const BOOLEAN result = rtlResults.empty() ? TRUE : rtlResults.front();
        if (!rtlResults.empty()) rtlResults.erase(rtlResults.begin());
        if (result) std::fill_n(static_cast<std::uint8_t*>(buffer), length, std::uint8_t{0x2A});
        return result;
    }
};

class FillEntropy : public ::testing::Test {
protected:
    void SetUp() override {
        Sources::calls.clear();
        Sources::statuses.clear();
        Sources::rtlResults.clear();
        buffer.assign(32, 0);
        Sources::base = buffer.data();
    }
    int fill(std::uint64_t largestStretch = LargestEntropyStretch) {
        return fillEntropyFrom(buffer, EntropySources{Sources::genRandom, Sources::rtlGenRandom},
                               largestStretch);
    }
    std::string order() const {
        std::string sources;
        for (const Call& call : Sources::calls) sources += call.source;
        return sources;
    }
    std::vector<std::uint8_t> buffer;
};

TEST_F(FillEntropy, AsksTheSystemPreferredGeneratorWithNoAlgorithmFirst) {
    EXPECT_EQ(fill(), 0);
    ASSERT_EQ(order(), "b");
    EXPECT_EQ(Sources::calls[0].algorithm, nullptr);
    EXPECT_EQ(Sources::calls[0].flags, 2u);  // BCRYPT_USE_SYSTEM_PREFERRED_RNG
    EXPECT_EQ(Sources::calls[0].offset, 0);
    EXPECT_EQ(Sources::calls[0].length, 32u);
    EXPECT_EQ(buffer, std::vector<std::uint8_t>(32, 0xB0));
}

TEST_F(FillEntropy, EveryStatusBelowTheErrorRangeCountsAsDone) {
    for (const std::uint32_t status : {0x00000000u, 0x00000103u, 0x40000000u, 0x80000005u, 0xBFFFFFFFu}) {
        SetUp();
        Sources::statuses = {status};
        EXPECT_EQ(fill(), 0) << std::hex << status;
        EXPECT_EQ(order(), "b") << std::hex << status;
    }
}

TEST_F(FillEntropy, AnErrorStatusFallsBackToSystemFunction036ForTheSameStretch) {
    for (const std::uint32_t status : {0xC0000000u, 0xC0000001u, 0xC000000Du, 0xFFFFFFFFu}) {
        SetUp();
        Sources::statuses = {status};
        EXPECT_EQ(fill(), 0) << std::hex << status;
        ASSERT_EQ(order(), "br") << std::hex << status;
        EXPECT_EQ(Sources::calls[1].offset, 0);
        EXPECT_EQ(Sources::calls[1].length, 32u);
        EXPECT_EQ(buffer, std::vector<std::uint8_t>(32, 0x2A));
    }
}

TEST_F(FillEntropy, WhenBothFailTheErrorIsTheStatusWithItsTopBitCleared) {
    const std::pair<std::uint32_t, int> cases[] = {
        {0xC0000000u, 0x40000000}, {0xC000000Du, 0x4000000D}, {0xFFFFFFFFu, 0x7FFFFFFF}};
    for (const auto& [status, error] : cases) {
        SetUp();
        Sources::statuses = {status};
        Sources::rtlResults = {FALSE};
        EXPECT_EQ(fill(), error) << std::hex << status;
        EXPECT_EQ(order(), "br") << std::hex << status;
    }
}

TEST_F(FillEntropy, TheBufferIsFilledStretchByStretch) {
    buffer.assign(25, 0);
    Sources::base = buffer.data();
    Sources::statuses = {0, 0xC0000001u, 0};  // the second stretch takes the fallback
    EXPECT_EQ(fill(10), 0);
    ASSERT_EQ(order(), "bbrb");
    const std::ptrdiff_t offsets[] = {0, 10, 10, 20};
    const ULONG lengths[] = {10, 10, 10, 5};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(Sources::calls[i].offset, offsets[i]) << i;
        EXPECT_EQ(Sources::calls[i].length, lengths[i]) << i;
    }
    std::vector<std::uint8_t> expected(25, 0xB0);
    std::fill_n(expected.begin() + 10, 10, std::uint8_t{0x2A});
    EXPECT_EQ(buffer, expected);
}

TEST_F(FillEntropy, AFailedStretchStopsTheFill) {
    buffer.assign(25, 0);
    Sources::base = buffer.data();
    Sources::statuses = {0, 0xC0000022u};
    Sources::rtlResults = {FALSE};
    EXPECT_EQ(fill(10), 0x40000022);
    EXPECT_EQ(order(), "bbr");
}

TEST(FillEntropyStretch, IsAtMostTheLargest32BitLength) {
    EXPECT_EQ(LargestEntropyStretch, 4294967295u);
}

TEST(SystemEntropy, BothSourcesOfTheSystemWork) {
    const EntropySources& system = systemEntropySources();
    std::vector<std::uint8_t> a(32, 0), b(32, 0);
    EXPECT_EQ(static_cast<std::uint32_t>(system.genRandom(nullptr, a.data(), 32, UseSystemPreferredRng)), 0u);
    EXPECT_NE(system.rtlGenRandom(b.data(), 32), 0);
    EXPECT_NE(a, std::vector<std::uint8_t>(32, 0));
    EXPECT_NE(b, std::vector<std::uint8_t>(32, 0));
    EXPECT_NE(a, b);
}

TEST(SystemEntropy, FillEntropyGivesFreshBytesEveryTime) {
    std::vector<std::uint8_t> a(32, 0), b(32, 0);
    EXPECT_EQ(fillEntropy(a), 0);
    EXPECT_EQ(fillEntropy(b), 0);
    EXPECT_NE(a, std::vector<std::uint8_t>(32, 0));
    EXPECT_NE(a, b);
}

// -------- clock and sleep

using SteadyClock = std::chrono::steady_clock;

double millisecondsSince(SteadyClock::time_point start) {
    return std::chrono::duration<double, std::milli>(SteadyClock::now() - start).count();
}

TEST(WallClock, IsTheTimeOfDayIn100NanosecondTicks) {
    constexpr std::uint64_t TicksPerSecond = 10'000'000;
    constexpr std::int64_t SecondsFrom1601To1970 = 11'644'473'600;
    const auto seconds = static_cast<std::int64_t>(wallClockTicks() / TicksPerSecond) - SecondsFrom1601To1970;
    EXPECT_LE(std::abs(seconds - static_cast<std::int64_t>(std::time(nullptr))), 2);

    const auto start = SteadyClock::now();
    const std::uint64_t before = wallClockTicks();
    Sleep(100);
    const std::uint64_t after = wallClockTicks();
    const double elapsed = millisecondsSince(start);
    ASSERT_GT(after, before);
    EXPECT_NEAR(static_cast<double>(after - before) / 10'000.0, elapsed, 0.1 * elapsed + 2.0);
}

// Windows' default timer tick is 15.6 ms: a pause that waits for it makes a
// 64 Hz loop. The frame pause must be far shorter, and never skipped.
TEST(PreciseSleep, WaitsAbout83MicrosecondsOnAHighResolutionTimer) {
    constexpr int Calls = 200;
    std::vector<double> took;
    for (int i = 0; i < Calls; ++i) {
        const auto start = SteadyClock::now();
        ASSERT_TRUE(sleepTicksPrecise(FrameSleepTicks)) << "no high-resolution timer";
        took.push_back(millisecondsSince(start));
    }
    const double total = std::accumulate(took.begin(), took.end(), 0.0);
    std::sort(took.begin(), took.end());
    std::cout << "833-tick sleep: mean " << total / Calls << " ms, median " << took[Calls / 2]
              << " ms, max " << took.back() << " ms\n";
    EXPECT_GE(total, 0.9 * Calls * 0.0833);  // never skipped
    EXPECT_LT(took[Calls / 2], 5.0);         // a 64 Hz timer gives 15.6 ms
    EXPECT_LT(total / Calls, 8.0);
}

TEST(PreciseSleep, LongerWaitsLastAsLongAsAsked) {
    const auto start = SteadyClock::now();
    ASSERT_TRUE(sleepTicksPrecise(200'000));  // 20 ms
    const double took = millisecondsSince(start);
    EXPECT_GE(took, 19.0);
    EXPECT_LT(took, 200.0);
}

TEST(PreciseSleep, WorksOnEveryThread) {
    bool worked = false;
    std::thread([&] { worked = sleepTicksPrecise(FrameSleepTicks); }).join();
    EXPECT_TRUE(worked);
}

TEST(FrameSleep, TheLoopsPauseIsFarShorterThanATimerTick) {
    constexpr int Calls = 200;
    const auto start = SteadyClock::now();
    for (int i = 0; i < Calls; ++i) frameSleep();
    const double mean = millisecondsSince(start) / Calls;
    std::cout << "frameSleep: mean " << mean << " ms\n";
    EXPECT_GE(mean, 0.9 * 0.0833);
    EXPECT_LT(mean, 8.0);
}

TEST(MillisecondSleep, WaitsAtLeastTheTimeAsked) {
    const auto start = SteadyClock::now();
    sleepMilliseconds(30);
    EXPECT_GE(millisecondsSince(start), 29.0);
}

// -------- standard streams

std::string lowercase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Points one standard handle somewhere else for a test and puts it back.
class StandardHandle {
public:
    StandardHandle(DWORD stream, HANDLE replacement) : stream_(stream), saved_(GetStdHandle(stream)) {
        SetStdHandle(stream_, replacement);
    }
    ~StandardHandle() { SetStdHandle(stream_, saved_); }
    StandardHandle(const StandardHandle&) = delete;
    StandardHandle& operator=(const StandardHandle&) = delete;

private:
    DWORD stream_;
    HANDLE saved_;
};

struct Pipe {
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    Pipe() { EXPECT_TRUE(CreatePipe(&read, &write, nullptr, 1 << 16)); }
    ~Pipe() {
        closeRead();
        closeWrite();
    }
    void closeRead() {
        if (read != nullptr) CloseHandle(read);
        read = nullptr;
    }
    void closeWrite() {
        if (write != nullptr) CloseHandle(write);
        write = nullptr;
    }
    std::string readAll() {
        std::string bytes;
        char chunk[256];
        DWORD got = 0;
        while (ReadFile(read, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
        return bytes;
    }
};

TEST(StandardOutput, APipeGetsTheBytesUnchangedAndAtOnce) {
    Pipe pipe;
    const std::string bytes = std::string("Time: 0.001\x1b[F\nline\r\nnul:") + '\0' + "\n";
    int error = -1;
    {
        StandardHandle redirect(STD_OUTPUT_HANDLE, pipe.write);
        EXPECT_EQ(writeStandardOutput(bytes, error), OutputStatus::Written);
        EXPECT_EQ(error, 0);
        // Nothing is held back: the bytes are in the pipe before anything else happens.
        DWORD available = 0;
        ASSERT_TRUE(PeekNamedPipe(pipe.read, nullptr, 0, nullptr, &available, nullptr));
        EXPECT_EQ(available, bytes.size());
    }
    pipe.closeWrite();
    EXPECT_EQ(pipe.readAll(), bytes);
}

TEST(StandardOutput, TimeLinesReachAPipeAsOnLinux) {
    Pipe pipe;
    {
        StandardHandle redirect(STD_OUTPUT_HANDLE, pipe.write);
        EXPECT_TRUE(writeTimeLine(0.001).ok());
        EXPECT_TRUE(writeTimeLine(0.0).ok());
        EXPECT_TRUE(writeTimeLine(2.0).ok());
    }
    pipe.closeWrite();
    EXPECT_EQ(pipe.readAll(), std::string("Time: 0.001\x1b[F\nTime: 0\x1b[F\nTime: 2\x1b[F\n"));
}

TEST(StandardOutput, WithoutStandardOutputTheLineIsDropped) {
    StandardHandle redirect(STD_OUTPUT_HANDLE, nullptr);
    int error = -1;
    EXPECT_EQ(writeStandardOutput("Time: 1.5\x1b[F\n", error), OutputStatus::NoOutput);
    EXPECT_TRUE(writeTimeLine(1.5).ok());
}

TEST(StandardOutput, AClosedPipeIsAnErrorWithTheSystemsText) {
    Pipe pipe;
    pipe.closeRead();
    int error = 0;
    Status status = okStatus();
    {
        StandardHandle redirect(STD_OUTPUT_HANDLE, pipe.write);
        EXPECT_EQ(writeStandardOutput("Time: 1.5\x1b[F\n", error), OutputStatus::Failed);
        status = writeTimeLine(1.5);
    }
    EXPECT_TRUE(error == ERROR_NO_DATA || error == ERROR_BROKEN_PIPE) << error;
    ASSERT_FALSE(status.ok());
    const std::string& text = status.error().text;
    EXPECT_EQ(text.rfind("Cannot write the time line to standard output: ", 0), 0u) << text;
    EXPECT_NE(lowercase(text).find("pipe"), std::string::npos) << text;
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
}

TEST(StandardError, GetsTheBytesUnchanged) {
    Pipe pipe;
    {
        StandardHandle redirect(STD_ERROR_HANDLE, pipe.write);
        writeStandardError("tiral25-invite: no\n");
    }
    pipe.closeWrite();
    EXPECT_EQ(pipe.readAll(), "tiral25-invite: no\n");
}

TEST(ErrorText, IsTheSystemsTextOnOneLineWithoutAFullStop) {
    for (const int error : {ERROR_DISK_FULL, ERROR_NO_DATA, ERROR_ACCESS_DENIED}) {
        const std::string text = errorText(error);
        EXPECT_FALSE(text.empty()) << error;
        EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
        EXPECT_NE(text.back(), '.') << text;
    }
    EXPECT_NE(lowercase(errorText(ERROR_DISK_FULL)).find("disk"), std::string::npos)
        << errorText(ERROR_DISK_FULL);
    // A number the system has no text for.
    EXPECT_EQ(errorText(0x2DEADBEF), "Windows error 770366447");
}

TEST(PrepareStandardStreams, LeavesAPipeAlone) {
    Pipe pipe;
    {
        StandardHandle redirect(STD_OUTPUT_HANDLE, pipe.write);
        prepareStandardStreams();
        EXPECT_EQ(GetStdHandle(STD_OUTPUT_HANDLE), pipe.write);
        EXPECT_TRUE(writeTimeLine(0.001).ok());
    }
    pipe.closeWrite();
    EXPECT_EQ(pipe.readAll(), "Time: 0.001\x1b[F\n");
}

// A console shows ESC "[F" as a cursor movement only with virtual-terminal
// processing on; the demo switches it on for the console it writes to.
TEST(PrepareStandardStreams, SwitchesVirtualTerminalProcessingOnForAConsole) {
    if (GetConsoleWindow() == nullptr) {
        FreeConsole();
        ASSERT_TRUE(AllocConsole()) << GetLastError();
    }
    const HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(console, INVALID_HANDLE_VALUE) << GetLastError();
    DWORD mode = 0;
    ASSERT_TRUE(GetConsoleMode(console, &mode));
    ASSERT_TRUE(SetConsoleMode(console, mode & ~DWORD{ENABLE_VIRTUAL_TERMINAL_PROCESSING}));
    {
        StandardHandle redirect(STD_OUTPUT_HANDLE, console);
        prepareStandardStreams();
        DWORD now = 0;
        ASSERT_TRUE(GetConsoleMode(console, &now));
        EXPECT_NE(now & ENABLE_VIRTUAL_TERMINAL_PROCESSING, 0u) << std::hex << now;
        EXPECT_EQ(now & ~DWORD{ENABLE_VIRTUAL_TERMINAL_PROCESSING},
                  mode & ~DWORD{ENABLE_VIRTUAL_TERMINAL_PROCESSING});
        int error = -1;
        EXPECT_EQ(writeStandardOutput("Time: 0.001\x1b[F\n", error), OutputStatus::Written);
    }
    CloseHandle(console);
}

TEST(PrepareStandardStreams, PointsAStaleHandleAtTheNullDevice) {
    // A handle value the process does not own.
    const HANDLE stale = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(0x7FF0));
    StandardHandle redirect(STD_OUTPUT_HANDLE, stale);
    prepareStandardStreams();
    const HANDLE now = GetStdHandle(STD_OUTPUT_HANDLE);
    EXPECT_NE(now, stale);
    EXPECT_EQ(GetFileType(now), static_cast<DWORD>(FILE_TYPE_CHAR));
    EXPECT_TRUE(writeTimeLine(1.5).ok());
    CloseHandle(now);
}

// -------- the rest of the seam

TEST(Display, IsAlwaysThereOnWindows) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"}) _putenv_s(name, "");
    EXPECT_TRUE(displayAvailable());
}

}  // namespace
