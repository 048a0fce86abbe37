// The ChaCha12 block function on every vector path, and ThreadRandom's
// batches, uniformInt and re-keying, against the records of
// data/chacha12-vectors.txt (published keystream vectors and derived cases).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "text/chacha.h"
#include "text/jitter.h"

namespace {

struct Record {
    std::string section;
    std::multimap<std::string, std::string> fields;

    const std::string& one(const std::string& name) const {
        const auto it = fields.find(name);
        if (it == fields.end()) throw std::runtime_error("record lacks " + name);
        return it->second;
    }
    std::vector<std::string> all(const std::string& name) const {
        std::vector<std::string> values;
        for (auto [it, end] = fields.equal_range(name); it != end; ++it) values.push_back(it->second);
        return values;
    }
};

std::vector<Record> loadRecords() {
    std::ifstream in(CHACHA_VECTORS_FILE);
    if (!in) throw std::runtime_error("cannot open " CHACHA_VECTORS_FILE);
    std::vector<Record> records;
    std::string line;
    bool open = false;
    while (std::getline(in, line)) {
        if (line.empty()) {
            open = false;
            continue;
        }
        if (line[0] == '#') continue;
        if (line[0] == '[') {
            records.push_back({line.substr(1, line.find(']') - 1), {}});
            open = true;
            continue;
        }
        const auto split = line.find(" = ");
        if (!open || split == std::string::npos) throw std::runtime_error("stray line: " + line);
        records.back().fields.emplace(line.substr(0, split), line.substr(split + 3));
    }
    return records;
}

const std::vector<Record>& records() {
    static const std::vector<Record> all = loadRecords();
    return all;
}

std::vector<const Record*> recordsOf(const std::string& section) {
    std::vector<const Record*> found;
    for (const Record& r : records()) {
        if (r.section == section) found.push_back(&r);
    }
    return found;
}

std::vector<std::uint8_t> hexBytes(const std::string& hex) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

std::uint32_t littleEndianWord(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

ThreadRandom::Key keyOf(const std::string& hex) {
    const auto bytes = hexBytes(hex);
    ThreadRandom::Key key{};
    if (bytes.size() != key.size()) throw std::runtime_error("key of " + std::to_string(bytes.size()) + " bytes");
    std::copy(bytes.begin(), bytes.end(), key.begin());
    return key;
}

std::vector<ChaChaPath> supportedPaths() {
    std::vector<ChaChaPath> paths;
    for (ChaChaPath p : AllChaChaPaths) {
        if (chachaPathSupported(p)) paths.push_back(p);
    }
    return paths;
}

TEST(ChaChaVectors, TheDataFileHasEveryKindOfRecord) {
    EXPECT_EQ(recordsOf("keystream").size(), 9u);
    EXPECT_EQ(recordsOf("uniform_int").size(), 3u);
    EXPECT_EQ(recordsOf("rekey").size(), 2u);
}

TEST(ChaChaVectors, EveryPathThisMachineHasIsSupported) {
#if defined(__x86_64__)
    EXPECT_TRUE(chachaPathSupported(ChaChaPath::Sse2));  // the x86-64 baseline
    EXPECT_EQ(chachaPathSupported(ChaChaPath::Avx2), __builtin_cpu_supports("avx2") != 0);
    EXPECT_EQ(chachaPathSupported(ChaChaPath::Ssse3), __builtin_cpu_supports("ssse3") != 0);
    EXPECT_NE(bestChaChaPath(), ChaChaPath::Portable);
#elif !defined(__i386__)
    // Other processors (ARM, WebAssembly) have the portable path alone, so
    // the vector records below hold it, and the jitter, to the published
    // keystreams.
    EXPECT_EQ(supportedPaths(), std::vector<ChaChaPath>{ChaChaPath::Portable});
    EXPECT_EQ(bestChaChaPath(), ChaChaPath::Portable);
#endif
    EXPECT_TRUE(chachaPathSupported(bestChaChaPath()));
}

class ChaChaPathTest : public testing::TestWithParam<ChaChaPath> {};

TEST_P(ChaChaPathTest, ReproducesEveryKeystreamRecord) {
    for (const Record* r : recordsOf("keystream")) {
        SCOPED_TRACE(r->one("id"));
        const auto key = hexBytes(r->one("key"));
        const auto nonce = hexBytes(r->one("nonce"));
        ASSERT_EQ(key.size(), 32u);
        ASSERT_EQ(nonce.size(), 8u);
        ChaChaInput input{};
        for (std::size_t i = 0; i < ChaChaKeyWords; ++i) input.key[i] = littleEndianWord(key, 4 * i);
        input.streamId = static_cast<std::uint64_t>(littleEndianWord(nonce, 4)) << 32 | littleEndianWord(nonce, 0);
        EXPECT_EQ(input.streamId, std::stoull(r->one("stream_id"), nullptr, 16));
        input.blockCounter = std::stoull(r->one("counter"));

        const auto expected = hexBytes(r->one("keystream"));
        const std::size_t blocks = std::stoul(r->one("blocks"));
        ASSERT_EQ(expected.size(), blocks * 64);
        ASSERT_LE(blocks, ChaChaBatchBlocks);
        std::array<std::uint32_t, ChaChaBatchWords> out{};
        chachaBatch(GetParam(), input, out);
        for (std::size_t w = 0; w < blocks * ChaChaBlockWords; ++w) {
            ASSERT_EQ(out[w], littleEndianWord(expected, 4 * w)) << "word " << w;
        }
    }
}

TEST_P(ChaChaPathTest, GivesTheSameWordsAsThePortableCodeAcrossCounterCarries) {
    const std::uint64_t counters[] = {0, 1, 0xFFFFFFFDull, 0xFFFFFFFFull, 0xFFFFFFFFFFFFFFFEull};
    for (std::uint64_t counter : counters) {
        ChaChaInput input{{0x03020100, 0x07060504, 0x0b0a0908, 0x0f0e0d0c, 0x13121110, 0x17161514,
                           0x1b1a1918, 0x1f1e1d1c},
                          counter,
                          0x0123456789abcdefull};
        std::array<std::uint32_t, ChaChaBatchWords> expected{}, actual{};
        chachaBatch(ChaChaPath::Portable, input, expected);
        chachaBatch(GetParam(), input, actual);
        EXPECT_EQ(actual, expected) << "counter " << counter;
    }
}

INSTANTIATE_TEST_SUITE_P(EverySupportedPath, ChaChaPathTest, testing::ValuesIn(supportedPaths()),
                         [](const testing::TestParamInfo<ChaChaPath>& info) {
                             std::string name(chachaPathName(info.param));
                             name.erase(std::remove(name.begin(), name.end(), '.'), name.end());
                             return name;
                         });

TEST(ThreadRandomVectors, FirstBatchOfANewGeneratorIsBlocksZeroToThree) {
    for (const Record* r : recordsOf("keystream")) {
        if (r->one("stream_id") != "0x0000000000000000" || r->one("counter") != "0") continue;
        SCOPED_TRACE(r->one("id"));
        ThreadRandom random(keyOf(r->one("key")));
        const auto expected = hexBytes(r->one("keystream"));
        for (std::size_t w = 0; w < expected.size() / 4; ++w) {
            ASSERT_EQ(random.nextWord(), littleEndianWord(expected, 4 * w)) << "word " << w;
        }
    }
}

// "L1,H1 [L2,H2 ...] xN : v1 v2 ..."
struct Draw {
    std::vector<std::pair<std::int32_t, std::int32_t>> ranges;
    int rounds = 0;
    std::vector<std::int32_t> results;
};
Draw parseDraw(const std::string& text) {
    Draw draw;
    const auto colon = text.find(" : ");
    std::istringstream head(text.substr(0, colon)), tail(text.substr(colon + 3));
    std::string token;
    while (head >> token) {
        if (token[0] == 'x') {
            draw.rounds = std::stoi(token.substr(1));
        } else {
            const auto comma = token.find(',');
            draw.ranges.emplace_back(std::stoi(token.substr(0, comma)), std::stoi(token.substr(comma + 1)));
        }
    }
    for (std::int32_t v; tail >> v;) draw.results.push_back(v);
    return draw;
}

TEST(ThreadRandomVectors, UniformIntRecords) {
    for (const Record* r : recordsOf("uniform_int")) {
        SCOPED_TRACE(r->one("id"));
        ThreadRandom random(keyOf(r->one("key")));
        for (const std::string& text : r->all("draw")) {
            const Draw draw = parseDraw(text);
            ASSERT_EQ(draw.results.size(), draw.ranges.size() * static_cast<std::size_t>(draw.rounds));
            std::size_t i = 0;
            for (int round = 0; round < draw.rounds; ++round) {
                for (const auto& [low, high] : draw.ranges) {
                    ASSERT_EQ(uniformInt(random, low, high), draw.results[i]) << "call " << i << " of " << text;
                    ++i;
                }
            }
        }
        const std::uint64_t wordsUsed = std::stoull(r->one("words_used"));
        EXPECT_EQ(random.blockCounter(), std::stoull(r->one("block_counter_after")));
        EXPECT_EQ(random.nextIndex(), std::stoull(r->one("next_after")));
        EXPECT_EQ((random.blockCounter() / 4 - 1) * 64 + random.nextIndex(), wordsUsed);
        EXPECT_EQ(random.bytesUntilReseed(), std::stoll(r->one("bytes_until_reseed_after")));
    }
}

TEST(ThreadRandomVectors, RekeyRecords) {
    for (const Record* r : recordsOf("rekey")) {
        SCOPED_TRACE(r->one("id"));
        const bool succeeds = r->one("rekey_result") == "ok";
        std::vector<ThreadRandom::Key> newKeys;
        for (const std::string& hex : r->all("new_key")) newKeys.push_back(keyOf(hex));
        int attempts = 0;
        ThreadRandom random(keyOf(r->one("key")), [&](std::span<std::uint8_t> buffer) {
            const int attempt = attempts++;
            if (!succeeds) return 5;  // any error code
            if (attempt >= static_cast<int>(newKeys.size()) || buffer.size() != 32) return 1;
            std::copy(newKeys[static_cast<std::size_t>(attempt)].begin(),
                      newKeys[static_cast<std::size_t>(attempt)].end(), buffer.begin());
            return 0;
        });
        std::map<std::uint64_t, std::uint32_t> expected;
        for (const std::string& text : r->all("word")) {
            std::istringstream in(text);
            std::uint64_t index;
            std::string value;
            in >> index >> value;
            expected[index] = static_cast<std::uint32_t>(std::stoul(value, nullptr, 16));
        }
        const std::uint64_t last = expected.rbegin()->first;
        for (std::uint64_t index = 0; index <= last; ++index) {
            const std::uint32_t word = random.nextWord();
            if (const auto it = expected.find(index); it != expected.end()) {
                ASSERT_EQ(word, it->second) << "word " << index;
            }
        }
        EXPECT_EQ(random.blockCounter(), std::stoull(r->one("block_counter_after")));
        EXPECT_EQ(random.bytesUntilReseed(), std::stoll(r->one("bytes_until_reseed_after")));
        EXPECT_EQ(attempts, std::stoi(r->one("rekey_attempts_after")));
    }
}

}  // namespace
