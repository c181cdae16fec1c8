// The application's process-wide drawing state (one thread, plain values).
#pragma once
#include <cstdint>
#include <string>

#include "app/scene.h"

class TextureFont;
class TimedMotion;

struct SaverStateRecord {
    Scene* scene;             // from initSaver to window destruction
    TextureFont* font;        // from initSaver to process end
    int32_t halfWidth;        // half the client area, in pixels (integer halves)
    int32_t halfHeight;
    float aspectRatio;        // client width / client height
    bool sceneRunning;        // set once initSaver ran, cleared on window destruction
    float frameSeconds;       // what the idle callback's timer measured last
    TimedMotion* motion;      // the scene's motion in time, with the blur trail's poses
    float fpsSeconds;         // towards the next frame-rate figure
    int32_t fpsFrames;
    std::string fpsText;      // "FPS = ..." once 20 frames were drawn
    void (*swapBuffers)();    // shows the finished frame (the window's buffers)
};

extern SaverStateRecord SaverState;
