// The one line the configuration dialog shows for a model file the user picked.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/model_summary.h"
#include "tests/unit/chunk_writer.h"
#include "tests/unit/ms3d_writer.h"

namespace {

TEST(ModelSummary, CountsTrianglesAndTexturesOfBothFormats) {
    MS3DWriter ms3d;
    std::vector<uint16_t> triangles;
    for (int i = 0; i < 617; ++i) {
        std::vector<uint16_t> square = ms3d.AddSquare(float(i), 0, float(i) + 1, 1);
        triangles.insert(triangles.end(), square.begin(), square.end());
    }
    ms3d.groups.push_back({triangles, 0});
    ms3d.materials.push_back(MS3DWriter::Plain(1, 1, 1, "wood.jpg"));
    ms3d.materials.push_back(MS3DWriter::Plain(1, 0, 0, "stone.bmp"));
    const std::string ms3dPath = WriteTestFile("summary.Ms3D", ms3d.Bytes());
    ModelFileSummary summary = SummarizeModelFile(ms3dPath);
    EXPECT_TRUE(summary.usable);
    EXPECT_EQ(summary.text, "1,234 triangles, 2 textures");

    ChunkWriter w;
    chunks::BeginFile(w);
    chunks::Material(w, "Plain", 1, 2, 3);
    chunks::Material(w, "Skin", 1, 2, 3, "SKIN.JPG");
    chunks::MeshObject(w, "Tri", {0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2});
    chunks::EndFile(w);
    const std::string threeDSPath = WriteTestFile("summary.3DS", w.bytes);
    summary = SummarizeModelFile(threeDSPath);
    EXPECT_TRUE(summary.usable);
    EXPECT_EQ(summary.text, "1 triangle, 1 texture");
    EXPECT_EQ(FileNamePart("C:\\Users\\me\\summary.3DS"), "summary.3DS");
    std::remove(ms3dPath.c_str());
    std::remove(threeDSPath.c_str());
}

TEST(ModelSummary, SaysWhyAFileCannotBeUsed) {
    MS3DWriter empty;
    MS3DWriter square;
    square.groups.push_back({square.AddSquare(0, 0, 1, 1), 0});
    std::vector<uint8_t> cut = square.Bytes();
    cut.resize(cut.size() / 2);
    const std::pair<std::string, const char*> cases[] = {
        {WriteTestFile("garbage.3ds", std::vector<uint8_t>(80, 'x')), "not a 3DS file"},
        {WriteTestFile("model.obj", std::vector<uint8_t>(80, 'x')), "no triangles"},
        {WriteTestFile("model.blend", std::vector<uint8_t>(80, 'x')), "not a 3DS, MS3D, OBJ, glTF, STL or PLY file"},
        {WriteTestFile("cut.ms3d", cut), "the file ends early"},
        {WriteTestFile("empty.ms3d", empty.Bytes()), "no triangles"},
        {::testing::TempDir() + "velmora_absent.3ds", "cannot be opened"},
    };
    for (const auto& [path, reason] : cases) {
        const ModelFileSummary summary = SummarizeModelFile(path);
        EXPECT_FALSE(summary.usable) << path;
        EXPECT_EQ(summary.text, reason) << path;
        std::remove(path.c_str());
    }
}

}  // namespace
