#include "app/model_summary.h"

#include <cstdint>
#include <cstring>

#include "formats/model_reader.h"

namespace {

// 5246 as "5,246".
std::string WithThousands(int64_t number) {
    std::string digits = std::to_string(number);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(static_cast<size_t>(at), ",");
    return digits;
}

std::string Counted(int64_t count, const char* noun) {
    return WithThousands(count) + " " + noun + (count == 1 ? "" : "s");
}

// A file whose contents are not what its kind says: the kind it was read as.
const char* NotKindText(ModelKind kind) {
    switch (kind) {
        case ModelKind::ThreeDS: return "not a 3DS file";
        case ModelKind::MS3D: return "not an MS3D file";
        case ModelKind::Obj: return "not an OBJ file";
        case ModelKind::Gltf: return "not a glTF file";
        case ModelKind::Stl: return "not an STL file";
        case ModelKind::Ply: return "not a PLY file";
        case ModelKind::None: break;
    }
    return "not a 3DS, MS3D, OBJ, glTF, STL or PLY file";
}

const char* ReasonFor(ReadFailure failure) {
    switch (failure) {
        case ReadFailure::Truncated: return "the file ends early";
        case ReadFailure::CannotOpen: return "cannot be opened";
        default: return ReadFailureText(failure);
    }
}

}  // namespace

std::string FileNamePart(const std::string& path) {
    const size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

ModelFileSummary SummarizeModelFile(const std::string& path) {
    ModelFileSummary summary;
    const ModelKind kind = ModelKindOfFile(path);
    TriangleModel model;
    const ReadResult result = ReadModel(path, &model);
    int64_t textures = 0;
    for (const TriangleMaterial& material : model.materials)
        textures += !material.textureFile.empty() || !material.embeddedImage.empty();
    if (result.failure == ReadFailure::NotThisFormat) {
        summary.text = NotKindText(kind);
    } else if (!result) {
        // The reader's own words where the kind alone says too little.
        summary.text = result.detail.empty() || result.failure == ReadFailure::Truncated ||
                               result.failure == ReadFailure::CannotOpen
                           ? ReasonFor(result.failure)
                           : result.detail;
    } else if (model.TriangleCount() == 0) {
        summary.text = "no triangles";
    } else {
        summary.usable = true;
        summary.text = Counted(model.TriangleCount(), "triangle") + ", " + Counted(textures, "texture");
    }
    return summary;
}
