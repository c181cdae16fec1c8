// FrameTimer: seconds between two queries, from the high-resolution counter, or
// from the millisecond clock where there is none.
#pragma once
#include <cstdint>

#include "platform/clock.h"

class FrameTimer {
public:
    explicit FrameTimer(const FrameClock& clock = PlatformFrameClock());
    // Seconds since the previous query (or construction); a reading that went
    // backwards repeats the previous interval, so the result is never negative.
    float elapsedSeconds();

    int32_t hasPerformanceCounter;
    float secondsPerTick;
    int64_t currentCount, previousCount;
    uint32_t currentMs, previousMs;
    float lastDelta;

private:
    const FrameClock& clock;
};
