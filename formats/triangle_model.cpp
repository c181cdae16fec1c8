#include "formats/triangle_model.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include <meshoptimizer.h>

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

struct NormalSum {
    double sum[3] = {0, 0, 0};
    double lengths = 0;          // of the face normals summed
    float first[3] = {0, 0, 0};  // the unit normal of the first face with an area
    bool hasFirst = false;
};

}  // namespace

namespace {

// meshoptimizer's own tables (a hash of tens of megabytes for millions of corners) in
// large blocks too. Its release takes no size, so each allocation keeps its size in
// front of it.
constexpr size_t kSizeHeader = 64;  // keeps the memory after it aligned for any type

void* AllocateForMeshopt(size_t bytes) {
    if (bytes > size_t(-1) - kSizeHeader) throw std::bad_alloc();
    const size_t total = bytes + kSizeHeader;
    void* block = total >= kLargeBlockBytes ? AllocateLargeBlock(total) : ::operator new(total, std::nothrow);
    if (!block) throw std::bad_alloc();
    std::memcpy(block, &total, sizeof total);
    return static_cast<char*>(block) + kSizeHeader;
}

void FreeForMeshopt(void* memory) {
    char* block = static_cast<char*>(memory) - kSizeHeader;
    size_t total;
    std::memcpy(&total, block, sizeof total);
    if (total >= kLargeBlockBytes) FreeLargeBlock(block, total);
    else ::operator delete(block);
}

}  // namespace

namespace {

// meshoptimizer's remap: one flat hash over the positions' bytes, numbering places in
// the order they first appear. It takes whole triangles, so a count that is none is
// given as corners naming the positions in order, the last one repeated to fill the
// last triangle.
size_t Remap(const float* positions, size_t count, size_t stride, uint32_t* places) {
    static const bool allocatorSet = (meshopt_setAllocator(&AllocateForMeshopt, &FreeForMeshopt), true);
    (void)allocatorSet;
    const meshopt_Stream stream = {positions, 3 * sizeof(float), stride};
    if (count % 3 == 0) return meshopt_generateVertexRemapMulti(places, nullptr, count, count, &stream, 1);
    std::vector<uint32_t> corners(count + 3 - count % 3, static_cast<uint32_t>(count - 1));
    for (size_t i = 0; i < count; ++i) corners[i] = static_cast<uint32_t>(i);
    return meshopt_generateVertexRemapMulti(places, corners.data(), corners.size(), count, &stream, 1);
}

// From this many positions on the two halves are numbered on two threads: most of an
// STL file's reading time is spent finding which of its millions of corners meet.
constexpr size_t kPlacesInHalves = 1500000;

const float* PositionAt(const float* positions, size_t stride, size_t index) {
    return reinterpret_cast<const float*>(reinterpret_cast<const char*>(positions) + index * stride);
}

// Each half numbered on its own, then the first position of every place of both halves
// numbered together: that joins the places the halves share.
size_t NumberPlacesInHalves(const float* positions, size_t count, size_t stride, uint32_t* places) {
    const size_t half = count / 2;
    size_t firstPlaces = 0;
    std::exception_ptr failure;
    std::thread first;
    try {
        first = std::thread([&] {
            try {
                firstPlaces = Remap(positions, half, stride, places);
            } catch (...) {
                failure = std::current_exception();
            }
        });
    } catch (const std::system_error&) {
        return Remap(positions, count, stride, places);  // no second thread to be had
    }
    size_t secondPlaces = 0;
    try {
        secondPlaces = Remap(PositionAt(positions, stride, half), count - half, stride, places + half);
    } catch (...) {
        first.join();
        throw;
    }
    first.join();
    if (failure) std::rethrow_exception(failure);
    // A half's places are numbered as they first appear: a place is new where its
    // number is the next one.
    LargeVector<float> firstOfPlace(3 * (firstPlaces + secondPlaces));
    size_t next = 0;
    for (size_t k = 0; k < count; ++k) {
        const size_t place = k < half ? places[k] : firstPlaces + places[k];
        if (place != next) continue;
        std::memcpy(&firstOfPlace[3 * next], PositionAt(positions, stride, k), 3 * sizeof(float));
        ++next;
    }
    LargeVector<uint32_t> joined(firstPlaces + secondPlaces);
    const size_t total = Remap(firstOfPlace.data(), joined.size(), 3 * sizeof(float), joined.data());
    for (size_t k = 0; k < count; ++k) places[k] = joined[k < half ? places[k] : firstPlaces + places[k]];
    return total;
}

}  // namespace

size_t NumberPlaces(const float* positions, size_t count, size_t stride, uint32_t* places) {
    if (count == 0) return 0;
    if (count >= kPlacesInHalves) return NumberPlacesInHalves(positions, count, stride, places);
    return Remap(positions, count, stride, places);
}

void BuildCornerNormals(TriangleBatch& batch) {
    const size_t count = batch.corners.size();
    if (count == 0) return;
    LargeVector<uint32_t> places(count);
    const size_t placeCount = NumberPlaces(batch.corners[0].position, count, sizeof(TriangleCorner), places.data());
    BuildCornerNormals(batch, places.data(), placeCount);
}

void BuildCornerNormals(TriangleBatch& batch, const uint32_t* place, size_t places) {
    const size_t count = batch.corners.size();
    LargeVector<NormalSum> sums(places);
    const size_t triangles = count / 3;
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
            NormalSum& sum = sums[place[3 * t + corner]];
            for (int i = 0; i < 3; ++i) sum.sum[i] += n[i];
            sum.lengths += length;
            if (!sum.hasFirst) {
                for (int i = 0; i < 3; ++i) sum.first[i] = static_cast<float>(n[i] / length);
                sum.hasFirst = true;
            }
        }
    }
    for (size_t k = 0; k < count; ++k) {
        float* normal = batch.corners[k].normal;
        const NormalSum& sum = sums[place[k]];
        const double length = std::sqrt(sum.sum[0] * sum.sum[0] + sum.sum[1] * sum.sum[1] + sum.sum[2] * sum.sum[2]);
        // Faces that cancel out (both sides of one sheet) leave rounding, no direction;
        // a place only faces without an area use keeps (0,0,0).
        if (length <= 1e-5 * sum.lengths) {
            for (int i = 0; i < 3; ++i) normal[i] = sum.first[i];
        } else {
            for (int i = 0; i < 3; ++i) normal[i] = static_cast<float>(sum.sum[i] / length);
        }
    }
}
