// The MS3D reader on files built by the test writer: header and version checks,
// the four blocks as stored, the texture path rule, and damaged files, which
// must be rejected without a read outside the file image.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/model_reader.h"
#include "formats/ms3d_model.h"
#include "tests/unit/ms3d_writer.h"

namespace {

bool Parse(MS3DModel& model, const std::vector<uint8_t>& bytes, const char* path = "D:\\m\\a.ms3d") {
    // A copy of exactly the file's size, so the sanitizers see any read past it.
    std::vector<uint8_t> image(bytes);
    return static_cast<bool>(model.parse(image.empty() ? nullptr : image.data(), image.size(), path));
}

ReadFailure ParseFailure(const std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> image(bytes);
    MS3DModel model;
    return model.parse(image.empty() ? nullptr : image.data(), image.size(), "a.ms3d").failure;
}

void ExpectEmpty(const MS3DModel& model) {
    EXPECT_EQ(model.numVertices, 0);
    EXPECT_EQ(model.numTriangles, 0);
    EXPECT_EQ(model.numMeshes, 0);
    EXPECT_EQ(model.numMaterials, 0);
    EXPECT_EQ(model.vertices, nullptr);
    EXPECT_EQ(model.triangles, nullptr);
    EXPECT_EQ(model.meshes, nullptr);
    EXPECT_EQ(model.materials, nullptr);
}

// Two squares in two groups, two materials, and data after the material block.
MS3DWriter SampleFile() {
    MS3DWriter w;
    std::vector<uint16_t> a = w.AddSquare(-1, -1, 0, 1);
    std::vector<uint16_t> b = w.AddSquare(0, -1, 1, 1);
    w.triangles[1].t[2] = 0.25f;
    w.triangles[1].s[2] = 0.25f;
    w.triangles[2].normal[0] = 0.5f;
    w.groups.push_back({a, 0});
    w.groups.push_back({{b[1], b[0], a[0]}, -1});
    MS3DWriter::Material m = MS3DWriter::Plain(0.1f, 0.2f, 0.3f, ".\\wood.jpg");
    m.ambient[0] = 0.7f;
    m.diffuse[1] = 0.6f;
    m.specular[2] = 0.5f;
    m.shininess = 12.5f;
    w.materials.push_back(m);
    w.materials.push_back(MS3DWriter::Plain(1, 1, 1));
    return w;
}

TEST(MS3DReader, ReadsEveryBlockAsStored) {
    MS3DWriter w = SampleFile();
    MS3DModel model;
    ASSERT_TRUE(Parse(model, w.Bytes()));
    EXPECT_EQ(model.version, 4);

    ASSERT_EQ(model.numVertices, 8);
    EXPECT_EQ(model.vertices[2].location[0], 0.0f);
    EXPECT_EQ(model.vertices[2].location[1], 1.0f);
    EXPECT_EQ(model.vertices[5].location[0], 1.0f);
    EXPECT_EQ(model.vertices[5].location[1], -1.0f);

    ASSERT_EQ(model.numTriangles, 4);
    const MS3DTriangle& t1 = model.triangles[1];
    EXPECT_EQ(t1.vertexIndices[0], 0);
    EXPECT_EQ(t1.vertexIndices[1], 2);
    EXPECT_EQ(t1.vertexIndices[2], 3);
    // t is stored as 1 - value; s as it is.
    EXPECT_EQ(t1.t[0], 0.0f);
    EXPECT_EQ(t1.t[1], 1.0f);
    EXPECT_EQ(t1.t[2], 0.75f);
    EXPECT_EQ(t1.s[1], 1.0f);
    EXPECT_EQ(t1.s[2], 0.25f);
    EXPECT_EQ(model.triangles[2].vertexNormals[1][0], 0.5f);
    EXPECT_EQ(model.triangles[2].vertexNormals[2][2], 1.0f);

    ASSERT_EQ(model.numMeshes, 2);
    EXPECT_EQ(model.meshes[0].materialIndex, 0);
    ASSERT_EQ(model.meshes[0].numTriangles, 2);
    EXPECT_EQ(model.meshes[0].triangleIndices[1], 1);
    // The byte 0xFF is -1: no material.
    EXPECT_EQ(model.meshes[1].materialIndex, -1);
    ASSERT_EQ(model.meshes[1].numTriangles, 3);
    EXPECT_EQ(model.meshes[1].triangleIndices[0], 3);
    EXPECT_EQ(model.meshes[1].triangleIndices[2], 0);

    ASSERT_EQ(model.numMaterials, 2);
    const MS3DMaterial& m = model.materials[0];
    EXPECT_EQ(m.ambient[0], 0.7f);
    EXPECT_EQ(m.diffuse[1], 0.6f);
    EXPECT_EQ(m.specular[2], 0.5f);
    EXPECT_EQ(m.emissive[0], 0.1f);
    EXPECT_EQ(m.emissive[2], 0.3f);
    EXPECT_EQ(m.emissive[3], 1.0f);
    EXPECT_EQ(m.shininess, 12.5f);
    EXPECT_STREQ(m.textureFilename.get(), "D:\\m\\wood.jpg");
    EXPECT_STREQ(model.materials[1].textureFilename.get(), "");
}

TEST(MS3DReader, AcceptsVersionThreeAndLaterOnly) {
    for (int32_t version : {3, 4, 5, 1000, 0x7FFFFFFF}) {
        MS3DWriter w = SampleFile();
        w.version = version;
        MS3DModel model;
        EXPECT_TRUE(Parse(model, w.Bytes())) << version;
        EXPECT_EQ(model.numTriangles, 4) << version;
    }
    for (int32_t version : {2, 0, -1, static_cast<int32_t>(0x80000000)}) {
        MS3DWriter w = SampleFile();
        w.version = version;
        MS3DModel model;
        EXPECT_FALSE(Parse(model, w.Bytes())) << version;
        ExpectEmpty(model);
        EXPECT_EQ(ReadFailure::Unsupported, ParseFailure(w.Bytes())) << version;
    }
}

TEST(MS3DReader, RejectsAnotherIdentifierWithoutAMessage) {
    MS3DMessages messages;
    for (const char* id : {"MS3D000001", "ms3d000000", "3DS0000000"}) {
        MS3DWriter w = SampleFile();
        std::memcpy(w.identifier, id, 10);
        MS3DModel model;
        EXPECT_FALSE(Parse(model, w.Bytes())) << id;
        ExpectEmpty(model);
        EXPECT_EQ(ReadFailure::NotThisFormat, ParseFailure(w.Bytes())) << id;
    }
    EXPECT_TRUE(messages.boxes().empty());
}

TEST(MS3DReader, CountsOfZeroGiveEmptyBlocks) {
    MS3DWriter w;
    MS3DModel model;
    ASSERT_TRUE(Parse(model, w.Bytes()));
    ExpectEmpty(model);

    // Groups without triangles, and materials without any geometry.
    w.groups.push_back({{}, 0});
    w.materials.push_back(MS3DWriter::Plain(1, 0, 0));
    ASSERT_TRUE(Parse(model, w.Bytes()));
    EXPECT_EQ(model.numVertices, 0);
    EXPECT_EQ(model.numTriangles, 0);
    ASSERT_EQ(model.numMeshes, 1);
    EXPECT_EQ(model.meshes[0].numTriangles, 0);
    EXPECT_EQ(model.numMaterials, 1);
}

TEST(MS3DReader, IgnoresDataAfterTheMaterialBlock) {
    MS3DWriter plain = SampleFile();
    MS3DWriter extended = SampleFile();
    extended.trailing.assign(5000, 0xEE);
    MS3DModel a, b;
    ASSERT_TRUE(Parse(a, plain.Bytes()));
    ASSERT_TRUE(Parse(b, extended.Bytes()));
    EXPECT_EQ(b.numVertices, a.numVertices);
    EXPECT_EQ(b.numTriangles, a.numTriangles);
    EXPECT_EQ(b.numMeshes, a.numMeshes);
    EXPECT_EQ(b.numMaterials, a.numMaterials);
    EXPECT_EQ(b.materials[1].emissive[0], a.materials[1].emissive[0]);
}

TEST(MS3DReader, RejectsAFileTruncatedAtEveryOffset) {
    MS3DMessages messages;
    std::vector<uint8_t> whole = SampleFile().Bytes();
    MS3DModel model;
    for (size_t length = 0; length < whole.size(); ++length) {
        std::vector<uint8_t> part(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
        ASSERT_FALSE(Parse(model, part)) << "length " << length;
        ExpectEmpty(model);
        // Too short for the header is no MS3D file; past it, the file ends early.
        EXPECT_EQ(length < kMS3DHeaderSize ? ReadFailure::NotThisFormat : ReadFailure::Truncated, ParseFailure(part))
            << "length " << length;
    }
    EXPECT_TRUE(Parse(model, whole));
    EXPECT_TRUE(messages.boxes().empty());
}

TEST(MS3DReader, RejectsCountsThatRunPastTheEnd) {
    const size_t header = kMS3DHeaderSize;
    // Vertex count raised by one, with the rest of the file (far shorter than
    // a vertex record plus the other blocks) after it.
    {
        MS3DWriter w;
        w.vertices.push_back({1, 2, 3});
        std::vector<uint8_t> bytes = w.Bytes();
        bytes[header] = 3;
        MS3DModel model;
        EXPECT_FALSE(Parse(model, bytes));
        ExpectEmpty(model);
    }
    // A group's triangle count larger than the bytes left.
    {
        MS3DWriter w;
        w.groups.push_back({{0, 0, 0}, 0});
        std::vector<uint8_t> bytes = w.Bytes();
        size_t countAt = header + 2 + 2 + 2 + 33;
        ASSERT_EQ(bytes[countAt], 3);
        bytes[countAt] = 0xFF;
        bytes[countAt + 1] = 0xFF;
        MS3DModel model;
        EXPECT_FALSE(Parse(model, bytes));
        ExpectEmpty(model);
    }
    // Material count 65535 with one material present.
    {
        MS3DWriter w;
        w.materials.push_back(MS3DWriter::Plain(1, 1, 1));
        std::vector<uint8_t> bytes = w.Bytes();
        size_t countAt = header + 6;
        bytes[countAt] = 0xFF;
        bytes[countAt + 1] = 0xFF;
        MS3DModel model;
        EXPECT_FALSE(Parse(model, bytes));
        ExpectEmpty(model);
    }
}

TEST(MS3DReader, ReadsTheFileLikeItsImageInMemory) {
    MS3DWriter w = SampleFile();
    std::vector<uint8_t> bytes = w.Bytes();
    std::string path = WriteTestFile("read.ms3d", bytes);
    MS3DModel fromFile, fromMemory;
    ASSERT_TRUE(fromFile.read(path.c_str()));
    ASSERT_TRUE(Parse(fromMemory, bytes, path.c_str()));
    ASSERT_EQ(fromFile.numTriangles, fromMemory.numTriangles);
    EXPECT_EQ(fromFile.triangles[1].t[2], fromMemory.triangles[1].t[2]);
    EXPECT_EQ(fromFile.numMeshes, fromMemory.numMeshes);
    EXPECT_STREQ(fromFile.materials[0].textureFilename.get(), fromMemory.materials[0].textureFilename.get());
    std::remove(path.c_str());

    MS3DModel missing;
    EXPECT_EQ(ReadFailure::CannotOpen, missing.read((path + ".missing").c_str()).failure);
    TriangleModel none;
    EXPECT_EQ(ReadFailure::CannotOpen, ReadModel(path + ".missing", &none).failure);
    ExpectEmpty(missing);
    std::string empty = WriteTestFile("empty.ms3d", {});
    EXPECT_FALSE(missing.read(empty.c_str()));
    ExpectEmpty(missing);
    std::remove(empty.c_str());
}

TEST(MS3DReader, AFailedReadEmptiesAModelThatHeldOne) {
    MS3DModel model;
    ASSERT_TRUE(Parse(model, SampleFile().Bytes()));
    std::vector<uint8_t> bytes = SampleFile().Bytes();
    bytes.pop_back();
    EXPECT_FALSE(Parse(model, bytes));
    ExpectEmpty(model);
}

TEST(MS3DTexturePath, DotBackslashNamesAreTakenFromTheModelsDirectory) {
    auto resolve = [](const char* name, const char* model) {
        return ResolveMS3DTexturePath(name, std::strlen(name) + 1, model);
    };
    EXPECT_EQ(resolve(".\\wood.jpg", "D:\\m\\a.ms3d"), "D:\\m\\wood.jpg");
    EXPECT_EQ(resolve(".\\tex\\wood.jpg", "C:\\Models\\car.ms3d"), "C:\\Models\\tex\\wood.jpg");
    // The last separator of either kind ends the directory.
    EXPECT_EQ(resolve(".\\wood.jpg", "/home/u/models/a.ms3d"), "/home/u/models\\wood.jpg");
    EXPECT_EQ(resolve(".\\wood.jpg", "C:\\x/y\\a.ms3d"), "C:\\x/y\\wood.jpg");
    // Other relative names come from the model's directory too, not the current one.
    EXPECT_EQ(resolve("wood.jpg", "D:\\m\\a.ms3d"), "D:\\m\\wood.jpg");
    EXPECT_EQ(resolve("tex\\wood.jpg", "/home/u/a.ms3d"), "/home/u/tex\\wood.jpg");
    EXPECT_EQ(resolve("..\\wood.jpg", "D:\\m\\a.ms3d"), "D:\\m\\..\\wood.jpg");
    // Absolute names stand as stored.
    EXPECT_EQ(resolve("C:\\tex\\wood.jpg", "D:\\m\\a.ms3d"), "C:\\tex\\wood.jpg");
    EXPECT_EQ(resolve("/tex/wood.jpg", "D:\\m\\a.ms3d"), "/tex/wood.jpg");
    EXPECT_EQ(resolve("\\tex\\wood.jpg", "D:\\m\\a.ms3d"), "\\tex\\wood.jpg");
    EXPECT_EQ(resolve("", "D:\\m\\a.ms3d"), "");
    // A model without a directory is in the current directory, as the name is.
    EXPECT_EQ(resolve(".\\wood.jpg", "a.ms3d"), ".\\wood.jpg");
}

TEST(MS3DTexturePath, UnterminatedNamesAndLongPathsStayInBounds) {
    // A full field without a terminator, followed in memory by more text that
    // must not become part of the name.
    std::string field(kMS3DNameFieldSize, 'n');
    std::string withNeighbour = field + "NEIGHBOUR";
    EXPECT_EQ(ResolveMS3DTexturePath(withNeighbour.c_str(), kMS3DNameFieldSize, "D:\\m\\a.ms3d"), "D:\\m\\" + field);

    // Composed paths up to the limit are kept; longer ones give no texture.
    std::string name = ".\\" + std::string(100, 'x');
    std::string directory(kMS3DMaxComposedPath - 101, 'd');
    std::string atLimit = ResolveMS3DTexturePath(name.c_str(), kMS3DNameFieldSize, (directory + "\\a.ms3d").c_str());
    EXPECT_EQ(atLimit.size(), kMS3DMaxComposedPath);
    EXPECT_EQ(ResolveMS3DTexturePath(name.c_str(), kMS3DNameFieldSize, (directory + "d\\a.ms3d").c_str()), "");

    // Through the reader: the unterminated name and the overlong path.
    MS3DWriter w;
    w.materials.push_back(MS3DWriter::Plain(1, 1, 1, field));
    w.materials.push_back(MS3DWriter::Plain(1, 1, 1, name));
    MS3DModel model;
    ASSERT_TRUE(Parse(model, w.Bytes(), "a.ms3d"));
    EXPECT_EQ(std::string(model.materials[0].textureFilename.get()), field);
    ASSERT_TRUE(Parse(model, w.Bytes(), (std::string(300, 'p') + "\\a.ms3d").c_str()));
    EXPECT_STREQ(model.materials[1].textureFilename.get(), "");
}

}  // namespace
