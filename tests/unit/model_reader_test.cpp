// The one way in from a path: the kind a file is read as (its contents where they
// tell, else its name) and ReadModel, which reads a renamed file by what it holds.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "formats/model_reader.h"
#include "tests/unit/chunk_writer.h"
#include "tests/unit/ms3d_writer.h"

namespace {

std::vector<uint8_t> Text(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

std::vector<uint8_t> OneTriangle3DS() {
    ChunkWriter w;
    chunks::BeginFile(w);
    chunks::MeshObject(w, "Tri", {0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2});
    chunks::EndFile(w);
    return w.bytes;
}

std::vector<uint8_t> OneSquareMS3D() {
    MS3DWriter w;
    w.groups.push_back({w.AddSquare(0, 0, 1, 1), -1});
    return w.Bytes();
}

TEST(ModelKinds, ContentsThatTellTheirFormatWinOverTheName) {
    const std::vector<uint8_t> threeDS = OneTriangle3DS(), ms3d = OneSquareMS3D();
    const std::vector<uint8_t> glb = Text("glTF\x02\x00\x00\x00"), junk(16, 'x');
    struct Case {
        const char* name;
        const std::vector<uint8_t>& bytes;
        ModelKind kind;
    } cases[] = {
        {"a.3ds", ms3d, ModelKind::MS3D},   {"a.obj", ms3d, ModelKind::MS3D},
        {"a.ms3d", threeDS, ModelKind::ThreeDS}, {"a", threeDS, ModelKind::ThreeDS},
        {"a.obj", glb, ModelKind::Gltf},     {"a.3DS", junk, ModelKind::ThreeDS},
        {"a.Ms3d", junk, ModelKind::MS3D},   {"a.OBJ", junk, ModelKind::Obj},
        {"a.gltf", junk, ModelKind::Gltf},   {"a.glb", junk, ModelKind::Gltf},
        {"a.blend", junk, ModelKind::None},  {"a.b3ds", junk, ModelKind::None},
    };
    for (const Case& c : cases) EXPECT_EQ(ModelKindOf(c.name, c.bytes.data(), c.bytes.size()), c.kind) << c.name;
    // Too short to tell anything: the name decides.
    EXPECT_EQ(ModelKindOf("a.ms3d", ms3d.data(), 9), ModelKind::MS3D);
    EXPECT_EQ(ModelKindOf("a.3ds", threeDS.data(), 5), ModelKind::ThreeDS);
    EXPECT_EQ(ModelKindOf("a.obj", nullptr, 0), ModelKind::Obj);
}

TEST(ModelKinds, ReadModelReadsARenamedFileByWhatItHolds) {
    const std::string ms3dAs3ds = WriteTestFile("renamed_ms3d.3ds", OneSquareMS3D());
    const std::string threeDSAsObj = WriteTestFile("renamed_3ds.obj", OneTriangle3DS());
    EXPECT_EQ(ModelKindOfFile(ms3dAs3ds), ModelKind::MS3D);
    EXPECT_EQ(ModelKindOfFile(threeDSAsObj), ModelKind::ThreeDS);
    TriangleModel model;
    ASSERT_TRUE(ReadModel(ms3dAs3ds, &model));
    EXPECT_EQ(model.TriangleCount(), 2);
    ASSERT_TRUE(ReadModel(threeDSAsObj, &model));
    EXPECT_EQ(model.TriangleCount(), 1);

    // No model kind at all, and a file that is not there.
    const std::string blend = WriteTestFile("model.blend", std::vector<uint8_t>(16, 'x'));
    EXPECT_EQ(ReadModel(blend, &model).failure, ReadFailure::NotThisFormat);
    EXPECT_EQ(model.TriangleCount(), 0);
    EXPECT_EQ(ReadModel(blend + ".absent.3ds", &model).failure, ReadFailure::CannotOpen);
    EXPECT_EQ(ModelKindOfFile(blend + ".absent.3ds"), ModelKind::ThreeDS);
    for (const std::string& path : {ms3dAs3ds, threeDSAsObj, blend}) std::remove(path.c_str());
}

}  // namespace
