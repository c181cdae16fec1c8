// FrameTimer's clocks on Windows: the performance counter and the multimedia timer.
#include <windows.h>
#include <mmsystem.h>

#include "platform/clock.h"

static bool QueryFrequency(int64_t* ticksPerSecond) {
    LARGE_INTEGER frequency;
    if (!QueryPerformanceFrequency(&frequency)) return false;
    *ticksPerSecond = frequency.QuadPart;
    return true;
}

static int64_t QueryCounter() {
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    return count.QuadPart;
}

static uint32_t Milliseconds() { return timeGetTime(); }

static void RequestResolution() { timeBeginPeriod(1); }

const FrameClock& PlatformFrameClock() {
    static const FrameClock clock = {QueryFrequency, QueryCounter, Milliseconds, RequestResolution};
    return clock;
}
