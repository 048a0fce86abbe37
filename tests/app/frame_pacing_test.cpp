#include "app/frame_pacing.h"

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

namespace {

// A record of the waits frameSleep asked for.
struct SleepLog {
    static inline bool preciseWorks = true;
    static inline std::vector<std::uint64_t> precise;
    static inline std::vector<std::uint32_t> milliseconds;
    static bool sleepPrecise(std::uint64_t ticks) {
        precise.push_back(ticks);
        return preciseWorks;
    }
    static void sleepMilliseconds(std::uint32_t ms) { milliseconds.push_back(ms); }
};

TEST(FrameSleep, Waits833TicksOnTheHighResolutionTimer) {
    SleepLog::preciseWorks = true;
    SleepLog::precise.clear();
    SleepLog::milliseconds.clear();
    frameSleep(SleepServices{SleepLog::sleepPrecise, SleepLog::sleepMilliseconds});
    EXPECT_EQ(SleepLog::precise, std::vector<std::uint64_t>{833});
    EXPECT_TRUE(SleepLog::milliseconds.empty());
}

TEST(FrameSleep, FallsBackToOneMillisecondWhenTheTimerFails) {
    SleepLog::preciseWorks = false;
    SleepLog::precise.clear();
    SleepLog::milliseconds.clear();
    frameSleep(SleepServices{SleepLog::sleepPrecise, SleepLog::sleepMilliseconds});
    frameSleep(SleepServices{SleepLog::sleepPrecise, SleepLog::sleepMilliseconds});
    EXPECT_EQ(SleepLog::precise, (std::vector<std::uint64_t>{833, 833}));
    EXPECT_EQ(SleepLog::milliseconds, (std::vector<std::uint32_t>{1, 1}));
}

}  // namespace
