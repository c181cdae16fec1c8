#include "app/scene_model_read.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "formats/model_pictures.h"
#include "platform/trace.h"

namespace {

// The farthest corner of the model's box from the point drawn at the origin.
float ReachOf(const TriangleModel& model, const ModelFit& fit) {
    ModelBounds bounds = {};
    if (!BoundsOf(model, &bounds)) return 0.0f;
    float sum = 0.0f;
    for (int axis = 0; axis < 3; ++axis) {
        const float low = std::fabs(bounds.low[axis] - fit.centre[axis]);
        const float high = std::fabs(bounds.high[axis] - fit.centre[axis]);
        sum += std::max(low, high) * std::max(low, high);
    }
    return std::sqrt(sum) * fit.scale;
}

// Reads the model with its pictures decoded; a failure is the reader's.
ReadResult ReadWithPictures(const std::string& path, TriangleModel* model) {
    ReadResult result = ReadModel(path, model);
    if (result) DecodeModelTextures(*model, &result);
    return result;
}

bool ReadChosenModel(const std::string& path, SceneModelRead& read) {
    TraceF("Attempting to load the chosen model %s", path.c_str());
    TriangleModel chosen;
    ReadResult result = ReadWithPictures(path, &chosen);
    ModelBounds bounds = {};
    const bool bounded = BoundsOf(chosen, &bounds);
    const int64_t triangles = chosen.TriangleCount();
    const ReadFailure failure = result.failure;
    const std::string detail = result.detail;
    read.notices.adopt(std::move(result));
    if (failure != ReadFailure::None || triangles == 0 || !bounded) {
        TraceF("The chosen model cannot be used (%s%s%s): the built-in lodge is drawn",
               failure != ReadFailure::None ? ReadFailureText(failure) : "no triangles", detail.empty() ? "" : ": ",
               detail.c_str());
        return false;
    }
    read.model = std::move(chosen);
    read.kind = ModelKindOfFile(path);
    read.fit = FitToLodge(bounds);
    read.chosen = true;
    read.loaded = true;
    read.reach = ReachOf(read.model, read.fit);
    Trace("Loaded the chosen model");
    return true;
}

}  // namespace

SceneModelRead ReadSceneModel(const SceneModelChoice& choice) {
    SceneModelRead read;
    if (!choice.chosenFile.empty() && ReadChosenModel(choice.chosenFile, read)) return read;
    if (!choice.builtInReady) return read;
    TraceF("Attempting to load %s", choice.builtInPath.c_str());
    const ModelKind kind = ModelKindOfName(choice.builtInPath.c_str(), choice.builtInPath.size(), nullptr);
    if (kind == ModelKind::None) {
        Trace("Unrecognized model type.");
        return read;
    }
    read.kind = kind;
    ReadResult result = ReadWithPictures(choice.builtInPath, &read.model);
    if (result) {
        Trace("Loaded the model");
        read.loaded = true;
        read.reach = ReachOf(read.model, read.fit);
    } else {
        read.model = TriangleModel();
        if (kind == ModelKind::MS3D) Trace("Failed to load the model!");
    }
    read.notices.adopt(std::move(result));
    return read;
}

std::unique_ptr<SceneModelReadJob> StartSceneModelRead(SceneModelChoice choice) {
    return std::make_unique<SceneModelReadJob>([choice = std::move(choice)] { return ReadSceneModel(choice); });
}
