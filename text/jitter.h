// The per-thread random generator that shakes the text: a 12-round ChaCha
// keystream (64-bit block counter, 64-bit stream number), keyed from the
// operating system and re-keyed after every 64 KiB of output.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>

#include "text/chacha.h"

class ThreadRandom {
public:
    using Key = std::array<std::uint8_t, 32>;
    // Fills the buffer with fresh random bytes; 0 on success, else an error code.
    using EntropySource = std::function<int(std::span<std::uint8_t>)>;

    static constexpr std::int64_t ReseedThreshold = 65536;  // bytes of output per key
    static constexpr std::int64_t BatchBytes = ChaChaBatchWords * 4;  // 256

    // A generator keyed with 32 fresh bytes from the operating system
    // (fillEntropy), which also supplies the later keys. Stops the program if
    // no first key can be had.
    ThreadRandom();
    // A generator with a given first key (deterministic captures and tests);
    // later keys come from `entropy`, by default the operating system.
    explicit ThreadRandom(const Key& key, EntropySource entropy = {});

    // The next word of the keystream; every 64 words make a new batch.
    std::uint32_t nextWord();

    std::uint64_t blockCounter() const { return blockCounter_; }
    std::uint64_t streamId() const { return streamId_; }
    std::size_t nextIndex() const { return next_; }
    std::int64_t bytesUntilReseed() const { return bytesUntilReseed_; }

private:
    void makeBatch();
    void rekey();
    void setKey(std::span<const std::uint8_t, 32> key);

    std::array<std::uint32_t, ChaChaBatchWords> words_{};
    std::size_t next_ = ChaChaBatchWords;  // 64: the batch is used up
    std::uint32_t key_[ChaChaKeyWords] = {};
    std::uint64_t blockCounter_ = 0;
    std::uint64_t streamId_ = 0;
    std::int64_t reseedThreshold_ = ReseedThreshold;
    std::int64_t bytesUntilReseed_ = ReseedThreshold;
    EntropySource entropy_;
};

// The calling thread's generator, created on the thread's first call.
std::shared_ptr<ThreadRandom> currentThreadRandom();

// Replaces the calling thread's generator (deterministic captures and tests).
void setCurrentThreadRandom(std::shared_ptr<ThreadRandom> generator);

// Uniform over low .. high - 1 (the upper bound is excluded). Requires low < high.
// Takes words until uniformFromWord accepts one.
std::int32_t uniformInt(ThreadRandom& random, std::int32_t low, std::int32_t high);

// What one word gives in uniformInt: low + the high half of word x range, or
// nothing when the low half of that product lies in the rejected zone. For
// range 4 a word is accepted when its bit 29 is 0; for range 6 three words in
// four are.
std::optional<std::int32_t> uniformFromWord(std::uint32_t word, std::int32_t low, std::int32_t high);
