// ThreadRandom's batches and re-keying, and uniformInt's ranges and rejection.
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <vector>
#include <thread>

#include "text/chacha.h"
#include "text/jitter.h"

namespace {

ThreadRandom::Key countingKey() {
    ThreadRandom::Key key{};
    for (std::size_t i = 0; i < key.size(); ++i) key[i] = static_cast<std::uint8_t>(i * 7 + 1);
    return key;
}

std::array<std::uint32_t, ChaChaBatchWords> batchOf(const ThreadRandom::Key& key, std::uint64_t counter) {
    ChaChaInput input{};
    for (std::size_t i = 0; i < ChaChaKeyWords; ++i) {
        input.key[i] = static_cast<std::uint32_t>(key[4 * i]) | static_cast<std::uint32_t>(key[4 * i + 1]) << 8 |
                       static_cast<std::uint32_t>(key[4 * i + 2]) << 16 |
                       static_cast<std::uint32_t>(key[4 * i + 3]) << 24;
    }
    input.blockCounter = counter;
    std::array<std::uint32_t, ChaChaBatchWords> words{};
    chachaBatch(ChaChaPath::Portable, input, words);
    return words;
}

TEST(ThreadRandom, ANewGeneratorMakesItsFirstBatchOnTheFirstDraw) {
    ThreadRandom random(countingKey());
    EXPECT_EQ(random.nextIndex(), 64u);
    EXPECT_EQ(random.bytesUntilReseed(), 65536);
    EXPECT_EQ(random.blockCounter(), 0u);
    EXPECT_EQ(random.streamId(), 0u);

    const auto expected = batchOf(countingKey(), 0);
    EXPECT_EQ(random.nextWord(), expected[0]);
    EXPECT_EQ(random.nextIndex(), 1u);
    EXPECT_EQ(random.bytesUntilReseed(), 65280);
    EXPECT_EQ(random.blockCounter(), 4u);
}

TEST(ThreadRandom, UniformIntLooksAtWordZeroFirst) {
    ThreadRandom random(countingKey());
    const std::uint32_t word0 = batchOf(countingKey(), 0)[0];
    const auto fromWord0 = uniformFromWord(word0, -3, 3);
    const std::int32_t drawn = uniformInt(random, -3, 3);
    if (fromWord0) {
        EXPECT_EQ(drawn, *fromWord0);
        EXPECT_EQ(random.nextIndex(), 1u);
    } else {
        EXPECT_GT(random.nextIndex(), 1u);
    }
}

TEST(ThreadRandom, ConsecutiveBatchesFollowTheBlockCounter) {
    ThreadRandom random(countingKey());
    for (std::uint64_t batch = 0; batch < 3; ++batch) {
        const auto expected = batchOf(countingKey(), 4 * batch);
        for (std::size_t w = 0; w < 64; ++w) ASSERT_EQ(random.nextWord(), expected[w]) << batch << ":" << w;
    }
    EXPECT_EQ(random.blockCounter(), 12u);
    EXPECT_EQ(random.bytesUntilReseed(), 65536 - 3 * 256);
}

// Draws whole batches and records each re-keying.
struct RekeyProbe {
    int attempts = 0;
    bool succeed = true;
    ThreadRandom::EntropySource source() {
        return [this](std::span<std::uint8_t> buffer) {
            ++attempts;
            if (!succeed) return 11;
            for (std::size_t i = 0; i < buffer.size(); ++i) buffer[i] = static_cast<std::uint8_t>(0xA0 + attempts + i);
            return 0;
        };
    }
};

void drawBatches(ThreadRandom& random, int batches) {
    for (int i = 0; i < batches * 64; ++i) random.nextWord();
}

TEST(ThreadRandom, RekeysOnceEvery65536BytesAndStartsAgainAtBlockZero) {
    RekeyProbe probe;
    ThreadRandom random(countingKey(), probe.source());
    std::vector<std::uint64_t> rekeyedAt;  // index of the word whose batch re-keyed
    std::uint32_t firstOfSecondKey = 0;
    for (std::uint64_t word = 0; word < 3 * 16384; ++word) {
        const int before = probe.attempts;
        const std::uint32_t value = random.nextWord();
        if (probe.attempts != before) {
            rekeyedAt.push_back(word);
            if (rekeyedAt.size() == 1) {
                firstOfSecondKey = value;
                EXPECT_EQ(random.blockCounter(), 4u);
                EXPECT_EQ(random.bytesUntilReseed(), 65280);
            }
        }
        if (word == 16383) {
            EXPECT_EQ(random.blockCounter(), 1024u);
            EXPECT_EQ(random.bytesUntilReseed(), 0);
        }
    }
    // 16384 words = 65536 bytes per key.
    EXPECT_EQ(rekeyedAt, (std::vector<std::uint64_t>{16384, 32768}));
    ThreadRandom::Key second{};
    for (std::size_t i = 0; i < second.size(); ++i) second[i] = static_cast<std::uint8_t>(0xA0 + 1 + i);
    EXPECT_EQ(firstOfSecondKey, batchOf(second, 0)[0]);
}

TEST(ThreadRandom, AFailedRekeyKeepsTheOldKeyAndCounterAndRestartsTheBudget) {
    RekeyProbe probe;
    probe.succeed = false;
    ThreadRandom random(countingKey(), probe.source());
    drawBatches(random, 256);
    const auto expected = batchOf(countingKey(), 1024);
    EXPECT_EQ(random.nextWord(), expected[0]);
    EXPECT_EQ(probe.attempts, 1);
    EXPECT_EQ(random.blockCounter(), 1028u);
    EXPECT_EQ(random.bytesUntilReseed(), 65280);
}

TEST(UniformInt, TheRejectionZoneOfRangeFourIsBit29) {
    // Accepted words give low + their top two bits.
    EXPECT_EQ(uniformFromWord(0xC0000000u, -2, 2), 1);
    EXPECT_EQ(uniformFromWord(0x00000000u, -2, 2), -2);
    EXPECT_EQ(uniformFromWord(0x5FFFFFFFu, -2, 2), -1);
    EXPECT_EQ(uniformFromWord(0x9FFFFFFFu, -2, 2), 0);
    // Bit 29 set: discarded.
    EXPECT_EQ(uniformFromWord(0x20000000u, -2, 2), std::nullopt);
    EXPECT_EQ(uniformFromWord(0xE0000000u, -2, 2), std::nullopt);
    EXPECT_EQ(uniformFromWord(0xFFFFFFFFu, -2, 2), std::nullopt);
}

TEST(UniformInt, RangeSixAcceptsThreeWordsInFour) {
    // Low half of word x 6 at most 3 x 2^30 - 1.
    EXPECT_EQ(uniformFromWord(0u, -3, 3), -3);
    EXPECT_EQ(uniformFromWord(0x20000000u, -3, 3), std::nullopt);  // x 6 = 0xC0000000: low half above the zone
    EXPECT_EQ(uniformFromWord(0xFFFFFFFFu, -3, 3), std::nullopt);
    EXPECT_EQ(uniformFromWord(0xD5555555u, -3, 3), std::nullopt);  // x 6 = 0x4_FFFFFFFE
    EXPECT_EQ(uniformFromWord(0xD5555556u, -3, 3), 2);             // x 6 = 0x5_00000004

    int accepted = 0;
    constexpr int Samples = 1 << 16;
    for (std::uint32_t i = 0; i < Samples; ++i) {
        if (uniformFromWord(i * 0x10001u * 977u, -3, 3)) ++accepted;  // words spread over the range
    }
    EXPECT_NEAR(static_cast<double>(accepted) / Samples, 0.75, 0.02);
}

TEST(UniformInt, StaysInsideTheHalfOpenRangesAndReachesEveryValue) {
    ThreadRandom random(countingKey());
    const std::pair<std::int32_t, std::int32_t> ranges[] = {{-2, 2}, {-3, 3}, {0, 1}, {5, 12}};
    for (const auto& [low, high] : ranges) {
        std::map<std::int32_t, int> seen;
        for (int i = 0; i < 4000; ++i) ++seen[uniformInt(random, low, high)];
        EXPECT_EQ(seen.begin()->first, low);
        EXPECT_EQ(seen.rbegin()->first, high - 1);
        EXPECT_EQ(static_cast<std::int32_t>(seen.size()), high - low);
        for (const auto& [value, count] : seen) {
            EXPECT_NEAR(count, 4000.0 / (high - low), 4000.0 / (high - low) * 0.25) << value;
        }
    }
}

TEST(CurrentThreadRandom, IsOneGeneratorPerThread) {
    const auto first = currentThreadRandom();
    EXPECT_EQ(currentThreadRandom(), first);
    std::shared_ptr<ThreadRandom> other;
    std::thread([&] { other = currentThreadRandom(); }).join();
    ASSERT_NE(other, nullptr);
    EXPECT_NE(other, first);
    EXPECT_EQ(other.use_count(), 1);  // the thread's own reference went with it
}

TEST(CurrentThreadRandom, CanBeReplacedByAKeyedGenerator) {
    auto keyed = std::make_shared<ThreadRandom>(countingKey());
    setCurrentThreadRandom(keyed);
    EXPECT_EQ(currentThreadRandom(), keyed);
    EXPECT_EQ(currentThreadRandom()->nextWord(), batchOf(countingKey(), 0)[0]);
    setCurrentThreadRandom(nullptr);
    EXPECT_NE(currentThreadRandom(), keyed);
}

TEST(ThreadRandom, TwoSystemKeyedGeneratorsDiffer) {
    ThreadRandom a, b;
    bool differ = false;
    for (int i = 0; i < 8; ++i) differ |= a.nextWord() != b.nextWord();
    EXPECT_TRUE(differ);
}

}  // namespace
