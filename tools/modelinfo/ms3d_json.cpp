#include "tools/modelinfo/ms3d_json.h"

#include "formats/ms3d_model.h"
#include "tools/modelinfo/json_text.h"

namespace {

void AppendFloats(std::string& out, const float* values, int count) {
    out += '[';
    for (int i = 0; i < count; ++i) {
        if (i) out += ',';
        AppendNumber(out, values[i]);
    }
    out += ']';
}

void AppendMaterial(std::string& out, const MS3DMaterial& material) {
    out += "{\"ambient\":";
    AppendFloats(out, material.ambient, 4);
    out += ",\"diffuse\":";
    AppendFloats(out, material.diffuse, 4);
    out += ",\"specular\":";
    AppendFloats(out, material.specular, 4);
    out += ",\"emissive\":";
    AppendFloats(out, material.emissive, 4);
    out += ",\"shininess\":";
    AppendNumber(out, material.shininess);
    out += ",\"textureFilename\":";
    AppendString(out, material.textureFilename ? material.textureFilename.get() : "");
    out += '}';
}

void AppendTriangle(std::string& out, const MS3DTriangle& triangle) {
    const int32_t* v = triangle.vertexIndices;
    out += "{\"indices\":[" + std::to_string(v[0]) + ',' + std::to_string(v[1]) + ',' + std::to_string(v[2]) + ']';
    out += ",\"normals\":[";
    for (int corner = 0; corner < 3; ++corner) {
        if (corner) out += ',';
        AppendFloats(out, triangle.vertexNormals[corner], 3);
    }
    out += "],\"s\":";
    AppendFloats(out, triangle.s, 3);
    out += ",\"t\":";
    AppendFloats(out, triangle.t, 3);
    out += '}';
}

}  // namespace

std::string DescribeMS3D(const char* path, bool full, bool* loaded) {
    MS3DModel model;
    *loaded = static_cast<bool>(model.read(path));
    std::string out = "{\"format\":\"ms3d\",\"loaded\":";
    out += *loaded ? "true" : "false";
    out += ",\"version\":" + std::to_string(model.version);
    out += ",\"numVertices\":" + std::to_string(model.numVertices);
    out += ",\"numTriangles\":" + std::to_string(model.numTriangles);
    out += ",\"meshes\":[";
    for (int32_t i = 0; i < model.numMeshes; ++i) {
        const MS3DMesh& mesh = model.meshes[i];
        if (i) out += ',';
        out += "{\"materialIndex\":" + std::to_string(mesh.materialIndex);
        out += ",\"numTriangles\":" + std::to_string(mesh.numTriangles);
        if (full)
            AppendArray(out, "triangleIndices", mesh.numTriangles, mesh.triangleIndices != nullptr,
                        [&](int32_t k) { out += std::to_string(mesh.triangleIndices[k]); });
        out += '}';
    }
    out += "],\"materials\":[";
    for (int32_t i = 0; i < model.numMaterials; ++i) {
        if (i) out += ',';
        AppendMaterial(out, model.materials[i]);
    }
    out += ']';
    if (full) {
        AppendArray(out, "vertices", model.numVertices, model.vertices != nullptr, [&](int32_t i) {
            const float* p = model.vertices[i].location;
            AppendTriple(out, p[0], p[1], p[2]);
        });
        AppendArray(out, "triangles", model.numTriangles, model.triangles != nullptr,
                    [&](int32_t i) { AppendTriangle(out, model.triangles[i]); });
    }
    out += "}\n";
    return out;
}
