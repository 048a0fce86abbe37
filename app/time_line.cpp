// PLACEHOLDER until pacing and the time line land.
#include "app/time_line.h"

#include "app/os.h"

std::string formatDemoTime(double t) { return std::to_string(t); }
Status writeTimeLine(double) { return okStatus(); }
void frameSleep() {
    if (!sleepTicksPrecise(833)) sleepMilliseconds(1);
}
