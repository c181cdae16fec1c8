// The PLY reader over bytes in every encoding: a failed read must leave no triangles
// behind, and every corner it gives must be read through.
#include <cstddef>
#include <cstdint>

#include "formats/ply_reader.h"
#include "fuzz/quiet.h"
#include "fuzz/triangle_model_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SilenceReaders();
    TriangleModel model;
    const ReadResult result = ReadPlyBytes(data, size, "models/fuzz.ply", &model);
    CheckTriangleModel(result, model);
    return 0;
}
