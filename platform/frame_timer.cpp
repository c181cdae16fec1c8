#include "platform/frame_timer.h"

FrameTimer::FrameTimer(const FrameClock& clock_) : clock(clock_) {
    lastDelta = 0.0f;
    int64_t frequency = 0;
    hasPerformanceCounter = clock.queryFrequency(&frequency) && frequency > 0;
    secondsPerTick = hasPerformanceCounter ? 1.0f / static_cast<float>(frequency) : 0.0f;
    clock.requestResolution();
    // Both clocks are read, whichever one is used later.
    currentCount = previousCount = clock.queryCounter();
    currentMs = previousMs = clock.milliseconds();
}

float FrameTimer::elapsedSeconds() {
    if (hasPerformanceCounter) {
        previousCount = currentCount;
        currentCount = clock.queryCounter();
        if (currentCount >= previousCount)
            lastDelta = static_cast<float>(currentCount - previousCount) * secondsPerTick;
    } else {
        previousMs = currentMs;
        currentMs = clock.milliseconds();
        if (currentMs >= previousMs) lastDelta = static_cast<float>(currentMs - previousMs) * 0.001f;
    }
    return lastDelta;
}
