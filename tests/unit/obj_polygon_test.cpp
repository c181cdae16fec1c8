// OBJ faces of many corners read as whole polygons cut into n - 2 triangles: a concave
// C-shaped face covers exactly its own area, a face whose first corners lie in a line
// keeps its plane, faces crossing themselves or of more than 255 corners lose no
// triangle, and every corner keeps its own texture coordinate and its face's material.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "formats/obj_reader.h"
#include "tests/unit/texture_files.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// A polygon in a plane y = height, as (x, z) pairs.
using Outline = std::vector<std::array<double, 2>>;

// A point on a circle, at coordinates a float holds exactly (as the reader keeps them).
std::array<double, 2> OnCircle(double radius, double degrees) {
    return {static_cast<float>(radius * std::cos(degrees * kPi / 180)),
            static_cast<float>(radius * std::sin(degrees * kPi / 180))};
}

// A C: 33 corners along an outer arc of radius 2 from 45 to 315 degrees, then 33 back
// along an inner arc of radius 1.
Outline CShape() {
    Outline outline;
    for (int i = 0; i < 33; ++i) outline.push_back(OnCircle(2, 45.0 + 270.0 * i / 32));
    for (int i = 32; i >= 0; --i) outline.push_back(OnCircle(1, 45.0 + 270.0 * i / 32));
    return outline;
}

// A C as a modeller's grid writes it: the outline of a 12 x 12 square less a 9 x 6
// notch, with a corner at every unit step, so most corners lie in a line with both
// neighbours.
Outline SteppedC() {
    const std::array<double, 2> turns[] = {{0, 0}, {12, 0}, {12, 3}, {3, 3}, {3, 9}, {12, 9}, {12, 12}, {0, 12}};
    Outline outline;
    for (size_t i = 0; i < 8; ++i) {
        std::array<double, 2> at = turns[i];
        const std::array<double, 2>& to = turns[(i + 1) % 8];
        while (at != to) {
            outline.push_back(at);
            for (int axis = 0; axis < 2; ++axis) at[axis] += (to[axis] > at[axis]) - (to[axis] < at[axis]);
        }
    }
    return outline;
}

// Twice the signed area (positive counter-clockwise).
double Cross(const std::array<double, 2>& o, const std::array<double, 2>& a, const std::array<double, 2>& b) {
    return (a[0] - o[0]) * (b[1] - o[1]) - (a[1] - o[1]) * (b[0] - o[0]);
}

double Area(const Outline& outline) {  // the shoelace formula
    double twice = 0;
    for (size_t i = 0; i < outline.size(); ++i) twice += Cross({0, 0}, outline[i], outline[(i + 1) % outline.size()]);
    return twice / 2;
}

bool Inside(const Outline& outline, const std::array<double, 2>& p) {  // by crossings of a ray
    bool inside = false;
    for (size_t i = 0, j = outline.size() - 1; i < outline.size(); j = i++) {
        const auto &a = outline[i], &b = outline[j];
        if ((a[1] > p[1]) != (b[1] > p[1]) && p[0] < (b[0] - a[0]) * (p[1] - a[1]) / (b[1] - a[1]) + a[0])
            inside = !inside;
    }
    return inside;
}

// Whether segments ab and cd cross at a point inside both.
bool Cross(const std::array<double, 2>& a, const std::array<double, 2>& b, const std::array<double, 2>& c,
           const std::array<double, 2>& d) {
    const double e = 1e-9;
    return ((Cross(a, b, c) > e && Cross(a, b, d) < -e) || (Cross(a, b, c) < -e && Cross(a, b, d) > e)) &&
           ((Cross(c, d, a) > e && Cross(c, d, b) < -e) || (Cross(c, d, a) < -e && Cross(c, d, b) > e));
}

// One face of the outline in the plane y = height, each corner's texture coordinate its (x, z).
std::string FaceText(const Outline& outline, double height) {
    std::ostringstream text;
    text.precision(17);
    for (const auto& p : outline) text << "v " << p[0] << ' ' << height << ' ' << p[1] << "\nvt " << p[0] << ' ' << p[1] << '\n';
    text << 'f';
    for (size_t i = 1; i <= outline.size(); ++i) text << ' ' << i << '/' << i;
    return text.str() + '\n';
}

// Every triangle of a batch as corners of the outline (the reader's floats taken back
// to the outline's exact corners), its texture coordinates checked to be its
// corners' own.
std::vector<std::array<std::array<double, 2>, 3>> FlatTriangles(const TriangleBatch& batch, const Outline& outline,
                                                                double height) {
    std::vector<std::array<std::array<double, 2>, 3>> triangles;
    for (size_t t = 0; t + 2 < batch.corners.size(); t += 3) {
        std::array<std::array<double, 2>, 3> triangle;
        for (int c = 0; c < 3; ++c) {
            const TriangleCorner& corner = batch.corners[t + c];
            EXPECT_NEAR(corner.position[1], height, 1e-6);
            EXPECT_NEAR(corner.uv[0], corner.position[0], 1e-6);
            EXPECT_NEAR(corner.uv[1], corner.position[2], 1e-6);
            size_t nearest = 0;
            auto distance = [&corner](const std::array<double, 2>& p) {
                return std::hypot(p[0] - corner.position[0], p[1] - corner.position[2]);
            };
            for (size_t i = 1; i < outline.size(); ++i)
                if (distance(outline[i]) < distance(outline[nearest])) nearest = i;
            EXPECT_LT(distance(outline[nearest]), 1e-5) << "a corner not of the outline";
            triangle[c] = outline[nearest];
        }
        triangles.push_back(triangle);
    }
    return triangles;
}

// The triangles lie inside the outline and cover exactly its area, none turned over:
// each has its centre inside and no edge crossing the outline's edges.
void ExpectExactCover(const Outline& outline, const std::vector<std::array<std::array<double, 2>, 3>>& triangles) {
    double area = 0;
    const double winding = Area(outline) > 0 ? 1 : -1;
    for (const auto& t : triangles) {
        const double twice = Cross(t[0], t[1], t[2]) * winding;
        EXPECT_GE(twice, -1e-9) << "a triangle turned over";
        area += twice / 2;
        const std::array<double, 2> centre = {(t[0][0] + t[1][0] + t[2][0]) / 3, (t[0][1] + t[1][1] + t[2][1]) / 3};
        if (twice > 1e-9) {
            EXPECT_TRUE(Inside(outline, centre)) << "centre " << centre[0] << ", " << centre[1];
        }
        for (int e = 0; e < 3; ++e)
            for (size_t i = 0; i < outline.size(); ++i)
                EXPECT_FALSE(Cross(t[e], t[(e + 1) % 3], outline[i], outline[(i + 1) % outline.size()]))
                    << "an edge leaves the outline at its edge " << i;
    }
    EXPECT_NEAR(area, std::fabs(Area(outline)), 1e-6 * std::fabs(Area(outline)));
}

TEST(ObjPolygons, ConcaveFacesOf66CornersAre64TrianglesCoveringExactlyTheirArea) {
    for (Outline c : {CShape(), SteppedC()}) {
        for (bool reversed : {false, true}) {
            if (reversed) std::reverse(c.begin(), c.end());
            SCOPED_TRACE(std::to_string(Area(c)) + (reversed ? " reversed" : ""));
            ASSERT_EQ(c.size(), 66u);
            TriangleModel model;
            const ReadResult result = ReadObjText(FaceText(c, 3.0), "c.obj", &model);
            ASSERT_TRUE(result) << result.detail;
            ASSERT_EQ(model.batches.size(), 1u);
            EXPECT_EQ(model.TriangleCount(), 64);
            ExpectExactCover(c, FlatTriangles(model.batches[0], c, 3.0));
            // The normals built for the face are the plane's, on the side its winding
            // faces: counter-clockwise in (x, z) faces down y.
            const double up = Area(c) > 0 ? -1 : 1;
            for (const TriangleCorner& corner : model.batches[0].corners) EXPECT_NEAR(corner.normal[1], up, 1e-5);
        }
    }
}

TEST(ObjPolygons, FacesWhoseFirstCornersLieInALineKeepTheirPlaneAndArea) {
    // A notched square in the plane y = -2; its first three corners on one line, the
    // second of them also where the outline later turns back in.
    const Outline notched = {{0, 0}, {1, 0}, {2, 0}, {2, 2}, {1, 1}, {0, 2}};
    TriangleModel model;
    ASSERT_TRUE(ReadObjText(FaceText(notched, -2.0), "n.obj", &model));
    EXPECT_EQ(model.TriangleCount(), 4);
    ExpectExactCover(notched, FlatTriangles(model.batches[0], notched, -2.0));

    // The same outline tilted out of every coordinate plane still reads with its area.
    std::ostringstream tilted;
    for (const auto& p : notched) tilted << "v " << p[0] << ' ' << p[0] + p[1] << ' ' << 2 * p[1] << '\n';
    ASSERT_TRUE(ReadObjText(tilted.str() + "f 1 2 3 4 5 6\n", "t.obj", &model));
    EXPECT_EQ(model.TriangleCount(), 4);
    double area = 0;
    const CornerList& corners = model.batches[0].corners;
    for (size_t t = 0; t < corners.size(); t += 3) {
        double u[3], v[3];
        for (int i = 0; i < 3; ++i) {
            u[i] = corners[t + 1].position[i] - corners[t].position[i];
            v[i] = corners[t + 2].position[i] - corners[t].position[i];
        }
        const double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
        area += std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]) / 2;
    }
    EXPECT_NEAR(area, 3.0 * 3.0, 1e-5);  // stretched by |(1, 1, 0) x (0, 1, 2)| = 3
}

TEST(ObjPolygons, FacesNoSimplePolygonAndFacesOfMoreThan255CornersLoseNoTriangle) {
    TriangleModel model;
    // A five-pointed star drawn in one stroke crosses itself: still three triangles.
    std::ostringstream star;
    for (int i = 0; i < 5; ++i) star << "v " << std::cos(i * 4 * kPi / 5) << ' ' << std::sin(i * 4 * kPi / 5) << " 0\n";
    ASSERT_TRUE(ReadObjText(star.str() + "f 1 2 3 4 5\n", "star.obj", &model));
    EXPECT_EQ(model.TriangleCount(), 3);
    // All corners on one line: no plane, still n - 2 triangles.
    ASSERT_TRUE(ReadObjText("v 0 0 0\nv 1 0 0\nv 2 0 0\nv 3 0 0\nf 1 2 3 4\n", "line.obj", &model));
    EXPECT_EQ(model.TriangleCount(), 2);

    // A disc of 300 corners with a material, then a triangle with another: the library
    // counts a face's corners in one byte.
    Outline disc;
    for (int i = 0; i < 300; ++i) disc.push_back(OnCircle(1, i * 360.0 / 300));
    TempFolder folder("obj_disc");
    folder.Write("disc.mtl", {'n', 'e', 'w', 'm', 't', 'l', ' ', 'D', '\n', 'n', 'e', 'w', 'm', 't', 'l', ' ', 'S', '\n'});
    const std::string text = "mtllib disc.mtl\nusemtl D\n" + FaceText(disc, 0.5) +
                             "v 5 0 5\nv 6 0 5\nv 5 0 6\nusemtl S\nf 301 302 303\n";
    ASSERT_TRUE(ReadObjText(text, folder.File("disc.obj").c_str(), &model));
    EXPECT_EQ(model.TriangleCount(), 299);
    ASSERT_EQ(model.batches.size(), 2u);
    EXPECT_EQ(model.batches[0].corners.size(), 298u * 3);
    ExpectExactCover(disc, FlatTriangles(model.batches[0], disc, 0.5));
    ASSERT_EQ(model.batches[1].corners.size(), 3u);
    EXPECT_FLOAT_EQ(model.batches[1].corners[1].position[0], 6.0f);
    EXPECT_EQ(model.batches[0].material, 0);
    EXPECT_EQ(model.batches[1].material, 1);
}

}  // namespace
