// The packed default model as the asset generator wrote it into resources/:
// its structure, its normals against the direct scan, and cuts through it.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>

#include "tests/unit/model3ds_test_support.h"
#include "tests/unit/normal_scan.h"

namespace {

const char* const kDefaultModel = VELMORA_SOURCE_DIR "/resources/VLG.3DS";

// What the generator builds: one lodge object, every vertex with its texture
// coordinate pair.
constexpr int32_t kLodgeVertices = 6652;
constexpr int32_t kLodgeFaces = 5246;

std::vector<uint8_t> DefaultModelBytes() {
    std::ifstream in(kDefaultModel, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(Model3DSDefaultModel, ReadsAsGenerated) {
    ReaderMessages messages;
    Model3DS reader;
    ASSERT_TRUE(ReaderMessages::Keep(reader.Import(&reader.model, kDefaultModel)));
    EXPECT_TRUE(messages.Boxes().empty());
    EXPECT_EQ(reader.version, 3u);
    const t3DModel& m = reader.model;
    ASSERT_EQ(m.numMaterials, 1);
    EXPECT_STREQ(m.materials[0].fileName, "TEXTURE.JPG");
    ASSERT_EQ(m.numObjects, 1);
    const t3DObject& lodge = m.objects[0];
    EXPECT_EQ(lodge.numVerts, kLodgeVertices);
    EXPECT_EQ(lodge.numTexCoords, kLodgeVertices);
    EXPECT_EQ(lodge.numFaces, kLodgeFaces);
    // The material group nested in the face list reached the object.
    EXPECT_EQ(lodge.materialIndex, 0);
    EXPECT_TRUE(lodge.hasTexture);

    Model3DS fromMemory;
    std::vector<uint8_t> bytes = DefaultModelBytes();
    ASSERT_TRUE(ImportBytes(fromMemory, bytes));
    ExpectSameModel(m, fromMemory.model);
}

TEST(Model3DSDefaultModel, NormalsMatchTheScanAndHaveUnitLength) {
    Model3DS reader;
    ASSERT_TRUE(ReaderMessages::Keep(reader.Import(&reader.model, kDefaultModel)));
    const t3DObject& lodge = reader.model.objects[0];
    std::vector<Vector3> expected = ScanVertexNormals(lodge);
    for (int32_t k = 0; k < lodge.numVerts; ++k) {
        const Vector3& n = lodge.normals[k];
        ASSERT_TRUE(SameBits(n.x, expected[k].x) && SameBits(n.y, expected[k].y) && SameBits(n.z, expected[k].z))
            << "vertex " << k;
        // Every vertex of the lodge sits in a face of non-zero area.
        ASSERT_NEAR(std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z), 1.0f, 1e-5f) << "vertex " << k;
    }
}

TEST(Model3DSDefaultModel, CutsThroughTheFileFailCleanly) {
    std::vector<uint8_t> bytes = DefaultModelBytes();
    ASSERT_GT(bytes.size(), 1000u);
    for (size_t size = 0; size < bytes.size(); size += 997) {
        ReaderMessages messages;
        Model3DS reader;
        EXPECT_FALSE(ImportBytes(reader, bytes, size)) << size;
        EXPECT_EQ(reader.model.numObjects, 0) << size;
        EXPECT_EQ(reader.model.numMaterials, 0) << size;
    }
}

}  // namespace
