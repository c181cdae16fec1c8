// What every target of a reader into the one model checks: a failed read leaves no
// triangles behind, batches hold whole triangles with materials the model has, and
// every corner it gives can be read through (AddressSanitizer reports one that cannot).
#pragma once
#include "formats/read_result.h"
#include "formats/triangle_model.h"

inline void CheckTriangleModel(const ReadResult& result, const TriangleModel& model) {
    if (!result && model.TriangleCount() != 0) __builtin_trap();
    volatile float sink = 0;
    for (const TriangleBatch& batch : model.batches) {
        if (batch.corners.size() % 3 != 0) __builtin_trap();
        if (batch.material >= static_cast<int32_t>(model.materials.size())) __builtin_trap();
        for (const TriangleCorner& corner : batch.corners)
            sink = sink + corner.position[0] + corner.normal[2] + corner.uv[1] + corner.color[3];
    }
}
