#include "formats/polygon_triangulation.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace {

using Flat = std::array<double, 2>;

// Twice the signed area of the triangle o, a, b: positive when it turns left.
double Cross(const Flat& o, const Flat& a, const Flat& b) {
    return (a[0] - o[0]) * (b[1] - o[1]) - (a[1] - o[1]) * (b[0] - o[0]);
}

}  // namespace

double PolygonTriangulator::Turn(uint32_t before, uint32_t corner, uint32_t after) const {
    return Cross(flat[before], flat[corner], flat[after]);
}

// A corner is an ear when it turns left and no other corner lies in or on the
// triangle it makes with its neighbours. In a simple polygon only corners that do
// not turn left can lie there, so only those are tested.
bool PolygonTriangulator::IsEar(uint32_t corner) const {
    const uint32_t before = previous[corner], after = next[corner];
    if (Turn(before, corner, after) <= tolerance) return false;
    const Flat &a = flat[before], &b = flat[corner], &c = flat[after];
    for (uint32_t other = next[after]; other != before; other = next[other]) {
        if (Turn(previous[other], other, next[other]) > tolerance) continue;
        const Flat& p = flat[other];
        // The same place as a corner of the ear: where a polygon touches itself.
        if (p == a || p == b || p == c) continue;
        if (Cross(a, b, p) >= -tolerance && Cross(b, c, p) >= -tolerance && Cross(c, a, p) >= -tolerance) return false;
    }
    return true;
}

void PolygonTriangulator::Clip(uint32_t corner, std::vector<uint32_t>* triangles) {
    const uint32_t before = previous[corner], after = next[corner];
    triangles->insert(triangles->end(), {before, corner, after});
    next[before] = after;
    previous[after] = before;
    --left;
}

// Takes out the corners that go straight on between their neighbours, while more
// than three are left.
void PolygonTriangulator::SetStraightCornersAside() {
    aside.clear();
    for (uint32_t corner = 0; corner < previous.size() && left > 3; ++corner) {
        const uint32_t before = previous[corner], after = next[corner];
        const Flat &a = flat[before], &b = flat[corner], &c = flat[after];
        const bool onward = (b[0] - a[0]) * (c[0] - b[0]) + (b[1] - a[1]) * (c[1] - b[1]) > 0;
        if (!onward || std::fabs(Turn(before, corner, after)) > tolerance) continue;
        aside.push_back({corner, before, after});
        next[before] = after;
        previous[after] = before;
        next[corner] = previous[corner] = corner;  // out of the ring
        --left;
    }
}

// Puts the corners set aside back, the last first: each lies on the edge from its
// "before" to its "after", which one triangle (from first on) has; that triangle is
// split in two at the corner.
void PolygonTriangulator::PutStraightCornersBack(size_t first, std::vector<uint32_t>* triangles) {
    std::unordered_map<uint64_t, size_t> triangleOfEdge;
    auto edge = [](uint32_t from, uint32_t to) { return uint64_t(from) << 32 | to; };
    auto note = [&](size_t t) {
        for (int i = 0; i < 3; ++i) triangleOfEdge[edge((*triangles)[t + i], (*triangles)[t + (i + 1) % 3])] = t;
    };
    for (size_t t = first; t < triangles->size(); t += 3) note(t);
    for (size_t i = aside.size(); i-- > 0;) {
        const Aside& straight = aside[i];
        const auto found = triangleOfEdge.find(edge(straight.before, straight.after));
        if (found == triangleOfEdge.end()) {
            // No longer an edge (the polygon crosses itself): a triangle of no area.
            triangles->insert(triangles->end(), {straight.before, straight.corner, straight.after});
            continue;
        }
        const size_t t = found->second;
        triangleOfEdge.erase(found);
        uint32_t* corners = triangles->data() + t;
        int at = 0;  // where the edge starts in the triangle
        while (!(corners[at] == straight.before && corners[(at + 1) % 3] == straight.after)) ++at;
        const uint32_t opposite = corners[(at + 2) % 3];
        corners[0] = straight.before, corners[1] = straight.corner, corners[2] = opposite;
        note(t);
        triangles->insert(triangles->end(), {straight.corner, straight.after, opposite});
        note(triangles->size() - 3);
    }
}

void PolygonTriangulator::Triangulate(const std::vector<std::array<double, 3>>& corners,
                                      std::vector<uint32_t>* triangles) {
    const size_t n = corners.size();
    if (n < 3) return;
    if (n == 3) {
        triangles->insert(triangles->end(), {0u, 1u, 2u});
        return;
    }
    // Newell's normal: the sum over the edges of each coordinate plane's share of the
    // area; every corner counts, so no three of them decide the plane alone. Taken
    // relative to the first corner, so far-off coordinates keep their precision.
    const std::array<double, 3>& origin = corners[0];
    double normal[3] = {0, 0, 0};
    for (size_t i = 0; i < n; ++i) {
        const std::array<double, 3>& p = corners[i];
        const std::array<double, 3>& q = corners[i + 1 < n ? i + 1 : 0];
        const double a[3] = {p[0] - origin[0], p[1] - origin[1], p[2] - origin[2]};
        const double b[3] = {q[0] - origin[0], q[1] - origin[1], q[2] - origin[2]};
        normal[0] += (a[1] - b[1]) * (a[2] + b[2]);
        normal[1] += (a[2] - b[2]) * (a[0] + b[0]);
        normal[2] += (a[0] - b[0]) * (a[1] + b[1]);
    }
    const double length = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);

    // Two unit axes u, v in the plane with u x v along the normal: the face's winding
    // turns left (counter-clockwise) in them.
    bool planar = length > 0 && std::isfinite(length);
    if (planar) {
        const double w[3] = {normal[0] / length, normal[1] / length, normal[2] / length};
        int least = 0;  // the coordinate axis furthest from the normal
        for (int i = 1; i < 3; ++i)
            if (std::fabs(w[i]) < std::fabs(w[least])) least = i;
        const double axis[3] = {least == 0 ? 1.0 : 0.0, least == 1 ? 1.0 : 0.0, least == 2 ? 1.0 : 0.0};
        double u[3] = {w[1] * axis[2] - w[2] * axis[1], w[2] * axis[0] - w[0] * axis[2], w[0] * axis[1] - w[1] * axis[0]};
        const double uLength = std::sqrt(u[0] * u[0] + u[1] * u[1] + u[2] * u[2]);
        for (double& value : u) value /= uLength;
        const double v[3] = {w[1] * u[2] - w[2] * u[1], w[2] * u[0] - w[0] * u[2], w[0] * u[1] - w[1] * u[0]};
        flat.resize(n);
        double extent = 0;
        for (size_t i = 0; i < n; ++i) {
            const double d[3] = {corners[i][0] - origin[0], corners[i][1] - origin[1], corners[i][2] - origin[2]};
            flat[i] = {d[0] * u[0] + d[1] * u[1] + d[2] * u[2], d[0] * v[0] + d[1] * v[1] + d[2] * v[2]};
            extent = std::max({extent, std::fabs(flat[i][0]), std::fabs(flat[i][1])});
        }
        planar = std::isfinite(extent);
        tolerance = extent * extent * 1e-10;
    }

    previous.resize(n);
    next.resize(n);
    for (uint32_t i = 0; i < n; ++i) {
        previous[i] = i == 0 ? static_cast<uint32_t>(n - 1) : i - 1;
        next[i] = i + 1 == n ? 0 : i + 1;
    }
    left = n;
    const size_t first = triangles->size();
    aside.clear();
    if (planar) SetStraightCornersAside();
    uint32_t corner = 0;
    while (next[corner] == corner) ++corner;  // set aside
    size_t sinceClip = 0;
    while (planar && left > 3 && testsLeft > 0) {
        testsLeft -= static_cast<int64_t>(left);  // an ear test looks at up to every corner
        if (IsEar(corner)) {
            const uint32_t after = next[corner];
            Clip(corner, triangles);
            corner = after;
            sinceClip = 0;
            continue;
        }
        corner = next[corner];
        if (++sinceClip < left) continue;
        // A whole round without an ear: the polygon crosses or folds over itself. Cut
        // off a corner that goes straight on (it takes no area), else the one turning
        // left the most, else any: every corner still ends in a triangle.
        testsLeft -= static_cast<int64_t>(left);
        uint32_t chosen = corner;
        double sharpest = tolerance;
        for (size_t i = 0; i < left; ++i, corner = next[corner]) {
            const double turn = Turn(previous[corner], corner, next[corner]);
            if (std::fabs(turn) <= tolerance) {
                chosen = corner;
                break;
            }
            if (turn > sharpest) sharpest = turn, chosen = corner;
        }
        const uint32_t after = next[chosen];
        Clip(chosen, triangles);
        corner = after;
        sinceClip = 0;
    }
    // The last three corners; more where no plane was found or the tests ran out,
    // cut off one after the other.
    while (left > 3) {
        const uint32_t after = next[corner];
        Clip(corner, triangles);
        corner = after;
    }
    triangles->insert(triangles->end(), {previous[corner], corner, next[corner]});
    if (!aside.empty()) PutStraightCornersBack(first, triangles);
}
