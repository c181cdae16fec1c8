// The clocks a frame timer reads: the platform's high-resolution counter and
// millisecond clock.
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
