// The drawing state of one saver window: its scene and the scene's motion, the model
// being read for it, the text font and frame-rate figure, and the view's size. The
// window's glue owns one per window, made with the window's rendering context, and
// hands it to every frame.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/scene.h"
#include "app/shared_model_read.h"
#include "app/texture_font.h"
#include "app/timed_motion.h"

struct SaverWindowState {
    std::unique_ptr<Scene> scene;
    std::unique_ptr<TextureFont> font;
    std::unique_ptr<TimedMotion> motion;     // from the first frame the model is ready
    std::unique_ptr<ModelReadTicket> reading;  // the model being read; null once taken
    uint32_t trailTexture = 0;      // a large view's blur trail is drawn into it; 0 until then
    bool modelReady = false;        // the scene's model is ready to draw (black until then)
    bool noticesAsBoxes = false;    // the readers' notices go to boxes, not the trace
    // The readers' notices of the model just taken, to report once the frame is done: a
    // box runs its own message loop, in which the window may go.
    ReadResult pendingNotices;
    int32_t halfWidth = 0;          // half the client area, in pixels (integer halves)
    int32_t halfHeight = 0;
    float aspectRatio = 1.0f;       // client width / client height
    bool sceneRunning = false;      // set once the scene is made, cleared on window destruction
    float frameSeconds = 0.0f;      // what the frame timer measured last
    float fpsSeconds = 0.0f;        // towards the next frame-rate figure
    int32_t fpsFrames = 0;
    std::string fpsText;            // "FPS = ..." once 20 frames were drawn
    float resourceSeconds = 0.0f;   // towards the next minute's trace of held resources
    int32_t resourceMinutes = 0;
    void (*swapBuffers)(void* context) = nullptr;  // shows the finished frame
    void* swapContext = nullptr;
};

// With the window's rendering context current: the view of width x height pixels at
// (left, top), the scene started with a copy of `settings` (its model path set), the
// text font and, when the settings ask for it, the lighting.
void StartSaverDrawing(SaverWindowState& state, const SaverSettings& settings, int left, int top, int width,
                       int height);

// With the window's rendering context current, after its client area became width x
// height pixels: the view and the light follow, and the drift is brought inside the
// new bounds. An empty area (a minimised window) changes nothing.
void ResizeSaverDrawing(SaverWindowState& state, int width, int height);
// Joins the run's model read, started on a thread of its own by the run's first window
// after `unpackBuiltIn` (the built-in lodge is read only when that says it was
// unpacked whole); the window stays black until it is drawn. The readers' notices then
// go to boxes when noticesAsBoxes, else to the trace.
void StartReadingSceneModel(SaverWindowState& state, const std::function<bool()>& unpackBuiltIn, bool noticesAsBoxes);
// After the frame: reports the notices of a model just taken. A box runs its own
// message loop, in which the window and this state may go: nothing of the state is
// touched once one is shown.
void ReportPendingNotices(SaverWindowState& state);
