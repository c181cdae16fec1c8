// Fitting a user's model to the built-in lodge's size: models come in every unit and
// place (millimetres, metres, far from their origin), and the drift, lens and `scale`
// setting are all made for the lodge.
#pragma once
#include <cstdint>

struct t3DModel;
class MS3DModel;
struct TriangleModel;

// The box that holds every vertex.
struct ModelBounds {
    float low[3];
    float high[3];
};

// Draw transform: scale, then move `centre` to the origin.
struct ModelFit {
    float scale = 1.0f;
    float centre[3] = {0.0f, 0.0f, 0.0f};
};

// Half the diagonal of the built-in lodge's bounding box, in its own units.
constexpr float kLodgeHalfDiagonal = 130.027f;

// The bounds of every vertex; false when there is no vertex with finite coordinates.
bool BoundsOf(const t3DModel& model, ModelBounds* bounds);
bool BoundsOf(const MS3DModel& model, ModelBounds* bounds);
bool BoundsOf(const TriangleModel& model, ModelBounds* bounds);

// Centres the box at the origin and scales its half diagonal to the lodge's. A box
// of no size (one point) is only centred.
ModelFit FitToLodge(const ModelBounds& bounds);

// Triangles the saver would draw.
int64_t TriangleCount(const t3DModel& model);
int64_t TriangleCount(const MS3DModel& model);
