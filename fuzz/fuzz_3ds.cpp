// The 3DS reader over bytes: import, normals, release.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "formats/model3ds.h"
#include "fuzz/quiet.h"

namespace {

// Reads the last entry of every array by its count, the way drawing indexes them, so
// a count larger than its array is an AddressSanitizer report; names must end.
void WalkModel(const t3DModel& model) {
    volatile float sink = 0;
    if (model.numObjects != static_cast<int32_t>(model.objects.size()) ||
        model.numMaterials != static_cast<int32_t>(model.materials.size()))
        __builtin_trap();
    for (const t3DObject& object : model.objects) {
        if (std::memchr(object.name, 0, sizeof object.name) == nullptr) __builtin_trap();
        if (object.numVerts > 0) sink = sink + object.verts[object.numVerts - 1].x + object.normals[object.numVerts - 1].x;
        if (object.numTexCoords > 0) sink = sink + object.texCoords[object.numTexCoords - 1].u;
        if (object.numFaces > 0) sink = sink + static_cast<float>(object.faces[object.numFaces - 1].vertIndex[2]);
    }
    for (const tMaterialInfo& material : model.materials) {
        if (std::memchr(material.name, 0, sizeof material.name) == nullptr ||
            std::memchr(material.fileName, 0, sizeof material.fileName) == nullptr)
            __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SilenceReaders();
    Model3DS reader;
    reader.ImportMemory(&reader.model, data, size, "fuzz.3DS");
    WalkModel(reader.model);
    reader.FreeMeshes();
    return 0;
}
