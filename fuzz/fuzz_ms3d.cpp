// The MS3D reader over bytes. The texture path rule runs too: the model's name has a
// directory part, so stored names are composed with it.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "formats/ms3d_model.h"
#include "fuzz/quiet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SilenceReaders();
    MS3DModel model;
    model.parse(data, size, "models/fuzz.ms3d");
    volatile float sink = 0;
    if (model.numVertices > 0) sink = sink + model.vertices[model.numVertices - 1].location[2];
    if (model.numTriangles > 0) sink = sink + model.triangles[model.numTriangles - 1].t[2];
    for (int32_t i = 0; i < model.numMeshes; ++i) {
        const MS3DMesh& mesh = model.meshes[i];
        if (mesh.numTriangles > 0) sink = sink + static_cast<float>(mesh.triangleIndices[mesh.numTriangles - 1]);
    }
    for (int32_t i = 0; i < model.numMaterials; ++i) {
        const char* name = model.materials[i].textureFilename.get();
        if (name && std::strlen(name) >= kMS3DMaxComposedPath) __builtin_trap();
    }
    return 0;
}
