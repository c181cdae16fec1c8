// The 3DS reader's speed: Import of the default model and of a synthetic mesh of
// 100,000 vertices, and the linear-time vertex normals against the direct scan of
// all faces for every vertex, with the ratio printed after the runs.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "formats/model3ds.h"
#include "formats/vertex_normals.h"
#include "bench/grid_3ds.h"
#include "tests/unit/normal_scan.h"

namespace {

std::string DefaultModelPath() {
    std::string path = VELMORA_SOURCE_DIR "/resources/VLG.3DS";
    return std::filesystem::exists(path) ? path : std::string();
}

// Two objects of 250 x 200 vertices each (a 3DS object counts its vertices in
// 16 bits), gently curved grids of two triangles per cell.
std::string SyntheticMeshPath() {
    static std::string path;
    if (!path.empty()) return path;
    const int columns = 250, rows = 200;
    ChunkWriter w;
    chunks::BeginFile(w);
    for (int part = 0; part < 2; ++part)
        WriteGridObject(w, "Grid" + std::to_string(part), columns, 0, rows - 1, float(part), rows);
    chunks::EndFile(w);
    path = (std::filesystem::temp_directory_path() / "velmora_bench_grid.3ds").string();
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return path = std::string();
    std::fwrite(w.bytes.data(), 1, w.bytes.size(), out);
    std::fclose(out);
    return path;
}

std::string PathFor(int which) {
    return which == 0 ? DefaultModelPath() : SyntheticMeshPath();
}

const char* const kModelNames[] = {"default", "synthetic"};

void BM_Import(benchmark::State& state) {
    std::string path = PathFor(static_cast<int>(state.range(0)));
    state.SetLabel(kModelNames[state.range(0)]);
    if (path.empty()) {
        state.SkipWithError("model file missing");
        return;
    }
    for (auto _ : state) {
        Model3DS reader;
        bool loaded = static_cast<bool>(reader.Import(&reader.model, path.c_str()));
        benchmark::DoNotOptimize(loaded);
        if (!loaded) state.SkipWithError("import failed");
    }
}

// The model read once, shared by the normal benchmarks.
Model3DS* LoadedModel(int which) {
    static std::map<int, Model3DS> loaded;
    auto found = loaded.find(which);
    if (found == loaded.end()) {
        found = loaded.try_emplace(which).first;
        std::string path = PathFor(which);
        if (path.empty() || !found->second.Import(&found->second.model, path.c_str())) return nullptr;
    }
    return found->second.model.numObjects ? &found->second : nullptr;
}

void BM_LinearNormals(benchmark::State& state) {
    Model3DS* reader = LoadedModel(static_cast<int>(state.range(0)));
    state.SetLabel(kModelNames[state.range(0)]);
    if (!reader) {
        state.SkipWithError("model missing");
        return;
    }
    for (auto _ : state) {
        for (t3DObject& object : reader->model.objects) BuildObjectNormals(object);
        benchmark::ClobberMemory();
    }
}

void BM_ScanNormals(benchmark::State& state) {
    Model3DS* reader = LoadedModel(static_cast<int>(state.range(0)));
    state.SetLabel(kModelNames[state.range(0)]);
    if (!reader) {
        state.SkipWithError("model missing");
        return;
    }
    for (auto _ : state) {
        for (const t3DObject& object : reader->model.objects) benchmark::DoNotOptimize(ScanVertexNormals(object));
    }
}

BENCHMARK(BM_Import)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LinearNormals)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanNormals)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Console output without colours, and the real time per iteration of every run kept
// for the closing ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (!run.error_occurred) times[run.benchmark_name()] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (int which = 0; which < 2; ++which) {
        std::string suffix = "/" + std::to_string(which);
        auto linear = reporter.times.find("BM_LinearNormals" + suffix);
        auto scan = reporter.times.find("BM_ScanNormals" + suffix);
        if (linear == reporter.times.end() || scan == reporter.times.end() || linear->second <= 0) {
            std::printf("normals, %s model: no ratio (a run is missing)\n", kModelNames[which]);
        } else {
            std::printf("normals, %s model: linear %.3f ms, scan %.3f ms, %.0fx faster\n", kModelNames[which],
                        linear->second, scan->second, scan->second / linear->second);
        }
    }
    benchmark::Shutdown();
    if (!SyntheticMeshPath().empty()) std::remove(SyntheticMeshPath().c_str());
    return 0;
}
