// The MS3D model's records turned into the one in-memory model.
#include <cstring>

#include "formats/ms3d_model.h"
#include "platform/trace.h"

namespace {

TriangleMaterial MaterialOf(const MS3DMaterial& source) {
    TriangleMaterial material;
    material.lit = true;
    std::memcpy(material.lighting.ambient, source.ambient, sizeof source.ambient);
    std::memcpy(material.lighting.diffuse, source.diffuse, sizeof source.diffuse);
    std::memcpy(material.lighting.specular, source.specular, sizeof source.specular);
    std::memcpy(material.lighting.emissive, source.emissive, sizeof source.emissive);
    material.lighting.shininess = source.shininess;
    // Unlit, the faces show the diffuse colour (times the texture).
    std::memcpy(material.baseColor, source.diffuse, sizeof source.diffuse);
    material.filter = TextureFilter::LinearMipmapNearest;
    if (source.textureFilename) material.textureFile = source.textureFilename.get();
    return material;
}

}  // namespace

TriangleModel BuildMS3DTriangleModel(const MS3DModel& model) {
    TriangleModel triangles;
    for (int32_t i = 0; model.materials && i < model.numMaterials; ++i) {
        TraceF("material #%i", static_cast<int>(i));
        triangles.materials.push_back(MaterialOf(model.materials[i]));
        const std::string& file = triangles.materials.back().textureFile;
        if (!file.empty()) TraceF("Material is %s", file.c_str());
    }
    int32_t previous = -1;  // the material of the last group that had one
    for (int32_t m = 0; model.meshes && m < model.numMeshes; ++m) {
        const MS3DMesh& mesh = model.meshes[m];
        TriangleBatch batch;
        // An index past the material list counts as no material.
        if (mesh.materialIndex >= 0 && mesh.materialIndex < model.numMaterials) {
            batch.material = previous = mesh.materialIndex;
        } else {
            batch.material = previous;
            batch.textured = false;
        }
        for (int32_t k = 0; k < mesh.numTriangles; ++k) {
            const int32_t triangleIndex = mesh.triangleIndices[k];
            if (triangleIndex < 0 || triangleIndex >= model.numTriangles) continue;
            const MS3DTriangle& triangle = model.triangles[triangleIndex];
            bool cornersExist = true;
            for (int32_t v : triangle.vertexIndices) cornersExist = cornersExist && v >= 0 && v < model.numVertices;
            if (!cornersExist) continue;
            for (int corner = 0; corner < 3; ++corner) {
                TriangleCorner c = {};
                std::memcpy(c.position, model.vertices[triangle.vertexIndices[corner]].location, sizeof c.position);
                std::memcpy(c.normal, triangle.vertexNormals[corner], sizeof c.normal);
                c.uv[0] = triangle.s[corner];
                c.uv[1] = triangle.t[corner];
                for (float& value : c.color) value = 1.0f;
                batch.corners.push_back(c);
            }
        }
        triangles.batches.push_back(std::move(batch));
    }
    return triangles;
}
