// The scene: the model's place, drift and turning, drawn each frame as the loaded
// model or, when none was loaded, as a coloured cube.
#pragma once
#include <cstdint>

#include <string>
#include <vector>

#include "app/model_fit.h"
#include "app/scene_lens.h"
#include "app/scene_model_read.h"
#include "app/settings.h"
#include "formats/model_reader.h"
#include "formats/triangle_model.h"

struct Vec3f {
    float x, y, z;
};

// One pose of the model: position x, y, z then angles x, y, z.
struct ScenePose {
    float x, y, z;
    float ax, ay, az;
};

class Scene {
public:
    // Starts at a random place near the centre, in view of a client area of the given
    // half sizes (pixels), with a random drift, turned by the settings' offsets. The
    // scene keeps its own copy of the settings: a later load changes no running scene.
    Scene(const SaverSettings& settings, int32_t halfWidth, int32_t halfHeight);

    // The settings the scene was started with.
    const SaverSettings& settings() const { return settings_; }

    // One frame of motion: turn each axis, wrap its angle, then drift and bounce.
    void Update();
    // A view whose size changed: the bounces follow its new size, and a centre left
    // outside them is brought back to their edge (the bounce rule alone would keep it
    // trembling out of view).
    void FitDriftToView(int32_t halfWidth, int32_t halfHeight);
    // Draws the model (or the cube) at the current pose.
    void Render();
    // Draws at the given pose, leaving the current one as it was.
    void RenderAtPose(float x, float y, float z, float ax, float ay, float az);
    // Loads the user's model file of the settings, fitted to the lodge's size, or when
    // there is none or it cannot be used the built-in lodge (when builtInReady: it was
    // unpacked whole), reading it on this thread and making it ready to draw; true when
    // a model loaded. The readers' notices are added to notices, when given.
    bool LoadModel(ReadResult* notices = nullptr, bool builtInReady = true);
    // What LoadModel reads, from the settings: for a reading elsewhere.
    SceneModelChoice ModelChoice(bool builtInReady) const;
    // Takes a model read elsewhere (its notices are left in read); the GL work that makes
    // it drawable follows in MakeModelReadyStep. Needs the scene's GL context current.
    void AdoptModel(SceneModelRead& read);
    // One short piece of that GL work: one texture, or one display list of at most
    // kTrianglesPerList triangles. True once the model (or the cube) is ready to draw.
    bool MakeModelReadyStep();
    // The model kind the settings' model path names by its extension; sets modelType
    // for a recognised one.
    ModelKind DetectModelType();
    // Releases the model's corners and its recorded drawing at window destruction,
    // while the context is still current; its textures go with the context.
    void ReleaseModel();

    float positionX() const { return position.x; }
    float positionY() const { return position.y; }
    float positionZ() const { return position.z; }
    float angleX() const { return angle.x; }
    float angleY() const { return angle.y; }
    float angleZ() const { return angle.z; }

    Vec3f position;
    float velocity[2];
    Vec3f angle;
    int32_t direction[3];
    bool modelLoaded;
    ModelKind modelType;
    // The loaded model, whatever file it came from; its corners are let go once the
    // display lists hold them.
    TriangleModel model;
    // Its recorded drawing, in parts of consecutive triangles; a part the driver could
    // not record (list 0) is drawn directly.
    struct ModelPart {
        uint32_t list;
        int64_t first;
        int64_t count;
    };
    std::vector<ModelPart> modelParts;
    int64_t trianglesRecorded = 0;  // triangles covered by modelParts
    HalfExtent driftBounds; // the model's centre bounces inside +-x and +-y
    bool fitted = false;    // the user's model: drawn through `fit`
    ModelFit fit;
    float modelReach = 0.0f;  // how far the loaded model reaches from its origin, in its units

    // The radius, in scene units, of the sphere about a pose's position that holds
    // everything Render draws there.
    float DrawnReach() const;

private:
    const SaverSettings settings_;
    void DrawModel();
};

// The most triangles one display list of a model records: recording a part takes
// tens of milliseconds, so a frame that records one stays short.
constexpr int64_t kTrianglesPerList = 100000;

// low + rand() % (high - low + 1), from the runtime's generator seeded at start-up.
int RandomInt(int low, int high);

// Draws the fallback cube, half edge `s`, in the current model transform.
void DrawFallbackCube(float s);
