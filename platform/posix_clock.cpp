// FrameTimer's clocks off Windows: the monotonic clock in nanoseconds serves as the
// high-resolution counter and, in milliseconds, as the millisecond clock.
#include <time.h>

#include "platform/clock.h"

static int64_t MonotonicNanoseconds() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

static bool QueryFrequency(int64_t* ticksPerSecond) {
    *ticksPerSecond = 1000000000;
    return true;
}

static uint32_t Milliseconds() { return static_cast<uint32_t>(MonotonicNanoseconds() / 1000000); }

static void RequestResolution() {}

const FrameClock& PlatformFrameClock() {
    static const FrameClock clock = {QueryFrequency, MonotonicNanoseconds, Milliseconds, RequestResolution};
    return clock;
}
