#include "text/jitter.h"

#include <bit>
#include <cassert>
#include <cstdlib>

#include "platform/os.h"

namespace {

int systemEntropy(std::span<std::uint8_t> buffer) { return fillEntropy(buffer); }

// Each thread's generator; handles share it within the thread.
thread_local std::shared_ptr<ThreadRandom> current;

}  // namespace

ThreadRandom::ThreadRandom() : entropy_(systemEntropy) {
    Key key;
    // Without a first key there is nothing to shake the text with.
    if (entropy_(key) != 0) std::abort();
    setKey(key);
}

ThreadRandom::ThreadRandom(const Key& key, EntropySource entropy)
    : entropy_(entropy ? std::move(entropy) : EntropySource(systemEntropy)) {
    setKey(key);
}

void ThreadRandom::setKey(std::span<const std::uint8_t, 32> key) {
    for (std::size_t i = 0; i < ChaChaKeyWords; ++i) {
        key_[i] = static_cast<std::uint32_t>(key[4 * i]) | static_cast<std::uint32_t>(key[4 * i + 1]) << 8 |
                  static_cast<std::uint32_t>(key[4 * i + 2]) << 16 |
                  static_cast<std::uint32_t>(key[4 * i + 3]) << 24;
    }
}

std::uint32_t ThreadRandom::nextWord() {
    if (next_ >= ChaChaBatchWords) {
        makeBatch();
        next_ = 0;
    }
    return words_[next_++];
}

void ThreadRandom::makeBatch() {
    // The budget is tested before each batch: 256 batches per key, then the
    // 257th re-keys and counts as the first batch of the new key.
    if (bytesUntilReseed_ <= 0) {
        rekey();
        bytesUntilReseed_ = reseedThreshold_ - BatchBytes;
    } else {
        bytesUntilReseed_ -= BatchBytes;
    }
    ChaChaInput input{};
    for (std::size_t i = 0; i < ChaChaKeyWords; ++i) input.key[i] = key_[i];
    input.blockCounter = blockCounter_;
    input.streamId = streamId_;
    chachaBatch(input, words_);
    blockCounter_ += ChaChaBatchBlocks;
}

void ThreadRandom::rekey() {
    Key fresh;
    // A failed re-key is dropped: the old key and counter carry on, and the
    // next attempt comes one threshold later.
    if (entropy_(fresh) != 0) return;
    setKey(fresh);
    blockCounter_ = 0;
    streamId_ = 0;
}

std::shared_ptr<ThreadRandom> currentThreadRandom() {
    if (!current) current = std::make_shared<ThreadRandom>();
    return current;
}

void setCurrentThreadRandom(std::shared_ptr<ThreadRandom> generator) { current = std::move(generator); }

std::optional<std::int32_t> uniformFromWord(std::uint32_t word, std::int32_t low, std::int32_t high) {
    const std::uint32_t range = static_cast<std::uint32_t>(high) - static_cast<std::uint32_t>(low);
    assert(range != 0);
    if (range == 0) return low;  // an empty range: nothing sensible to draw
    // Products whose low half lies above `zone` would favour some results, so
    // they are rejected: for range 4 the zone is 2^31 - 1, for range 6 it is
    // 3 x 2^30 - 1.
    const std::uint32_t zone = (range << std::countl_zero(range)) - 1u;
    const std::uint64_t product = static_cast<std::uint64_t>(word) * range;
    if (static_cast<std::uint32_t>(product) > zone) return std::nullopt;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(low) + static_cast<std::uint32_t>(product >> 32));
}

std::int32_t uniformInt(ThreadRandom& random, std::int32_t low, std::int32_t high) {
    assert(low < high);
    for (;;) {
        if (const auto value = uniformFromWord(random.nextWord(), low, high)) return *value;
    }
}
