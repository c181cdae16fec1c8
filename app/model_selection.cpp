// Which model kind a path names, and loading it: a name ending in ".ms3d" is an MS3D
// model, ".3ds" a 3DS model, ".obj" an OBJ model, ".gltf" or ".glb" a glTF model, in
// any letter case. The user's own model comes first; when it cannot be used the
// built-in lodge (a 3DS model) is loaded, and whatever does not load leaves the scene
// drawing the coloured cube.
#include <cstring>
#include <memory>
#include <utility>

#include "app/model_fit.h"
#include "app/scene.h"
#include "app/settings.h"
#include "formats/gltf_reader.h"
#include "formats/model3ds.h"
#include "formats/ms3d_model.h"
#include "formats/obj_reader.h"
#include "formats/texture_kind.h"
#include "formats/triangle_model_gl.h"
#include "platform/gl.h"
#include "platform/trace.h"

namespace {

// The kind an extension names, letter case aside, and the trace that tells it: the
// four-letter test comes first, so "x.ms3d" never reaches the three-letter one.
ModelKind KindOfPath(const char* path, size_t n, const char** trace) {
    if (n >= 5 && path[n - 5] == '.') {
        if (HasEnding(path, n, ".ms3d")) {
            *trace = "Detected MS3D file type";
            return ModelKind::MS3D;
        }
        if (HasEnding(path, n, ".gltf")) {
            *trace = "Detected glTF file type";
            return ModelKind::Gltf;
        }
        *trace = "Failed to match the extension to a type";
        return ModelKind::None;
    }
    if (n >= 4 && path[n - 4] == '.') {
        if (HasEnding(path, n, ".3ds")) {
            *trace = "Detected 3DS file type";
            return ModelKind::ThreeDS;
        }
        if (HasEnding(path, n, ".obj")) {
            *trace = "Detected OBJ file type";
            return ModelKind::Obj;
        }
        if (HasEnding(path, n, ".glb")) {
            *trace = "Detected glTF file type";
            return ModelKind::Gltf;
        }
        *trace = "Failed to match the extension to a type";
        return ModelKind::None;
    }
    *trace = "Extension is invalid";
    return ModelKind::None;
}

}  // namespace

ModelKind ModelKindOfPath(const std::string& path) {
    const char* trace = nullptr;
    return KindOfPath(path.c_str(), path.size(), &trace);
}

ModelKind Scene::DetectModelType() {
    const char* path = settings.modelPath;
    const char* trace = nullptr;
    const ModelKind kind = KindOfPath(path, strnlen(path, sizeof settings.modelPath), &trace);
    Trace(trace);
    if (kind != ModelKind::None) modelType = kind;
    return kind;
}

void Scene::CreateModelObject() {
    // No file is opened here: the default model is unpacked only after this.
    switch (DetectModelType()) {
        case ModelKind::MS3D: ms3dModel = new MS3DModel(); break;
        case ModelKind::ThreeDS: model3ds = new Model3DS(); break;
        case ModelKind::Obj:  // the built-in model is never one of these
        case ModelKind::Gltf:
        case ModelKind::None: break;
    }
}

bool Scene::LoadModel(ReadResult* notices, bool builtInReady) {
    if (!settings.modelFile.empty() && LoadChosenModel(notices)) return true;
    if (!builtInReady) return false;
    TraceF("Attempting to load %s", settings.modelPath);
    if (modelType == ModelKind::MS3D) {
        ReadResult result = ms3dModel->load(settings.modelPath);
        if (result) {
            Trace("Loaded the model");
            modelLoaded = true;
        } else {
            Trace("Failed to load the model!");
        }
        if (notices) notices->adopt(std::move(result));
    } else if (modelType == ModelKind::ThreeDS) {
        // Texturing stays on for the rest of the run.
        glEnable(GL_TEXTURE_2D);
        ReadResult result = model3ds->Load(settings.modelPath);
        if (result) {
            Trace("Loaded the model");
            modelLoaded = true;
        }
        if (notices) notices->adopt(std::move(result));
    } else {
        Trace("Unrecognized model type.");
    }
    return modelLoaded;
}

bool Scene::LoadChosenModel(ReadResult* notices) {
    const char* path = settings.modelFile.c_str();
    TraceF("Attempting to load the chosen model %s", path);
    std::unique_ptr<MS3DModel> ms3d;
    std::unique_ptr<Model3DS> threeDS;
    std::unique_ptr<TriangleModel> triangles3;
    ReadResult result;
    ModelBounds bounds = {};
    bool bounded = false;
    int64_t triangles = 0;
    const ModelKind kind = ModelKindOfPath(settings.modelFile);
    if (kind == ModelKind::MS3D) {
        ms3d = std::make_unique<MS3DModel>();
        result = ms3d->load(path);
        triangles = TriangleCount(*ms3d);
        bounded = BoundsOf(*ms3d, &bounds);
    } else if (kind == ModelKind::ThreeDS) {
        glEnable(GL_TEXTURE_2D);
        threeDS = std::make_unique<Model3DS>();
        result = threeDS->Load(path);
        triangles = TriangleCount(threeDS->model);
        bounded = BoundsOf(threeDS->model, &bounds);
    } else if (kind == ModelKind::Obj || kind == ModelKind::Gltf) {
        triangles3 = std::make_unique<TriangleModel>();
        result = kind == ModelKind::Obj ? ReadObjFile(path, triangles3.get()) : ReadGltfFile(path, triangles3.get());
        if (result) LoadTriangleModelTextures(*triangles3, &result);
        triangles = triangles3->TriangleCount();
        bounded = BoundsOf(*triangles3, &bounds);
    } else {
        result.fail(ReadFailure::NotThisFormat);
    }
    const ReadFailure failure = result.failure;
    const std::string detail = result.detail;
    if (notices) notices->adopt(std::move(result));
    if (failure != ReadFailure::None || triangles == 0 || !bounded) {
        TraceF("The chosen model cannot be used (%s%s%s): the built-in lodge is drawn",
               failure != ReadFailure::None ? ReadFailureText(failure) : "no triangles", detail.empty() ? "" : ": ",
               detail.c_str());
        if (threeDS) {
            threeDS->ReleaseDisplayList();
            threeDS->FreeMeshes();
        }
        return false;
    }
    // The chosen model takes the place of the lodge's object, which holds nothing yet.
    delete ms3dModel;
    delete model3ds;
    ms3dModel = ms3d.release();
    model3ds = threeDS.release();
    triangleModel = triangles3.release();
    if (triangleModel) triangleList = CompileTriangleModel(*triangleModel);
    modelType = kind;
    fit = FitToLodge(bounds);
    fitted = true;
    modelLoaded = true;
    Trace("Loaded the chosen model");
    return true;
}

void Scene::DrawModel() {
    if (modelType == ModelKind::MS3D) ms3dModel->draw();
    else if (modelType == ModelKind::ThreeDS) model3ds->Draw();
    else if (triangleList != 0) glCallList(triangleList);
    else if (triangleModel) DrawTriangleModel(*triangleModel);
}

void Scene::FreeModelMeshes() {
    if (triangleList != 0) glDeleteLists(triangleList, 1);  // the context is still current
    triangleList = 0;
    if (modelType != ModelKind::ThreeDS) return;
    model3ds->ReleaseDisplayList();  // the context is still current
    model3ds->FreeMeshes();
}
