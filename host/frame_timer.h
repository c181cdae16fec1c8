// FrameTimer: seconds between two queries, from the high-resolution counter, or
// from the millisecond clock where there is none.
#pragma once
#include <cstdint>

// The clocks a FrameTimer reads; the platform supplies one, tests a fake.
struct FrameClock {
    bool (*queryFrequency)(int64_t* ticksPerSecond);  // false: no high-resolution counter
    int64_t (*queryCounter)();
    uint32_t (*milliseconds)();   // wraps after about 49.7 days
    void (*requestResolution)();  // asks for 1 ms sleep granularity, never undone
};

const FrameClock& PlatformFrameClock();

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
