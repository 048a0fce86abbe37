#include "app/frame_pacing.h"

#include "platform/os.h"

namespace {
// FrameSleepTicks rounded up to whole milliseconds (10,000 ticks each).
constexpr std::uint32_t FallbackMilliseconds = (FrameSleepTicks + 9'999) / 10'000;
static_assert(FallbackMilliseconds == 1);
}  // namespace

void frameSleep() { frameSleep(SleepServices{sleepTicksPrecise, sleepMilliseconds}); }

void frameSleep(const SleepServices& services) {
    if (!services.precise(FrameSleepTicks)) services.milliseconds(FallbackMilliseconds);
}
