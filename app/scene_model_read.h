// Reading the model a scene shows, apart from the GL thread: the user's own model when
// one is chosen and usable, else the built-in lodge; with the pictures of its textures
// decoded. What needs the GL context (textures, display lists) is done afterwards, in
// short steps, by the scene that takes the result.
#pragma once
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

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

// ReadSceneModel on a thread of its own. Dropping the job while it still reads leaves
// that thread to finish alone: its result is thrown away and never reaches another
// scene, and the caller does not wait for it.
class SceneModelReadJob {
public:
    explicit SceneModelReadJob(SceneModelChoice choice);
    ~SceneModelReadJob();
    SceneModelReadJob(const SceneModelReadJob&) = delete;
    SceneModelReadJob& operator=(const SceneModelReadJob&) = delete;

    bool finished() const;
    // Waits until finished (tests, and callers that cannot go on without the model).
    void wait() const;
    // The result, once finished; taken once.
    SceneModelRead take();
    // Whether a job was dropped while its thread still read. Such a thread may still
    // be in the readers when the process ends: the process then ends without running
    // its exit handlers, which would tear down what the thread may be using.
    static bool AnyAbandoned();

private:
    struct Shared {
        mutable std::mutex lock;
        mutable std::condition_variable done;
        bool finished = false;
        SceneModelRead result;
    };
    std::shared_ptr<Shared> shared;
    std::thread thread;
};
