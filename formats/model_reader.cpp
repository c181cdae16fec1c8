#include "formats/model_reader.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "formats/gltf_reader.h"
#include "formats/model3ds.h"
#include "formats/model_file.h"
#include "formats/ms3d_model.h"
#include "formats/obj_reader.h"
#include "formats/ply_reader.h"
#include "formats/stl_reader.h"
#include "formats/texture_kind.h"
#include "platform/file_open.h"
#include "platform/trace.h"

ModelKind ModelKindOfName(const char* name, size_t n, const char** trace) {
    const char* unused = nullptr;
    const char** tell = trace ? trace : &unused;
    if (n >= 5 && name[n - 5] == '.') {
        if (HasEnding(name, n, ".ms3d")) {
            *tell = "Detected MS3D file type";
            return ModelKind::MS3D;
        }
        if (HasEnding(name, n, ".gltf")) {
            *tell = "Detected glTF file type";
            return ModelKind::Gltf;
        }
        *tell = "Failed to match the extension to a type";
        return ModelKind::None;
    }
    if (n >= 4 && name[n - 4] == '.') {
        if (HasEnding(name, n, ".3ds")) {
            *tell = "Detected 3DS file type";
            return ModelKind::ThreeDS;
        }
        if (HasEnding(name, n, ".obj")) {
            *tell = "Detected OBJ file type";
            return ModelKind::Obj;
        }
        if (HasEnding(name, n, ".glb")) {
            *tell = "Detected glTF file type";
            return ModelKind::Gltf;
        }
        if (HasEnding(name, n, ".stl")) {
            *tell = "Detected STL file type";
            return ModelKind::Stl;
        }
        if (HasEnding(name, n, ".ply")) {
            *tell = "Detected PLY file type";
            return ModelKind::Ply;
        }
        *tell = "Failed to match the extension to a type";
        return ModelKind::None;
    }
    *tell = "Extension is invalid";
    return ModelKind::None;
}

namespace {

bool StartsWith(const uint8_t* head, size_t size, const char* text) {
    const size_t length = std::strlen(text);
    return size >= length && std::memcmp(head, text, length) == 0;
}

// "ply" alone on the first line.
bool IsPlyStart(const uint8_t* head, size_t size) {
    return StartsWith(head, size, "ply\n") || StartsWith(head, size, "ply\r\n");
}

}  // namespace

ModelKind ModelKindOf(const std::string& path, const uint8_t* head, size_t headSize, uint64_t fileSize) {
    if (head && headSize >= 10 && std::memcmp(head, "MS3D000000", 10) == 0) return ModelKind::MS3D;
    if (head && headSize >= 4 && std::memcmp(head, "glTF", 4) == 0) return ModelKind::Gltf;
    if (head && IsPlyStart(head, headSize)) return ModelKind::Ply;
    if (head && IsAsciiStl(head, headSize, fileSize)) return ModelKind::Stl;
    if (head && headSize >= 6 && head[0] == 0x4D && head[1] == 0x4D) return ModelKind::ThreeDS;
    return ModelKindOfName(path.c_str(), path.size());
}

ModelKind ModelKindOfFile(const std::string& path) {
    uint8_t head[kModelKindHeadBytes] = {};
    size_t got = 0;
    uint64_t size = 0;
    if (std::FILE* file = OpenFileForReading(path.c_str())) {
        got = std::fread(head, 1, sizeof head, file);
        if (std::fseek(file, 0, SEEK_END) == 0) {
            const long end = std::ftell(file);
            if (end > 0) size = static_cast<uint64_t>(end);
        }
        std::fclose(file);
    }
    return ModelKindOf(path, head, got, size);
}

ReadResult ReadModel(const std::string& path, TriangleModel* model) {
    *model = TriangleModel();
    FileBytes bytes;
    ReadResult result = ReadModelFile(path.c_str(), &bytes);
    const ModelKind kind = ModelKindOf(path, bytes.data(), std::min(bytes.size(), kModelKindHeadBytes), bytes.size());
    if (!result) {
        if (kind == ModelKind::ThreeDS && result.failure == ReadFailure::CannotOpen)
            TraceF("Unable to find the file: %s!", path.c_str());
        return result;
    }
    switch (kind) {
        case ModelKind::ThreeDS: {
            Model3DS reader;
            result = reader.ImportMemory(&reader.model, bytes.data(), bytes.size(), path.c_str());
            if (result) *model = Build3DSTriangleModel(reader.model, path.c_str());
            break;
        }
        case ModelKind::MS3D: {
            MS3DModel reader;
            result = reader.parse(bytes.data(), bytes.size(), path.c_str());
            if (result) *model = BuildMS3DTriangleModel(reader);
            break;
        }
        case ModelKind::Obj:
            result = ReadObjBytes(std::move(bytes), path.c_str(), model);
            break;
        case ModelKind::Gltf:
            result = ReadGltfBytes(bytes.data(), bytes.size(), path.c_str(), model);
            break;
        case ModelKind::Stl:
            result = ReadStlBytes(bytes.data(), bytes.size(), path.c_str(), model);
            break;
        case ModelKind::Ply:
            result = ReadPlyBytes(bytes.data(), bytes.size(), path.c_str(), model);
            break;
        case ModelKind::None:
            result.fail(ReadFailure::NotThisFormat);
            break;
    }
    return result;
}
