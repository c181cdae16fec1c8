// Loading one mesh of 100,000 triangles from each format a user may choose: OBJ
// (tinyobjloader), binary glTF (tinygltf) and 3DS (split into two objects of 50,000
// faces, as 3DS counts faces in 16 bits); and a mesh of 2,000,000 triangles from OBJ
// and binary glTF, the size of a scan or a photogrammetry download. Each file is
// written once; the reads run from the disk cache.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/gltf_reader.h"
#include "formats/model3ds.h"
#include "formats/obj_reader.h"
#include "bench/grid_3ds.h"

namespace {

constexpr int kColumns = 201;      // vertices across
constexpr int kRows = 251;         // vertices down: 200 x 250 cells, 100,000 triangles
constexpr int kSplitRow = 125;     // the 3DS file's two objects meet at this row
constexpr int kLargeSide = 1001;   // vertices across and down: 2,000,000 triangles

std::string Write(const char* name, const std::string& bytes) {
    const std::string path = (std::filesystem::temp_directory_path() / name).string();
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out) {
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
    }
    return path;
}

std::string WriteObj(const char* name, int columns, int rows) {
    return [=] {
        std::string text;
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < columns; ++c) text += "v " + std::to_string(c) + " " + std::to_string(r) + " " + std::to_string(GridHeight(c, r)) + "\n";
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < columns; ++c) text += "vt " + std::to_string(float(c) / columns) + " " + std::to_string(float(r) / rows) + "\n";
        for (int r = 0; r + 1 < rows; ++r)
            for (int c = 0; c + 1 < columns; ++c) {
                const int a = r * columns + c + 1, b = a + 1, d = a + columns, e = d + 1;
                text += "f " + std::to_string(a) + "/" + std::to_string(a) + " " + std::to_string(b) + "/" + std::to_string(b) +
                        " " + std::to_string(e) + "/" + std::to_string(e) + "\n";
                text += "f " + std::to_string(a) + "/" + std::to_string(a) + " " + std::to_string(e) + "/" + std::to_string(e) +
                        " " + std::to_string(d) + "/" + std::to_string(d) + "\n";
            }
        return Write(name, text);
    }();
}

const std::string& ObjPath() {
    static const std::string path = WriteObj("velmora_bench_grid.obj", kColumns, kRows);
    return path;
}

const std::string& LargeObjPath() {
    static const std::string path = WriteObj("velmora_bench_large_grid.obj", kLargeSide, kLargeSide);
    return path;
}

void Append(std::string& out, const void* data, size_t size) { out.append(static_cast<const char*>(data), size); }

void Append32(std::string& out, uint32_t value) { Append(out, &value, 4); }

std::string WriteGlb(const char* name, int columns, int rows) {
    return [=] {
        std::string bin;
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < columns; ++c) {
                const float xyz[3] = {float(c), float(r), GridHeight(c, r)};
                Append(bin, xyz, sizeof xyz);
            }
        const size_t uvOffset = bin.size();
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < columns; ++c) {
                const float uv[2] = {float(c) / columns, float(r) / rows};
                Append(bin, uv, sizeof uv);
            }
        const size_t indexOffset = bin.size();
        for (int r = 0; r + 1 < rows; ++r)
            for (int c = 0; c + 1 < columns; ++c) {
                const uint32_t a = uint32_t(r * columns + c), b = a + 1, d = a + columns, e = d + 1;
                for (uint32_t index : {a, b, e, a, e, d}) Append32(bin, index);
            }
        const size_t vertices = size_t(rows) * columns, indices = (bin.size() - indexOffset) / 4;
        std::string json = "{\"asset\":{\"version\":\"2.0\"},\"scene\":0,\"scenes\":[{\"nodes\":[0]}],\"nodes\":[{\"mesh\":0}],"
                           "\"meshes\":[{\"primitives\":[{\"attributes\":{\"POSITION\":0,\"TEXCOORD_0\":1},\"indices\":2}]}],"
                           "\"buffers\":[{\"byteLength\":" + std::to_string(bin.size()) + "}],\"bufferViews\":["
                           "{\"buffer\":0,\"byteOffset\":0,\"byteLength\":" + std::to_string(uvOffset) + "},"
                           "{\"buffer\":0,\"byteOffset\":" + std::to_string(uvOffset) + ",\"byteLength\":" + std::to_string(indexOffset - uvOffset) + "},"
                           "{\"buffer\":0,\"byteOffset\":" + std::to_string(indexOffset) + ",\"byteLength\":" + std::to_string(bin.size() - indexOffset) + "}],"
                           "\"accessors\":["
                           "{\"bufferView\":0,\"componentType\":5126,\"count\":" + std::to_string(vertices) + ",\"type\":\"VEC3\","
                           "\"min\":[0,0,0],\"max\":[" + std::to_string(columns) + "," + std::to_string(rows) + ",1]},"
                           "{\"bufferView\":1,\"componentType\":5126,\"count\":" + std::to_string(vertices) + ",\"type\":\"VEC2\"},"
                           "{\"bufferView\":2,\"componentType\":5125,\"count\":" + std::to_string(indices) + ",\"type\":\"SCALAR\"}]}";
        while (json.size() % 4) json += ' ';
        while (bin.size() % 4) bin += '\0';
        std::string glb = "glTF";
        Append32(glb, 2);
        Append32(glb, uint32_t(12 + 8 + json.size() + 8 + bin.size()));
        Append32(glb, uint32_t(json.size()));
        glb += "JSON" + json;
        Append32(glb, uint32_t(bin.size()));
        glb += std::string("BIN\0", 4) + bin;
        return Write(name, glb);
    }();
}

const std::string& GlbPath() {
    static const std::string path = WriteGlb("velmora_bench_grid.glb", kColumns, kRows);
    return path;
}

const std::string& LargeGlbPath() {
    static const std::string path = WriteGlb("velmora_bench_large_grid.glb", kLargeSide, kLargeSide);
    return path;
}

// Two objects, rows 0..125 and 125..250, each of 201 x 126 vertices and 50,000 faces.
const std::string& ThreeDSPath() {
    static const std::string path = [] {
        ChunkWriter w;
        chunks::BeginFile(w);
        for (int part = 0; part < 2; ++part)
            WriteGridObject(w, "Grid" + std::to_string(part), kColumns, part * kSplitRow,
                            part ? kRows - 1 : kSplitRow, 0.0f, kRows);
        chunks::EndFile(w);
        return Write("velmora_bench_split_grid.3ds", std::string(w.bytes.begin(), w.bytes.end()));
    }();
    return path;
}

void ObjLoad(benchmark::State& state) {
    for (auto _ : state) {
        TriangleModel model;
        if (!ReadObjFile(ObjPath().c_str(), &model) || model.TriangleCount() != 100000) state.SkipWithError("OBJ did not read");
        benchmark::DoNotOptimize(model.batches.data());
    }
}

void GltfLoad(benchmark::State& state) {
    for (auto _ : state) {
        TriangleModel model;
        if (!ReadGltfFile(GlbPath().c_str(), &model) || model.TriangleCount() != 100000) state.SkipWithError("glTF did not read");
        benchmark::DoNotOptimize(model.batches.data());
    }
}

void LargeObjLoad(benchmark::State& state) {
    for (auto _ : state) {
        TriangleModel model;
        if (!ReadObjFile(LargeObjPath().c_str(), &model) || model.TriangleCount() != 2000000)
            state.SkipWithError("OBJ did not read");
        benchmark::DoNotOptimize(model.batches.data());
    }
}

void LargeGltfLoad(benchmark::State& state) {
    for (auto _ : state) {
        TriangleModel model;
        if (!ReadGltfFile(LargeGlbPath().c_str(), &model) || model.TriangleCount() != 2000000)
            state.SkipWithError("glTF did not read");
        benchmark::DoNotOptimize(model.batches.data());
    }
}

void ThreeDSImport(benchmark::State& state) {
    for (auto _ : state) {
        Model3DS reader;
        if (!reader.Import(&reader.model, ThreeDSPath().c_str())) state.SkipWithError("3DS did not read");
        benchmark::DoNotOptimize(reader.model.objects.data());
    }
}

}  // namespace

BENCHMARK(ObjLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(GltfLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(ThreeDSImport)->Unit(benchmark::kMillisecond);
BENCHMARK(LargeObjLoad)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(LargeGltfLoad)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK_MAIN();
