// The replayer commands of the real invite-tool binary: render, song and
// export-mod, their files, and their errors.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "music/renderer.h"
#include "music/song.h"
#include "tests/music/module_builder.h"

namespace {

struct ToolRun {
    int status;
    std::string errors;
};

std::vector<std::uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::uint32_t u32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t{b[at + 3]} << 24);
}
std::uint16_t u16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

SongBuffer samplesOf(const std::vector<std::uint8_t>& bytes, std::size_t from) {
    SongBuffer out;
    for (std::size_t i = from; i + 1 < bytes.size(); i += 2) out.push_back(static_cast<std::int16_t>(u16(bytes, i)));
    return out;
}

std::vector<std::uint8_t> smallModule() {
    ModuleBuilder builder;
    ModuleBuilder::Sample s;
    for (int i = 0; i < 32; ++i) s.content.push_back(static_cast<std::int8_t>(i * 8 - 128));
    s.loopLengthBytes = 32;
    builder.sample(1, s).cell(0, 0, 0, 428, 1).cell(0, 8, 1, 214, 1, 0x4, 0x46).cell(0, 16, 2, 320, 1, 0xC, 20);
    builder.effect(0, 0, 3, 0xF, 0xF0);
    return builder.build();
}

// Each test works in a folder of its own, made fresh and removed afterwards:
// ctest runs the tests in parallel, and two runs may share a machine.
class Tool : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = testing::TempDir() + "music_tool_XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr) << std::strerror(errno);
        folder_ = pattern;
    }
    void TearDown() override {
        if (!folder_.empty()) std::filesystem::remove_all(folder_);
    }

    std::string temp(const std::string& name) const { return (folder_ / name).string(); }

    ToolRun tool(const std::string& arguments) const {
        const std::string errors = temp("stderr.txt");
        const int raw = std::system((std::string(INVITE_TOOL) + " " + arguments + " 2> " + errors).c_str());
        const auto text = readFile(errors);
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, std::string(text.begin(), text.end())};
    }

private:
    std::filesystem::path folder_;
};

}  // namespace

TEST_F(Tool, RenderWritesAMonoWavOfTheSongBuffer) {
    const auto module = smallModule();
    writeFile(temp("small.mod"), module);
    const ToolRun run = tool("render " + temp("small.mod") + " " + temp("small.wav") + " --rate 22050");
    ASSERT_EQ(run.status, 0) << run.errors;
    const auto wav = readFile(temp("small.wav"));
    const SongBuffer expected = renderModule(module, 22050).value();
    ASSERT_EQ(wav.size(), 44 + 2 * expected.size());
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    EXPECT_EQ(u32(wav, 4), wav.size() - 8);
    EXPECT_EQ(std::string(wav.begin() + 8, wav.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(u16(wav, 20), 1);      // PCM
    EXPECT_EQ(u16(wav, 22), 1);      // mono
    EXPECT_EQ(u32(wav, 24), 22050u);
    EXPECT_EQ(u32(wav, 28), 44100u);  // bytes per second
    EXPECT_EQ(u16(wav, 32), 2);
    EXPECT_EQ(u16(wav, 34), 16);
    EXPECT_EQ(std::string(wav.begin() + 36, wav.begin() + 40), "data");
    EXPECT_EQ(u32(wav, 40), 2 * expected.size());
    EXPECT_EQ(samplesOf(wav, 44), expected);
    EXPECT_GT(std::count_if(expected.begin(), expected.end(), [](std::int16_t v) { return v != 0; }), 10000);
}

TEST_F(Tool, RenderRawWritesTheSamplesAloneAtTheDefaultRate) {
    const auto module = smallModule();
    writeFile(temp("small.mod"), module);
    const ToolRun run = tool("render " + temp("small.mod") + " " + temp("small.raw") + " --raw");
    ASSERT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(samplesOf(readFile(temp("small.raw")), 0), renderModule(module, 48000).value());
}

TEST_F(Tool, BadModuleFileGivesOneLineAndStatusOne) {
    auto module = smallModule();
    module.resize(1500);
    writeFile(temp("bad.mod"), module);
    const ToolRun run = tool("render " + temp("bad.mod") + " " + temp("bad.wav"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.errors, "invite-tool: " + temp("bad.mod") +
                              ": pattern data truncated: 1 patterns end at byte 2108, the module has 1500 bytes\n");
    const ToolRun missing = tool("render " + temp("missing.mod") + " " + temp("bad.wav"));
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.errors.find("cannot read"), std::string::npos);
}

TEST_F(Tool, UsageErrorsGiveStatusTwoAndTheUsage) {
    for (const std::string args : {"render", "render a.mod", "render a.mod b.wav --rate", "render a.mod b.wav --rate 100",
                                   "render a.mod b.wav --rate 48k", "render a.mod b.wav --loud", "song",
                                   "song a.wav b.wav", "export-mod", "export-mod --x y"}) {
        const ToolRun run = tool(args);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_NE(run.errors.find("usage: invite-tool "), std::string::npos) << args;
    }
    EXPECT_EQ(tool("render --help > /dev/null").status, 0);
}

TEST_F(Tool, SongAndExportModGiveTheBuiltInSong) {
    ASSERT_EQ(tool("export-mod " + temp("song.mod")).status, 0);
    const auto exported = readFile(temp("song.mod"));
    EXPECT_TRUE(std::equal(exported.begin(), exported.end(), builtinModuleBytes().begin(), builtinModuleBytes().end()));
    ASSERT_EQ(tool("song " + temp("song.wav") + " --rate 8000").status, 0);
    EXPECT_EQ(samplesOf(readFile(temp("song.wav")), 44), renderSong(8000));
    ASSERT_EQ(tool("render " + temp("song.mod") + " " + temp("song.raw") + " --raw --rate=8000").status, 0);
    EXPECT_EQ(samplesOf(readFile(temp("song.raw")), 0), renderSong(8000));
}
