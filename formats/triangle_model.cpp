#include "formats/triangle_model.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

int64_t TriangleModel::TriangleCount() const {
    int64_t count = 0;
    for (const TriangleBatch& batch : batches) count += static_cast<int64_t>(batch.corners.size() / 3);
    return count;
}

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

bool BoundsOf(const TriangleModel& model, ModelBounds* bounds) {
    bool any = false;
    for (const TriangleBatch& batch : model.batches)
        for (const TriangleCorner& corner : batch.corners) Include(bounds, &any, corner.position);
    return any;
}

namespace {

// A corner's position by its bits: corners at one place share a normal.
struct Position {
    uint32_t bits[3];
    bool operator==(const Position& other) const { return std::memcmp(bits, other.bits, sizeof bits) == 0; }
};

struct PositionHash {
    size_t operator()(const Position& p) const {
        uint64_t h = 1469598103934665603ull;
        for (uint32_t word : p.bits) h = (h ^ word) * 1099511628211ull;
        return static_cast<size_t>(h);
    }
};

struct NormalSum {
    double sum[3] = {0, 0, 0};
    double lengths = 0;       // of the face normals summed
    float first[3] = {0, 0, 0};  // the unit normal of the first face with an area
    bool hasFirst = false;
};

}  // namespace

void BuildCornerNormals(TriangleBatch& batch) {
    std::unordered_map<Position, NormalSum, PositionHash> sums;
    auto key = [](const TriangleCorner& c) {
        Position p;
        std::memcpy(p.bits, c.position, sizeof p.bits);
        return p;
    };
    const size_t triangles = batch.corners.size() / 3;
    sums.reserve(triangles);
    for (size_t t = 0; t < triangles; ++t) {
        const float* a = batch.corners[3 * t].position;
        const float* b = batch.corners[3 * t + 1].position;
        const float* c = batch.corners[3 * t + 2].position;
        // Counter-clockwise corners face the viewer: (b - a) x (c - a) points out of the front.
        const double u[3] = {double(b[0]) - a[0], double(b[1]) - a[1], double(b[2]) - a[2]};
        const double v[3] = {double(c[0]) - a[0], double(c[1]) - a[1], double(c[2]) - a[2]};
        const double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
        const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        if (!(length > 0.0) || !std::isfinite(length)) continue;
        for (int corner = 0; corner < 3; ++corner) {
            NormalSum& sum = sums[key(batch.corners[3 * t + corner])];
            for (int i = 0; i < 3; ++i) sum.sum[i] += n[i];
            sum.lengths += length;
            if (!sum.hasFirst) {
                for (int i = 0; i < 3; ++i) sum.first[i] = static_cast<float>(n[i] / length);
                sum.hasFirst = true;
            }
        }
    }
    for (TriangleCorner& corner : batch.corners) {
        for (float& value : corner.normal) value = 0.0f;
        const auto found = sums.find(key(corner));
        if (found == sums.end()) continue;  // only faces without an area use it
        const NormalSum& sum = found->second;
        const double length = std::sqrt(sum.sum[0] * sum.sum[0] + sum.sum[1] * sum.sum[1] + sum.sum[2] * sum.sum[2]);
        // Faces that cancel out (both sides of one sheet) leave rounding, no direction.
        if (length <= 1e-5 * sum.lengths) {
            for (int i = 0; i < 3; ++i) corner.normal[i] = sum.first[i];
        } else {
            for (int i = 0; i < 3; ++i) corner.normal[i] = static_cast<float>(sum.sum[i] / length);
        }
    }
}
