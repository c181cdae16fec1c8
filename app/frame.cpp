#include "app/frame.h"

#include "app/blur_trail.h"
#include "app/frame_rate_text.h"
#include "app/saver_state.h"
#include "app/settings.h"
#include "app/texture_font.h"
#include "app/timed_motion.h"
#include "host/host_state.h"
#include "platform/gl.h"

SaverStateRecord SaverState = {};

namespace {

// White text one fiftieth of the window high at its top-left corner.
void DrawFrameRateText() {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, SaverState.aspectRatio * 50.0, 0.0, 50.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(1.0f, 48.0f, 0.0f);
    glColor3f(1.0f, 1.0f, 1.0f);
    if (SaverState.font) SaverState.font->print(SaverState.fpsText);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
}

}  // namespace

void DrawFrame() {
    Scene& scene = *SaverState.scene;
    if (!SaverState.motion || &SaverState.motion->scene() != &scene) StartSceneMotion(scene);
    TimedMotion& motion = *SaverState.motion;
    glMatrixMode(GL_MODELVIEW);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | (Settings.blur ? GL_STENCIL_BUFFER_BIT : 0));
    glLoadIdentity();
    motion.Advance(SaverState.frameSeconds);
    const ScenePose now = motion.pose();
    if (Settings.blur) {
        ScenePose trail[kTrailPoses];
        for (int i = 0; i < kTrailPoses; ++i) trail[i] = motion.trailPose(i);
        DrawBlurTrail(scene, trail, now);
    } else {
        scene.RenderAtPose(now.x, now.y, now.z, now.ax, now.ay, now.az);
    }

    CountFrameForRate(SaverState.frameSeconds, &SaverState.fpsSeconds, &SaverState.fpsFrames, &SaverState.fpsText);
    if (HostState.showFrameRate) DrawFrameRateText();
    if (SaverState.swapBuffers) SaverState.swapBuffers();
}

void StartSceneMotion(Scene& scene) {
    StopSceneMotion();
    SaverState.motion = new TimedMotion(scene, {scene.position.x, scene.position.y, 0, 0, 0, 0});
}

void StopSceneMotion() {
    delete SaverState.motion;
    SaverState.motion = nullptr;
}
