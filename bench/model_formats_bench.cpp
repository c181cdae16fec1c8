// Loading one mesh of 100,000 triangles from OBJ, binary glTF and 3DS (split into two
// objects of 50,000 faces, as 3DS counts faces in 16 bits); the large models of every
// format are read by model_read_bench. Each file is written once; the reads run from
// the disk cache.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "formats/gltf_reader.h"
#include "formats/model3ds.h"
#include "formats/obj_reader.h"
#include "bench/grid_3ds.h"
#include "bench/grid_files.h"

namespace {

constexpr int kColumns = 201;      // vertices across
constexpr int kRows = 251;         // vertices down: 200 x 250 cells, 100,000 triangles
constexpr int kSplitRow = 125;     // the 3DS file's two objects meet at this row

std::string TempPath(const char* name) { return (std::filesystem::temp_directory_path() / name).string(); }

const std::string& ObjPath() {
    static const std::string path = [] {
        const std::string written = TempPath("velmora_bench_grid.obj");
        grid_files::WriteObj(written, kColumns, kRows, true, false);
        return written;
    }();
    return path;
}

const std::string& GlbPath() {
    static const std::string path = [] {
        const std::string written = TempPath("velmora_bench_grid.glb");
        grid_files::WriteGlb(written, kColumns, kRows);
        return written;
    }();
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
        const std::string written = TempPath("velmora_bench_split_grid.3ds");
        grid_files::Save(written, std::string(w.bytes.begin(), w.bytes.end()));
        return written;
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
BENCHMARK_MAIN();
