// modelinfo: prints what the model readers make of a file, as one JSON object. The
// file's kind is the saver's (its contents, else its name); a file of no model kind
// is shown as the 3DS reader sees it.
//   modelinfo [--full] FILE
// Exit status 0 when the file loaded, 1 when it did not, 2 for a usage error.
// It reads only; no OpenGL context is involved. The reader's notices, which the
// saver shows as message boxes, become lines on standard error.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "formats/model3ds.h"
#include "formats/model_reader.h"
#include "tools/modelinfo/json_text.h"
#include "tools/modelinfo/ms3d_json.h"
#include "tools/modelinfo/triangle_json.h"

namespace {

void NoticesToStandardError(const ReadResult& result) {
    for (const ReaderNotice& notice : result.notices)
        std::fprintf(stderr, "%s: %s\n", notice.caption.c_str(), notice.text.c_str());
}

void AppendBoundingBox(std::string& out, const t3DObject& object) {
    if (object.numVerts <= 0 || !object.verts) {
        out += "\"bboxMin\":null,\"bboxMax\":null";
        return;
    }
    Vector3 low = object.verts[0], high = object.verts[0];
    for (int32_t i = 1; i < object.numVerts; ++i) {
        const Vector3& v = object.verts[i];
        low = {std::fmin(low.x, v.x), std::fmin(low.y, v.y), std::fmin(low.z, v.z)};
        high = {std::fmax(high.x, v.x), std::fmax(high.y, v.y), std::fmax(high.z, v.z)};
    }
    out += "\"bboxMin\":";
    AppendTriple(out, low.x, low.y, low.z);
    out += ",\"bboxMax\":";
    AppendTriple(out, high.x, high.y, high.z);
}

void AppendObject(std::string& out, const t3DObject& object, bool full) {
    out += "{\"name\":";
    AppendString(out, object.name);
    out += ",\"numVerts\":" + std::to_string(object.numVerts);
    out += ",\"numFaces\":" + std::to_string(object.numFaces);
    out += ",\"numTexCoords\":" + std::to_string(object.numTexCoords);
    out += ",\"materialIndex\":" + std::to_string(object.materialIndex);
    out += ",\"hasTexture\":";
    out += object.hasTexture ? "true" : "false";
    out += ',';
    AppendBoundingBox(out, object);
    if (full) {
        auto vector3 = [&](const Vector3& v) {
            AppendNumber(out, v.x);
            out += ',';
            AppendNumber(out, v.y);
            out += ',';
            AppendNumber(out, v.z);
        };
        AppendArray(out, "verts", object.numVerts, object.verts != nullptr, [&](int32_t i) { vector3(object.verts[i]); });
        AppendArray(out, "faces", object.numFaces, object.faces != nullptr, [&](int32_t i) {
            const int32_t* index = object.faces[i].vertIndex;
            out += std::to_string(index[0]) + ',' + std::to_string(index[1]) + ',' + std::to_string(index[2]);
        });
        AppendArray(out, "texCoords", object.numTexCoords, object.texCoords != nullptr, [&](int32_t i) {
            AppendNumber(out, object.texCoords[i].u);
            out += ',';
            AppendNumber(out, object.texCoords[i].v);
        });
        AppendArray(out, "normals", object.numVerts, object.normals != nullptr,
                    [&](int32_t i) { vector3(object.normals[i]); });
        AppendArray(out, "faceMaterials", object.numFaces, object.faces != nullptr,
                    [&](int32_t i) { out += std::to_string(FaceMaterial(object, i)); });
    }
    out += '}';
}

std::string Describe3DS(const Model3DS& reader, const t3DModel& model, bool loaded, bool full) {
    std::string out = "{\"format\":\"3ds\",\"loaded\":";
    out += loaded ? "true" : "false";
    out += ",\"version\":" + std::to_string(reader.version);
    out += ",\"materials\":[";
    for (int32_t i = 0; i < model.numMaterials; ++i) {
        const tMaterialInfo& material = model.materials[i];
        if (i) out += ',';
        out += "{\"name\":";
        AppendString(out, material.name);
        out += ",\"fileName\":";
        AppendString(out, material.fileName);
        out += ",\"color\":[" + std::to_string(material.color[0]) + ',' + std::to_string(material.color[1]) + ',' +
               std::to_string(material.color[2]) + "]}";
    }
    out += "],\"objects\":[";
    for (int32_t i = 0; i < model.numObjects; ++i) {
        if (i) out += ',';
        AppendObject(out, model.objects[i], full);
    }
    out += "]}\n";
    return out;
}

int Usage() {
    std::fprintf(stderr, "usage: modelinfo [--full] FILE\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    bool full = false;
    const char* path = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--full") == 0 && !full) full = true;
        else if (argv[i][0] == '-' && argv[i][1] != '\0') return Usage();
        else if (!path) path = argv[i];
        else return Usage();
    }
    if (!path) return Usage();

    const ModelKind kind = ModelKindOfFile(path);
    if (kind == ModelKind::Obj || kind == ModelKind::Gltf || kind == ModelKind::Stl || kind == ModelKind::Ply) {
        bool loaded = false;
        std::string reason;
        std::string json = DescribeTriangleModel(path, full, &loaded, &reason);
        if (!loaded) std::fprintf(stderr, "modelinfo: %s did not load: %s\n", path, reason.c_str());
        std::fwrite(json.data(), 1, json.size(), stdout);
        return loaded ? 0 : 1;
    }
    if (kind == ModelKind::MS3D) {
        bool loaded = false;
        std::string json = DescribeMS3D(path, full, &loaded);
        if (!loaded) std::fprintf(stderr, "modelinfo: %s did not load\n", path);
        std::fwrite(json.data(), 1, json.size(), stdout);
        return loaded ? 0 : 1;
    }
    Model3DS reader;
    const ReadResult result = reader.Import(&reader.model, path);
    NoticesToStandardError(result);
    const bool loaded = static_cast<bool>(result);
    if (!loaded) std::fprintf(stderr, "modelinfo: %s did not load\n", path);
    std::string json = Describe3DS(reader, reader.model, loaded, full);
    std::fwrite(json.data(), 1, json.size(), stdout);
    return loaded ? 0 : 1;
}
