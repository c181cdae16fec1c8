// The scene's motion in time rather than in frames. The scene moves by its fixed
// per-step `Update` on a clock of 60 steps a second; a frame draws the pose between
// the last two steps at the moment the frame stands for. The model so moves at the
// same speed, and smoothly, at any frame rate: at 60 frames a second every frame is
// one step, at 144 a step spans 2.4 frames, at 30 every frame is two.
#pragma once
#include "app/scene.h"

// Steps of the scene's motion per second: one step is the movement that the
// settings' speeds were made for.
constexpr float kMotionStepsPerSecond = 60.0f;
// A frame that comes later than this after the previous one (a stall, a suspended
// machine, a debugger) moves the scene by this much only: the backlog is dropped
// rather than fast-forwarded.
constexpr float kLargestMotionBacklogSeconds = 0.25f;
// The poses of the motion-blur trail, newest first: 10 steps of time.
constexpr int kTrailPoses = 10;

// The pose `t` of the way from `from` to `to` (t from 0 to 1). Angles go the short way
// round: a step across a wrap (359 to -1, 0.5 to 361) turns by the 1 or so degrees it
// stands for, not by a whole turn back.
ScenePose InterpolatePose(const ScenePose& from, const ScenePose& to, float t);

class TimedMotion {
public:
    // Starts at the scene's pose now; the trail starts as `trailStart` (every earlier
    // pose of the trail) and the first step is taken at once.
    TimedMotion(Scene& scene, const ScenePose& trailStart);

    // Moves the clock on by the seconds since the previous frame (at most
    // kLargestMotionBacklogSeconds count) and takes the steps that came due.
    void Advance(float elapsedSeconds);

    // The pose to draw now, between the last two steps.
    ScenePose pose() const { return trailPose(0); }
    // The trail's pose `i` steps of time back from now (i < kTrailPoses).
    ScenePose trailPose(int i) const;
    const Scene& scene() const { return scene_; }
    // The share of a step that has passed since the last step due (0 to below 1).
    float phase() const { return static_cast<float>(phase_); }

private:
    void Step();

    Scene& scene_;
    // The poses of the last steps, newest first. steps_[0] is the step that comes due
    // next (the scene's own pose), steps_[1] the last step due.
    ScenePose steps_[kTrailPoses + 1];
    double phase_ = 0.0;  // double: 60 Hz frames land on whole steps without drift
};
