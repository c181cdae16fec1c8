// The 3DS reader on well-formed files built by the chunk writer: every chunk
// handler, the sub-chunks that handlers leave to the enclosing loop, material
// assignment, files without triangles, versions and the messages of a file that
// is not a 3DS file.
#include <gtest/gtest.h>

#include "tests/unit/chunk_writer.h"
#include "tests/unit/model3ds_test_support.h"

namespace {

using namespace chunks;

TEST(Model3DSReader, ReadsEveryHandledChunkAsWritten) {
    ReaderMessages messages;
    Model3DS reader;
    ASSERT_TRUE(ImportBytes(reader, SampleModelFile()));
    EXPECT_TRUE(messages.Boxes().empty());
    EXPECT_EQ(reader.version, 3u);

    const t3DModel& m = reader.model;
    ASSERT_EQ(m.numMaterials, 2);
    ASSERT_EQ(m.materials.size(), 2u);
    EXPECT_STREQ(m.materials[0].name, "Wood");
    EXPECT_STREQ(m.materials[0].fileName, "TEXTURE.JPG");
    EXPECT_EQ(m.materials[0].color[0], 200);
    EXPECT_EQ(m.materials[0].color[1], 150);
    EXPECT_EQ(m.materials[0].color[2], 100);
    EXPECT_STREQ(m.materials[1].name, "Paint");
    EXPECT_STREQ(m.materials[1].fileName, "");
    EXPECT_EQ(m.materials[1].color[2], 30);

    ASSERT_EQ(m.numObjects, 1);
    ASSERT_EQ(m.objects.size(), 1u);
    const t3DObject& o = m.objects[0];
    EXPECT_STREQ(o.name, "Box");
    ASSERT_EQ(o.numVerts, 4);
    // Stored exactly as the file has them: no axis swapped or negated.
    EXPECT_EQ(o.verts[0].x, 1.0f);
    EXPECT_EQ(o.verts[0].y, 2.0f);
    EXPECT_EQ(o.verts[0].z, 3.0f);
    EXPECT_EQ(o.verts[1].y, 5.5f);
    EXPECT_EQ(o.verts[1].z, -6.0f);
    EXPECT_EQ(o.verts[3].z, 1e6f);
    ASSERT_EQ(o.numFaces, 2);
    EXPECT_EQ(o.faces[1].vertIndex[0], 2);
    EXPECT_EQ(o.faces[1].vertIndex[1], 3);
    EXPECT_EQ(o.faces[1].vertIndex[2], 0);
    // The chunk after the face list chunk is still read in place.
    ASSERT_EQ(o.numTexCoords, 4);
    EXPECT_EQ(o.texCoords[2].u, 1.0f);
    EXPECT_EQ(o.texCoords[2].v, 1.0f);
    EXPECT_EQ(o.texCoords[3].u, 0.0f);
    EXPECT_EQ(o.texCoords[3].v, 1.0f);
    // The group nested in the face list reached the material assignment.
    EXPECT_EQ(o.materialIndex, 0);
    EXPECT_TRUE(o.hasTexture);
    ASSERT_NE(o.normals, nullptr);
}

TEST(Model3DSReader, FileAndMemoryGiveTheSameModel) {
    std::vector<uint8_t> bytes = SampleModelFile();
    TempFile file("same.3ds", bytes);
    Model3DS fromFile, fromMemory;
    ASSERT_TRUE(fromFile.Import(&fromFile.model, file.path.c_str()));
    ASSERT_TRUE(ImportBytes(fromMemory, bytes));
    ExpectSameModel(fromFile.model, fromMemory.model);
}

TEST(Model3DSReader, DiffuseColourIsTheFirstColourSubChunk) {
    ChunkWriter w;
    BeginFile(w);
    w.Begin(0xAFFF);
    w.Begin(0xA020);
    w.Begin(0x0013);  // floats, clamped to 0..1
    w.F32(0.6f);
    w.F32(1.5f);
    w.F32(-0.2f);
    w.End();
    w.Begin(0x0011);  // bytes, passed over
    w.U8(40);
    w.U8(50);
    w.U8(60);
    w.End();
    w.End();
    w.Begin(0xA000);
    w.Str("After");
    w.End();
    w.End();
    MeshObject(w, "Tri", {0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2});
    EndFile(w);

    Model3DS reader;
    ASSERT_TRUE(ImportBytes(reader, w.bytes));
    ASSERT_EQ(reader.model.numMaterials, 1);
    const tMaterialInfo& material = reader.model.materials[0];
    EXPECT_EQ(material.color[0], 153);
    EXPECT_EQ(material.color[1], 255);
    EXPECT_EQ(material.color[2], 0);
    EXPECT_STREQ(material.name, "After");
}

// One object with material groups naming the given materials, in order. Without
// the mesh version chunk the editor block's first chunk is the first material.
std::vector<uint8_t> ObjectWithGroups(const std::vector<std::string>& groups, bool materialsFirst = true,
                                      bool meshVersion = true) {
    ChunkWriter w;
    BeginFile(w, 3, meshVersion);
    if (materialsFirst) {
        Material(w, "Bare", 1, 2, 3);
        Material(w, "Textured", 4, 5, 6, "WALL.BMP");
        Material(w, "Plain", 7, 8, 9);
    }
    w.Begin(0x4000);
    w.Str("Thing");
    w.Begin(0x4100);
    Vertices(w, {0, 0, 0, 1, 0, 0, 0, 1, 0});
    BeginFaces(w, {0, 1, 2});
    for (const std::string& group : groups) MaterialGroup(w, group, {0});
    w.End();
    w.End();
    w.End();
    if (!materialsFirst) Material(w, "Textured", 4, 5, 6, "WALL.BMP");
    EndFile(w);
    return w.bytes;
}

TEST(Model3DSReader, MaterialGroupsAssignTheLastMatchAndKeepTexturing) {
    struct Case {
        std::vector<std::string> groups;
        int32_t materialIndex;
        bool hasTexture;
    } cases[] = {
        {{"Textured", "Plain"}, 2, true},  // texturing, once set, stays set
        {{"Plain", "Textured"}, 1, true},
        {{"Plain"}, 2, false},
        {{"Plain", "Nowhere"}, 2, false},  // an unknown name changes nothing
        {{"textured"}, 0, false},          // names compare with letter case
        {{}, 0, false},
    };
    for (const Case& c : cases) {
        for (bool meshVersion : {true, false}) {
            Model3DS reader;
            ASSERT_TRUE(ImportBytes(reader, ObjectWithGroups(c.groups, true, meshVersion)));
            const t3DObject& o = reader.model.objects[0];
            EXPECT_EQ(o.materialIndex, c.materialIndex) << c.groups.size() << meshVersion;
            EXPECT_EQ(o.hasTexture, c.hasTexture) << c.groups.size() << meshVersion;
        }
    }
    // A group is matched only against the materials read before it.
    Model3DS reader;
    ASSERT_TRUE(ImportBytes(reader, ObjectWithGroups({"Textured"}, false)));
    EXPECT_EQ(reader.model.numMaterials, 1);
    EXPECT_EQ(reader.model.objects[0].materialIndex, 0);
    EXPECT_FALSE(reader.model.objects[0].hasTexture);
}

TEST(Model3DSReader, NamedObjectWithoutMeshIsEmpty) {
    ChunkWriter w;
    BeginFile(w);
    w.Begin(0x4000);
    w.Str("Camera01");
    w.Begin(0x4700);  // camera
    w.Fill(32, 0x40);
    w.End();
    w.End();
    MeshObject(w, "Mesh", {0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2});
    EndFile(w);

    Model3DS reader;
    ASSERT_TRUE(ImportBytes(reader, w.bytes));
    ASSERT_EQ(reader.model.numObjects, 2);
    const t3DObject& camera = reader.model.objects[0];
    EXPECT_STREQ(camera.name, "Camera01");
    EXPECT_EQ(camera.numVerts, 0);
    EXPECT_EQ(camera.numFaces, 0);
    EXPECT_EQ(camera.numTexCoords, 0);
    EXPECT_EQ(camera.verts, nullptr);
    EXPECT_EQ(camera.faces, nullptr);
    EXPECT_EQ(camera.texCoords, nullptr);
    EXPECT_EQ(camera.materialIndex, 0);
    EXPECT_FALSE(camera.hasTexture);
    EXPECT_EQ(reader.model.objects[1].numFaces, 1);
}

TEST(Model3DSReader, FileWithoutTrianglesDoesNotLoad) {
    ChunkWriter w;
    BeginFile(w);
    w.Begin(0x4000);
    w.Str("Light01");
    w.Begin(0x4600);
    w.Fill(12, 0);
    w.End();
    w.End();
    MeshObject(w, "Points", {0, 0, 0, 1, 0, 0, 0, 1, 0}, {});
    EndFile(w);
    Model3DS reader;
    EXPECT_EQ(ReadFailure::Unsupported, ImportFailure(reader, w.bytes));
    EXPECT_EQ(reader.model.numObjects, 2);  // kept for inspection
}

TEST(Model3DSReader, VersionsAboveThreeWarnAndLoadAnyway) {
    for (uint32_t version : {0u, 3u, 4u, 0xFFFFFFFFu}) {
        ReaderMessages messages;
        Model3DS reader;
        ASSERT_TRUE(ImportBytes(reader, SampleModelFile(version))) << version;
        EXPECT_EQ(reader.version, version);
        EXPECT_EQ(reader.model.numObjects, 1);
        EXPECT_EQ(reader.model.objects[0].numFaces, 2);
        if (version > 3) {
            ASSERT_EQ(messages.Boxes().size(), 1u) << version;
            EXPECT_EQ(messages.Boxes()[0].caption, "Warning");
            EXPECT_EQ(messages.Boxes()[0].text, "This 3DS file is over version 3 so it may load incorrectly");
        } else {
            EXPECT_TRUE(messages.Boxes().empty()) << version;
        }
    }
}

TEST(Model3DSReader, NonThreeDSFileShowsTheErrorBoxAndStaysEmpty) {
    ReaderMessages messages;
    std::vector<uint8_t> bytes = SampleModelFile();
    bytes[0] = 0x4E;  // first chunk 0x4D4E
    TempFile file("wrong.3ds", bytes);
    Model3DS reader;
    const ReadResult result = reader.Import(&reader.model, file.path.c_str());
    EXPECT_EQ(ReadFailure::NotThisFormat, result.failure);
    EXPECT_FALSE(ReaderMessages::Keep(result));
    ASSERT_EQ(messages.Boxes().size(), 1u);
    EXPECT_EQ(messages.Boxes()[0].caption, "Error");
    EXPECT_EQ(messages.Boxes()[0].text, "Unable to load PRIMARY chuck from file: " + file.path + "!");
    EXPECT_EQ(reader.model.numObjects, 0);
    EXPECT_EQ(reader.model.numMaterials, 0);
    EXPECT_TRUE(reader.model.objects.empty());
}

TEST(Model3DSReader, MissingFileIsTracedWithoutABox) {
    ReaderMessages messages;
    Model3DS reader;
    std::string path = (std::filesystem::temp_directory_path() / "velmora_3ds_absent.3ds").string();
    EXPECT_EQ(ReadFailure::CannotOpen, reader.Import(&reader.model, path.c_str()).failure);
    EXPECT_TRUE(messages.Boxes().empty());
    ASSERT_EQ(messages.Traces().size(), 1u);
    EXPECT_EQ(messages.Traces()[0], "Unable to find the file: " + path + "!");
}

TEST(Model3DSReader, FreeMeshesReleasesEveryArray) {
    Model3DS reader;
    ASSERT_TRUE(ImportBytes(reader, SampleModelFile()));
    reader.FreeMeshes();
    const t3DObject& o = reader.model.objects[0];
    EXPECT_EQ(o.verts, nullptr);
    EXPECT_EQ(o.normals, nullptr);
    EXPECT_EQ(o.faces, nullptr);
    EXPECT_EQ(o.texCoords, nullptr);
    EXPECT_EQ(o.numVerts + o.numFaces + o.numTexCoords, 0);
    EXPECT_STREQ(o.name, "Box");
}

}  // namespace
