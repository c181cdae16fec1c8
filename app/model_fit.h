// Fitting a user's model to the built-in lodge's size: models come in every unit and
// place (millimetres, metres, far from their origin), and the drift, lens and `scale`
// setting are all made for the lodge.
#pragma once
#include <cstdint>

#include "formats/triangle_model.h"

// Draw transform: scale, then move `centre` to the origin.
struct ModelFit {
    float scale = 1.0f;
    float centre[3] = {0.0f, 0.0f, 0.0f};
};

// Half the diagonal of the built-in lodge's bounding box, in its own units.
constexpr float kLodgeHalfDiagonal = 130.027f;

// Centres the box at the origin and scales its half diagonal to the lodge's. A box
// of no size (one point) is only centred.
ModelFit FitToLodge(const ModelBounds& bounds);
