// The two decisions of the running loop that need no window: when a pointer move
// ends the saver, and when an idle pass draws.
#include <gtest/gtest.h>

#include <vector>

#include "host/frame_pacing.h"
#include "host/mouse_rule.h"

namespace {

TEST(MouseRule, DistanceIsTheSumOfBothAxes) {
    EXPECT_EQ(MouseDistance({10, 10}, {13, 9}), 4);
    EXPECT_EQ(MouseDistance({10, 10}, {7, 12}), 5);
    EXPECT_EQ(MouseDistance({-3, -3}, {-3, -3}), 0);
    // Far-apart screens of a large virtual desktop do not overflow.
    EXPECT_EQ(MouseDistance({INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MAX}), 2 * 4294967295LL);
}

TEST(MouseRule, ExactlyTheThresholdIsToleratedOneMoreEnds) {
    const ScreenPoint ref = {100, 100};
    EXPECT_FALSE(MouseMoveEndsSaver(ref, {104, 100}, 4));
    EXPECT_FALSE(MouseMoveEndsSaver(ref, {98, 98}, 4));
    EXPECT_FALSE(MouseMoveEndsSaver(ref, {100, 96}, 4));
    EXPECT_TRUE(MouseMoveEndsSaver(ref, {105, 100}, 4));
    EXPECT_TRUE(MouseMoveEndsSaver(ref, {97, 102}, 4));
    EXPECT_TRUE(MouseMoveEndsSaver(ref, {103, 103}, 4));
}

// Runs the paced loop's idle passes against a simulated clock, where each pass costs
// `passCost` seconds, a sleep 1 ms and a frame `frameCost(frameIndex)` seconds.
struct PacedRun {
    std::vector<double> frameTimes;
    int sleeps = 0;
    int spins = 0;
};

template <typename FrameCost>
PacedRun Simulate(float period, double seconds, FrameCost frameCost) {
    PacedRun run;
    float budget = 0.0f;
    double now = 0.0, lastQuery = 0.0;
    while (now < seconds) {
        float elapsed = static_cast<float>(now - lastQuery);
        lastQuery = now;
        switch (PaceIdlePass(&budget, elapsed, period)) {
            case PaceAction::Draw:
                run.frameTimes.push_back(now);
                now += frameCost(run.frameTimes.size() - 1);
                break;
            case PaceAction::Sleep: ++run.sleeps; now += 0.001; break;
            case PaceAction::Spin: ++run.spins; now += 0.00002; break;
        }
    }
    return run;
}

TEST(FramePacing, ThirtyFramesPerSecondWithShortFrames) {
    PacedRun run = Simulate(1.0f / 30, 10.0, [](size_t) { return 0.002; });
    EXPECT_NEAR(static_cast<double>(run.frameTimes.size()), 300.0, 1.0);
    EXPECT_GT(run.sleeps, 0);
    // Frames are spaced by the period, give or take one sleep step.
    for (size_t i = 1; i < run.frameTimes.size(); ++i) {
        EXPECT_NEAR(run.frameTimes[i] - run.frameTimes[i - 1], 1.0 / 30, 0.0011) << "frame " << i;
    }
}

TEST(FramePacing, LongFrameIsFollowedByBackToBackFramesUntilRepaid) {
    // Frame 5 takes 100 ms; the others 2 ms. At 30 fps the debt is about 2 periods.
    PacedRun run = Simulate(1.0f / 30, 1.0, [](size_t i) { return i == 5 ? 0.100 : 0.002; });
    ASSERT_GT(run.frameTimes.size(), 9u);
    // After the slow frame, the next frames follow without waiting (only their own cost).
    EXPECT_NEAR(run.frameTimes[6] - run.frameTimes[5], 0.100, 1e-6);
    EXPECT_NEAR(run.frameTimes[7] - run.frameTimes[6], 0.002, 1e-6);
    EXPECT_NEAR(run.frameTimes[8] - run.frameTimes[7], 0.002, 1e-6);
    // Then the rhythm returns; the total stays at the limit.
    EXPECT_NEAR(run.frameTimes[10] - run.frameTimes[9], 1.0 / 30, 0.0011);
    EXPECT_NEAR(static_cast<double>(run.frameTimes.size()), 30.0, 1.0);
}

TEST(FramePacing, BudgetSleepsSpinsAndDraws) {
    float budget = 0.0f;
    EXPECT_EQ(PaceIdlePass(&budget, 0.0f, 0.05f), PaceAction::Draw);
    EXPECT_FLOAT_EQ(budget, 0.05f);
    EXPECT_EQ(PaceIdlePass(&budget, 0.01f, 0.05f), PaceAction::Sleep);
    EXPECT_FLOAT_EQ(budget, 0.04f);
    EXPECT_EQ(PaceIdlePass(&budget, 0.0395f, 0.05f), PaceAction::Spin);  // 0.5 ms left
    EXPECT_EQ(PaceIdlePass(&budget, 0.0005f, 0.05f), PaceAction::Draw);  // exactly 0 draws
}

TEST(FramePacing, HugeDebtIsForgiven) {
    float budget = 0.0f;
    // A machine that slept for an hour: no thousand-frame catch-up burst.
    EXPECT_EQ(PaceIdlePass(&budget, 3600.0f, 0.02f), PaceAction::Draw);
    EXPECT_FLOAT_EQ(budget, 0.02f);
    EXPECT_EQ(PaceIdlePass(&budget, 0.001f, 0.02f), PaceAction::Sleep);
    // A debt of up to 1000 s is still repaid frame by frame.
    budget = 0.0f;
    EXPECT_EQ(PaceIdlePass(&budget, 999.0f, 1.0f), PaceAction::Draw);
    EXPECT_FLOAT_EQ(budget, -998.0f);
    EXPECT_EQ(PaceIdlePass(&budget, 0.0f, 1.0f), PaceAction::Draw);
}

}  // namespace
