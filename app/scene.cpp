#include "app/scene.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "app/scene_lens.h"
#include "app/settings.h"

int RandomInt(int low, int high) {
    return low + std::rand() % (high - low + 1);
}

Scene::Scene(const SaverSettings& settings, int32_t halfWidth, int32_t halfHeight) : settings_(settings) {
    position = {0.0f, 0.0f, 0.0f};
    angle = {static_cast<float>(settings_.xoff), static_cast<float>(settings_.yoff),
             static_cast<float>(settings_.zoff)};
    direction[0] = direction[1] = direction[2] = 1;
    velocity[0] = velocity[1] = 0.0f;
    modelLoaded = false;
    modelType = ModelKind::None;
    // No file is opened here: the default model is unpacked only after this.
    DetectModelType();

    driftBounds = ComputeDriftBounds(halfWidth, halfHeight);
    position.x = static_cast<float>(RandomInt(0, halfWidth / 3));
    position.y = static_cast<float>(RandomInt(0, halfHeight / 3));
    if (RandomInt(0, 1) == 1) position.x = -position.x;
    if (RandomInt(0, 1) == 1) position.y = -position.y;
    // A third of a large screen's half size can lie outside the lens: start in view.
    // A start inside the visible area stands as drawn, so small windows start as
    // they always did.
    const HalfExtent visible = VisibleHalfExtent(halfWidth, halfHeight);
    position.x = std::clamp(position.x, -visible.x, visible.x);
    position.y = std::clamp(position.y, -visible.y, visible.y);

    velocity[0] = static_cast<float>(RandomInt(1, 5)) * static_cast<float>(settings_.vel) * 0.0125f;
    velocity[1] = static_cast<float>(RandomInt(1, 5)) * static_cast<float>(settings_.vel) * 0.0125f;
    if (RandomInt(0, 1) == 1) velocity[0] = -velocity[0];
    if (RandomInt(0, 1) == 1) velocity[1] = -velocity[1];
}

namespace {

struct AxisSettings {
    int32_t limit;  // 0 no turning, 360 endless, else the turning reverses there
    int32_t speed;
};

// Reverses the turning where the look-ahead meets the limit; an endless turn only
// ever rises.
void TurnDirection(float angle, AxisSettings axis, int32_t* direction) {
    float lookAhead = angle + static_cast<float>(axis.speed) * 0.1f * static_cast<float>(*direction);
    if (lookAhead <= -static_cast<float>(axis.limit) || axis.limit == 360) *direction = 1;
    else if (lookAhead >= static_cast<float>(axis.limit)) *direction = -1;
}

// A rising angle past 359 starts again just below 0 (at 0 about y); a falling one
// below 0 starts again above 360.
void WrapAngle(float* angle, int32_t direction, float risingRestart) {
    if (direction == 1 && *angle > 359.0f) *angle = risingRestart;
    else if (direction == -1 && *angle < 0.0f) *angle = 361.0f;
}

void Advance(float* angle, AxisSettings axis, int32_t direction) {
    if (axis.limit != 0) *angle += static_cast<float>(axis.speed) * 0.05f * static_cast<float>(direction);
}

// Moves along one axis, bouncing inside -bound..bound.
void Drift(float* position, float* velocity, float bound) {
    float next = *position + *velocity;
    if (next >= bound || next <= -bound) *velocity = -*velocity;
    *position += *velocity;
}

}  // namespace

void Scene::FitDriftToView(int32_t halfWidth, int32_t halfHeight) {
    driftBounds = ComputeDriftBounds(halfWidth, halfHeight);
    position.x = std::clamp(position.x, -std::fabs(driftBounds.x), std::fabs(driftBounds.x));
    position.y = std::clamp(position.y, -std::fabs(driftBounds.y), std::fabs(driftBounds.y));
}

void Scene::Update() {
    const AxisSettings axes[3] = {{settings_.xrot, settings_.xrots},
                                  {settings_.yrot, settings_.yrots},
                                  {settings_.zrot, settings_.zrots}};
    float* angles[3] = {&angle.x, &angle.y, &angle.z};
    const float risingRestart[3] = {-1.0f, 0.0f, -1.0f};

    for (int i = 0; i < 3; ++i) TurnDirection(*angles[i], axes[i], &direction[i]);
    for (int i = 0; i < 3; ++i) WrapAngle(angles[i], direction[i], risingRestart[i]);
    for (int i = 0; i < 3; ++i) Advance(angles[i], axes[i], direction[i]);

    Drift(&position.x, &velocity[0], driftBounds.x);
    Drift(&position.y, &velocity[1], driftBounds.y);
}
