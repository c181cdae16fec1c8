// FrameTimer against a fake clock.
#include <gtest/gtest.h>

#include "platform/frame_timer.h"

namespace {

struct FakeClock {
    static bool hasCounter;
    static int64_t frequency;
    static int64_t counter;
    static uint32_t ms;
    static int resolutionRequests;

    static bool QueryFrequency(int64_t* f) {
        *f = frequency;
        return hasCounter;
    }
    static int64_t Counter() { return counter; }
    static uint32_t Milliseconds() { return ms; }
    static void Resolution() { ++resolutionRequests; }
    static const FrameClock& Get() {
        static const FrameClock clock = {QueryFrequency, Counter, Milliseconds, Resolution};
        return clock;
    }
    static void Reset(bool withCounter) {
        hasCounter = withCounter;
        frequency = 1000000;
        counter = 5000000;
        ms = 1000;
        resolutionRequests = 0;
    }
};
bool FakeClock::hasCounter;
int64_t FakeClock::frequency;
int64_t FakeClock::counter;
uint32_t FakeClock::ms;
int FakeClock::resolutionRequests;

TEST(FrameTimer, MeasuresFromConstructionThenBetweenQueries) {
    FakeClock::Reset(true);
    FrameTimer timer(FakeClock::Get());
    EXPECT_EQ(FakeClock::resolutionRequests, 1);
    EXPECT_EQ(timer.lastDelta, 0.0f);
    FakeClock::counter += 250000;  // 0.25 s
    EXPECT_FLOAT_EQ(timer.elapsedSeconds(), 0.25f);
    FakeClock::counter += 16667;
    EXPECT_NEAR(timer.elapsedSeconds(), 0.016667f, 1e-7f);
    // An immediate second query gives 0, never a negative value.
    EXPECT_EQ(timer.elapsedSeconds(), 0.0f);
}

TEST(FrameTimer, BackwardsReadingRepeatsThePreviousInterval) {
    FakeClock::Reset(true);
    FrameTimer timer(FakeClock::Get());
    FakeClock::counter += 20000;
    EXPECT_FLOAT_EQ(timer.elapsedSeconds(), 0.02f);
    FakeClock::counter -= 50000;
    EXPECT_FLOAT_EQ(timer.elapsedSeconds(), 0.02f);
    // Measuring resumes from the backwards reading.
    FakeClock::counter += 10000;
    EXPECT_FLOAT_EQ(timer.elapsedSeconds(), 0.01f);
}

TEST(FrameTimer, MillisecondFallbackCountsWholeMilliseconds) {
    FakeClock::Reset(false);
    FrameTimer timer(FakeClock::Get());
    EXPECT_EQ(timer.hasPerformanceCounter, 0);
    FakeClock::counter += 123456;  // ignored without a performance counter
    FakeClock::ms += 17;
    EXPECT_FLOAT_EQ(timer.elapsedSeconds(), 17 * 0.001f);
    FakeClock::ms += 1;
    EXPECT_FLOAT_EQ(timer.elapsedSeconds(), 0.001f);
    EXPECT_EQ(timer.elapsedSeconds(), 0.0f);
}

TEST(FrameTimer, MillisecondClockWrapRepeatsThePreviousInterval) {
    FakeClock::Reset(false);
    FakeClock::ms = 0xFFFFFFF0u;
    FrameTimer timer(FakeClock::Get());
    FakeClock::ms += 5;
    EXPECT_FLOAT_EQ(timer.elapsedSeconds(), 0.005f);
    FakeClock::ms += 20;  // wraps past zero: reads below the previous value
    EXPECT_FLOAT_EQ(timer.elapsedSeconds(), 0.005f);
    FakeClock::ms += 3;
    EXPECT_FLOAT_EQ(timer.elapsedSeconds(), 0.003f);
}

TEST(FrameTimer, PlatformClockAdvances) {
    FrameTimer timer;
    float total = 0.0f;
    for (int i = 0; i < 1000 && total <= 0.0f; ++i) {
        float step = timer.elapsedSeconds();
        EXPECT_GE(step, 0.0f);
        total += step;
    }
    EXPECT_GT(total, 0.0f);
}

}  // namespace
