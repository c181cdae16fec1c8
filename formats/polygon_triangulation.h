// Splits a polygon face (three or more corners in 3D, in order around it) into
// triangles: any polygon of n corners gives n - 2 triangles, in the face's own winding.
// A simple polygon, convex or concave, is cut by ear clipping in the face's plane, the
// plane's normal found by Newell's method (so corners in a line or a slightly bent
// face do not mislead it). A face that is no simple polygon (crossing itself, or too
// bent to lie in a plane) is still cut into n - 2 triangles: none is dropped.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

class PolygonTriangulator {
public:
    // Appends to triangles the corner numbers (0 .. n-1) of the triangles, three a
    // triangle; nothing for fewer than three corners.
    void Triangulate(const std::vector<std::array<double, 3>>& corners, std::vector<uint32_t>* triangles);

private:
    bool IsEar(uint32_t corner) const;
    double Turn(uint32_t before, uint32_t corner, uint32_t after) const;
    void Clip(uint32_t corner, std::vector<uint32_t>* triangles);
    void SetStraightCornersAside();
    void PutStraightCornersBack(size_t first, std::vector<uint32_t>* triangles);

    // Scratch space kept between faces: a model has millions of them.
    std::vector<std::array<double, 2>> flat;  // the corners in the face's plane
    std::vector<uint32_t> previous, next;     // the corners still left, as a ring
    size_t left = 0;
    // Corners that go straight on, taken out before the ears are cut and put back
    // after, each splitting the triangle on its edge: no triangle of no area is made
    // for them. Each with the neighbours it had when taken out.
    struct Aside {
        uint32_t corner, before, after;
    };
    std::vector<Aside> aside;
    double tolerance = 0;  // turns smaller than this count as straight
    // Ear tests left for the whole model: a face built to make ear clipping slow
    // (thousands of corners folded over each other) is fanned once they run out.
    int64_t testsLeft = 400000000;
};
