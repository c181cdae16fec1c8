// PLY files written here value by value in each encoding and read back: the encodings
// alike, faces of every size, skipped elements, colours to the drawn picture, and
// cut or lying files refused without reading past their bytes.
#include "formats/ply_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "formats/model_file.h"
#include "formats/triangle_model_gl.h"
#include "tests/unit/gl_test_context.h"

namespace {

enum class Encoding { Ascii, Little, Big };

// A PLY file: the header lines after the format line, then rows of values, each value
// written as the type its property declares.
class Ply {
public:
    Ply(Encoding encoding, const std::string& header) : encoding(encoding) {
        const char* format = encoding == Encoding::Ascii    ? "ascii"
                             : encoding == Encoding::Little ? "binary_little_endian"
                                                            : "binary_big_endian";
        Text("ply\nformat " + std::string(format) + " 1.0\n" + header + "end_header\n");
    }
    Ply& Row(const std::string& type, std::initializer_list<double> values) {
        for (double value : values) {
            if (encoding == Encoding::Ascii) {
                std::ostringstream number;
                number << value << ' ';
                Text(number.str());
                continue;
            }
            uint64_t bits = static_cast<uint64_t>(static_cast<int64_t>(value));
            size_t size = type.find("char") != std::string::npos ? 1 : type.find("short") != std::string::npos ? 2 : 4;
            if (type == "float") {
                const float single = static_cast<float>(value);
                uint32_t word;
                std::memcpy(&word, &single, 4);
                bits = word;
            } else if (type == "double") {
                std::memcpy(&bits, &value, size = 8);
            }
            for (size_t i = 0; i < size; ++i)
                bytes_.push_back(static_cast<uint8_t>(bits >> 8 * (encoding == Encoding::Big ? size - 1 - i : i)));
        }
        if (encoding == Encoding::Ascii) Text("\n");
        return *this;
    }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }

private:
    void Text(const std::string& text) { bytes_.insert(bytes_.end(), text.begin(), text.end()); }
    Encoding encoding;
    std::vector<uint8_t> bytes_;
};

ReadResult Read(const std::vector<uint8_t>& bytes, TriangleModel* model, const char* path = "models/scene.ply") {
    return ReadPlyBytes(bytes.data(), bytes.size(), path, model);
}

// A unit square as a quad and a triangle beside it, in coloured, textured vertices of
// mixed types, with an edge element (a list) before the faces.
std::vector<uint8_t> Square(Encoding encoding) {
    Ply ply(
        encoding,
        "comment made here\nobj_info none\nelement vertex 5\nproperty float x\nproperty double y\nproperty short z\n"
        "property uchar red\nproperty uchar green\nproperty uchar blue\nproperty float s\nproperty float t\n"
        "element edge 1\nproperty list uchar int vertex\nproperty float crease\n"
        "element face 2\nproperty list uchar int vertex_indices\n");
    const double corners[5][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {2, 0}};
    for (const auto& c : corners)
        ply.Row("float", {c[0]})
            .Row("double", {c[1]})
            .Row("short", {0})
            .Row("uchar", {255, 51 * c[0], 0})
            .Row("float", {c[0], c[1]});
    ply.Row("uchar", {2}).Row("int", {0, 1}).Row("float", {0.5});
    ply.Row("uchar", {4}).Row("int", {0, 1, 2, 3}).Row("uchar", {3}).Row("int", {1, 4, 2});
    return ply.Bytes();
}

TEST(PlyReader, TheThreeEncodingsOfOneModelReadAlike) {
    TriangleModel ascii, little, big;
    ASSERT_TRUE(Read(Square(Encoding::Ascii), &ascii));
    ASSERT_TRUE(Read(Square(Encoding::Little), &little));
    ASSERT_TRUE(Read(Square(Encoding::Big), &big));
    ASSERT_EQ(ascii.TriangleCount(), 3);
    const TriangleBatch& batch = ascii.batches[0];
    EXPECT_TRUE(batch.vertexColors);
    EXPECT_TRUE(batch.texCoords);
    EXPECT_EQ(batch.material, -1);
    const TriangleCorner& last = batch.corners.back();  // vertex 2: (1, 1)
    EXPECT_FLOAT_EQ(last.position[1], 1.0f);
    EXPECT_FLOAT_EQ(last.color[1], 0.2f);
    EXPECT_FLOAT_EQ(last.uv[1], 1.0f);
    EXPECT_FLOAT_EQ(last.normal[2], 1.0f) << "normals built from the faces";
    for (const TriangleModel* other : {&little, &big}) {
        ASSERT_EQ(other->batches[0].corners.size(), batch.corners.size());
        EXPECT_EQ(std::memcmp(other->batches[0].corners.data(), batch.corners.data(),
                              batch.corners.size() * sizeof(TriangleCorner)),
                  0);
    }
}

TEST(PlyReader, FacesOfEverySizeAreCutOrDroppedAndOtherElementsSkipped) {
    for (Encoding encoding : {Encoding::Ascii, Encoding::Big}) {
        Ply ply(encoding,
                "element vertex 9\nproperty float x\nproperty float y\nproperty float z\nelement joint 2\n"
                "property list ushort uint links\nelement face 5\nproperty int flags\n"
                "property list uint uint vertex_index\nproperty list uchar float texcoord\n");
        for (int i = 0; i < 9; ++i) ply.Row("float", {std::cos(i * 0.7), std::sin(i * 0.7), 0});
        ply.Row("ushort", {3}).Row("uint", {1, 2, 3}).Row("ushort", {0});
        ply.Row("int", {7}).Row("uint", {0}).Row("uchar", {0});                             // no corner
        ply.Row("int", {7}).Row("uint", {2, 0, 1}).Row("uchar", {0});                       // a line: dropped
        ply.Row("int", {7}).Row("uint", {9, 0, 1, 2, 3, 4, 5, 6, 7, 8}).Row("uchar", {0});  // 7 triangles
        ply.Row("int", {7}).Row("uint", {3, 0, 1, 9}).Row("uchar", {0});                    // vertex 9: dropped
        ply.Row("int", {7}).Row("uint", {3, 0, 1, 2}).Row("uchar", {6}).Row("float", {0, 0, 1, 0, 0.5, 1});
        TriangleModel model;
        const ReadResult result = Read(ply.Bytes(), &model);
        ASSERT_TRUE(result) << result.detail;
        EXPECT_EQ(model.TriangleCount(), 8);
        EXPECT_TRUE(model.batches[0].texCoords) << "from the faces";
        EXPECT_FLOAT_EQ(model.batches[0].corners.back().uv[0], 0.5f);
    }
}

TEST(PlyReader, UcharAndFloatColoursReadAlikeAndNormalsAreMadeUnitLong) {
    const std::string header =
        "element vertex 3\nproperty float x\nproperty float y\nproperty float z\nproperty float nx\n"
        "property float ny\nproperty float nz\nproperty %s red\nproperty %s green\nproperty %s blue\n"
        "property %s alpha\nelement face 1\nproperty list uchar uint vertex_indices\n";
    auto colored = [&](const std::string& type, std::initializer_list<double> color) {
        std::string text = header;
        for (size_t at; (at = text.find("%s")) != std::string::npos;) text.replace(at, 2, type);
        Ply ply(Encoding::Little, text);
        for (int i = 0; i < 3; ++i) ply.Row("float", {double(i == 1), double(i == 2), 0, 0, 0, -2}).Row(type, color);
        TriangleModel model;
        EXPECT_TRUE(Read(ply.Row("uchar", {3}).Row("uint", {0, 1, 2}).Bytes(), &model));
        return model.batches.empty() ? TriangleCorner{} : model.batches[0].corners[2];
    };
    const TriangleCorner bytes = colored("uchar", {255, 51, 0, 102}), floats = colored("float", {1, 0.2, -3, 0.4});
    for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(bytes.color[i], floats.color[i]) << "channel " << i;
    EXPECT_FLOAT_EQ(bytes.normal[2], -1.0f) << "the file's own normal, unit long";
}

TEST(PlyReader, VertexColoursReachTheDrawnPicture) {
    Ply ply(Encoding::Ascii,
            "element vertex 3\nproperty float x\nproperty float y\nproperty float z\nproperty uchar red\n"
            "property uchar green\nproperty uchar blue\nelement face 1\nproperty list uchar int vertex_indices\n");
    ply.Row("", {-1, -1, 0, 0, 255, 0})
        .Row("", {3, -1, 0, 0, 255, 0})
        .Row("", {-1, 3, 0, 0, 255, 0})
        .Row("", {3, 0, 1, 2});
    TriangleModel model;
    ASSERT_TRUE(Read(ply.Bytes(), &model));
    GlTestContext gl(16, 16);
    REQUIRE_GL(gl);
    glDisable(GL_LIGHTING);
    glClear(GL_COLOR_BUFFER_BIT);
    DrawTriangleModel(model);
    const Rgb pixel = gl.Pixel(8, 8);
    EXPECT_LT(pixel.r, 16);
    EXPECT_GT(pixel.g, 240);
    EXPECT_LT(pixel.b, 16);
}

TEST(PlyReader, CutFilesAreRefusedWithoutReadingPastTheirBytes) {
    for (Encoding encoding : {Encoding::Ascii, Encoding::Little, Encoding::Big}) {
        const std::vector<uint8_t> whole = Square(encoding);
        // An ASCII file cut inside its last row may still read: its last number shorter.
        const size_t lastRow = encoding == Encoding::Ascii ? whole.size() - std::strlen("1 4 2 \n") : whole.size();
        for (size_t size = 0; size < whole.size(); size += 7) {
            const std::vector<uint8_t> cut(whole.begin(), whole.begin() + size);  // exactly its size: ASan sees past it
            TriangleModel model;
            const ReadResult result = ReadPlyBytes(cut.data(), cut.size(), "cut.ply", &model);
            EXPECT_TRUE(size >= lastRow || !result) << size << " bytes";
            EXPECT_TRUE(result || model.TriangleCount() == 0);
        }
    }
}

TEST(PlyReader, LyingHeadersFailFastWithTheirReasons) {
    const std::string xyz = "property float x\nproperty float y\nproperty float z\n";
    const std::string faces = "element face 1\nproperty list uchar int vertex_indices\n";
    auto failure = [](const std::vector<uint8_t>& bytes) {
        TriangleModel model;
        const ReadResult result = Read(bytes, &model);
        EXPECT_EQ(model.TriangleCount(), 0);
        return result.failure;
    };
    EXPECT_EQ(failure(Ply(Encoding::Little, "element vertex 1000000\n" + xyz + faces).Row("float", {1, 2, 3}).Bytes()),
              ReadFailure::Truncated);
    EXPECT_EQ(failure(Ply(Encoding::Little, "element vertex 4000000000\n" + xyz + faces).Bytes()),
              ReadFailure::TooLarge);
    EXPECT_EQ(failure(Ply(Encoding::Ascii, "element vertex 99999999999999999999999\n" + xyz + faces).Bytes()),
              ReadFailure::TooLarge);
    Ply longList(Encoding::Little,
                 "element vertex 3\n" + xyz + "element face 1\nproperty list uint int vertex_indices\n");
    longList.Row("float", {0, 0, 0, 1, 0, 0, 0, 1, 0}).Row("uint", {4000000000u}).Row("int", {0, 1, 2});
    TriangleModel model;
    const ReadResult tooLong = Read(longList.Bytes(), &model);
    EXPECT_EQ(tooLong.failure, ReadFailure::Truncated);
    EXPECT_EQ(tooLong.detail, "a list longer than the rest of the file in the face rows")
        << "refused before making room";
    std::string many = "element vertex 1\n";
    for (int i = 0; i < 5000; ++i) many += "property uchar p" + std::to_string(i) + "\n";
    EXPECT_EQ(failure(Ply(Encoding::Little, many).Bytes()), ReadFailure::TooLarge);
    std::vector<uint8_t> headerOnly = Ply(Encoding::Ascii, "element vertex 1\n" + xyz).Bytes();
    EXPECT_EQ(failure({headerOnly.begin(), headerOnly.end() - 1}), ReadFailure::Truncated) << "no end_header line";
    EXPECT_EQ(failure({'p', 'l', 'y', 'x', '\n'}), ReadFailure::NotThisFormat);
    EXPECT_EQ(failure(Ply(Encoding::Ascii, "element vertex 3\nproperty float x\n" + faces).Bytes()),
              ReadFailure::NotThisFormat);
    EXPECT_EQ(failure(Ply(Encoding::Ascii, "element vertex 1\n" + xyz).Row("", {1, 2, 3}).Bytes()),
              ReadFailure::Unsupported);
}

TEST(PlyReader, ATextureFileCommentNamesThePictureBesideTheModel) {
    std::vector<uint8_t> bytes = Square(Encoding::Little);
    const std::string comment = "comment TextureFile wood grain.png\r\n";
    bytes.insert(bytes.begin() + 4, comment.begin(), comment.end());
    TriangleModel model;
    ASSERT_TRUE(Read(bytes, &model, "models/scene.ply"));
    ASSERT_EQ(model.materials.size(), 1u);
    EXPECT_EQ(model.materials[0].textureFile, FileBesideModel("models/scene.ply", "wood grain.png"));
    EXPECT_EQ(model.batches[0].material, 0);
}

}  // namespace
