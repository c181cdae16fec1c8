// The scene: the model's place, drift and turning, drawn each frame as the loaded
// model or, when none was loaded, as a coloured cube.
#pragma once
#include <cstdint>

#include <string>

#include "app/model_fit.h"
#include "app/scene_lens.h"
#include "formats/model_reader.h"
#include "formats/triangle_model.h"

struct SaverSettings;

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
    // settings are read again at every step and frame: they must outlive the scene.
    Scene(const SaverSettings& settings, int32_t halfWidth, int32_t halfHeight);

    // One frame of motion: turn each axis, wrap its angle, then drift and bounce.
    void Update();
    // Draws the model (or the cube) at the current pose.
    void Render();
    // Draws at the given pose, leaving the current one as it was.
    void RenderAtPose(float x, float y, float z, float ax, float ay, float az);
    // Loads the user's model file of the settings, fitted to the lodge's size, or when
    // there is none or it cannot be used the built-in lodge (when builtInReady: it was
    // unpacked whole); true when a model loaded. The readers' notices are added to
    // notices, when given.
    bool LoadModel(ReadResult* notices = nullptr, bool builtInReady = true);
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
    TriangleModel model;       // the loaded model, whatever file it came from
    uint32_t modelList = 0;    // its recorded drawing; 0 none
    HalfExtent driftBounds; // the model's centre bounces inside +-x and +-y
    bool fitted = false;    // the user's model: drawn through `fit`
    ModelFit fit;

private:
    const SaverSettings& settings;
    bool LoadChosenModel(ReadResult* notices);
    void DrawModel();
};

// low + rand() % (high - low + 1), from the runtime's generator seeded at start-up.
int RandomInt(int low, int high);

// Draws the fallback cube, half edge `s`, in the current model transform.
void DrawFallbackCube(float s);
