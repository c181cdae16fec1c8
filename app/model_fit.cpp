#include "app/model_fit.h"

#include <algorithm>
#include <cmath>

#include "formats/triangle_model.h"

ModelFit FitToLodge(const ModelBounds& bounds) {
    ModelFit fit;
    double squared = 0.0;
    for (int i = 0; i < 3; ++i) {
        fit.centre[i] = static_cast<float>((static_cast<double>(bounds.low[i]) + bounds.high[i]) / 2.0);
        const double extent = static_cast<double>(bounds.high[i]) - bounds.low[i];
        squared += extent * extent;
    }
    const double halfDiagonal = std::sqrt(squared) / 2.0;
    if (halfDiagonal > 0.0 && std::isfinite(halfDiagonal)) {
        const float scale = static_cast<float>(kLodgeHalfDiagonal / halfDiagonal);
        if (std::isfinite(scale) && scale > 0.0f) fit.scale = scale;
    }
    return fit;
}
