// The 3DS reader on damaged and hostile files: oversized payloads, strings longer
// than their fields, files cut short, chunk lengths that do not fit, deep
// nesting, faces naming missing vertices and random bytes. Nothing may read
// outside a buffer, spin or recurse without bound.
#include <gtest/gtest.h>

#include <random>

#include "platform/little_endian.h"
#include "tests/unit/chunk_writer.h"
#include "tests/unit/model3ds_test_support.h"

namespace {

using namespace chunks;

void ExpectEmpty(const t3DModel& m) {
    EXPECT_EQ(m.numObjects, 0);
    EXPECT_EQ(m.numMaterials, 0);
    EXPECT_TRUE(m.objects.empty());
    EXPECT_TRUE(m.materials.empty());
}

TEST(Model3DSDamaged, StringsFillTheirFieldsAndTheRestIsStillCounted) {
    const std::string longMaterial(300, 'M');
    ChunkWriter w;
    BeginFile(w);
    w.Begin(0xAFFF);
    w.Begin(0xA000);
    w.Str(longMaterial);
    w.End();
    w.Begin(0xA200);
    w.Begin(0xA300);
    w.Str(std::string(260, 'F'));
    w.End();
    w.End();
    w.Begin(0xA020);
    w.Begin(0x0011);
    w.U8(1);
    w.U8(2);
    w.U8(3);
    w.End();
    w.End();
    w.End();
    w.Begin(0xAFFF);
    w.Begin(0xA000);
    w.Str("LongFirstName");
    w.End();
    w.Begin(0xA000);  // a second, shorter name without its NUL
    w.U8('a');
    w.U8('b');
    w.End();
    w.End();
    w.Begin(0x4000);  // an object name that runs to the end of its chunk
    w.U8('X');
    w.U8('Y');
    w.End();
    w.Begin(0x4000);
    w.Str(std::string(400, 'N'));
    w.Begin(0x4100);
    Vertices(w, {1, 2, 3, 4, 5, 6, 7, 8, 10});
    BeginFaces(w, {0, 1, 2});
    MaterialGroup(w, longMaterial, {0});
    w.End();
    w.End();
    w.End();
    EndFile(w);

    Model3DS reader;
    ASSERT_TRUE(ImportBytes(reader, w.bytes));
    const tMaterialInfo& material = reader.model.materials[0];
    EXPECT_EQ(std::string(material.name), std::string(254, 'M'));
    EXPECT_EQ(std::string(material.fileName), std::string(254, 'F'));
    EXPECT_EQ(material.color[2], 3);  // the chunk after the long ones is read in place
    EXPECT_STREQ(reader.model.materials[1].name, "ab");
    EXPECT_STREQ(reader.model.objects[0].name, "XY");
    const t3DObject& o = reader.model.objects[1];
    EXPECT_EQ(std::string(o.name), std::string(254, 'N'));
    ASSERT_EQ(o.numVerts, 3);
    EXPECT_EQ(o.verts[2].z, 10.0f);
    // The group's name is cut the same way, so it still finds its material.
    EXPECT_TRUE(o.hasTexture);
}

TEST(Model3DSDamaged, PayloadsLongerThanTheirFieldsArePassedOver) {
    ChunkWriter w;
    w.Begin(0x4D4D);
    w.Begin(0x0002);  // 8 bytes of version
    w.U32(4);
    w.U32(0xDEADBEEF);
    w.End();
    w.Begin(0x3D3D);
    w.Begin(0x3D3E);
    w.End();
    w.Begin(0xAFFF);
    w.Begin(0xA020);
    w.Begin(0x0010);  // a float colour
    w.F32(1.0f);
    w.F32(0.5f);
    w.F32(0.25f);
    w.End();
    w.End();
    w.Begin(0xA000);
    w.Str("Next");
    w.End();
    w.End();
    w.Begin(0x4000);
    w.Str("Obj");
    w.Begin(0x4100);
    w.Begin(0x4110);  // count 1, data for 3 vertices
    w.U16(1);
    for (int i = 0; i < 9; ++i) w.F32(static_cast<float>(i + 1));
    w.End();
    w.Begin(0x4140);  // count 1, data for 2 pairs
    w.U16(1);
    for (int i = 0; i < 4; ++i) w.F32(static_cast<float>(i + 10));
    w.End();
    BeginFaces(w, {0, 0, 0});
    w.End();
    w.End();
    w.End();
    w.End();
    w.End();

    ReaderMessages messages;
    Model3DS reader;
    ASSERT_TRUE(ImportBytes(reader, w.bytes));
    EXPECT_EQ(reader.version, 4u);
    EXPECT_EQ(messages.Boxes().size(), 1u);
    const tMaterialInfo& material = reader.model.materials[0];
    EXPECT_EQ(material.color[0], 255);
    EXPECT_EQ(material.color[1], 128);
    EXPECT_EQ(material.color[2], 64);
    EXPECT_STREQ(material.name, "Next");
    const t3DObject& o = reader.model.objects[0];
    ASSERT_EQ(o.numVerts, 1);
    EXPECT_EQ(o.verts[0].z, 3.0f);
    ASSERT_EQ(o.numTexCoords, 1);
    EXPECT_EQ(o.texCoords[0].v, 11.0f);
    EXPECT_EQ(o.numFaces, 1);
}

TEST(Model3DSDamaged, CountsAboveTheDataReadOnlyWhatIsThere) {
    ChunkWriter w;
    BeginFile(w);
    w.Begin(0x4000);
    w.Str("Obj");
    w.Begin(0x4100);
    w.Begin(0x4110);  // count 3, data for 2 vertices
    w.U16(3);
    for (int i = 0; i < 6; ++i) w.F32(static_cast<float>(i + 1));
    w.End();
    w.Begin(0x4120);  // count 5, data for 2 faces
    w.U16(5);
    for (uint16_t index : {0, 1, 2, 7, 2, 1, 0, 7}) w.U16(index);
    w.End();
    w.End();
    w.End();
    EndFile(w);

    Model3DS reader;
    ASSERT_TRUE(ImportBytes(reader, w.bytes));
    const t3DObject& o = reader.model.objects[0];
    ASSERT_EQ(o.numVerts, 3);
    EXPECT_EQ(o.verts[1].z, 6.0f);
    EXPECT_EQ(o.verts[2].x, 0.0f);
    EXPECT_EQ(o.verts[2].z, 0.0f);
    ASSERT_EQ(o.numFaces, 2);
    EXPECT_EQ(o.faces[1].vertIndex[0], 2);
}

TEST(Model3DSDamaged, FileCutAtEveryOffsetFailsCleanly) {
    const std::vector<uint8_t> bytes = SampleModelFile();
    // The key-frame block follows the editor block, at 16 after the primary header
    // and the version chunk. A cut in it loses only animation: the meshes load.
    const size_t keyframes = 16 + LittleEndian32(&bytes[18]);
    Model3DS whole;
    ASSERT_TRUE(ImportBytes(whole, bytes));
    for (size_t size = 0; size < bytes.size(); ++size) {
        ReaderMessages messages;
        Model3DS reader;
        const ReadResult result = reader.ImportMemory(&reader.model, bytes.data(), size, "cut.3ds");
        ReaderMessages::Keep(result);
        if (size >= keyframes) {
            EXPECT_TRUE(result) << size;
            ExpectSameModel(whole.model, reader.model);
            continue;
        }
        // Too short for the first header is no 3DS file; past it, the file ends early.
        EXPECT_EQ(size < 6 ? ReadFailure::NotThisFormat : ReadFailure::Truncated, result.failure) << size;
        ExpectEmpty(reader.model);
        // Only a file too short for the first header counts as not a 3DS file.
        EXPECT_EQ(messages.Boxes().size(), size < 6 ? 1u : 0u) << size;
    }
    // Files go through the same reading: a few cuts through a real file.
    for (size_t size : {size_t(0), size_t(3), size_t(40), bytes.size() / 2, keyframes - 1}) {
        ReaderMessages messages;
        TempFile file("cut.3ds", std::vector<uint8_t>(bytes.begin(), bytes.begin() + size));
        Model3DS reader;
        EXPECT_FALSE(ReaderMessages::Keep(reader.Import(&reader.model, file.path.c_str()))) << size;
        ExpectEmpty(reader.model);
    }
}

// An object whose loop meets a child with the given length right after its
// vertices, followed by a second, intact object.
std::vector<uint8_t> ObjectWithBrokenChild(uint32_t brokenLength) {
    ChunkWriter w;
    BeginFile(w);
    w.Begin(0x4000);
    w.Str("First");
    w.Begin(0x4100);
    Vertices(w, {0, 0, 0, 1, 0, 0, 0, 1, 0});
    size_t broken = w.Begin(0x4160);
    w.Fill(12, 0);
    w.End();
    w.SetLength(broken, brokenLength);
    BeginFaces(w, {0, 1, 2});
    w.End();
    w.End();
    w.End();
    MeshObject(w, "Second", {0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2});
    EndFile(w);
    return w.bytes;
}

TEST(Model3DSDamaged, ChunkLengthThatDoesNotFitEndsOnlyItsLevel) {
    for (uint32_t length : {0u, 1u, 5u, 1000u, 0xFFFFFFFFu}) {
        Model3DS reader;
        ASSERT_TRUE(ImportBytes(reader, ObjectWithBrokenChild(length))) << length;
        ASSERT_EQ(reader.model.numObjects, 2) << length;
        const t3DObject& first = reader.model.objects[0];
        EXPECT_EQ(first.numVerts, 3);
        EXPECT_EQ(first.numFaces, 0) << length;  // after the broken child, unread
        EXPECT_STREQ(reader.model.objects[1].name, "Second");
        EXPECT_EQ(reader.model.objects[1].numFaces, 1) << length;
    }
    Model3DS intact;
    ASSERT_TRUE(ImportBytes(intact, ObjectWithBrokenChild(18)));
    EXPECT_EQ(intact.model.objects[0].numFaces, 1);
}

TEST(Model3DSDamaged, BrokenFirstSubChunksAreSkippedWithTheirChunk) {
    ChunkWriter w;
    w.Begin(0x4D4D);
    w.Begin(0x3D3D);
    size_t meshVersion = w.Begin(0x3D3E);
    w.U32(3);
    w.End();
    w.SetLength(meshVersion, 2);
    w.Begin(0x4000);  // inside the broken editor block: not read
    w.Str("Hidden");
    w.End();
    w.End();
    w.Begin(0xAFFF);
    w.Begin(0xA020);
    size_t colour = w.Begin(0x0011);
    w.U8(9);
    w.U8(9);
    w.U8(9);
    w.End();
    w.SetLength(colour, 500);
    w.End();
    w.Begin(0xA000);
    w.Str("Kept");
    w.End();
    w.End();
    w.End();

    Model3DS reader;
    ASSERT_EQ(ReadFailure::Unsupported, ImportFailure(reader, w.bytes));  // no triangles
    EXPECT_EQ(reader.model.numObjects, 0);
    ASSERT_EQ(reader.model.numMaterials, 1);
    EXPECT_EQ(reader.model.materials[0].color[0], 0);
    EXPECT_STREQ(reader.model.materials[0].name, "Kept");
}

TEST(Model3DSDamaged, PrimaryChunkShorterThanItsHeaderGivesAnEmptyModel) {
    ChunkWriter w;
    size_t primary = w.Begin(0x4D4D);
    w.End();
    w.SetLength(primary, 2);
    w.Fill(20, 0xAB);
    Model3DS reader;
    EXPECT_EQ(ReadFailure::Unsupported, ImportFailure(reader, w.bytes));  // no triangles
    ExpectEmpty(reader.model);
}

// depth editor blocks (or meshes) one inside the other with an object at the bottom.
std::vector<uint8_t> NestedFile(int depth, bool meshes) {
    ChunkWriter w;
    w.Begin(0x4D4D);
    if (meshes) {
        w.Begin(0x4000);
        w.Str("Deep");
        for (int i = 0; i < depth; ++i) w.Begin(0x4100);
        Vertices(w, {1, 1, 1});
        for (int i = 0; i < depth; ++i) w.End();
        w.End();
    } else {
        for (int i = 0; i < depth; ++i) {
            w.Begin(0x3D3D);
            w.Begin(0x3D3E);
            w.End();
        }
        w.Begin(0x4000);
        w.Str("Deep");
        w.End();
        for (int i = 0; i < depth; ++i) w.End();
    }
    w.Begin(0xAFFF);  // after the nesting, at the top level
    w.End();
    w.End();
    return w.bytes;
}

TEST(Model3DSDamaged, NestingIsBounded) {
    for (bool meshes : {false, true}) {  // no triangles: read through, then unsupported
        Model3DS shallow;
        ASSERT_EQ(ReadFailure::Unsupported, ImportFailure(shallow, NestedFile(10, meshes)));
        ASSERT_EQ(shallow.model.numObjects, 1);
        if (meshes) {
            EXPECT_EQ(shallow.model.objects[0].numVerts, 1);
        }

        Model3DS deep;
        ASSERT_EQ(ReadFailure::Unsupported, ImportFailure(deep, NestedFile(50000, meshes))) << meshes;
        EXPECT_EQ(deep.model.numObjects, meshes ? 1 : 0);
        if (meshes) {
            EXPECT_EQ(deep.model.objects[0].numVerts, 0);
        }
        EXPECT_EQ(deep.model.numMaterials, 1) << meshes;
    }
}

TEST(Model3DSDamaged, FacesNamingMissingVerticesAreDropped) {
    ChunkWriter w;
    BeginFile(w);
    w.Begin(0x4000);
    w.Str("Obj");
    w.Begin(0x4100);
    BeginFaces(w, {0, 1, 2, 0, 1, 3, 2, 1, 0, 65535, 0, 1});  // before the vertices
    w.End();
    Vertices(w, {0, 0, 0, 1, 0, 0, 0, 1, 0});
    w.End();
    w.End();
    MeshObject(w, "NoVerts", {}, {0, 1, 2});  // faces and no vertices
    EndFile(w);

    Model3DS reader;
    ASSERT_TRUE(ImportBytes(reader, w.bytes));
    const t3DObject& o = reader.model.objects[0];
    ASSERT_EQ(o.numFaces, 2);
    EXPECT_EQ(o.faces[0].vertIndex[2], 2);
    EXPECT_EQ(o.faces[1].vertIndex[0], 2);
    EXPECT_EQ(o.faces[1].vertIndex[2], 0);
    EXPECT_EQ(reader.model.objects[1].numFaces, 0);
}

// Random chunk trees of known IDs with random lengths and payloads.
std::vector<uint8_t> RandomFile(std::mt19937& random) {
    static const uint16_t ids[] = {0x0002, 0x3D3D, 0x4000, 0xAFFF, 0xB000, 0x4100, 0x4110, 0x4120, 0x4130,
                                   0x4140, 0x4150, 0xA000, 0xA020, 0xA200, 0xA300, 0x0011, 0x4D4D};
    ChunkWriter w;
    w.Begin(0x4D4D);
    int open = 1;
    int steps = static_cast<int>(random() % 60);
    for (int i = 0; i < steps; ++i) {
        switch (random() % 5) {
            case 0:
            case 1: {
                size_t at = w.Begin(ids[random() % (sizeof ids / sizeof ids[0])]);
                ++open;
                if (random() % 8 == 0) {
                    w.End();
                    --open;
                    w.SetLength(at, random() % 64);
                }
                break;
            }
            case 2: w.U16(static_cast<uint16_t>(random() % 8)); break;
            case 3: w.Fill(random() % 24, static_cast<uint8_t>(random())); break;
            default:
                if (open > 1) {
                    w.End();
                    --open;
                }
                break;
        }
    }
    while (open-- > 0) w.End();
    return w.bytes;
}

TEST(Model3DSDamaged, RandomChunkTreesKeepTheModelConsistent) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> bytes = RandomFile(random);
        if (random() % 2) bytes.resize(random() % (bytes.size() + 1));
        ReaderMessages messages;
        Model3DS reader;
        const ReadFailure failure = ImportFailure(reader, bytes);
        const t3DModel& m = reader.model;
        ASSERT_EQ(m.numObjects, static_cast<int32_t>(m.objects.size())) << round;
        ASSERT_EQ(m.numMaterials, static_cast<int32_t>(m.materials.size())) << round;
        // A file without triangles keeps what it held; every other failure nothing.
        if (failure != ReadFailure::None && failure != ReadFailure::Unsupported) ExpectEmpty(m);
        for (const t3DObject& o : m.objects) {
            ASSERT_LT(std::strlen(o.name), size_t(kModelNameLength));
            for (int32_t j = 0; j < o.numFaces; ++j) {
                for (int32_t index : o.faces[j].vertIndex) ASSERT_LT(index, o.numVerts) << round;
            }
        }
    }
}

}  // namespace
