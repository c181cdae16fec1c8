// The saver's lens: a 45-degree vertical field of view looking at the scene's origin
// 400 units ahead. The drawing sets it up; the motion keeps the model inside what it shows.
#pragma once

constexpr double kFieldOfViewDegrees = 45.0;
constexpr double kNearPlane = 50.0;
constexpr double kFarPlane = 1000.0;
constexpr float kEyeDistance = 400.0f;

// Half a rectangle of the model's plane, in scene units, along x and y.
struct HalfExtent {
    float x;
    float y;
};

// Half of what the lens shows of the model's plane for a client area of these half
// sizes: 400 tan 22.5 degrees high, that times the aspect ratio wide.
HalfExtent VisibleHalfExtent(int halfWidth, int halfHeight);

// Each axis bounces inside a quarter of the client size less 40 units, but never
// outside what the lens shows at the model's plane: on a large or wide screen pixels
// outnumber scene units, and a bound in pixels would take the model out of view. A
// window too small for the quarter-less-40 rectangle keeps its crossed bounds.
HalfExtent ComputeDriftBounds(int halfWidth, int halfHeight);
