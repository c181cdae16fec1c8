// Helpers of the 3DS reader tests: captured message boxes and trace messages,
// reading from bytes or from a temporary file, and comparing two models.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/model3ds.h"
#include "platform/trace.h"
#include "tests/unit/chunk_writer.h"

struct CapturedBox {
    std::string text;
    std::string caption;
};

// Collects the trace messages while it lives, and the notices (the boxes the saver
// would show) of the results handed to Keep.
class ReaderMessages {
public:
    ReaderMessages() {
        Boxes().clear();
        Traces().clear();
        previousTrace = SetTraceSink(&RecordTrace);
    }
    ~ReaderMessages() { SetTraceSink(previousTrace); }
    ReaderMessages(const ReaderMessages&) = delete;
    ReaderMessages& operator=(const ReaderMessages&) = delete;

    static std::vector<CapturedBox>& Boxes() {
        static std::vector<CapturedBox> boxes;
        return boxes;
    }
    static std::vector<std::string>& Traces() {
        static std::vector<std::string> traces;
        return traces;
    }

    static bool Keep(const ReadResult& result) {
        for (const ReaderNotice& notice : result.notices) Boxes().push_back({notice.text, notice.caption});
        return static_cast<bool>(result);
    }

private:
    static void RecordTrace(const char* message) { Traces().push_back(message); }
    TraceSink previousTrace;
};

inline bool ImportBytes(Model3DS& reader, const std::vector<uint8_t>& bytes, size_t size) {
    return ReaderMessages::Keep(reader.ImportMemory(&reader.model, bytes.data(), size, "test.3ds"));
}
inline bool ImportBytes(Model3DS& reader, const std::vector<uint8_t>& bytes) {
    return ImportBytes(reader, bytes, bytes.size());
}
// The import's failure (None when it loaded), its notices kept.
inline ReadFailure ImportFailure(Model3DS& reader, const std::vector<uint8_t>& bytes) {
    const ReadResult result = reader.ImportMemory(&reader.model, bytes.data(), bytes.size(), "test.3ds");
    ReaderMessages::Keep(result);
    return result.failure;
}

// A file in the temporary folder that is removed again with the object.
class TempFile {
public:
    TempFile(const std::string& name, const std::vector<uint8_t>& bytes)
        : path((std::filesystem::temp_directory_path() / ("velmora_3ds_" + name)).string()) {
        std::FILE* out = std::fopen(path.c_str(), "wb");
        if (out) {
            if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), out);
            std::fclose(out);
        }
    }
    ~TempFile() { std::remove(path.c_str()); }
    std::string path;
};

inline bool SameBits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

inline void ExpectSameModel(const t3DModel& a, const t3DModel& b) {
    ASSERT_EQ(a.numMaterials, b.numMaterials);
    ASSERT_EQ(a.numObjects, b.numObjects);
    for (int32_t i = 0; i < a.numMaterials; ++i) {
        EXPECT_STREQ(a.materials[i].name, b.materials[i].name);
        EXPECT_STREQ(a.materials[i].fileName, b.materials[i].fileName);
        EXPECT_EQ(0, std::memcmp(a.materials[i].color, b.materials[i].color, 3));
    }
    for (int32_t i = 0; i < a.numObjects; ++i) {
        const t3DObject& x = a.objects[i];
        const t3DObject& y = b.objects[i];
        EXPECT_STREQ(x.name, y.name);
        ASSERT_EQ(x.numVerts, y.numVerts);
        ASSERT_EQ(x.numFaces, y.numFaces);
        ASSERT_EQ(x.numTexCoords, y.numTexCoords);
        EXPECT_EQ(x.materialIndex, y.materialIndex);
        EXPECT_EQ(x.hasTexture, y.hasTexture);
        if (x.numVerts) {
            EXPECT_EQ(0, std::memcmp(x.verts.get(), y.verts.get(), sizeof(Vector3) * x.numVerts));
            EXPECT_EQ(0, std::memcmp(x.normals.get(), y.normals.get(), sizeof(Vector3) * x.numVerts));
        }
        if (x.numFaces) {
            EXPECT_EQ(0, std::memcmp(x.faces.get(), y.faces.get(), sizeof(tTriangle) * x.numFaces));
        }
        if (x.numTexCoords) {
            EXPECT_EQ(0, std::memcmp(x.texCoords.get(), y.texCoords.get(), sizeof(Vector2) * x.numTexCoords));
        }
    }
}

// Two materials (the first textured), one object whose face list nests a
// material group and smoothing groups, its texture coordinates after the face
// list, and chunks of unknown kinds in every loop.
inline std::vector<uint8_t> SampleModelFile(uint32_t version = 3) {
    using namespace chunks;
    ChunkWriter w;
    BeginFile(w, version);
    w.Begin(0x0100);  // master scale: unknown to the main loop
    w.F32(1.0f);
    w.End();
    Material(w, "Wood", 200, 150, 100, "TEXTURE.JPG");
    Material(w, "Paint", 10, 20, 30);
    w.Begin(0x4000);
    w.Str("Box");
    w.Begin(0x4100);
    Vertices(w, {1, 2, 3, -4, 5.5f, -6, 7, 8, 9, 0.25f, -0.5f, 1e6f});
    BeginFaces(w, {0, 1, 2, 2, 3, 0});
    MaterialGroup(w, "Wood", {0, 1});
    SmoothingGroups(w, 2);
    w.End();
    TexCoords(w, {0, 0, 1, 0, 1, 1, 0, 1});
    w.Begin(0x4160);  // mesh matrix: unknown to the object loop
    w.Fill(48, 0x11);
    w.End();
    w.End();
    w.End();
    EndFile(w);
    return w.bytes;
}
