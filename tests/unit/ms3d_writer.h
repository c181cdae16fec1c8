// Builds MS3D files for tests: fill the four lists, then take Bytes(). Also
// captures trace messages and message boxes, and writes files to the test
// folder.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "formats/ms3d_model.h"
#include "formats/picture_decode.h"
#include "platform/trace.h"
#include "tests/unit/texture_files.h"

class MS3DWriter {
public:
    struct Vertex {
        float x, y, z;
    };
    struct Triangle {
        uint16_t v[3];
        float s[3];
        float t[3];  // as stored: the reader turns each into 1 - t
        float normal[3] = {0.0f, 0.0f, 1.0f};  // the same for every corner
    };
    struct Group {
        std::vector<uint16_t> triangles;
        int8_t material;
    };
    struct Material {
        float ambient[4];
        float diffuse[4];
        float specular[4];
        float emissive[4];
        float shininess;
        // Written into the 128-byte field; a name of 128 characters fills it
        // without a terminator.
        std::string texture;
    };

    char identifier[11] = "MS3D000000";
    int32_t version = 4;
    std::vector<Vertex> vertices;
    std::vector<Triangle> triangles;
    std::vector<Group> groups;
    std::vector<Material> materials;
    std::vector<uint8_t> trailing;  // written after the material block

    // A square from (x0, y0) to (x1, y1) at z = 0: four vertices and two
    // triangles whose stored t is 0 at the top edge and 1 at the bottom edge.
    // Returns the indices of the two triangles.
    std::vector<uint16_t> AddSquare(float x0, float y0, float x1, float y1) {
        uint16_t v = static_cast<uint16_t>(vertices.size());
        vertices.push_back({x0, y0, 0});  // bottom left
        vertices.push_back({x1, y0, 0});  // bottom right
        vertices.push_back({x1, y1, 0});  // top right
        vertices.push_back({x0, y1, 0});  // top left
        uint16_t t = static_cast<uint16_t>(triangles.size());
        triangles.push_back({{v, static_cast<uint16_t>(v + 1), static_cast<uint16_t>(v + 2)},
                             {0, 1, 1},
                             {1, 1, 0}});
        triangles.push_back({{v, static_cast<uint16_t>(v + 2), static_cast<uint16_t>(v + 3)},
                             {0, 1, 0},
                             {1, 0, 0}});
        return {t, static_cast<uint16_t>(t + 1)};
    }

    // A material that shows r, g, b lit (its emission) and unlit (its diffuse colour).
    static Material Plain(float r, float g, float b, const std::string& texture = std::string()) {
        return {{0, 0, 0, 1}, {r, g, b, 1}, {0, 0, 0, 1}, {r, g, b, 1}, 0.0f, texture};
    }

    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> out;
        out.insert(out.end(), identifier, identifier + 10);
        I32(out, version);
        U16(out, vertices.size());
        for (const Vertex& v : vertices) {
            out.push_back(0);
            F32(out, v.x);
            F32(out, v.y);
            F32(out, v.z);
            out.push_back(0xFF);
            out.push_back(1);
        }
        U16(out, triangles.size());
        for (const Triangle& t : triangles) {
            U16(out, 0);
            for (uint16_t v : t.v) U16(out, v);
            for (int k = 0; k < 3; ++k)
                for (float n : t.normal) F32(out, n);
            for (float s : t.s) F32(out, s);
            for (float tt : t.t) F32(out, tt);
            out.push_back(1);
            out.push_back(0);
        }
        U16(out, groups.size());
        for (const Group& g : groups) {
            out.push_back(0);
            Name(out, "group", 32);
            U16(out, g.triangles.size());
            for (uint16_t t : g.triangles) U16(out, t);
            out.push_back(static_cast<uint8_t>(g.material));
        }
        U16(out, materials.size());
        for (const Material& m : materials) {
            Name(out, "material", 32);
            for (float f : m.ambient) F32(out, f);
            for (float f : m.diffuse) F32(out, f);
            for (float f : m.specular) F32(out, f);
            for (float f : m.emissive) F32(out, f);
            F32(out, m.shininess);
            F32(out, 0.5f);  // transparency
            out.push_back(0);
            Name(out, m.texture, 128);
            Name(out, "alpha.jpg", 128);
        }
        out.insert(out.end(), trailing.begin(), trailing.end());
        return out;
    }

private:
    static void U16(std::vector<uint8_t>& out, size_t v) {
        out.push_back(static_cast<uint8_t>(v));
        out.push_back(static_cast<uint8_t>(v >> 8));
    }
    static void I32(std::vector<uint8_t>& out, int32_t v) {
        uint32_t u = static_cast<uint32_t>(v);
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(u >> (8 * i)));
    }
    static void F32(std::vector<uint8_t>& out, float f) {
        int32_t bits;
        std::memcpy(&bits, &f, sizeof bits);
        I32(out, bits);
    }
    static void Name(std::vector<uint8_t>& out, const std::string& text, size_t field) {
        for (size_t i = 0; i < field; ++i) out.push_back(i < text.size() ? static_cast<uint8_t>(text[i]) : 0);
    }
};

// Collects trace messages while it lives, and as boxes ("caption: text") the notices
// of the results handed to Keep.
class MS3DMessages {
public:
    MS3DMessages() {
        traces().clear();
        boxes().clear();
        previousTrace = SetTraceSink([](const char* m) { traces().push_back(m); });
    }
    ~MS3DMessages() { SetTraceSink(previousTrace); }
    static bool Keep(const ReadResult& result) {
        for (const ReaderNotice& notice : result.notices) boxes().push_back(notice.caption + ": " + notice.text);
        return static_cast<bool>(result);
    }
    // A texture file's picture as the textures decode it, its notices kept; null
    // when it gives none.
    static std::unique_ptr<JpegImage> LoadJpeg(const char* path) {
        std::unique_ptr<JpegImage> image(new JpegImage());
        if (!Keep(DecodePictureFile(path, image.get()))) image.reset();
        return image;
    }
    static std::vector<std::string>& traces() {
        static std::vector<std::string> list;
        return list;
    }
    // "caption: text" of each box, in order.
    static std::vector<std::string>& boxes() {
        static std::vector<std::string> list;
        return list;
    }

private:
    TraceSink previousTrace;
};

// Writes bytes to a file of the given name in the test folder; returns its path.
inline std::string WriteTestFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::string path = ::testing::TempDir() + "velmora_ms3d_" + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    EXPECT_NE(file, nullptr) << path;
    if (file) {
        if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    return path;
}

// Encodes a picture as a baseline JPEG. pixels holds rows from the top, with
// components samples per pixel: 1 greyscale, 3 RGB, 4 CMYK.
inline std::vector<uint8_t> EncodeTestJpeg(int width, int height, int components,
                                           const std::vector<uint8_t>& pixels) {
    return EncodeJpeg(width, height, components, pixels, false);
}

// A picture of width x height RGB pixels, its top half red and its bottom half
// blue, rows from the top.
inline std::vector<uint8_t> RedOverBluePixels(int width, int height) {
    std::vector<uint8_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            bool top = y < height / 2;
            pixels.push_back(top ? 255 : 0);
            pixels.push_back(0);
            pixels.push_back(top ? 0 : 255);
        }
    return pixels;
}
