// The two decisions of the running loop that need no window: when a pointer move
// ends the saver, and when an idle pass draws.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/settings.h"
#include "host/frame_pacing.h"
#include "host/host_state.h"
#include "host/mouse_rule.h"
#include "platform/user_store.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <cstdlib>
#endif

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

TEST(MouseRule, ThresholdFollowsTheWindowsDpi) {
    EXPECT_EQ(MouseThresholdForDpi(96), 4);
    EXPECT_EQ(MouseThresholdForDpi(120), 5);  // 125 %
    EXPECT_EQ(MouseThresholdForDpi(144), 6);  // 150 %
    EXPECT_EQ(MouseThresholdForDpi(192), 8);  // a 4K screen at 200 %
    EXPECT_EQ(MouseThresholdForDpi(0), 4) << "no per-monitor DPI on this system";
}

// Runs the paced loop's idle passes against a simulated clock, where a sleep lasts
// what was asked and 0.2 ms more (a sleep never ends early), and a frame costs
// `frameCost(frameIndex)` seconds.
struct PacedRun {
    std::vector<double> frameTimes;
    int sleeps = 0;
};

template <typename FrameCost>
PacedRun Simulate(float period, double seconds, FrameCost frameCost) {
    PacedRun run;
    float budget = 0.0f;
    double now = 0.0, lastQuery = 0.0;
    while (now < seconds) {
        float elapsed = static_cast<float>(now - lastQuery);
        lastQuery = now;
        uint32_t sleepMs = 0;
        switch (PaceIdlePass(&budget, elapsed, period, &sleepMs)) {
            case PaceAction::Draw:
                run.frameTimes.push_back(now);
                now += frameCost(run.frameTimes.size() - 1);
                break;
            case PaceAction::Sleep:
                ++run.sleeps;
                now += sleepMs / 1000.0 + 0.0002;
                break;
        }
    }
    return run;
}

TEST(FramePacing, ThirtyFramesPerSecondWithShortFramesAndFewWakeUps) {
    PacedRun run = Simulate(1.0f / 30, 10.0, [](size_t) { return 0.002; });
    EXPECT_NEAR(static_cast<double>(run.frameTimes.size()), 300.0, 1.0);
    // Frames are spaced by the period, give or take a millisecond and the oversleep.
    for (size_t i = 1; i < run.frameTimes.size(); ++i) {
        EXPECT_NEAR(run.frameTimes[i] - run.frameTimes[i - 1], 1.0 / 30, 0.0013) << "frame " << i;
    }
    // The wait is one sleep a frame, not a millisecond-by-millisecond crawl or a spin:
    // each wake-up costs CPU.
    EXPECT_LE(run.sleeps, static_cast<int>(run.frameTimes.size()) + 1);
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
    EXPECT_NEAR(run.frameTimes[10] - run.frameTimes[9], 1.0 / 30, 0.0013);
    EXPECT_NEAR(static_cast<double>(run.frameTimes.size()), 30.0, 1.0);
}

TEST(FramePacing, BudgetSleepsUntilNearlyDueThenDraws) {
    float budget = 0.0f;
    uint32_t sleepMs = 0;
    EXPECT_EQ(PaceIdlePass(&budget, 0.0f, 0.05f, &sleepMs), PaceAction::Draw);
    EXPECT_FLOAT_EQ(budget, 0.05f);
    EXPECT_EQ(PaceIdlePass(&budget, 0.01f, 0.05f, &sleepMs), PaceAction::Sleep);
    EXPECT_FLOAT_EQ(budget, 0.04f);
    EXPECT_EQ(sleepMs, 40u) << "the whole milliseconds left, in one sleep";
    EXPECT_EQ(PaceIdlePass(&budget, 0.0385f, 0.05f, &sleepMs), PaceAction::Sleep);  // 1.5 ms left
    EXPECT_EQ(sleepMs, 1u);
    EXPECT_EQ(PaceIdlePass(&budget, 0.001f, 0.05f, &sleepMs), PaceAction::Draw);  // 0.5 ms early
    EXPECT_NEAR(budget, 0.0505f, 1e-6) << "the early half millisecond stays owed";
}

TEST(FramePacing, DebtBeyondAQuarterSecondIsForgiven) {
    float budget = 0.0f;
    uint32_t sleepMs = 0;
    // A machine that slept for an hour: no thousand-frame catch-up burst.
    EXPECT_EQ(PaceIdlePass(&budget, 3600.0f, 0.02f, &sleepMs), PaceAction::Draw);
    EXPECT_FLOAT_EQ(budget, 0.02f);
    EXPECT_EQ(PaceIdlePass(&budget, 0.001f, 0.02f, &sleepMs), PaceAction::Sleep);
    // A debt of up to a quarter second is still repaid frame by frame.
    budget = 0.0f;
    EXPECT_EQ(PaceIdlePass(&budget, 0.2f, 0.05f, &sleepMs), PaceAction::Draw);
    EXPECT_FLOAT_EQ(budget, -0.15f);
    EXPECT_EQ(PaceIdlePass(&budget, 0.0f, 0.05f, &sleepMs), PaceAction::Draw);
}

// The limit as the settings load reads it from the store, then the loop's pacing of it
// against a simulated clock: idle calls in two seconds.
class PacingFromTheStore : public ::testing::Test {
protected:
    void SetUp() override {
#if !defined(_WIN32)
        char folder[] = "/tmp/velmora-pacing.XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        configFolder = folder;
        setenv("XDG_CONFIG_HOME", folder, 1);
#endif
        ASSERT_TRUE(DeleteUserKey(kSettingsKeyPath));
    }
    void TearDown() override {
        DeleteUserKey(kSettingsKeyPath);
#if !defined(_WIN32)
        std::filesystem::remove_all(configFolder);
#endif
    }
    // Each frame costs 2 ms; the one drawn at `stallAt` seconds takes two seconds more
    // (a debugger, a suspended machine).
    static int IdleCalls(double seconds, double stallAt = -1.0) {
        FramePacer pacer(ReadFrameRateLimit().perSecond);
        int draws = 0;
        double now = 0.0, lastQuery = 0.0;
        while (now < seconds) {
            const float elapsed = static_cast<float>(now - lastQuery);
            lastQuery = now;
            uint32_t sleepMs = 0;
            switch (pacer.Pass(elapsed, &sleepMs)) {
                case PaceAction::Draw:
                    ++draws;
                    now += 0.002;
                    if (stallAt >= 0.0 && now >= stallAt) {
                        now += 2.0;
                        stallAt = -1.0;
                    }
                    if (pacer.unpaced()) now += 0.0001;  // the loop gives up its time slice
                    break;
                case PaceAction::Sleep: now += sleepMs / 1000.0 + 0.0002; break;
            }
        }
        return draws;
    }
    static void Store(const char* name, uint32_t value) {
        UserStoreKey* key = CreateUserKeyForWriting(kSettingsKeyPath);
        ASSERT_NE(key, nullptr);
        ASSERT_TRUE(WriteUserValue(key, name, value));
        CloseUserKey(key);
    }
    std::string configFolder;
};

TEST_F(PacingFromTheStore, SixtyAFrameSecondWithoutAUsableValue) {
    EXPECT_NEAR(IdleCalls(2.0), 120, 1) << "no key";
    Store("scale", 100);
    EXPECT_NEAR(IdleCalls(2.0), 120, 1) << "no value";
#if defined(_WIN32)
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_WRITE, &key), ERROR_SUCCESS);
    RegSetValueExA(key, "FrameRateLimit", 0, REG_SZ, reinterpret_cast<const BYTE*>("120"), 4);
    RegCloseKey(key);
#else
    std::ofstream(configFolder + "/velmora/Software/VLG", std::ios::app) << "FrameRateLimit=120 fps\n";
#endif
    EXPECT_NEAR(IdleCalls(2.0), 120, 1) << "a value that is no number";
    Store("FrameRateLimit", 30);
    EXPECT_NEAR(IdleCalls(2.0), 60, 1);
}

TEST_F(PacingFromTheStore, ZeroIsUnpaced) {
    Store("FrameRateLimit", 0);
    // Every 2 ms frame follows the last: about a thousand, where the paced loop draws 120.
    EXPECT_GT(IdleCalls(2.0), 900);
}

TEST_F(PacingFromTheStore, ATwoSecondStallIsForgivenNotFastForwarded) {
    // Three seconds, two of them stalled: one second of frames at 60, not a burst
    // that repays the two seconds the stall owed.
    EXPECT_NEAR(IdleCalls(3.0, 0.5), 60, 2);
}

}  // namespace

TEST(FrameCap, TheDisplaysRateUnlessALimitIsStored) {
    EXPECT_EQ(FrameCap(60, true, 144), 144u) << "none stored: the display's own rate";
    EXPECT_EQ(FrameCap(60, true, 165), 165u);
    EXPECT_EQ(FrameCap(60, true, 0), 60u) << "a display that reports no rate: 60";
    EXPECT_EQ(FrameCap(60, true, 1), 60u) << "1 stands for the hardware's default";
    EXPECT_EQ(FrameCap(30, false, 144), 30u) << "a stored limit caps";
    EXPECT_EQ(FrameCap(0, false, 144), 0u) << "a stored 0 removes the cap";
}

// Monitor modes as their timings give them: the rate is the pixel clock over the
// pixels a refresh sends, blanking included.
TEST(FrameCap, RefreshRateOfAMonitorsMode) {
    EXPECT_EQ(RefreshRateOfMode(148500000, 2200, 1125, false, false), 60u) << "1920x1080 at 60";
    EXPECT_EQ(RefreshRateOfMode(148351648, 2200, 1125, false, false), 60u) << "59.94 rounds to 60";
    EXPECT_EQ(RefreshRateOfMode(325080000, 2080, 1085, false, false), 144u) << "1920x1080 at 144";
    EXPECT_EQ(RefreshRateOfMode(645000000, 2640, 1481, false, false), 165u) << "2560x1440 at 165";
    EXPECT_EQ(RefreshRateOfMode(74250000, 2200, 1125, false, true), 60u) << "1080i: 60 fields a second";
    EXPECT_EQ(RefreshRateOfMode(12588000, 400, 262, true, false), 60u) << "320x240 double-scanned";
    EXPECT_EQ(RefreshRateOfMode(0, 1280, 1024, false, false), 0u) << "a virtual server's mode has no clock";
    EXPECT_EQ(RefreshRateOfMode(148500000, 0, 0, false, false), 0u);
}
