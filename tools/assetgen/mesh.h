// A triangle mesh with one texture coordinate per vertex, and the solid shapes
// the lodge is built from. Every shape is closed and wound counter-clockwise
// seen from outside, so back-face culling keeps exactly its outer surface.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/assetgen/atlas_layout.h"

struct Vec3 {
    double x, y, z;
};
inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, double f) { return {a.x * f, a.y * f, a.z * f}; }
inline double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
Vec3 Normalized(Vec3 v);

struct Vertex {
    Vec3 position;
    double u, v;  // texture coordinates, v = 0 at the image's bottom row
};

struct Triangle {
    std::array<std::uint32_t, 3> corners;
    std::uint16_t edgeFlags;  // which edges an editor would show: bit 0 ab, bit 1 bc, bit 2 ca
    bool smooth;              // part of a smoothly curved surface (the logs' sides)
};

// How a rectangle of the texture covers a surface: the region's pixels and the
// world size that the whole region spans. The regions used this way are
// painted to repeat seamlessly, and faces are tiled with them.
struct Material {
    PixelRect rect;
    double worldWidth, worldHeight;
};

class Mesh {
public:
    std::vector<Vertex> vertices;
    std::vector<Triangle> triangles;

    // Texture coordinates of the point (s, t) of a region, s from its left and t
    // from its bottom edge (0 to 1), kept half a texel inside the region so that
    // filtering never reaches a neighbour.
    static void RegionUv(const PixelRect& rect, double s, double t, double& u, double& v);

    // A flat rectangle from `origin` along `across` and `up` (its front is on
    // the side of across x up), covered by the repeating region at its world
    // size, cut into tiles where the region repeats; `variety` chooses where
    // in the pattern the rectangle starts.
    void AddRectangle(Vec3 origin, Vec3 across, Vec3 up, const Material& material, std::uint32_t variety);
    // A flat rectangle showing the whole region once (windows, doors).
    void AddPicture(Vec3 origin, Vec3 across, Vec3 up, const PixelRect& rect);

    // A box given by its centre, two perpendicular unit axes (the third is
    // x-axis cross y-axis) and half sizes along the three. The face on the third
    // axis's positive side takes `top`, the others `sides`.
    void AddBox(Vec3 centre, Vec3 xAxis, Vec3 yAxis, Vec3 halfSize, const Material& top, const Material& sides,
                std::uint32_t variety);
    // An axis-aligned box between two corners.
    void AddBlock(Vec3 low, Vec3 high, const Material& top, const Material& sides, std::uint32_t variety);
    // A box whose top is smaller than its bottom: both rectangles axis-aligned
    // and centred on the same vertical line (a chimney's shoulder).
    void AddTaperedBlock(Vec3 bottomLow, Vec3 bottomHigh, Vec3 topLow, Vec3 topHigh, const Material& sides);

    // A log: a cylinder of `sides` facets from a to b with sawn ends. Its side
    // takes the bark region, length along s (starting at `barkOffset` world
    // units into it) and once round along t, starting on top; the ends take the
    // log-end disc.
    void AddLog(Vec3 a, Vec3 b, double radius, int sides, double barkOffset);

    // A flat-sided prism: the convex polygon `outline` (counter-clockwise seen
    // from the side that `normal` points to) extruded by `thickness` against
    // normal. Both faces and the rim take `material`, the faces mapped once in
    // the polygon's plane with `across` as the horizontal direction (the
    // polygon should fit in the material's world size).
    void AddPrism(const std::vector<Vec3>& outline, Vec3 normal, Vec3 across, double thickness,
                  const Material& material, std::uint32_t variety);

    // Moves every vertex.
    void Translate(Vec3 offset);
    // Smallest and largest coordinates of all vertices.
    void Bounds(Vec3& low, Vec3& high) const;
    // Six times the enclosed volume of the triangles from index `first` on:
    // positive when a closed surface is wound counter-clockwise from outside.
    double SignedVolume6(size_t first) const;

private:
    std::uint32_t AddVertex(Vec3 position, double u, double v);
    void AddTriangle(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint16_t edges, bool smooth);
    // A quad a, b, c, d (counter-clockwise from the front) as two triangles.
    void AddQuad(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d);
};
