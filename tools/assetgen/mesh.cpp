#include "tools/assetgen/mesh.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "tools/assetgen/random.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

double Length(Vec3 v) { return std::sqrt(Dot(v, v)); }

}  // namespace

Vec3 Normalized(Vec3 v) { return v * (1.0 / Length(v)); }

void Mesh::RegionUv(const PixelRect& rect, double s, double t, double& u, double& v) {
    const double x = rect.x0 + 0.5 + s * (rect.width() - 1.0);
    const double yFromTop = rect.y1 - 0.5 - t * (rect.height() - 1.0);
    u = x / kTextureSize;
    v = 1.0 - yFromTop / kTextureSize;
}

std::uint32_t Mesh::AddVertex(Vec3 position, double u, double v) {
    vertices.push_back({position, u, v});
    return static_cast<std::uint32_t>(vertices.size() - 1);
}

void Mesh::AddTriangle(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint16_t edges, bool smooth) {
    triangles.push_back({{a, b, c}, edges, smooth});
}

void Mesh::AddQuad(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) {
    // The diagonal a-c is hidden in both halves.
    AddTriangle(a, b, c, 0x3, false);
    AddTriangle(a, c, d, 0x6, false);
}

namespace {

// One stretch of a face between the places where the texture repeats.
struct Piece {
    double start, end;  // along the face, in world units
    double s;           // texture coordinate at the start, in [0, 1)
};

// Cuts [0, length) wherever phase + position / size passes a whole number.
std::vector<Piece> RepeatPieces(double length, double size, double phase) {
    std::vector<Piece> pieces;
    double position = 0.0;
    while (position < length - 1e-6) {
        double s = phase + position / size;
        s -= std::floor(s);
        if (s > 1.0 - 1e-9) s = 0.0;
        const double end = std::min(length, position + (1.0 - s) * size);
        pieces.push_back({position, end, s});
        position = end;
    }
    return pieces;
}

}  // namespace

void Mesh::AddRectangle(Vec3 origin, Vec3 across, Vec3 up, const Material& material, std::uint32_t variety) {
    const double width = Length(across), height = Length(up);
    const Vec3 alongAcross = across * (1.0 / width), alongUp = up * (1.0 / height);
    Random random(variety * 7919u + 17u);
    const double phaseS = random.unit(), phaseT = random.unit();
    for (const Piece& row : RepeatPieces(height, material.worldHeight, phaseT))
        for (const Piece& column : RepeatPieces(width, material.worldWidth, phaseS)) {
            const double s0 = column.s, s1 = column.s + (column.end - column.start) / material.worldWidth;
            const double t0 = row.s, t1 = row.s + (row.end - row.start) / material.worldHeight;
            const Vec3 corner = origin + alongAcross * column.start + alongUp * row.start;
            const Vec3 a = alongAcross * (column.end - column.start), b = alongUp * (row.end - row.start);
            double u[4], v[4];
            RegionUv(material.rect, s0, t0, u[0], v[0]);
            RegionUv(material.rect, s1, t0, u[1], v[1]);
            RegionUv(material.rect, s1, t1, u[2], v[2]);
            RegionUv(material.rect, s0, t1, u[3], v[3]);
            AddQuad(AddVertex(corner, u[0], v[0]), AddVertex(corner + a, u[1], v[1]),
                    AddVertex(corner + a + b, u[2], v[2]), AddVertex(corner + b, u[3], v[3]));
        }
}

void Mesh::AddPicture(Vec3 origin, Vec3 across, Vec3 up, const PixelRect& rect) {
    double u[4], v[4];
    RegionUv(rect, 0, 0, u[0], v[0]);
    RegionUv(rect, 1, 0, u[1], v[1]);
    RegionUv(rect, 1, 1, u[2], v[2]);
    RegionUv(rect, 0, 1, u[3], v[3]);
    AddQuad(AddVertex(origin, u[0], v[0]), AddVertex(origin + across, u[1], v[1]),
            AddVertex(origin + across + up, u[2], v[2]), AddVertex(origin + up, u[3], v[3]));
}

void Mesh::AddBox(Vec3 centre, Vec3 xAxis, Vec3 yAxis, Vec3 halfSize, const Material& top, const Material& sides,
                  std::uint32_t variety) {
    const Vec3 zAxis = Cross(xAxis, yAxis);
    const Vec3 x = xAxis * halfSize.x, y = yAxis * halfSize.y, z = zAxis * halfSize.z;
    // Each face: its lower-left corner seen from outside, then across and up,
    // with across x up pointing out of the box.
    AddRectangle(centre + z - x - y, x * 2.0, y * 2.0, top, variety);            // +z
    AddRectangle(centre - z - x + y, x * 2.0, y * -2.0, sides, variety + 1);     // -z
    AddRectangle(centre + x - y - z, y * 2.0, z * 2.0, sides, variety + 2);      // +x
    AddRectangle(centre - x + y - z, y * -2.0, z * 2.0, sides, variety + 3);     // -x
    AddRectangle(centre + y + x - z, x * -2.0, z * 2.0, sides, variety + 4);     // +y
    AddRectangle(centre - y - x - z, x * 2.0, z * 2.0, sides, variety + 5);      // -y
}

void Mesh::AddBlock(Vec3 low, Vec3 high, const Material& top, const Material& sides, std::uint32_t variety) {
    AddBox((low + high) * 0.5, {1, 0, 0}, {0, 1, 0}, (high - low) * 0.5, top, sides, variety);
}

void Mesh::AddTaperedBlock(Vec3 bottomLow, Vec3 bottomHigh, Vec3 topLow, Vec3 topHigh, const Material& sides) {
    // Corners counter-clockwise seen from above, bottom ring then top ring.
    const Vec3 b[4] = {{bottomLow.x, bottomLow.y, bottomLow.z},
                       {bottomHigh.x, bottomLow.y, bottomLow.z},
                       {bottomHigh.x, bottomHigh.y, bottomLow.z},
                       {bottomLow.x, bottomHigh.y, bottomLow.z}};
    const Vec3 t[4] = {{topLow.x, topLow.y, topHigh.z},
                       {topHigh.x, topLow.y, topHigh.z},
                       {topHigh.x, topHigh.y, topHigh.z},
                       {topLow.x, topHigh.y, topHigh.z}};
    for (int i = 0; i < 4; ++i) {
        const int j = (i + 1) % 4;
        // A sloping side as a trapezoid, mapped by its own width and height.
        const double width = Length(b[j] - b[i]), height = Length((t[i] + t[j]) * 0.5 - (b[i] + b[j]) * 0.5);
        const double sSpan = std::min(1.0, width / sides.worldWidth), tSpan = std::min(1.0, height / sides.worldHeight);
        const double inset = (Length(b[j] - b[i]) - Length(t[j] - t[i])) / 2.0 / width * sSpan;
        double u[4], v[4];
        RegionUv(sides.rect, 0, 0, u[0], v[0]);
        RegionUv(sides.rect, sSpan, 0, u[1], v[1]);
        RegionUv(sides.rect, sSpan - inset, tSpan, u[2], v[2]);
        RegionUv(sides.rect, inset, tSpan, u[3], v[3]);
        AddQuad(AddVertex(b[i], u[0], v[0]), AddVertex(b[j], u[1], v[1]), AddVertex(t[j], u[2], v[2]),
                AddVertex(t[i], u[3], v[3]));
    }
    // Bottom (seen from below) and top.
    const Material& m = sides;
    double u0, v0, u1, v1;
    RegionUv(m.rect, 0, 0, u0, v0);
    RegionUv(m.rect, std::min(1.0, (bottomHigh.x - bottomLow.x) / m.worldWidth),
             std::min(1.0, (bottomHigh.y - bottomLow.y) / m.worldHeight), u1, v1);
    AddQuad(AddVertex(b[0], u0, v0), AddVertex(b[3], u0, v1), AddVertex(b[2], u1, v1), AddVertex(b[1], u1, v0));
    RegionUv(m.rect, std::min(1.0, (topHigh.x - topLow.x) / m.worldWidth),
             std::min(1.0, (topHigh.y - topLow.y) / m.worldHeight), u1, v1);
    AddQuad(AddVertex(t[0], u0, v0), AddVertex(t[1], u1, v0), AddVertex(t[2], u1, v1), AddVertex(t[3], u0, v1));
}

void Mesh::AddLog(Vec3 a, Vec3 b, double radius, int sides, double barkOffset) {
    const Vec3 axis = b - a;
    const double length = Length(axis);
    const Vec3 d = axis * (1.0 / length);
    // The ring's reference direction: up for lying logs, along x for standing ones.
    const Vec3 reference = std::abs(d.z) < 0.9 ? Vec3{0, 0, 1} : Vec3{1, 0, 0};
    const Vec3 e1 = Normalized(reference - d * Dot(reference, d));
    const Vec3 e2 = Cross(d, e1);
    auto ring = [&](Vec3 centre, int i) {
        const double phi = 2.0 * kPi * i / sides;
        return centre + (e1 * std::cos(phi) + e2 * std::sin(phi)) * radius;
    };
    // The bark region spans the longest log's length; shorter logs take a part.
    const double barkLength = 140.0;
    const double span = std::min(1.0, length / barkLength);
    const double s0 = std::min(std::fmod(barkOffset, barkLength) / barkLength, 1.0 - span);
    const double s1 = s0 + span;
    std::vector<std::uint32_t> atA, atB;
    for (int i = 0; i <= sides; ++i) {
        double u, v;
        const double t = static_cast<double>(i) / sides;
        RegionUv(kBarkRect, s0, t, u, v);
        atA.push_back(AddVertex(ring(a, i), u, v));
        RegionUv(kBarkRect, s1, t, u, v);
        atB.push_back(AddVertex(ring(b, i), u, v));
    }
    for (int i = 0; i < sides; ++i) {
        // Going round increases phi, counter-clockwise about d: a quad from the a
        // end along the ring, then to the b end, faces outward.
        AddTriangle(atA[i], atA[i + 1], atB[i + 1], 0x3, true);
        AddTriangle(atA[i], atB[i + 1], atB[i], 0x6, true);
    }
    // Sawn ends as fans round their centres: the b end faces along d, the a end against it.
    for (int end = 0; end < 2; ++end) {
        const Vec3 centre = end == 0 ? a : b;
        double u, v;
        RegionUv(kLogEndRect, 0.5, 0.5, u, v);
        const std::uint32_t middle = AddVertex(centre, u, v);
        std::vector<std::uint32_t> rim;
        for (int i = 0; i < sides; ++i) {
            const double phi = 2.0 * kPi * i / sides;
            RegionUv(kLogEndRect, 0.5 + kLogEndDiscRadius * std::cos(phi), 0.5 + kLogEndDiscRadius * std::sin(phi), u, v);
            rim.push_back(AddVertex(ring(centre, i), u, v));
        }
        for (int i = 0; i < sides; ++i) {
            const int j = (i + 1) % sides;
            if (end == 1) AddTriangle(middle, rim[i], rim[j], 0x2, false);
            else AddTriangle(middle, rim[j], rim[i], 0x2, false);
        }
    }
}

void Mesh::AddPrism(const std::vector<Vec3>& outline, Vec3 normal, Vec3 across, double thickness,
                    const Material& material, std::uint32_t variety) {
    const Vec3 n = Normalized(normal);
    const Vec3 right = Normalized(across);
    const Vec3 upward = Cross(n, right);
    const Vec3 back = n * -thickness;
    // Plane coordinates of the outline, for mapping the faces.
    double minX = std::numeric_limits<double>::max(), minY = minX;
    for (const Vec3& p : outline) {
        minX = std::min(minX, Dot(p, right));
        minY = std::min(minY, Dot(p, upward));
    }
    Random random(variety * 104729u + 3u);
    const double s0 = random.range(0.0, 0.3), t0 = random.range(0.0, 0.3);
    auto uvOf = [&](Vec3 p, double& u, double& v) {
        const double s = s0 + (Dot(p, right) - minX) / material.worldWidth;
        const double t = t0 + (Dot(p, upward) - minY) / material.worldHeight;
        RegionUv(material.rect, std::min(s, 1.0), std::min(t, 1.0), u, v);
    };
    const size_t count = outline.size();
    std::vector<std::uint32_t> front, rear;
    for (const Vec3& p : outline) {
        double u, v;
        uvOf(p, u, v);
        front.push_back(AddVertex(p, u, v));
        rear.push_back(AddVertex(p + back, u, v));
    }
    for (size_t i = 1; i + 1 < count; ++i) {
        AddTriangle(front[0], front[i], front[i + 1], 0x7, false);
        AddTriangle(rear[0], rear[i + 1], rear[i], 0x7, false);
    }
    for (size_t i = 0; i < count; ++i) {
        const size_t j = (i + 1) % count;
        const Vec3 edge = outline[j] - outline[i];
        AddRectangle(outline[i] + back, edge, n * thickness, material, variety + static_cast<std::uint32_t>(i) + 1);
    }
}

void Mesh::Translate(Vec3 offset) {
    for (Vertex& v : vertices) v.position = v.position + offset;
}

void Mesh::Bounds(Vec3& low, Vec3& high) const {
    const double big = std::numeric_limits<double>::max();
    low = {big, big, big};
    high = {-big, -big, -big};
    for (const Vertex& v : vertices) {
        low = {std::min(low.x, v.position.x), std::min(low.y, v.position.y), std::min(low.z, v.position.z)};
        high = {std::max(high.x, v.position.x), std::max(high.y, v.position.y), std::max(high.z, v.position.z)};
    }
}

double Mesh::SignedVolume6(size_t first) const {
    double volume = 0.0;
    for (size_t i = first; i < triangles.size(); ++i) {
        const Triangle& t = triangles[i];
        const Vec3 a = vertices[t.corners[0]].position, b = vertices[t.corners[1]].position,
                   c = vertices[t.corners[2]].position;
        volume += Dot(a, Cross(b, c));
    }
    return volume;
}
