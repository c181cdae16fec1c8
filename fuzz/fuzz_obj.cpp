// The OBJ reader over text (its MTL files through tinyobjloader): every corner it gives
// must be read through, and a failed read must leave no triangles behind.
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/obj_reader.h"
#include "fuzz/quiet.h"
#include "fuzz/triangle_model_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SilenceReaders();
    TriangleModel model;
    const ReadResult result = ReadObjText(std::string(reinterpret_cast<const char*>(data), size), "models/fuzz.obj", &model);
    CheckTriangleModel(result, model);
    return 0;
}
