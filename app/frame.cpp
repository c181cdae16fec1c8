#include "app/frame.h"

#include "app/frame_rate_text.h"
#include "app/saver_state.h"
#include "app/settings.h"
#include "app/texture_font.h"
#include "host/host_state.h"
#include "platform/gl.h"

SaverStateRecord SaverState = {};

namespace {

// The trail: the last ten poses summed through the accumulation buffer, the newest
// weighing most, then the current pose once more, a unit nearer, on top.
void DrawBlurredScene(Scene& scene) {
    glClearAccum(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_ACCUM_BUFFER_BIT);
    for (int i = 9; i > 0; --i) SaverState.blurHistory[i] = SaverState.blurHistory[i - 1];
    SaverState.blurHistory[0] = {scene.position.x, scene.position.y, scene.position.z,
                                 scene.angle.x,    scene.angle.y,    scene.angle.z};
    for (const ScenePose& pose : SaverState.blurHistory) {
        scene.RenderAtPose(pose.x, pose.y, pose.z, pose.ax, pose.ay, pose.az);
        glAccum(GL_ACCUM, 0.2f);
    }
    glAccum(GL_RETURN, 1.0f);
    scene.RenderAtPose(scene.position.x, scene.position.y, scene.position.z + 1.0f, scene.angle.x, scene.angle.y,
                       scene.angle.z);
}

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
    glMatrixMode(GL_MODELVIEW);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    scene.Update();
    if (Settings.blur) DrawBlurredScene(scene);
    else scene.Render();

    CountFrameForRate(SaverState.frameSeconds, &SaverState.fpsSeconds, &SaverState.fpsFrames, &SaverState.fpsText);
    if (HostState.showFrameRate) DrawFrameRateText();
    if (SaverState.swapBuffers) SaverState.swapBuffers();
}

void StartBlurTrail(const Scene& scene) {
    for (ScenePose& pose : SaverState.blurHistory) pose = {scene.position.x, scene.position.y, 0, 0, 0, 0};
}
