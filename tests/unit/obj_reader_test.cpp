// The OBJ text as modellers' tools write it: every corner form, indices from the end of
// the lists, vertices named before they are listed, colours after positions, any line
// end; and the corner normals made over the vertices' places agree with those made over
// every corner.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "formats/obj_reader.h"

namespace {

const TriangleCorner& Corner(const TriangleModel& model, size_t batch, size_t corner) {
    return model.batches.at(batch).corners.at(corner);
}

TEST(ObjReader, EveryCornerFormAndIndexDirectionReadsTheSameTriangle) {
    const char* const lists = "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 0 1\nvn 0 0 1\n";
    for (const char* face : {"f 1/1/1 2/2/1 3/3/1\n", "f -3/-3/-1 -2/-2/-1 -1/-1/-1\n", "f +1/1/1 2/+2/1 3/3/+1\n"}) {
        TriangleModel model;
        ASSERT_TRUE(ReadObjText(std::string(lists) + face, "a.obj", &model)) << face;
        ASSERT_EQ(model.TriangleCount(), 1) << face;
        EXPECT_EQ(Corner(model, 0, 1).position[0], 1.0f) << face;
        EXPECT_EQ(Corner(model, 0, 2).uv[1], 1.0f) << face;
        EXPECT_EQ(Corner(model, 0, 0).normal[2], 1.0f) << face;
    }
    // Negative numbers count from the end of the list as it stands at the face's line.
    TriangleModel model;
    ASSERT_TRUE(ReadObjText("v 0 0 0\nv 1 0 0\nv 0 1 0\nf -3 -2 -1\nv 5 5 5\nf -4 -3 -1\n", "a.obj", &model));
    ASSERT_EQ(model.TriangleCount(), 2);
    EXPECT_EQ(Corner(model, 0, 5).position[0], 5.0f);
    // A face may name vertices listed after it; one naming none (0, past the end, two
    // signs, far past any number) is dropped.
    ASSERT_TRUE(ReadObjText("f 1 2 3\nf 1 2 0\nf 1 2 4\nf 1 2 --1\nf 1 2 +-9223372036854775808\n"
                            "f 1 2 -99999999999999999999\nv 0 0 0\nv 1 0 0\nv 0 1 0\n",
                            "a.obj", &model));
    EXPECT_EQ(model.TriangleCount(), 1);
}

TEST(ObjReader, LineEndsNumbersAndVertexColoursAsToolsWriteThem) {
    TriangleModel model;
    // CRLF, a lone CR, tabs, exponents and a leading plus; the second vertex without a colour is white.
    ASSERT_TRUE(ReadObjText("v\t0 0 0 1 0 0\r\nv 1e0 +0 0\rv 0 1.0E+0 -0.0 0 0 1\nf 1 2 3\n", "a.obj", &model));
    ASSERT_EQ(model.TriangleCount(), 1);
    EXPECT_TRUE(model.batches[0].vertexColors);
    EXPECT_EQ(Corner(model, 0, 0).color[0], 1.0f);
    EXPECT_EQ(Corner(model, 0, 0).color[1], 0.0f);
    EXPECT_EQ(Corner(model, 0, 1).color[1], 1.0f);
    EXPECT_EQ(Corner(model, 0, 2).color[2], 1.0f);
    EXPECT_EQ(Corner(model, 0, 2).color[0], 0.0f);
    EXPECT_EQ(Corner(model, 0, 1).position[0], 1.0f);
    // A comment after a line's values is no value; numbers past float's range are infinite.
    ASSERT_TRUE(ReadObjText("v 0 0 0 # 0 0 0\nv 1e99 0 0\nv 0 1 0\nf 1 2 3 # 1 1 1\n", "a.obj", &model));
    ASSERT_EQ(model.TriangleCount(), 1);
    EXPECT_FALSE(model.batches[0].vertexColors);
    EXPECT_TRUE(std::isinf(Corner(model, 0, 1).position[0]));
    // White everywhere is no colour of the file's own.
    ASSERT_TRUE(ReadObjText("v 0 0 0 1 1 1\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", "a.obj", &model));
    EXPECT_FALSE(model.batches[0].vertexColors);
}

TEST(ObjReader, MaterialsGroupFacesInTheOrderTheyAreFirstUsed) {
    TriangleModel model;
    // No MTL file is there: unknown names draw with no material, all in one batch.
    ASSERT_TRUE(ReadObjText("mtllib absent.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nusemtl A\nf 1 2 3\nusemtl B\nf 1 2 3\n"
                            "f 1 2 3 1\n",
                            "models/a.obj", &model));
    ASSERT_EQ(model.batches.size(), 1u);
    EXPECT_EQ(model.batches[0].material, -1);
    EXPECT_EQ(model.TriangleCount(), 4);
}

// The same smooth surface with its corners numbered by their vertices' places and by
// hashing every corner: the same normals, bit for bit.
TEST(CornerNormals, PlacesNumberedOverVerticesAgreeWithPlacesFoundOverCorners) {
    std::vector<float> positions;
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 7; ++x) positions.insert(positions.end(), {float(x), float(y), float((x * x + y) % 5)});
    // A list whose length is no multiple of three, as a reader's vertex list often is.
    positions.insert(positions.end(), {0.0f, 0.0f, 0.0f});  // the first vertex again
    const size_t vertices = positions.size() / 3;
    ASSERT_NE(vertices % 3, 0u);
    std::vector<uint32_t> placeOfVertex(vertices);
    const size_t places = NumberPlaces(positions.data(), vertices, 3 * sizeof(float), placeOfVertex.data());
    EXPECT_EQ(places, vertices - 1) << "the repeated vertex shares the first one's place";
    EXPECT_EQ(placeOfVertex.back(), placeOfVertex.front());

    TriangleBatch byVertex, byCorner;
    std::vector<uint32_t> cornerPlaces;
    for (uint32_t y = 0; y < 6; ++y)
        for (uint32_t x = 0; x < 6; ++x) {
            const uint32_t a = y * 7 + x, b = a + 1, c = a + 8, d = a + 7;
            for (uint32_t vertex : {a == 0 ? uint32_t(vertices - 1) : a, b, c, a, c, d}) {
                TriangleCorner corner{};
                for (int i = 0; i < 3; ++i) corner.position[i] = positions[3 * vertex + i];
                byVertex.corners.push_back(corner);
                cornerPlaces.push_back(placeOfVertex[vertex]);
            }
        }
    byCorner.corners = byVertex.corners;
    BuildCornerNormals(byVertex, cornerPlaces.data(), places);
    BuildCornerNormals(byCorner);
    // Each corner's normal worked out the long way: the faces that have a corner at its
    // position, their normals summed.
    const CornerList& corners = byCorner.corners;
    for (size_t k = 0; k < corners.size(); ++k) {
        double sum[3] = {0, 0, 0};
        for (size_t t = 0; t < corners.size() / 3; ++t) {
            bool meets = false;
            for (size_t c = 3 * t; c < 3 * t + 3; ++c)
                meets = meets || std::memcmp(corners[c].position, corners[k].position, sizeof corners[k].position) == 0;
            if (!meets) continue;
            const float *a = corners[3 * t].position, *b = corners[3 * t + 1].position, *c = corners[3 * t + 2].position;
            const double u[3] = {double(b[0]) - a[0], double(b[1]) - a[1], double(b[2]) - a[2]};
            const double v[3] = {double(c[0]) - a[0], double(c[1]) - a[1], double(c[2]) - a[2]};
            sum[0] += u[1] * v[2] - u[2] * v[1], sum[1] += u[2] * v[0] - u[0] * v[2], sum[2] += u[0] * v[1] - u[1] * v[0];
        }
        const double length = std::sqrt(sum[0] * sum[0] + sum[1] * sum[1] + sum[2] * sum[2]);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(byVertex.corners[k].normal[i], byCorner.corners[k].normal[i]) << k;
            EXPECT_NEAR(byCorner.corners[k].normal[i], sum[i] / length, 1e-6) << k;
        }
    }
}

// Millions of corners are numbered in two halves at once: a place found in both halves
// is still one place.
TEST(CornerNormals, PlacesOfMillionsOfCornersAreJoinedAcrossTheirHalves) {
    const size_t count = 1500001;  // 1,000 places, each met in both halves
    std::vector<float> positions(3 * count, 1.0f);
    for (size_t k = 0; k < count; ++k) positions[3 * k] = static_cast<float>(k * 7919 % 1000);
    std::vector<uint32_t> places(count);
    EXPECT_EQ(NumberPlaces(positions.data(), count, 3 * sizeof(float), places.data()), 1000u);
    std::vector<uint32_t> placeOfValue(1000, UINT32_MAX);
    size_t disagreements = 0;
    for (size_t k = 0; k < count; ++k) {
        uint32_t& place = placeOfValue[k * 7919 % 1000];
        if (place == UINT32_MAX) place = places[k];
        disagreements += place != places[k] || places[k] >= 1000;
    }
    EXPECT_EQ(disagreements, 0u);
    std::sort(placeOfValue.begin(), placeOfValue.end());
    EXPECT_EQ(std::unique(placeOfValue.begin(), placeOfValue.end()), placeOfValue.end()) << "one place a value";
}

}  // namespace
