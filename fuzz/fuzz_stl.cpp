// The STL reader over bytes, binary or ASCII: every corner it gives must be read
// through, and a failed read must leave no triangles behind.
#include <cstddef>
#include <cstdint>

#include "formats/stl_reader.h"
#include "fuzz/quiet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SilenceReaders();
    TriangleModel model;
    const ReadResult result = ReadStlBytes(data, size, "models/fuzz.stl", &model);
    if (!result && model.TriangleCount() != 0) __builtin_trap();
    volatile float sink = 0;
    for (const TriangleBatch& batch : model.batches) {
        if (batch.corners.size() % 3 != 0) __builtin_trap();
        if (batch.material >= static_cast<int32_t>(model.materials.size())) __builtin_trap();
        for (const TriangleCorner& corner : batch.corners)
            sink = sink + corner.position[0] + corner.normal[2] + corner.color[1];
    }
    return 0;
}
