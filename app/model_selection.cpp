// Which model the scene shows, and loading it: the user's own model comes first; when
// it cannot be used the built-in lodge (a 3DS model) is loaded, and whatever does not
// load leaves the scene drawing the coloured cube.
#include <algorithm>
#include <cstring>
#include <utility>

#include "app/model_fit.h"
#include "app/scene.h"
#include "app/settings.h"
#include "formats/model_reader.h"
#include "formats/triangle_model_gl.h"
#include "platform/gl.h"
#include "platform/trace.h"

ModelKind Scene::DetectModelType() {
    const char* path = settings_.modelPath;
    const char* trace = nullptr;
    const ModelKind kind = ModelKindOfName(path, strnlen(path, sizeof settings_.modelPath), &trace);
    Trace(trace);
    if (kind != ModelKind::None) modelType = kind;
    return kind;
}

SceneModelChoice Scene::ModelChoice(bool builtInReady) const {
    const char* path = settings_.modelPath;
    return {settings_.modelFile, std::string(path, strnlen(path, sizeof settings_.modelPath)), builtInReady};
}

void Scene::AdoptModel(SceneModelRead& read) {
    ReleaseModel();
    // Texturing stays on for the rest of the run.
    if (read.kind == ModelKind::ThreeDS) glEnable(GL_TEXTURE_2D);
    modelLoaded = read.loaded;
    if (!read.loaded) return;
    model = std::move(read.model);
    modelType = read.kind;
    fitted = read.chosen;
    fit = read.fit;
    modelReach = read.reach;
}

bool Scene::MakeModelReadyStep() {
    if (!modelLoaded) return true;
    if (UploadNextModelTexture(model)) return false;
    const int64_t triangles = model.TriangleCount();
    if (trianglesRecorded >= triangles) return true;
    const int64_t count = std::min(kTrianglesPerList, triangles - trianglesRecorded);
    modelParts.push_back({CompileTriangleModel(model, trianglesRecorded, count), trianglesRecorded, count});
    trianglesRecorded += count;
    if (trianglesRecorded < triangles) return false;
    // Once every part is recorded the driver holds the corners: a large model's own
    // copy (48 bytes a corner) is let go.
    const bool allRecorded =
        std::all_of(modelParts.begin(), modelParts.end(), [](const ModelPart& part) { return part.list != 0; });
    if (allRecorded) {
        for (TriangleBatch& batch : model.batches) CornerList().swap(batch.corners);
    }
    return true;
}

bool Scene::LoadModel(ReadResult* notices, bool builtInReady) {
    SceneModelRead read = ReadSceneModel(ModelChoice(builtInReady));
    AdoptModel(read);
    while (!MakeModelReadyStep()) {
    }
    if (notices) notices->adopt(std::move(read.notices));
    return modelLoaded;
}

void Scene::DrawModel() {
    for (const ModelPart& part : modelParts) {
        if (part.list != 0) glCallList(part.list);
        else DrawTriangleModel(model, part.first, part.count);
    }
    if (trianglesRecorded < model.TriangleCount()) DrawTriangleModel(model, trianglesRecorded);
}

void Scene::ReleaseModel() {
    for (const ModelPart& part : modelParts)
        if (part.list != 0) glDeleteLists(part.list, 1);
    modelParts.clear();
    trianglesRecorded = 0;
    model = TriangleModel();
}
