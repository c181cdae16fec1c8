// The motion-blur trail, drawn with OpenGL 1.1's stencil buffer and fog instead of the
// accumulation buffer, which today's drivers emulate on the CPU.
#pragma once
#include "app/scene.h"
#include "app/timed_motion.h"

// How much pose i of the trail (0 newest) weighs: 0.2 for every trail frame that would
// still show it, 2.0 for the newest down to 0.2 for the oldest. Weights above 1 make
// the newest poses brighter than the model itself, up to full intensity.
float TrailWeight(int i);

// Draws the trail of `poses` (newest first) and then the pose `current`, a unit
// nearer, on top. Each pixel shows the newest pose that covers it, its colour times
// that pose's weight, clamped to full intensity. The stencil buffer holds which pose
// has a pixel; without one, every pose shows where no newer pose lies in front.
// Leaves the stencil test, fog and blending off.
void DrawBlurTrail(Scene& scene, const ScenePose (&poses)[kTrailPoses], const ScenePose& current);
