// glTF files as gltfpack writes them (quantized; meshopt-compressed, with filters,
// with a fallback) read with the triangles of the uncompressed file they came from;
// broken compressed views and extensions the reader does not know are refused with
// their reason.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstddef>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "formats/gltf_reader.h"
#include "tests/unit/gltf_writer.h"

namespace {

const std::string kPacked = VELMORA_GLTFPACK_DIR;

TriangleModel Read(const std::string& path) {
    TriangleModel model;
    const ReadResult result = ReadGltfFile(path.c_str(), &model);
    EXPECT_TRUE(result) << path << ": " << ReadFailureText(result.failure) << ": " << result.detail;
    return model;
}

std::vector<TriangleCorner> Corners(const TriangleModel& model) {
    std::vector<TriangleCorner> corners;
    for (const TriangleBatch& batch : model.batches) corners.insert(corners.end(), batch.corners.begin(), batch.corners.end());
    return corners;
}

bool Near(const float* a, const float* b, int count, float tolerance) {
    for (int i = 0; i < count; ++i)
        if (std::fabs(a[i] - b[i]) > tolerance) return false;
    return true;
}

// Whether two corners agree within what gltfpack's quantization keeps: 14-bit
// positions over the 2-unit grid, 8-bit normals, 12-bit texture coordinates.
bool SameCorner(const TriangleCorner& a, const TriangleCorner& b) {
    return Near(a.position, b.position, 3, 1e-3f) && Near(a.normal, b.normal, 3, 0.03f) && Near(a.uv, b.uv, 2, 1e-3f);
}

// Every triangle of packed is one of reference's, turning the same way (gltfpack
// reorders triangles and the corners of each), and the counts are the same.
void ExpectSameTriangles(const TriangleModel& reference, const TriangleModel& packed, const std::string& name) {
    const std::vector<TriangleCorner> want = Corners(reference), got = Corners(packed);
    ASSERT_EQ(got.size(), want.size()) << name;
    std::vector<bool> used(want.size() / 3, false);
    for (size_t t = 0; t < got.size(); t += 3) {
        bool found = false;
        for (size_t r = 0; r < want.size() && !found; r += 3) {
            if (used[r / 3]) continue;
            for (int turn = 0; turn < 3 && !found; ++turn)
                found = SameCorner(got[t], want[r + turn]) && SameCorner(got[t + 1], want[r + (turn + 1) % 3]) &&
                        SameCorner(got[t + 2], want[r + (turn + 2) % 3]);
            if (found) used[r / 3] = true;
        }
        EXPECT_TRUE(found) << name << ": triangle " << t / 3 << " at " << got[t].position[0] << ", "
                           << got[t].position[1] << ", " << got[t].position[2] << " is not in the original";
    }
}

TEST(GltfCompressed, QuantizedAndMeshoptFilesReadWithTheOriginalsTriangles) {
    const TriangleModel original = Read(VELMORA_SOURCE_DIR "/tests/data/gltf/grid.gltf");
    ASSERT_EQ(original.TriangleCount(), 32);
    for (const char* name : {"quantized.glb", "compressed.glb", "filtered.glb", "fallback.gltf"}) {
        const TriangleModel packed = Read(kPacked + "/" + name);
        EXPECT_EQ(packed.TriangleCount(), 32) << name;
        ExpectSameTriangles(original, packed, name);
        ASSERT_EQ(packed.materials.size(), 1u) << name;
        EXPECT_FALSE(packed.materials[0].embeddedImage.empty()) << name;
    }
}

std::vector<uint8_t> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

uint32_t Get32(const std::vector<uint8_t>& bytes, size_t at) {
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 | uint32_t(bytes[at + 3]) << 24;
}

// A binary glTF file with its JSON changed; the binary chunk kept as it was.
std::vector<uint8_t> WithJson(const std::vector<uint8_t>& glb, const std::function<void(Json&)>& change) {
    const size_t jsonLength = Get32(glb, 12);
    Json doc = Json::parse(glb.begin() + 20, glb.begin() + 20 + static_cast<std::ptrdiff_t>(jsonLength));
    change(doc);
    std::string json = doc.dump();
    json.resize((json.size() + 3) / 4 * 4, ' ');
    const std::vector<uint8_t> binary(glb.begin() + 20 + static_cast<std::ptrdiff_t>(jsonLength), glb.end());
    std::vector<uint8_t> file = {'g', 'l', 'T', 'F'};
    auto put32 = [&file](size_t value) {
        for (int i = 0; i < 4; ++i) file.push_back(static_cast<uint8_t>(value >> (8 * i)));
    };
    put32(2);
    put32(20 + json.size() + binary.size());
    put32(json.size());
    put32(0x4E4F534A);
    file.insert(file.end(), json.begin(), json.end());
    file.insert(file.end(), binary.begin(), binary.end());
    return file;
}

TEST(GltfCompressed, BrokenCompressedViewsAndUnknownRequiredExtensionsAreRefusedWithTheirReason) {
    const std::vector<uint8_t> packed = FileBytes(kPacked + "/compressed.glb");
    ASSERT_GT(packed.size(), 20u);
    auto positions = [](Json& doc) -> Json& { return doc["bufferViews"][1]["extensions"]["EXT_meshopt_compression"]; };
    const struct {
        const char* name;
        std::vector<uint8_t> file;
        ReadFailure failure;
        const char* detail;
    } cases[] = {
        {"stride the codec cannot take", WithJson(packed, [&](Json& d) { positions(d)["byteStride"] = 6; }),
         ReadFailure::NotThisFormat, "buffer view 1: a compressed buffer view with elements of 6 bytes"},
        {"more elements than the view holds", WithJson(packed, [&](Json& d) { positions(d)["count"] = 26; }),
         ReadFailure::NotThisFormat, "more elements than its byteLength holds"},
        {"compressed bytes past their buffer", WithJson(packed, [&](Json& d) { positions(d)["byteLength"] = 100000; }),
         ReadFailure::Truncated, "buffer view 1's compressed bytes past their buffer"},
        {"compressed bytes cut short", WithJson(packed, [&](Json& d) { positions(d)["byteLength"] = 40; }),
         ReadFailure::NotThisFormat, "data that does not decode"},
        // An entry that is no object is no entry: the view would be read from its
        // fallback buffer, which holds no bytes.
        {"no compression entry", WithJson(packed, [&](Json& d) { positions(d) = 5; }), ReadFailure::Truncated,
         "buffer view 1 past its buffer"},
        {"a filter no one knows", WithJson(packed, [&](Json& d) { positions(d)["filter"] = "WAVELET"; }),
         ReadFailure::NotThisFormat, "filter WAVELET"},
        {"filter on indices",
         WithJson(packed, [&](Json& d) { d["bufferViews"][4]["extensions"]["EXT_meshopt_compression"]["filter"] = "OCTAHEDRAL"; }),
         ReadFailure::NotThisFormat, "a filter on indices"},
        {"triangles not in threes",
         WithJson(packed, [&](Json& d) { d["bufferViews"][4]["extensions"]["EXT_meshopt_compression"]["count"] = 95; }),
         ReadFailure::NotThisFormat, "count not divisible by 3"},
        {"an extension no one knows",
         WithJson(packed, [&](Json& d) { d["extensionsRequired"].push_back("EXT_made_up_geometry"); }),
         ReadFailure::Unsupported, "requires EXT_made_up_geometry"},
        {"the other meshopt extension",
         WithJson(packed, [&](Json& d) { d["extensionsRequired"].push_back("KHR_meshopt_compression"); }),
         ReadFailure::Unsupported, "requires KHR_meshopt_compression"},
    };
    for (const auto& c : cases) {
        TriangleModel model;
        const ReadResult result = ReadGltfBytes(c.file.data(), c.file.size(), "models/packed.glb", &model);
        EXPECT_EQ(result.failure, c.failure) << c.name << ": " << result.detail;
        EXPECT_NE(result.detail.find(c.detail), std::string::npos) << c.name << ": " << result.detail;
        EXPECT_TRUE(model.batches.empty()) << c.name;
    }
}

}  // namespace
