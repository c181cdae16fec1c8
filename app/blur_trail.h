// The motion-blur trail, drawn with OpenGL 1.1's stencil buffer and fog instead of the
// accumulation buffer, which today's drivers emulate on the CPU.
#pragma once
#include <cstdint>

#include "app/scene.h"
#include "app/timed_motion.h"

// How much pose i of the trail (0 newest) weighs: 0.2 for every trail frame that would
// still show it, 2.0 for the newest down to 0.2 for the oldest. Weights above 1 make
// the newest poses brighter than the model itself, up to full intensity.
float TrailWeight(int i);

// A view wider or taller than kTrailSide pixels draws its trail at a whole fraction
// of its size (into a square texture of kTrailTextureSide, a power of two as OpenGL 1.1
// wants) and stretches it over the view. The trail's many passes then fill a few
// hundred thousand pixels, not the millions of a 4K screen; a blurred trail loses
// little by it.
constexpr int kTrailSide = 1024;
constexpr int kTrailTextureSide = 1024;
// The smallest whole number that brings the view within kTrailSide (1 for a view no
// larger).
int TrailDivisor(int width, int height);

// Draws the trail of `poses` (newest first) and then the pose `current`, a unit
// nearer, on top. Each pixel shows the newest pose that covers it, its colour times
// that pose's weight, clamped to full intensity. The stencil buffer holds which pose
// has a pixel; without one, every pose shows where no newer pose lies in front.
// A view larger than kTrailSide draws its trail through `trailTexture` (made
// on first use, kept for the context) when given; the current pose is always drawn at
// the view's own resolution. Expects cleared colour, depth and stencil buffers; leaves
// the stencil test, fog and blending off.
void DrawBlurTrail(Scene& scene, const ScenePose (&poses)[kTrailPoses], const ScenePose& current,
                   uint32_t* trailTexture = nullptr);
