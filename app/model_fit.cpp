#include "app/model_fit.h"

#include <algorithm>
#include <cmath>

#include "formats/model3ds.h"
#include "formats/ms3d_model.h"
#include "formats/triangle_model.h"

namespace {

// Widens the box by one point; points with a coordinate that is not finite are left out.
void Include(ModelBounds* bounds, bool* any, const float point[3]) {
    if (!std::isfinite(point[0]) || !std::isfinite(point[1]) || !std::isfinite(point[2])) return;
    for (int i = 0; i < 3; ++i) {
        bounds->low[i] = *any ? std::min(bounds->low[i], point[i]) : point[i];
        bounds->high[i] = *any ? std::max(bounds->high[i], point[i]) : point[i];
    }
    *any = true;
}

}  // namespace

bool BoundsOf(const t3DModel& model, ModelBounds* bounds) {
    bool any = false;
    for (const t3DObject& object : model.objects) {
        for (int32_t i = 0; object.verts && i < object.numVerts; ++i) {
            const float point[3] = {object.verts[i].x, object.verts[i].y, object.verts[i].z};
            Include(bounds, &any, point);
        }
    }
    return any;
}

bool BoundsOf(const MS3DModel& model, ModelBounds* bounds) {
    bool any = false;
    for (int32_t i = 0; model.vertices && i < model.numVertices; ++i) Include(bounds, &any, model.vertices[i].location);
    return any;
}

bool BoundsOf(const TriangleModel& model, ModelBounds* bounds) {
    bool any = false;
    for (const TriangleBatch& batch : model.batches)
        for (const TriangleCorner& corner : batch.corners) Include(bounds, &any, corner.position);
    return any;
}

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

int64_t TriangleCount(const t3DModel& model) {
    int64_t count = 0;
    for (const t3DObject& object : model.objects) count += std::max<int32_t>(object.numFaces, 0);
    return count;
}

int64_t TriangleCount(const MS3DModel& model) {
    int64_t count = 0;
    for (int32_t m = 0; model.meshes && m < model.numMeshes; ++m) count += std::max<int32_t>(model.meshes[m].numTriangles, 0);
    return count;
}
