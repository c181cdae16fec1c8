// modelinfo: prints what the 3DS reader makes of a file, as one JSON object.
//   modelinfo [--full] FILE
// Exit status 0 when the file loaded, 1 when it did not, 2 for a usage error.
// It reads only; no OpenGL context is involved. Message boxes the reader would
// show become lines on standard error.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "host/message_box.h"
#include "models/model3ds.h"

namespace {

void BoxToStandardError(const char* text, const char* caption) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
}

// Names are 8-bit text of no particular encoding: bytes outside printable ASCII
// are escaped as the code points of the same value, so the output is valid JSON.
void AppendString(std::string& out, const char* text) {
    out += '"';
    for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); *c; ++c) {
        if (*c == '"' || *c == '\\') {
            out += '\\';
            out += static_cast<char>(*c);
        } else if (*c < 0x20 || *c >= 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", *c);
            out += escaped;
        } else {
            out += static_cast<char>(*c);
        }
    }
    out += '"';
}

// Nine significant digits give every 32-bit float back exactly; JSON has no
// NaN or infinity, so those print as null.
void AppendNumber(std::string& out, double value) {
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    out += text;
}

void AppendTriple(std::string& out, double x, double y, double z) {
    out += '[';
    AppendNumber(out, x);
    out += ',';
    AppendNumber(out, y);
    out += ',';
    AppendNumber(out, z);
    out += ']';
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

template <typename Each>
void AppendArray(std::string& out, const char* name, int32_t count, bool present, Each each) {
    out += ",\"";
    out += name;
    out += "\":[";
    for (int32_t i = 0; present && i < count; ++i) {
        if (i) out += ',';
        each(i);
    }
    out += ']';
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

    SetMessageBoxSink(BoxToStandardError);
    Model3DS reader;
    bool loaded = reader.Import(&reader.model, path);
    if (!loaded) std::fprintf(stderr, "modelinfo: %s did not load\n", path);
    std::string json = Describe3DS(reader, reader.model, loaded, full);
    std::fwrite(json.data(), 1, json.size(), stdout);
    return loaded ? 0 : 1;
}
