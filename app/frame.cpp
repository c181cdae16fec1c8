#include "app/frame.h"

#include "app/blur_trail.h"
#include "app/frame_rate_text.h"
#include "app/saver_window_state.h"
#include "platform/gl.h"
#include "platform/process_resources.h"
#include "platform/trace.h"

namespace {

// White text one fiftieth of the window high at its top-left corner.
void DrawFrameRateText(const SaverWindowState& state) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, state.aspectRatio * 50.0, 0.0, 50.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(1.0f, 48.0f, 0.0f);
    glColor3f(1.0f, 1.0f, 1.0f);
    if (state.font) state.font->print(state.fpsText);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
}

// The model read elsewhere, taken once it is there; then one piece of GL work a frame.
void MakeModelReady(SaverWindowState& state) {
    if (state.reading) {
        if (!state.reading->finished()) return;
        SceneModelRead read = state.reading->take();
        state.reading.reset();
        state.scene->AdoptModel(read);
        state.pendingNotices = std::move(read.notices);
    }
    if (state.scene->MakeModelReadyStep()) {
        state.modelReady = true;
        Trace("The model is ready: drawn from this frame on");
        StartSceneMotion(state);
    }
}

// Once a minute of drawing, what the process holds: handles or GDI objects that keep
// growing over a long run show a leak in the trace.
void TraceHeldResources(SaverWindowState& state) {
    state.resourceSeconds += state.frameSeconds;
    if (state.resourceSeconds < 60.0f) return;
    state.resourceSeconds -= 60.0f;
    const ProcessResources held = CountProcessResources();
    TraceF("Held after %d min of drawing: %lu handles, %lu GDI objects", ++state.resourceMinutes, held.handles,
           held.gdiObjects);
}

}  // namespace

void DrawFrame(SaverWindowState& state, bool showFrameRate) {
    if (!state.modelReady) MakeModelReady(state);
    const bool blur = state.scene->settings().blur != 0;
    glMatrixMode(GL_MODELVIEW);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | (blur ? GL_STENCIL_BUFFER_BIT : 0));
    glLoadIdentity();
    if (state.modelReady) {
        TimedMotion& motion = *state.motion;
        motion.Advance(state.frameSeconds);
        const ScenePose now = motion.pose();
        if (blur) {
            ScenePose trail[kTrailPoses];
            for (int i = 0; i < kTrailPoses; ++i) trail[i] = motion.trailPose(i);
            DrawBlurTrail(*state.scene, trail, now, &state.trailTexture);
        } else {
            state.scene->RenderAtPose(now.x, now.y, now.z, now.ax, now.ay, now.az);
        }
    }

    CountFrameForRate(state.frameSeconds, &state.fpsSeconds, &state.fpsFrames, &state.fpsText);
    TraceHeldResources(state);
    if (showFrameRate) DrawFrameRateText(state);
    if (state.swapBuffers) state.swapBuffers(state.swapContext);
}

void StartSceneMotion(SaverWindowState& state) {
    Scene& scene = *state.scene;
    state.motion.reset(new TimedMotion(scene, {scene.position.x, scene.position.y, 0, 0, 0, 0}));
}
