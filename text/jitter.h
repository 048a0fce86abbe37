// The per-thread random generator that shakes the text: a 12-round ChaCha
// keystream (64-bit block counter, 64-bit stream number), keyed from the
// operating system and re-keyed after every 64 KiB of output.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

class ThreadRandom {
public:
    using Key = std::array<std::uint8_t, 32>;

    // A generator keyed with 32 fresh bytes from the operating system.
    // Stops the program if no key can be had.
    ThreadRandom();
    // A generator with a given first key (deterministic captures and tests).
    explicit ThreadRandom(const Key& key);

    std::uint32_t nextWord();

private:
    std::array<std::uint32_t, 64> words_{};
    std::size_t next_ = 64;
    Key key_{};
    std::uint64_t blockCounter_ = 0;
};

// The calling thread's generator, created on the thread's first call.
std::shared_ptr<ThreadRandom> currentThreadRandom();

// Replaces the calling thread's generator (deterministic captures and tests).
void setCurrentThreadRandom(std::shared_ptr<ThreadRandom> generator);

// Uniform over low .. high - 1 (the upper bound is excluded). Requires low < high.
std::int32_t uniformInt(ThreadRandom& random, std::int32_t low, std::int32_t high);
