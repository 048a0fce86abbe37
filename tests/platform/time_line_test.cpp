#include "platform/time_line.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#endif
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct FormatCase {
    double t;
    const char* text;
};

TEST(FormatDemoTime, WritesTheShortestPlainDecimal) {
    const FormatCase cases[] = {
        {0.001, "0.001"},   {0.0, "0"},       {1.5, "1.5"},         {2.0, "2"},
        {113.999, "113.999"}, {114.0, "114"}, {0.01, "0.01"},       {0.1, "0.1"},
        {10.25, "10.25"},   {100.0, "100"},   {12.345, "12.345"},   {59.999, "59.999"},
        {1e-7, "0.0000001"}, {1e21, "1000000000000000000000"},
    };
    for (const auto& c : cases) EXPECT_EQ(formatDemoTime(c.t), c.text) << c.t;
}

TEST(FormatDemoTime, EveryMillisecondOfTheDemoReadsBackExactly) {
    for (std::uint32_t ms = 0; ms <= 114'000; ++ms) {
        const double t = ms / 1000.0;
        const std::string text = formatDemoTime(t);
        ASSERT_EQ(std::stod(text), t) << text;
        ASSERT_EQ(text.find_first_of("eE+"), std::string::npos) << text;
        const auto point = text.find('.');
        if (ms % 1000 == 0) {
            ASSERT_EQ(point, std::string::npos) << text;
        } else {
            ASSERT_NE(point, std::string::npos) << text;
            ASSERT_LE(text.size() - point - 1, 3u) << text;
            ASSERT_NE(text.back(), '0') << text;
        }
    }
}

// The printf form is what the web build writes; it must give the same text
// as to_chars for every time the demo can show, and for odd values below 2^53
// (above that, to_chars writes a huge number's exact digits: never a demo time).
TEST(FormatDemoTimeByPrintf, AgreesWithToCharsOnEveryMillisecondAndOddValues) {
    for (std::uint32_t ms = 0; ms <= 114'000; ++ms) {
        const double t = ms / 1000.0;
        ASSERT_EQ(formatDemoTimeByPrintf(t), formatDemoTime(t)) << t;
    }
    const double odd[] = {1e-7, 5e-324, 0.1 + 0.2, 1.0 / 3.0, 123456.789, -0.0,
                          -2.5,  4294967.295, 9007199254740991.0, 1e15 + 0.5};
    for (const double t : odd) EXPECT_EQ(formatDemoTimeByPrintf(t), formatDemoTime(t)) << t;
}

TEST(TimeLine, IsPrefixNumberEscapeSequenceAndNewline) {
    EXPECT_EQ(timeLine(0.001), std::string("Time: 0.001\x1b[F\n"));
    EXPECT_EQ(timeLine(114.0), std::string("Time: 114\x1b[F\n"));
    EXPECT_EQ(timeLine(1.5), std::string("Time: 1.5\x1b[F\n"));
}

// Writing through file descriptors; the Windows build has its own tests of
// writing through the standard handles (tests/windows).
#if !defined(_WIN32)

// Points standard output somewhere else for one test and puts it back.
class StandardOutputRedirect {
public:
    explicit StandardOutputRedirect(int fd) : saved_(::dup(STDOUT_FILENO)) {
        if (fd >= 0) {
            ::dup2(fd, STDOUT_FILENO);
        } else {
            ::close(STDOUT_FILENO);
        }
    }
    ~StandardOutputRedirect() {
        ::dup2(saved_, STDOUT_FILENO);
        ::close(saved_);
    }

private:
    int saved_;
};

std::string readAll(int fd) {
    std::string bytes;
    char buffer[256];
    ssize_t got;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0) bytes.append(buffer, got);
    return bytes;
}

TEST(WriteTimeLine, WritesOneCompleteLinePerCall) {
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    {
        StandardOutputRedirect redirect(pipeEnds[1]);
        EXPECT_TRUE(writeTimeLine(0.001).ok());
        EXPECT_TRUE(writeTimeLine(0.0).ok());
        EXPECT_TRUE(writeTimeLine(2.0).ok());
    }
    ::close(pipeEnds[1]);
    EXPECT_EQ(readAll(pipeEnds[0]), std::string("Time: 0.001\x1b[F\nTime: 0\x1b[F\nTime: 2\x1b[F\n"));
    ::close(pipeEnds[0]);
}

TEST(WriteTimeLine, WithoutStandardOutputTheLineIsDropped) {
    StandardOutputRedirect redirect(-1);
    EXPECT_TRUE(writeTimeLine(1.5).ok());
}

TEST(WriteTimeLine, AFullDiskIsAnError) {
    const int full = ::open("/dev/full", O_WRONLY);
    ASSERT_GE(full, 0);
    Status status = okStatus();
    {
        StandardOutputRedirect redirect(full);
        status = writeTimeLine(1.5);
    }
    ::close(full);
    ASSERT_FALSE(status.ok());
    EXPECT_NE(status.error().text.find("No space left on device"), std::string::npos)
        << status.error().text;
}

TEST(WriteTimeLine, AClosedPipeIsAnError) {
    // The demo ignores SIGPIPE at start-up; so does this test.
    const auto previous = std::signal(SIGPIPE, SIG_IGN);
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    ::close(pipeEnds[0]);
    Status status = okStatus();
    {
        StandardOutputRedirect redirect(pipeEnds[1]);
        status = writeTimeLine(1.5);
    }
    ::close(pipeEnds[1]);
    std::signal(SIGPIPE, previous);
    ASSERT_FALSE(status.ok());
    EXPECT_NE(status.error().text.find("Broken pipe"), std::string::npos) << status.error().text;
}

#endif  // !_WIN32

}  // namespace
