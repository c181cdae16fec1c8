// glTF models written here (binary, with a data URI buffer, with a buffer file beside
// them) read back as triangles, and damaged ones refused with their reason.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "formats/gltf_reader.h"
#include "tests/unit/gltf_writer.h"
#include "tests/unit/texture_files.h"

namespace {

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

ReadResult ReadText(const std::string& text, TriangleModel* model) {
    return ReadGltfBytes(reinterpret_cast<const unsigned char*>(text.data()), text.size(), "models/test.gltf", model);
}

void ExpectVector(const float* actual, std::vector<float> expected) {
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(actual[i], expected[i], 1e-5f) << "component " << i;
}

TEST(GltfReader, ATexturedGlbQuadReadsWithItsColourFlippedCoordinatesAndEmbeddedPicture) {
    GltfWriter w;
    // Positions and texture coordinates interleaved, 20 bytes a vertex.
    const int quad = w.View(BytesOf<float>({0, 0, 0, 0, 0, 2, 0, 0, 1, 0, 2, 1, 0, 1, 0.25f, 0, 1, 0, 0, 1}), 20);
    w.Accessor(quad, 0, kGltfFloat, "VEC3", 4);
    w.Accessor(quad, 12, kGltfFloat, "VEC2", 4);
    w.Indices({0, 1, 2, 0, 2, 3});
    const std::vector<uint8_t> jpeg = RedOverBlueJpeg(8, 8, false);
    w.doc.update(Json::parse(R"({"scene": 0, "scenes": [{"nodes": [0]}], "nodes": [{"mesh": 0}],
        "meshes": [{"primitives": [{"attributes": {"POSITION": 0, "TEXCOORD_0": 1}, "indices": 2, "material": 0}]}],
        "materials": [{"name": "Paint", "pbrMetallicRoughness":
                       {"baseColorFactor": [1, 0.5, 0.25, 1], "baseColorTexture": {"index": 0}}}],
        "textures": [{"source": 0}], "images": [{"mimeType": "image/jpeg"}]})"));
    w.doc["images"][0]["bufferView"] = w.View(jpeg);
    TempFolder folder("gltf_glb");
    TriangleModel model;
    const ReadResult result = ReadGltfFile(folder.Write("quad.glb", w.Glb()).c_str(), &model);
    ASSERT_TRUE(result) << ReadFailureText(result.failure) << ": " << result.detail;

    EXPECT_EQ(model.TriangleCount(), 2);
    ASSERT_EQ(model.materials.size(), 1u);
    EXPECT_EQ(model.materials[0].name, "Paint");
    ExpectVector(model.materials[0].baseColor, {1, 0.5f, 0.25f, 1});
    EXPECT_EQ(model.materials[0].embeddedImage, jpeg);
    EXPECT_TRUE(model.materials[0].textureFile.empty());
    ASSERT_EQ(model.batches.size(), 1u);
    const TriangleBatch& batch = model.batches[0];
    EXPECT_EQ(batch.material, 0);
    EXPECT_FALSE(batch.vertexColors);
    ASSERT_EQ(batch.corners.size(), 6u);
    ExpectVector(batch.corners[1].position, {2, 0, 0});
    ExpectVector(batch.corners[1].uv, {1, 1});
    ExpectVector(batch.corners[2].position, {2, 1, 0});
    ExpectVector(batch.corners[2].uv, {1, 0.75f});
    for (const TriangleCorner& corner : batch.corners) {
        ExpectVector(corner.normal, {0, 0, 1});  // none in the file: built from the faces
        ExpectVector(corner.color, {1, 1, 1, 1});
    }
}

TEST(GltfReader, NodeTransformsApplyDownTheTreeToPositionsAndNormals) {
    GltfWriter w;
    w.Floats({1, 0, 0, 0, 1, 0, 0, 0, 1}, "VEC3");
    const float s = std::sqrt(0.5f);
    w.Floats({s, s, 0, s, s, 0, s, s, 0}, "VEC3");
    w.Accessor(w.View({255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0}), 0, kGltfUnsignedByte, "VEC4", 3, true);
    const std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 1, 2, 3};
    // The parent moves and stretches along x; the child turns a quarter about z and
    // names its parent as a child of its own, a cycle that must end.
    w.doc.update(Json::parse(R"({"scenes": [{"nodes": [0]}],
        "nodes": [{"translation": [10, 0, 0], "scale": [2, 1, 1], "children": [1]},
                  {"rotation": [0, 0, 0.70710678, 0.70710678], "mesh": 0, "children": [0]}],
        "meshes": [{"primitives": [{"attributes": {"POSITION": 0, "NORMAL": 1, "COLOR_0": 2}, "material": 0}]}],
        "materials": [{"pbrMetallicRoughness": {"baseColorTexture": {"index": 0}}}],
        "textures": [{"source": 0}]})"));
    w.doc["images"] = Json::array({{{"uri", "data:image/png;base64," + Base64(png)}}});
    TriangleModel model;
    const ReadResult result = ReadText(w.Gltf(), &model);
    ASSERT_TRUE(result) << ReadFailureText(result.failure) << ": " << result.detail;

    ASSERT_EQ(model.batches.size(), 1u);
    const TriangleBatch& batch = model.batches[0];
    ASSERT_EQ(batch.corners.size(), 3u);
    ExpectVector(batch.corners[0].position, {10, 1, 0});
    ExpectVector(batch.corners[1].position, {8, 0, 0});
    ExpectVector(batch.corners[2].position, {10, 0, 1});
    // Normals go through the inverse transpose: the stretch along x tilts them away from x.
    const float r = 1 / std::sqrt(5.0f);
    for (const TriangleCorner& corner : batch.corners) ExpectVector(corner.normal, {-r, 2 * r, 0});
    EXPECT_TRUE(batch.vertexColors);
    ExpectVector(batch.corners[1].color, {0, 1, 0, 128 / 255.0f});
    EXPECT_EQ(model.materials[0].embeddedImage, png);
}

TEST(GltfReader, StripsAndFansBecomeTrianglesFromAFileBesideTheModelAndLinesAreIgnored) {
    GltfWriter w;
    w.Floats({0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0, 0, 2, 0}, "VEC3");
    w.Accessor(w.View({0, 1, 3, 4}), 0, kGltfUnsignedByte, "SCALAR", 4);
    w.doc.update(Json::parse(R"({"nodes": [{"mesh": 0}], "meshes": [{"primitives": [
        {"attributes": {"POSITION": 0}, "mode": 5, "material": 0},
        {"attributes": {"POSITION": 0}, "mode": 6, "indices": 1},
        {"attributes": {"POSITION": 0}, "mode": 1}]}],
        "materials": [{"pbrMetallicRoughness": {"baseColorTexture": {"index": 0}}}],
        "textures": [{"source": 0}], "images": [{"uri": "wood%20grain.png"}]})"));
    TempFolder folder("gltf_external");
    folder.Write("strip data.bin", w.bin);
    TriangleModel model;
    const ReadResult result = ReadGltfFile(folder.Write("shapes.gltf", Bytes(w.Gltf("strip%20data.bin"))).c_str(), &model);
    ASSERT_TRUE(result) << ReadFailureText(result.failure) << ": " << result.detail;

    ASSERT_EQ(model.batches.size(), 2u);
    EXPECT_EQ(model.materials[0].textureFile, folder.File("wood grain.png"));
    auto positions = [](const TriangleBatch& batch) {
        std::vector<float> xy;
        for (const TriangleCorner& corner : batch.corners) xy.insert(xy.end(), {corner.position[0], corner.position[1]});
        return xy;
    };
    // Every other triangle of the strip takes its corners the other way round, so all face +z.
    EXPECT_EQ(positions(model.batches[0]), std::vector<float>({0, 0, 1, 0, 0, 1,  1, 0, 1, 1, 0, 1,  0, 1, 1, 1, 0, 2}));
    EXPECT_EQ(positions(model.batches[1]), std::vector<float>({0, 0, 1, 0, 1, 1,  0, 0, 1, 1, 0, 2}));
}

// A triangle: positions 0, indices 1; change lets a case break it.
std::vector<uint8_t> Triangle(void (*change)(GltfWriter&), size_t missing = 0) {
    GltfWriter w;
    w.Floats({0, 0, 0, 1, 0, 0, 0, 1, 0}, "VEC3");
    w.Indices({0, 1, 2});
    w.doc.update(Json::parse(R"({"nodes": [{"mesh": 0}],
        "meshes": [{"primitives": [{"attributes": {"POSITION": 0}, "indices": 1}]}]})"));
    change(w);
    return w.Glb(missing);
}

TEST(GltfReader, DamagedFilesAreRefusedWithTheirReason) {
    std::vector<uint8_t> cut = Triangle([](GltfWriter&) {});
    cut.resize(cut.size() - 10);
    const struct {
        const char* name;
        std::vector<uint8_t> file;
        ReadFailure failure;
        const char* detail;
    } cases[] = {
        {"cut binary", cut, ReadFailure::Truncated, "shorter than its header says"},
        // The library itself lets these 8 bytes be read past the end.
        {"binary chunk past the end", Triangle([](GltfWriter&) {}, 8), ReadFailure::Truncated, "past the end"},
        {"JSON that is no glTF", Bytes(R"({"name": "package", "version": "1.0"})"), ReadFailure::NotThisFormat, "not glTF"},
        {"no JSON", Bytes("solid cube\nfacet normal 0 0 1\n"), ReadFailure::NotThisFormat, ""},
        {"Draco", Triangle([](GltfWriter& w) { w.doc["extensionsRequired"] = {"KHR_draco_mesh_compression"}; }),
         ReadFailure::Unsupported, "requires KHR_draco_mesh_compression"},
        {"accessor past its buffer", Triangle([](GltfWriter& w) { w.doc["accessors"][0]["count"] = 4; }),
         ReadFailure::Truncated, "accessor 0 past its buffer view"},
        {"index past the vertices", Triangle([](GltfWriter& w) { w.doc["accessors"][0]["count"] = 2; }),
         ReadFailure::NotThisFormat, "index 2 past 2 vertices"},
        {"image past its buffer", Triangle([](GltfWriter& w) {
             w.doc["bufferViews"].push_back({{"buffer", 0}, {"byteOffset", 40}, {"byteLength", 1000000}});
             w.doc["images"] = Json::array({{{"bufferView", 2}, {"mimeType", "image/png"}}});
         }), ReadFailure::Truncated, "image 0 past its buffer"},
        {"deep extras", Triangle([](GltfWriter& w) {
             for (int i = 0; i < 100; ++i) w.doc["extras"] = Json::array({w.doc.value("extras", Json::array())});
         }), ReadFailure::TooLarge, "nested"},
        {"lines only", Triangle([](GltfWriter& w) { w.doc["meshes"][0]["primitives"][0]["mode"] = 1; }),
         ReadFailure::Unsupported, "no triangles"},
    };
    for (const auto& c : cases) {
        const std::vector<uint8_t> exact(c.file);  // no spare capacity: the sanitizers see reads past the end
        TriangleModel model;
        const ReadResult result = ReadGltfBytes(exact.data(), exact.size(), "models/damaged.glb", &model);
        EXPECT_EQ(result.failure, c.failure) << c.name << ": " << result.detail;
        EXPECT_NE(result.detail.find(c.detail), std::string::npos) << c.name << ": " << result.detail;
        EXPECT_TRUE(model.batches.empty()) << c.name;
    }
}

}  // namespace
