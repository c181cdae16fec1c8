// Reading the large models people show: one file per run of this program, so that the
// peak memory it prints is that file's alone.
//   velmora_model_read_bench write FOLDER   writes the grid files of every format
//   velmora_model_read_bench read FILE...   reads each file through the saver's one way
//                                           in (ReadModel) three times and prints the
//                                           best time, the peak memory and the model's
//                                           own size
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "bench/grid_files.h"
#include "bench/peak_memory.h"
#include "formats/model_reader.h"

namespace {

constexpr int kLargeSide = 1001;   // vertices across and down: 2,000,000 triangles
constexpr int kMediumSide = 708;   // 1,000,000 triangles, with texture coordinates and normals

double Megabytes(uint64_t bytes) { return double(bytes) / (1024.0 * 1024.0); }

uint64_t ModelBytes(const TriangleModel& model) {
    uint64_t bytes = 0;
    for (const TriangleBatch& batch : model.batches) bytes += batch.corners.size() * sizeof(TriangleCorner);
    for (const TriangleMaterial& material : model.materials) bytes += material.embeddedImage.size();
    return bytes;
}

uint64_t FileBytes(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return 0;
    std::fseek(file, 0, SEEK_END);
    const long size = std::ftell(file);
    std::fclose(file);
    return size > 0 ? uint64_t(size) : 0;
}

int Write(const std::string& folder) {
    const std::string at = folder + "/";
    bool ok = grid_files::WriteObj(at + "grid-2m.obj", kLargeSide, kLargeSide, false, false) &&
              grid_files::WriteObj(at + "grid-1m-vt-vn.obj", kMediumSide, kMediumSide, true, true) &&
              grid_files::WriteGlb(at + "grid-2m.glb", kLargeSide, kLargeSide) &&
              grid_files::WriteStl(at + "grid-2m.stl", kLargeSide, kLargeSide) &&
              grid_files::WritePly(at + "grid-2m.ply", kLargeSide, kLargeSide);
    if (!ok) std::fprintf(stderr, "cannot write the grid files into %s\n", folder.c_str());
    return ok ? 0 : 1;
}

int Read(int count, char** paths) {
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        double best = 1e9;
        TriangleModel model;
        bool read = true;
        for (int run = 0; run < 3 && read; ++run) {
            model = TriangleModel();
            const auto start = std::chrono::steady_clock::now();
            read = static_cast<bool>(ReadModel(paths[i], &model));
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            if (took.count() < best) best = took.count();
        }
        if (!read) {
            std::printf("%s: not read\n", paths[i]);
            ++failures;
            continue;
        }
        std::printf("%s: %lld triangles in %.3f s (best of 3); peak memory %.0f MB, the model %.0f MB, the file %.0f MB\n",
                    paths[i], static_cast<long long>(model.TriangleCount()), best, Megabytes(PeakMemoryBytes()),
                    Megabytes(ModelBytes(model)), Megabytes(FileBytes(paths[i])));
    }
    return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "write") == 0) return Write(argv[2]);
    if (argc >= 3 && std::strcmp(argv[1], "read") == 0) return Read(argc - 2, argv + 2);
    std::fprintf(stderr, "usage: velmora_model_read_bench write FOLDER | read FILE...\n");
    return 2;
}
