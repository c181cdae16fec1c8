// The scene's motion in time: the same poses at every frame rate, even steps, a trail
// that spans the same time, a dropped backlog. Frames are fed their intervals as a
// display of the given rate would time them; no GL involved.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "app/frame.h"
#include "app/saver_window_state.h"
#include "app/scene.h"
#include "app/settings.h"
#include "app/timed_motion.h"

namespace {

ScenePose PoseOf(const Scene& scene) {
    return {scene.positionX(), scene.positionY(), scene.positionZ(), scene.angleX(), scene.angleY(), scene.angleZ()};
}

// Angles compare as directions: 360 and 0 are one.
float AngleApart(float a, float b) {
    const float d = std::fmod(std::fabs(a - b), 360.0f);
    return std::fmin(d, 360.0f - d);
}

void ExpectSamePose(const ScenePose& a, const ScenePose& b, const std::string& where) {
    EXPECT_NEAR(a.x, b.x, 1e-2f) << where;
    EXPECT_NEAR(a.y, b.y, 1e-2f) << where;
    EXPECT_LT(AngleApart(a.ax, b.ax), 1e-2f) << where << " x angle " << a.ax << " against " << b.ax;
    EXPECT_LT(AngleApart(a.ay, b.ay), 1e-2f) << where << " y angle " << a.ay << " against " << b.ay;
    EXPECT_LT(AngleApart(a.az, b.az), 1e-2f) << where << " z angle " << a.az << " against " << b.az;
}

// Settings of every kind of turn (none, limited, endless) and drift, from the seed.
void SettingsForSeed(int seed) {
    SetDefaults();
    std::srand(static_cast<unsigned>(seed));
    const int32_t limits[] = {0, 45, 90, 200, 360};
    Settings.xrot = limits[std::rand() % 5];
    Settings.yrot = limits[std::rand() % 5];
    Settings.zrot = limits[std::rand() % 5];
    Settings.xrots = 1 + std::rand() % 100;
    Settings.yrots = 1 + std::rand() % 100;
    Settings.zrots = 1 + std::rand() % 100;
    Settings.vel = std::rand() % 101;
}

constexpr int32_t kHalfWidth = 512, kHalfHeight = 384;

TEST(TimedMotion, PosesAtWholeStepsAreTheSixtyStepSequenceAtEveryRate) {
    for (int rate : {30, 60, 144, 165, 240}) {
        for (int seed = 1; seed <= 20; ++seed) {
            SettingsForSeed(seed);
            std::srand(static_cast<unsigned>(1000 + seed));
            Scene reference(Settings, kHalfWidth, kHalfHeight);
            std::vector<ScenePose> steps{PoseOf(reference)};
            for (int k = 0; k < 600; ++k) {
                reference.Update();
                steps.push_back(PoseOf(reference));
            }
            std::srand(static_cast<unsigned>(1000 + seed));
            Scene scene(Settings, kHalfWidth, kHalfHeight);
            TimedMotion motion(scene, PoseOf(scene));
            ExpectSamePose(motion.pose(), steps[0], "the start");
            const float interval = 1.0f / static_cast<float>(rate);
            for (int frame = 1; frame <= 10 * rate; ++frame) {
                motion.Advance(interval);
                if (frame * 60 % rate != 0) continue;  // between two steps
                const int k = frame * 60 / rate;
                ExpectSamePose(motion.pose(), steps[static_cast<size_t>(k)],
                               "rate " + std::to_string(rate) + " seed " + std::to_string(seed) + " step " +
                                   std::to_string(k));
                if (testing::Test::HasFailure()) return;
            }
        }
    }
}

// An endless turn about z by a degree a step, without drift.
struct SteadyTurn {
    SteadyTurn() {
        SetDefaults();
        Settings.zoff = 0;
        Settings.zrot = 360;
        Settings.zrots = 20;
        Settings.vel = 0;
    }
};

TEST(TimedMotion, AtAHundredAndFortyFourFramesEachFrameTurnsByItsShareOfTime) {
    SteadyTurn turn;
    Scene scene(Settings, kHalfWidth, kHalfHeight);
    TimedMotion motion(scene, PoseOf(scene));
    float last = motion.pose().az;
    // Even frames, then a display whose swaps land 2 and 3 refreshes apart (a cap of
    // 60 on a 144 Hz panel): the turn follows each frame's own interval.
    for (int frame = 0; frame < 300; ++frame) {
        const float interval = frame < 150 ? 1.0f / 144.0f : (frame % 2 ? 3.0f : 2.0f) / 144.0f;
        motion.Advance(interval);
        const float az = motion.pose().az;
        ASSERT_LT(AngleApart(az - last, interval * 60.0f), 1e-3f) << "frame " << frame;
        last = az;
    }
}

TEST(TimedMotion, TheTrailSpansNineStepsOfTimeAtEveryRate) {
    for (int rate : {30, 60, 144, 240}) {
        SteadyTurn turn;
        Scene scene(Settings, kHalfWidth, kHalfHeight);
        TimedMotion motion(scene, PoseOf(scene));
        for (int frame = 0; frame < 2 * rate + rate / 7; ++frame) motion.Advance(1.0f / static_cast<float>(rate));
        for (int i = 1; i < kTrailPoses; ++i)
            EXPECT_LT(AngleApart(motion.pose().az - motion.trailPose(i).az, static_cast<float>(i)), 1e-3f)
                << "rate " << rate << " pose " << i;
    }
}

TEST(TimedMotion, ABacklogBeyondAQuarterSecondIsDropped) {
    SteadyTurn turn;
    Scene scene(Settings, kHalfWidth, kHalfHeight);
    TimedMotion motion(scene, PoseOf(scene));
    const float start = motion.pose().az;
    motion.Advance(5.0f);  // a suspended machine wakes
    EXPECT_NEAR(motion.pose().az - start, 15.0f, 1e-3f) << "a quarter of a second: 15 steps";
    motion.Advance(-1.0f);  // a clock that went back moves nothing
    EXPECT_NEAR(motion.pose().az - start, 15.0f, 1e-3f);
}

TEST(TimedMotion, TheTrailStartsAtTheStartPlaceUnturned) {
    SetDefaults();
    Settings.blur = 1;
    std::srand(7);
    SaverWindowState state;
    state.scene.reset(new Scene(Settings, kHalfWidth, kHalfHeight));
    const float startX = state.scene->positionX();
    StartSceneMotion(state);
    for (int i = 1; i < kTrailPoses; ++i) {
        const ScenePose pose = state.motion->trailPose(i);
        EXPECT_EQ(pose.x, startX);
        EXPECT_EQ(pose.ax + pose.ay + pose.az + pose.z, 0.0f);
    }
}

TEST(TimedMotion, AnglesAreInterpolatedTheShortWayAcrossAWrap) {
    const ScenePose rising = InterpolatePose({0, 0, 0, 359.25f, 0, 0}, {0, 0, 0, 0.25f, 0, 0}, 0.5f);
    EXPECT_LT(AngleApart(rising.ax, 359.75f), 1e-4f);
    const ScenePose falling = InterpolatePose({0, 0, 0, 0, -0.5f, 0}, {0, 0, 0, 0, 360.5f, 0}, 0.25f);
    EXPECT_LT(AngleApart(falling.ay, -0.25f), 1e-4f);
    const ScenePose moving = InterpolatePose({10, -4, 0, 0, 0, 0}, {20, 4, 1, 0, 0, 0}, 0.25f);
    EXPECT_FLOAT_EQ(moving.x, 12.5f);
    EXPECT_FLOAT_EQ(moving.y, -2.0f);
    EXPECT_FLOAT_EQ(moving.z, 0.25f);
}

}  // namespace
