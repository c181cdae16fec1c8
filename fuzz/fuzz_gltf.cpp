// The glTF reader over bytes, text or binary by the first bytes. The model's folder
// does not exist, so external buffers (even through "..") never open: data URIs and
// the binary chunk are the only data.
#include <cstddef>
#include <cstdint>

#include "formats/gltf_reader.h"
#include "fuzz/quiet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SilenceReaders();
    TriangleModel model;
    const ReadResult result = ReadGltfBytes(data, size, "/velmora-fuzz-absent/model.gltf", &model);
    // A refused model is empty; a read one has whole triangles with materials it has.
    if (!result && (!model.batches.empty() || !model.materials.empty())) __builtin_trap();
    volatile float sink = 0;
    for (const TriangleBatch& batch : model.batches) {
        if (batch.corners.empty() || batch.corners.size() % 3 != 0) __builtin_trap();
        if (batch.material >= static_cast<int32_t>(model.materials.size())) __builtin_trap();
        const TriangleCorner& last = batch.corners.back();
        sink = sink + last.position[2] + last.normal[2] + last.uv[1] + last.color[3];
    }
    for (const TriangleMaterial& material : model.materials)
        if (!material.embeddedImage.empty()) sink = sink + material.embeddedImage.back();
    return 0;
}
