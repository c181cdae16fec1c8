// Vertex normals of 3DS objects: their direction on simple shapes and where faces
// cancel out, and the linear-time construction against the direct scan of all
// faces per vertex, bit for bit.
#include <gtest/gtest.h>

#include <random>

#include "formats/vertex_normals.h"
#include "tests/unit/chunk_writer.h"
#include "tests/unit/model3ds_test_support.h"
#include "tests/unit/normal_scan.h"

namespace {

using namespace chunks;

std::vector<uint8_t> SingleObjectFile(const std::vector<float>& xyz, const std::vector<uint16_t>& abc) {
    ChunkWriter w;
    BeginFile(w);
    MeshObject(w, "Obj", xyz, abc);
    EndFile(w);
    return w.bytes;
}

void ExpectNormal(const Vector3& n, float x, float y, float z) {
    EXPECT_EQ(n.x, x);
    EXPECT_EQ(n.y, y);
    EXPECT_EQ(n.z, z);
}

TEST(Model3DSNormals, CoplanarTrianglesSharingAnEdgeFaceTheirFront) {
    // A unit square in the plane z = 2, both halves counter-clockwise seen from +z.
    const std::vector<float> square = {0, 0, 2, 3, 0, 2, 3, 3, 2, 0, 3, 2};
    Model3DS front;
    ASSERT_TRUE(ImportBytes(front, SingleObjectFile(square, {0, 1, 2, 0, 2, 3})));
    for (int k = 0; k < 4; ++k) ExpectNormal(front.model.objects[0].normals[k], 0, 0, 1);

    // The same triangles wound the other way face -z.
    Model3DS back;
    ASSERT_TRUE(ImportBytes(back, SingleObjectFile(square, {0, 2, 1, 0, 3, 2})));
    for (int k = 0; k < 4; ++k) ExpectNormal(back.model.objects[0].normals[k], 0, 0, -1);
}

TEST(Model3DSNormals, LargerFacesWeighMore) {
    // Vertex 0 is shared by a large face facing +z and a small one facing +x.
    Model3DS reader;
    ASSERT_TRUE(ImportBytes(reader, SingleObjectFile({0, 0, 0, 4, 0, 0, 0, 4, 0, 0, 1, 0, 0, 0, 1},
                                                     {0, 1, 2, 0, 3, 4})));
    const Vector3& n = reader.model.objects[0].normals[0];
    // Face normals (0, 0, 16) and (1, 0, 0): the sum's direction, normalised.
    EXPECT_NEAR(n.x, 1.0f / std::sqrt(257.0f), 1e-6f);
    EXPECT_EQ(n.y, 0.0f);
    EXPECT_NEAR(n.z, 16.0f / std::sqrt(257.0f), 1e-6f);
}

TEST(Model3DSNormals, FacesThatCancelOutGiveTheFrontOfTheFirstFace) {
    // A quad in the plane z = 0.3x + 0.2y drawn from both sides over the same
    // vertices, front first: the sums are zero but for rounding.
    const float corners[4][2] = {{0.1f, 0.2f}, {1.7f, 0.35f}, {1.3f, 1.9f}, {-0.3f, 1.75f}};
    std::vector<float> xyz;
    for (const auto& c : corners) xyz.insert(xyz.end(), {c[0], c[1], 0.3f * c[0] + 0.2f * c[1]});
    Model3DS reader;
    ASSERT_TRUE(ImportBytes(reader, SingleObjectFile(xyz, {0, 1, 2, 0, 2, 3, 0, 2, 1, 0, 3, 2})));
    const float length = std::sqrt(0.09f + 0.04f + 1.0f);
    for (int k = 0; k < 4; ++k) {
        const Vector3& n = reader.model.objects[0].normals[k];
        EXPECT_NEAR(n.x, -0.3f / length, 1e-5f) << k;
        EXPECT_NEAR(n.y, -0.2f / length, 1e-5f) << k;
        EXPECT_NEAR(n.z, 1.0f / length, 1e-5f) << k;
    }
}

TEST(Model3DSNormals, UnusedVertexGetsAZeroNormal) {
    Model3DS reader;
    ASSERT_TRUE(ImportBytes(reader, SingleObjectFile({0, 0, 0, 1, 0, 0, 0, 1, 0, 5, 5, 5}, {0, 1, 2})));
    const t3DObject& o = reader.model.objects[0];
    ExpectNormal(o.normals[3], 0, 0, 0);
    ExpectNormal(o.normals[1], 0, 0, 1);
}

// A mesh of random vertices and random faces, some naming a vertex twice or
// three times, some vertices used by no face.
t3DObject RandomObject(std::mt19937& random) {
    t3DObject o;
    o.numVerts = 1 + static_cast<int32_t>(random() % 300);
    o.numFaces = static_cast<int32_t>(random() % 700);
    o.verts = std::make_unique<Vector3[]>(o.numVerts);
    o.faces = std::make_unique<tTriangle[]>(o.numFaces);
    std::uniform_real_distribution<float> coordinate(-100.0f, 100.0f);
    for (int32_t k = 0; k < o.numVerts; ++k) o.verts[k] = {coordinate(random), coordinate(random), coordinate(random)};
    // Faces draw from the lower part of the vertices so that some stay unused.
    int32_t used = 1 + static_cast<int32_t>(random() % o.numVerts);
    for (int32_t j = 0; j < o.numFaces; ++j) {
        for (int32_t& index : o.faces[j].vertIndex) index = static_cast<int32_t>(random() % used);
        if (random() % 10 == 0) o.faces[j].vertIndex[2] = o.faces[j].vertIndex[0];
    }
    return o;
}

void ExpectSameAsScan(const t3DObject& o) {
    std::vector<Vector3> expected = ScanVertexNormals(o);
    for (int32_t k = 0; k < o.numVerts; ++k) {
        const Vector3& n = o.normals[k];
        if (std::isnan(expected[k].x)) {
            // Only faces without area use the vertex: no direction to be had.
            ASSERT_TRUE(n.x == 0.0f && n.y == 0.0f && n.z == 0.0f) << "vertex " << k;
            continue;
        }
        ASSERT_TRUE(SameBits(n.x, expected[k].x) && SameBits(n.y, expected[k].y) && SameBits(n.z, expected[k].z))
            << "vertex " << k << ": (" << n.x << ", " << n.y << ", " << n.z << ") against (" << expected[k].x << ", "
            << expected[k].y << ", " << expected[k].z << ")";
    }
}

TEST(Model3DSNormals, LinearBuildMatchesTheScanBitForBit) {
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        t3DObject o = RandomObject(random);
        BuildObjectNormals(o);
        ASSERT_NE(o.normals, nullptr);
        SCOPED_TRACE(round);
        ExpectSameAsScan(o);
    }
    // A closed shape, where every vertex sits in several faces.
    Model3DS reader;
    ASSERT_TRUE(ImportBytes(reader, SingleObjectFile({-1, -1, -1, 1, -1, -1, 1, 1, -1, -1, 1, -1, 0, 0, 1.5f},
                                                     {0, 2, 1, 0, 3, 2, 0, 1, 4, 1, 2, 4, 2, 3, 4, 3, 0, 4})));
    ExpectSameAsScan(reader.model.objects[0]);
}

}  // namespace
