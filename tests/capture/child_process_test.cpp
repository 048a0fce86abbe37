// Finding and feeding the helper program of a capture (ffmpeg) through a pipe.
#include <gtest/gtest.h>

#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tools/invite-tool/child_process.h"

namespace {
namespace fs = std::filesystem;

// A scratch folder with an executable and a non-executable file, and PATH
// set for the test, both undone afterwards.
class PathSearch : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("child-process-test-" + std::to_string(::getpid()));
        fs::create_directories(folder_);
        writeFile("helper", fs::perms::owner_all);
        writeFile("plain", fs::perms::owner_read | fs::perms::owner_write);
        const char* path = std::getenv("PATH");
        savedPath_ = path != nullptr ? path : "";
    }
    void TearDown() override {
        ::setenv("PATH", savedPath_.c_str(), 1);
        fs::remove_all(folder_);
    }
    void writeFile(const std::string& name, fs::perms permissions) {
        std::ofstream(folder_ / name) << "#!/bin/sh\n";
        fs::permissions(folder_ / name, permissions);
    }
    fs::path folder_;
    std::string savedPath_;
};
}  // namespace

TEST_F(PathSearch, FindsExecutablesOnlyAndInPathOrder) {
    ::setenv("PATH", ("/nonexistent:" + folder_.string() + ":/bin").c_str(), 1);
    EXPECT_EQ(findOnPath("helper"), (folder_ / "helper").string());
    EXPECT_FALSE(findOnPath("plain"));  // not executable
    EXPECT_FALSE(findOnPath("no-such-program-here"));
    EXPECT_FALSE(findOnPath(""));
    // A name with a slash is a path and is only checked.
    EXPECT_EQ(findOnPath((folder_ / "helper").string()), (folder_ / "helper").string());
    EXPECT_FALSE(findOnPath((folder_ / "plain").string()));
}

TEST_F(PathSearch, AnEmptyEntryIsTheCurrentFolder) {
    const fs::path before = fs::current_path();
    fs::current_path(folder_);
    ::setenv("PATH", "/nonexistent::/bin", 1);
    EXPECT_EQ(findOnPath("helper"), "./helper");
    ::setenv("PATH", "/nonexistent", 1);
    EXPECT_FALSE(findOnPath("helper"));
    fs::current_path(before);
}

TEST(ChildProcess, ReceivesEveryByteAndReportsItsExitStatus) {
    const fs::path out = fs::temp_directory_path() / ("child-process-out-" + std::to_string(::getpid()));
    // The child counts its input into a file and exits with status 3.
    auto child = ChildProcess::spawn(
        "/bin/sh", {"sh", "-c", "wc -c > '" + out.string() + "'; exit 3"});
    ASSERT_TRUE(child) << child.error().text;
    const std::vector<std::uint8_t> block(3'000'000, 0x5A);  // several pipe fills
    ASSERT_TRUE(child.value().write(block));
    ASSERT_TRUE(child.value().write(std::vector<std::uint8_t>(17, 1)));
    auto status = child.value().finish();
    ASSERT_TRUE(status) << status.error().text;
    EXPECT_EQ(status.value(), 3);
    std::ifstream counted(out);
    long long bytes = 0;
    counted >> bytes;
    EXPECT_EQ(bytes, 3'000'017);
    fs::remove(out);
}

TEST(ChildProcess, WritingToAChildThatHasExitedIsAnError) {
    std::signal(SIGPIPE, SIG_IGN);  // as the capture command does
    auto child = ChildProcess::spawn("/bin/sh", {"sh", "-c", "exit 0"});
    ASSERT_TRUE(child) << child.error().text;
    const std::vector<std::uint8_t> block(1 << 20, 0);
    Status written = okStatus();
    // The child may not have exited at the first write; it has by the last.
    for (int i = 0; i < 64 && written; ++i) written = child.value().write(block);
    EXPECT_FALSE(written);
    auto status = child.value().finish();
    ASSERT_TRUE(status);
    EXPECT_EQ(status.value(), 0);
}

TEST(ChildProcess, AProgramThatCannotStartIsReported) {
    auto child = ChildProcess::spawn("/nonexistent/ffmpeg", {"ffmpeg"});
    // posix_spawn reports a missing program either at once or as exit status 127.
    if (child) {
        auto status = child.value().finish();
        ASSERT_TRUE(status);
        EXPECT_EQ(status.value(), 127);
    } else {
        EXPECT_NE(child.error().text.find("/nonexistent/ffmpeg"), std::string::npos);
    }
}
