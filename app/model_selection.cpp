// Which model the scene shows, and loading it: the user's own model comes first; when
// it cannot be used the built-in lodge (a 3DS model) is loaded, and whatever does not
// load leaves the scene drawing the coloured cube.
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
    const char* path = settings.modelPath;
    const char* trace = nullptr;
    const ModelKind kind = ModelKindOfName(path, strnlen(path, sizeof settings.modelPath), &trace);
    Trace(trace);
    if (kind != ModelKind::None) modelType = kind;
    return kind;
}

namespace {

// Reads the model with its textures; true when it has triangles to draw.
ReadResult ReadWithTextures(const std::string& path, TriangleModel* model) {
    ReadResult result = ReadModel(path, model);
    if (result) LoadModelTextures(*model, &result);
    return result;
}

}  // namespace

bool Scene::LoadModel(ReadResult* notices, bool builtInReady) {
    if (!settings.modelFile.empty() && LoadChosenModel(notices)) return true;
    if (!builtInReady) return false;
    TraceF("Attempting to load %s", settings.modelPath);
    if (modelType == ModelKind::None) {
        Trace("Unrecognized model type.");
        return false;
    }
    // Texturing stays on for the rest of the run.
    if (modelType == ModelKind::ThreeDS) glEnable(GL_TEXTURE_2D);
    ReadResult result = ReadWithTextures(settings.modelPath, &model);
    if (result) {
        Trace("Loaded the model");
        modelLoaded = true;
        modelList = CompileTriangleModel(model);
    } else if (modelType == ModelKind::MS3D) {
        Trace("Failed to load the model!");
    }
    if (notices) notices->adopt(std::move(result));
    return modelLoaded;
}

bool Scene::LoadChosenModel(ReadResult* notices) {
    const std::string& path = settings.modelFile;
    TraceF("Attempting to load the chosen model %s", path.c_str());
    const ModelKind kind = ModelKindOfFile(path);
    if (kind == ModelKind::ThreeDS) glEnable(GL_TEXTURE_2D);
    TriangleModel chosen;
    ReadResult result = ReadWithTextures(path, &chosen);
    ModelBounds bounds = {};
    const bool bounded = BoundsOf(chosen, &bounds);
    const int64_t triangles = chosen.TriangleCount();
    const ReadFailure failure = result.failure;
    const std::string detail = result.detail;
    if (notices) notices->adopt(std::move(result));
    if (failure != ReadFailure::None || triangles == 0 || !bounded) {
        TraceF("The chosen model cannot be used (%s%s%s): the built-in lodge is drawn",
               failure != ReadFailure::None ? ReadFailureText(failure) : "no triangles", detail.empty() ? "" : ": ",
               detail.c_str());
        return false;
    }
    model = std::move(chosen);
    modelList = CompileTriangleModel(model);
    modelType = kind;
    fit = FitToLodge(bounds);
    fitted = true;
    modelLoaded = true;
    Trace("Loaded the chosen model");
    return true;
}

void Scene::DrawModel() {
    if (modelList != 0) glCallList(modelList);
    else DrawTriangleModel(model);
}

void Scene::ReleaseModel() {
    if (modelList != 0) glDeleteLists(modelList, 1);
    modelList = 0;
    model = TriangleModel();
}
