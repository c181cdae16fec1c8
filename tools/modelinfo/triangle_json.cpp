#include "tools/modelinfo/triangle_json.h"

#include <cmath>
#include <cstring>
#include <string>

#include "formats/model_reader.h"
#include "tools/modelinfo/json_text.h"

namespace {

int ColorByte(float value) { return static_cast<int>(std::lround(std::fmin(std::fmax(value, 0.0f), 1.0f) * 255.0f)); }

const char* FormatName(ModelKind kind) {
    switch (kind) {
        case ModelKind::Obj: return "obj";
        case ModelKind::Stl: return "stl";
        case ModelKind::Ply: return "ply";
        default: return "gltf";
    }
}

}  // namespace

std::string DescribeTriangleModel(const char* path, bool full, bool* loaded, std::string* reason) {
    TriangleModel model;
    const ReadResult result = ReadModel(path, &model);
    *loaded = static_cast<bool>(result);
    if (!result) *reason = std::string(ReadFailureText(result.failure)) + (result.detail.empty() ? "" : ": ") + result.detail;
    bool colors = false;
    for (const TriangleBatch& batch : model.batches) colors = colors || batch.vertexColors;
    std::string out = std::string("{\"format\":\"") + FormatName(ModelKindOfFile(path)) + "\",\"loaded\":";
    out += *loaded ? "true" : "false";
    out += ",\"vertexColors\":";
    out += colors ? "true" : "false";
    out += ",\"materials\":[";
    for (size_t i = 0; i < model.materials.size(); ++i) {
        const TriangleMaterial& material = model.materials[i];
        if (i) out += ',';
        out += "{\"name\":";
        AppendString(out, material.name.c_str());
        out += ",\"fileName\":";
        AppendString(out, material.textureFile.c_str());
        if (!material.embeddedImage.empty()) out += ",\"embedded\":true";
        out += ",\"color\":[" + std::to_string(ColorByte(material.baseColor[0])) + ',' +
               std::to_string(ColorByte(material.baseColor[1])) + ',' + std::to_string(ColorByte(material.baseColor[2])) +
               "]}";
    }
    out += "],\"objects\":[";
    for (size_t i = 0; i < model.batches.size(); ++i) {
        const TriangleBatch& batch = model.batches[i];
        if (i) out += ',';
        out += "{\"numFaces\":" + std::to_string(batch.corners.size() / 3);
        out += ",\"numVerts\":" + std::to_string(batch.corners.size());
        out += ",\"materialIndex\":" + std::to_string(batch.material);
        out += ",\"vertexColors\":";
        out += batch.vertexColors ? "true" : "false";
        if (full) {
            out += ",\"verts\":[";
            for (size_t c = 0; c < batch.corners.size(); ++c) {
                if (c) out += ',';
                const float* p = batch.corners[c].position;
                AppendTriple(out, p[0], p[1], p[2]);
            }
            out += ']';
        }
        out += '}';
    }
    out += "]}\n";
    return out;
}
