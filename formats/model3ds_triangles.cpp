// The 3DS model's records turned into the one in-memory model: the per-face material
// rules decide the batches.
#include <cstring>
#include <string>

#include "formats/model3ds.h"
#include "formats/model_file.h"
#include "platform/trace.h"

namespace {

// The material's colour and its texture file beside the model. Textures show in their
// own colours (white under them); only their first level is ever drawn.
TriangleMaterial MaterialOf(const tMaterialInfo& source, const char* modelPath) {
    TriangleMaterial material;
    material.name.assign(source.name, strnlen(source.name, sizeof source.name));
    for (int i = 0; i < 3; ++i) material.baseColor[i] = static_cast<float>(source.color[i]) / 255.0f;
    material.colorTintsTexture = false;
    material.filter = TextureFilter::Linear;
    material.traceTextureSteps = true;
    // The name field is a fixed array; a name that fills it has no NUL of its own.
    const std::string fileName(source.fileName, strnlen(source.fileName, sizeof source.fileName));
    if (!fileName.empty()) {
        material.textureFile = FileBesideModel(modelPath, fileName);
        TraceF("3DS: Loading texture: %s", material.textureFile.c_str());
    }
    return material;
}

}  // namespace

TriangleModel Build3DSTriangleModel(const t3DModel& model, const char* modelPath) {
    TriangleModel triangles;
    const int32_t materialCount = static_cast<int32_t>(model.materials.size());
    for (int32_t i = 0; i < model.numMaterials && i < materialCount; ++i)
        triangles.materials.push_back(MaterialOf(model.materials[i], modelPath));
    // Faces of a group take a texture when their material names one; faces in no
    // group when the object's groups named a textured material.
    auto wantsTexture = [&](const t3DObject& object, int32_t face) {
        const bool grouped = object.faceMaterials && face < object.numFaces && object.faceMaterials[face] >= 0;
        if (!grouped) return object.hasTexture;
        const int32_t index = object.faceMaterials[face];
        return index < materialCount && model.materials[index].fileName[0] != '\0';
    };
    const int32_t objectCount = static_cast<int32_t>(model.objects.size());
    for (int32_t i = 0; i < model.numObjects && i < objectCount; ++i) {
        const t3DObject& object = model.objects[i];
        TriangleBatch* batch = nullptr;
        float uv[2] = {0.0f, 0.0f};  // a corner without a coordinate keeps the one before
        for (int32_t j = 0; j < object.numFaces; ++j) {
            const tTriangle& face = object.faces[j];
            bool valid = true;
            for (int32_t idx : face.vertIndex) valid = valid && idx >= 0 && idx < object.numVerts;
            if (!valid) continue;  // a corner without a vertex would shift every later triangle
            int32_t material = FaceMaterial(object, j);
            if (material < 0 || material >= materialCount) material = -1;  // drawn white
            const bool wanted = wantsTexture(object, j);
            if (!batch || batch->material != material || batch->textured != wanted) {
                triangles.batches.push_back(TriangleBatch());
                batch = &triangles.batches.back();
                batch->material = material;
                batch->textured = wanted;
                batch->texCoords = object.texCoords && object.numTexCoords > 0;
            }
            for (int32_t idx : face.vertIndex) {
                TriangleCorner corner = {};
                const Vector3& position = object.verts[idx];
                corner.position[0] = position.x;
                corner.position[1] = position.y;
                corner.position[2] = position.z;
                if (object.normals) {
                    corner.normal[0] = object.normals[idx].x;
                    corner.normal[1] = object.normals[idx].y;
                    corner.normal[2] = object.normals[idx].z;
                }
                if (object.texCoords && idx < object.numTexCoords) {
                    uv[0] = object.texCoords[idx].u;
                    uv[1] = object.texCoords[idx].v;
                }
                corner.uv[0] = uv[0];
                corner.uv[1] = uv[1];
                for (float& value : corner.color) value = 1.0f;
                batch->corners.push_back(corner);
            }
        }
    }
    return triangles;
}
