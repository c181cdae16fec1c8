// Which model kind the settings' model path names, and loading it: a name ending in
// ".ms3d"/".MS3D" is an MS3D model, one ending in ".3ds"/".3DS" a 3DS model. Whatever
// does not load leaves the scene drawing the coloured cube.
#include <cstring>

#include "app/reader_notices.h"
#include "app/scene.h"
#include "app/settings.h"
#include "formats/model3ds.h"
#include "formats/ms3d_model.h"
#include "platform/gl.h"
#include "platform/trace.h"

ModelKind Scene::DetectModelType() {
    const char* path = settings.modelPath;
    const size_t n = strnlen(path, sizeof settings.modelPath);
    // The four-letter test comes first: "x.ms3d" never reaches the three-letter one.
    if (n >= 5 && path[n - 5] == '.') {
        const char* ext = path + n - 4;
        if (std::strncmp(ext, "ms3d", 4) == 0 || std::strncmp(ext, "MS3D", 4) == 0) {
            Trace("Detected MS3D file type");
            modelType = ModelKind::MS3D;
            return modelType;
        }
        Trace("Failed to match the extension to a type");
        return ModelKind::None;
    }
    if (n >= 4 && path[n - 4] == '.') {
        const char* ext = path + n - 3;
        if (std::strncmp(ext, "3ds", 3) == 0 || std::strncmp(ext, "3DS", 3) == 0) {
            Trace("Detected 3DS file type");
            modelType = ModelKind::ThreeDS;
            return modelType;
        }
        Trace("Failed to match the extension to a type");
        return ModelKind::None;
    }
    Trace("Extension is invalid");
    return ModelKind::None;
}

void Scene::CreateModelObject() {
    // No file is opened here: the default model is unpacked only after this.
    switch (DetectModelType()) {
        case ModelKind::MS3D: ms3dModel = new MS3DModel(); break;
        case ModelKind::ThreeDS: model3ds = new Model3DS(); break;
        case ModelKind::None: break;
    }
}

bool Scene::LoadModel() {
    TraceF("Attempting to load %s", settings.modelPath);
    if (modelType == ModelKind::MS3D) {
        const ReadResult result = ms3dModel->load(settings.modelPath);
        ShowReaderNotices(result);
        if (result) {
            Trace("Loaded the model");
            modelLoaded = true;
        } else {
            Trace("Failed to load the model!");
        }
    } else if (modelType == ModelKind::ThreeDS) {
        // Texturing stays on for the rest of the run.
        glEnable(GL_TEXTURE_2D);
        const ReadResult result = model3ds->Load(settings.modelPath);
        ShowReaderNotices(result);
        if (result) {
            Trace("Loaded the model");
            modelLoaded = true;
        }
    } else {
        Trace("Unrecognized model type.");
    }
    return modelLoaded;
}

void Scene::DrawModel() {
    if (modelType == ModelKind::MS3D) ms3dModel->draw();
    else if (modelType == ModelKind::ThreeDS) model3ds->Draw();
}

void Scene::FreeModelMeshes() {
    if (modelType != ModelKind::ThreeDS) return;
    model3ds->ReleaseDisplayList();  // the context is still current
    model3ds->FreeMeshes();
}
