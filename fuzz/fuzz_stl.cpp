// The STL reader over bytes, binary or ASCII: every corner it gives must be read
// through, and a failed read must leave no triangles behind.
#include <cstddef>
#include <cstdint>

#include "formats/stl_reader.h"
#include "fuzz/quiet.h"
#include "fuzz/triangle_model_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SilenceReaders();
    TriangleModel model;
    const ReadResult result = ReadStlBytes(data, size, "models/fuzz.stl", &model);
    CheckTriangleModel(result, model);
    return 0;
}
