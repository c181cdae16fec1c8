// Reading the model a scene shows, apart from the GL thread: the user's own model when
// one is chosen and usable, else the built-in lodge; with the pictures of its textures
// decoded. What needs the GL context (textures, display lists) is done afterwards, in
// short steps, by the scene that takes the result.
#pragma once
#include <memory>
#include <string>

#include "app/background_job.h"
#include "app/model_fit.h"
#include "formats/model_reader.h"
#include "formats/triangle_model.h"

// What to read, copied from the settings, so that reading needs nothing shared.
struct SceneModelChoice {
    std::string chosenFile;   // the user's model; empty without one
    std::string builtInPath;  // the lodge's file (its kind told by its name)
    bool builtInReady = true; // the lodge was unpacked whole this start
};

// What was read: a model to draw (with its kind and, for the user's own, its fit to the
// lodge's size), or nothing (the cube is drawn; kind is then the kind tried last); and
// the readers' notices.
struct SceneModelRead {
    bool loaded = false;
    bool chosen = false;  // the user's model, drawn through `fit`
    ModelKind kind = ModelKind::None;
    TriangleModel model;
    ModelFit fit;
    // How far from its origin the model reaches as drawn (after `fit`), in its units.
    float reach = 0.0f;
    ReadResult notices;
};

// Reads as the scene has always chosen, with the same trace lines. Needs no GL context.
SceneModelRead ReadSceneModel(const SceneModelChoice& choice);

// ReadSceneModel on a thread of its own (see BackgroundJob: a job dropped while it
// still reads leaves its thread to finish alone; its result reaches no scene).
using SceneModelReadJob = BackgroundJob<SceneModelRead>;
std::unique_ptr<SceneModelReadJob> StartSceneModelRead(SceneModelChoice choice);
