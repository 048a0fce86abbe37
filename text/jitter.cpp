// PLACEHOLDER until the jitter source lands.
#include "text/jitter.h"

ThreadRandom::ThreadRandom() = default;
ThreadRandom::ThreadRandom(const Key& key) : key_(key) {}
std::uint32_t ThreadRandom::nextWord() { return 0; }

namespace {
thread_local std::shared_ptr<ThreadRandom> current;
}
std::shared_ptr<ThreadRandom> currentThreadRandom() {
    if (!current) current = std::make_shared<ThreadRandom>();
    return current;
}
void setCurrentThreadRandom(std::shared_ptr<ThreadRandom> generator) { current = std::move(generator); }
std::int32_t uniformInt(ThreadRandom&, std::int32_t low, std::int32_t) { return low; }
