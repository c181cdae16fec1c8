#include "app/timed_motion.h"

#include <algorithm>
#include <cmath>

namespace {

ScenePose PoseOf(const Scene& scene) {
    return {scene.position.x, scene.position.y, scene.position.z, scene.angle.x, scene.angle.y, scene.angle.z};
}

float Between(float from, float to, float t) {
    return from + (to - from) * t;
}

float AngleBetween(float from, float to, float t) {
    float turn = to - from;
    turn -= 360.0f * std::round(turn / 360.0f);  // the short way: -180 to 180 degrees
    return from + turn * t;
}

}  // namespace

ScenePose InterpolatePose(const ScenePose& from, const ScenePose& to, float t) {
    return {Between(from.x, to.x, t),          Between(from.y, to.y, t),          Between(from.z, to.z, t),
            AngleBetween(from.ax, to.ax, t), AngleBetween(from.ay, to.ay, t), AngleBetween(from.az, to.az, t)};
}

TimedMotion::TimedMotion(Scene& scene, const ScenePose& trailStart) : scene_(scene) {
    std::fill(std::begin(steps_), std::end(steps_), trailStart);
    steps_[0] = PoseOf(scene_);
    Step();
}

void TimedMotion::Step() {
    std::copy_backward(std::begin(steps_), std::end(steps_) - 1, std::end(steps_));
    scene_.Update();
    steps_[0] = PoseOf(scene_);
}

void TimedMotion::Advance(float elapsedSeconds) {
    phase_ += static_cast<double>(std::clamp(elapsedSeconds, 0.0f, kLargestMotionBacklogSeconds)) *
              kMotionStepsPerSecond;
    while (phase_ >= 1.0) {
        Step();
        phase_ -= 1.0;
    }
}

ScenePose TimedMotion::trailPose(int i) const {
    return InterpolatePose(steps_[i + 1], steps_[i], static_cast<float>(phase_));
}
