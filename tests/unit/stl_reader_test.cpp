// STL models: binary and ASCII spellings of one shape read alike with welded normals,
// a binary header that begins with "solid" stays binary, both facet colour conventions
// give their colours, and damaged files are refused whole.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "formats/model_reader.h"
#include "formats/stl_reader.h"
#include "tests/unit/texture_files.h"

namespace {

struct Facet {
    float v[3][3];
    uint16_t attribute;
};

// A tetrahedron, each facet counter-clockwise seen from outside.
const std::vector<Facet> kTetrahedron = {{{{0, 0, 0}, {0, 1, 0}, {1, 0, 0}}, 0}, {{{0, 0, 0}, {1, 0, 0}, {0, 0, 1}}, 0},
                                         {{{0, 0, 0}, {0, 0, 1}, {0, 1, 0}}, 0}, {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, 0}};

// Every facet normal points the wrong way: they must not count.
std::vector<uint8_t> Binary(const std::vector<Facet>& facets, std::string header = "binary") {
    header.resize(80, ' ');
    std::vector<uint8_t> out(header.begin(), header.end());
    PutU32(out, static_cast<uint32_t>(facets.size()));
    for (const Facet& f : facets) {
        const float numbers[12] = {0, -7, 0, f.v[0][0], f.v[0][1], f.v[0][2], f.v[1][0], f.v[1][1], f.v[1][2],
                                   f.v[2][0], f.v[2][1], f.v[2][2]};
        for (float number : numbers) {
            uint32_t bits;
            std::memcpy(&bits, &number, 4);
            PutU32(out, bits);
        }
        PutU16(out, f.attribute);
    }
    return out;
}

// Two solids (from three facets on), CRLF, tabs, '+' signs, exponents, capital words.
std::vector<uint8_t> Ascii(const std::vector<Facet>& facets) {
    std::string text = "solid one\r\n";
    for (size_t i = 0; i < facets.size(); ++i) {
        if (i == 2) text += "endsolid one\r\nsolid two\r\n";
        text += i % 2 ? "FACET NORMAL 0 +1 -0.0e0\r\n\tOUTER\tLOOP\r\n" : " facet normal 9 9 9\n outer loop\n";
        for (const auto& v : facets[i].v)
            text += "  vertex +" + std::to_string(v[0]) + " " + std::to_string(v[1]) + "e0  " + std::to_string(v[2]) + '\n';
        text += " endloop\n endfacet\n";
    }
    text += "endsolid two\n";
    return std::vector<uint8_t>(text.begin(), text.end());
}

ReadResult Read(const std::vector<uint8_t>& bytes, TriangleModel* model) {
    return ReadStlBytes(bytes.data(), bytes.size(), "test.stl", model);
}

TEST(StlReader, AsciiAndBinaryReadAlikeWithWeldedNormals) {
    TriangleModel binary, ascii;
    ASSERT_TRUE(Read(Binary(kTetrahedron), &binary));
    ASSERT_TRUE(Read(Ascii(kTetrahedron), &ascii));
    ASSERT_TRUE(binary.TriangleCount() == 4 && ascii.TriangleCount() == 4);
    for (size_t i = 0; i < 12; ++i) {
        const TriangleCorner &b = binary.batches[0].corners[i], &a = ascii.batches[0].corners[i];
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(b.position[k], kTetrahedron[i / 3].v[i % 3][k]) << i;
            EXPECT_EQ(a.position[k], b.position[k]) << i;
            EXPECT_EQ(a.normal[k], b.normal[k]) << i;
        }
        // The apex (0, 0, 1) is shared by three faces whose normals sum to +z.
        EXPECT_TRUE(b.position[2] != 1.0f || std::fabs(b.normal[2] - 1.0f) < 1e-6f) << i;
        EXPECT_EQ(b.color[0] + b.color[1] + b.color[2] + a.color[0] + a.color[1] + a.color[2], 6.0f);
    }
    EXPECT_FALSE(binary.batches[0].vertexColors || ascii.batches[0].vertexColors);
}

TEST(StlReader, BinaryHeaderStartingWithSolidStaysBinary) {
    TempFolder folder("stl");
    const std::vector<uint8_t> solid = Binary(kTetrahedron, "solid tetra\nfacet normal 0 0 1\n");
    std::vector<uint8_t> trailing = Binary(kTetrahedron, "solid tetra\n");
    trailing.resize(trailing.size() + 3, 0);  // bytes after the facets are allowed
    for (const std::vector<uint8_t>& bytes : {solid, trailing}) {
        TriangleModel model;
        ASSERT_TRUE(ReadModel(folder.Write("tetra.stl", bytes), &model));
        EXPECT_EQ(model.TriangleCount(), 4);
    }
    const std::vector<uint8_t> ascii = Ascii(kTetrahedron);
    EXPECT_EQ(ModelKindOf("model.dat", ascii.data(), ascii.size(), ascii.size()), ModelKind::Stl);
}

// The colour of each facet's first corner; vertexColors must be set.
std::vector<std::vector<float>> Colors(const std::vector<uint8_t>& bytes) {
    TriangleModel model;
    std::vector<std::vector<float>> colors;
    if (!Read(bytes, &model) || !model.batches[0].vertexColors) return colors;
    for (size_t i = 0; i < 12; i += 3) {
        const float* c = model.batches[0].corners[i].color;
        colors.push_back({c[0], c[1], c[2], c[3]});
    }
    return colors;
}

TEST(StlReader, FacetColoursFollowTheHeadersConvention) {
    std::vector<Facet> facets = kTetrahedron;
    const std::string object = std::string("by x COLOR=") + "\x33\x66\x99\x80" + ",MATERIAL=";
    const std::vector<float> o = {0.2f, 0.4f, 0.6f, 1}, red = {1, 0, 0, 1}, green = {0, 1, 0, 1}, blue = {0, 0, 1, 1};
    // Every attribute 0 (a writer that knows no facet colours): all the object's colour.
    EXPECT_EQ(Colors(Binary(facets, object)), std::vector<std::vector<float>>(4, o));
    facets[0].attribute = 0x8000 | 31 << 10;  // blue in the low bits, then green, red
    facets[1].attribute = 0x8000 | 31;
    facets[2].attribute = 0x8000 | 31 << 5;
    EXPECT_EQ(Colors(Binary(facets)), (std::vector<std::vector<float>>{red, blue, green, {1, 1, 1, 1}}));
    facets[3].attribute = 31;  // after COLOR=: bit 15 clear is the facet's own, red in the low bits
    EXPECT_EQ(Colors(Binary(facets, object)), (std::vector<std::vector<float>>{o, o, o, red}));
}

TEST(StlReader, DamagedFilesAreRefusedWhole) {
    TriangleModel model;
    const std::vector<uint8_t> binary = Binary(kTetrahedron), ascii = Ascii({kTetrahedron[0], kTetrahedron[1]});
    for (size_t cut = 0; cut < binary.size(); cut += 7) {  // each copy exactly cut long
        const std::vector<uint8_t> bytes(binary.begin(), binary.begin() + cut);
        EXPECT_EQ(Read(bytes, &model).failure, ReadFailure::Truncated) << cut;
    }
    // Cut anywhere before its last word is complete, the ASCII file is refused.
    const size_t lastWord = std::string(ascii.begin(), ascii.end()).rfind("endsolid");
    for (size_t cut = 0; cut < lastWord + 8; cut += 7)
        EXPECT_FALSE(Read(std::vector<uint8_t>(ascii.begin(), ascii.begin() + cut), &model)) << cut;
    EXPECT_TRUE(model.batches.empty());

    const std::string facet = "solid\nfacet normal 0 0 1 outer loop vertex 0 0 0 vertex 1 0 0";
    const std::pair<std::string, ReadFailure> texts[] = {
        {facet + " vertex 0 1 0 endloop endfacet endsolid", ReadFailure::None},
        {facet + " vertex 0 1 0 vertex 1 1 0 endloop endfacet endsolid", ReadFailure::NotThisFormat},
        {facet + " endloop endfacet endsolid", ReadFailure::NotThisFormat},
        {facet + " vertex 0 1 0 endloop endfacet endsolid\ntrailing", ReadFailure::NotThisFormat},
        {facet + " vertex 0 0x1 0", ReadFailure::NotThisFormat},
        {facet + " vertex 0 1 0", ReadFailure::Truncated},
        {"solid empty\nendsolid empty\n", ReadFailure::Unsupported}};
    for (const auto& [text, failure] : texts)
        EXPECT_EQ(Read(std::vector<uint8_t>(text.begin(), text.end()), &model).failure, failure) << text;
    EXPECT_EQ(Read(Binary({}), &model).failure, ReadFailure::Unsupported);
    std::vector<uint8_t> huge = Binary({});  // 84 bytes announcing more than the cap
    for (uint32_t count : {uint32_t{kMaxModelTriangles} + 1, 0xFFFFFFFFu}) {
        for (int i = 0; i < 4; ++i) huge[80 + i] = static_cast<uint8_t>(count >> 8 * i);
        EXPECT_EQ(Read(huge, &model).failure, ReadFailure::TooLarge);
    }
}

}  // namespace
