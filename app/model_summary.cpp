#include "app/model_summary.h"

#include <cstdint>
#include <cstring>

#include "app/model_fit.h"
#include "app/scene.h"
#include "formats/gltf_reader.h"
#include "formats/model3ds.h"
#include "formats/ms3d_model.h"
#include "formats/obj_reader.h"

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

const char* ReasonFor(ReadFailure failure) {
    switch (failure) {
        case ReadFailure::NotThisFormat: return "not a 3DS or MS3D file";
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
    ReadResult result;
    int64_t triangles = 0;
    int64_t textures = 0;
    const ModelKind kind = ModelKindOfPath(path);
    switch (kind) {
        case ModelKind::ThreeDS: {
            Model3DS reader;
            result = reader.Import(&reader.model, path.c_str());
            triangles = TriangleCount(reader.model);
            for (const tMaterialInfo& material : reader.model.materials)
                textures += strnlen(material.fileName, sizeof material.fileName) > 0;
            reader.FreeMeshes();
            break;
        }
        case ModelKind::MS3D: {
            MS3DModel model;
            result = model.read(path.c_str());
            triangles = TriangleCount(model);
            for (int32_t i = 0; model.materials && i < model.numMaterials; ++i) {
                const char* name = model.materials[i].textureFilename.get();
                textures += name && name[0] != '\0';
            }
            break;
        }
        case ModelKind::Obj:
        case ModelKind::Gltf: {
            TriangleModel model;
            const bool obj = kind == ModelKind::Obj;
            result = obj ? ReadObjFile(path.c_str(), &model) : ReadGltfFile(path.c_str(), &model);
            triangles = model.TriangleCount();
            for (const TriangleMaterial& material : model.materials)
                textures += !material.textureFile.empty() || !material.embeddedImage.empty();
            if (result.failure == ReadFailure::NotThisFormat) {
                summary.text = obj ? "not an OBJ file" : "not a glTF file";
                return summary;
            }
            break;
        }
        case ModelKind::None:
            summary.text = "not a 3DS, MS3D, OBJ or glTF file";
            return summary;
    }
    if (!result) {
        // The reader's own words where the kind alone says too little.
        summary.text = result.detail.empty() || result.failure == ReadFailure::Truncated ||
                               result.failure == ReadFailure::CannotOpen
                           ? ReasonFor(result.failure)
                           : result.detail;
    } else if (triangles == 0) {
        summary.text = "no triangles";
    } else {
        summary.usable = true;
        summary.text = Counted(triangles, "triangle") + ", " + Counted(textures, "texture");
    }
    return summary;
}
