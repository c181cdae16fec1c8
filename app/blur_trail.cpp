#include "app/blur_trail.h"

#include "platform/gl.h"

namespace {

// Linear fog over a range far longer than the scene is deep gives every fragment the
// same factor: its colour times `factor`, towards black. Fog acts after texturing and
// lighting, so this scales whatever the model draws, through its display list too.
void ScaleColoursBy(float factor) {
    constexpr float kRange = 1.0e6f;  // the scene lies within about 1000 units of the eye
    glFogf(GL_FOG_START, factor * kRange - kRange);
    glFogf(GL_FOG_END, factor * kRange);
}

void DrawPose(Scene& scene, const ScenePose& pose) {
    scene.RenderAtPose(pose.x, pose.y, pose.z, pose.ax, pose.ay, pose.az);
}

}  // namespace

float TrailWeight(int i) {
    return 0.2f * static_cast<float>(kTrailPoses - i);
}

void DrawBlurTrail(Scene& scene, const ScenePose (&poses)[kTrailPoses], const ScenePose& current) {
    const GLfloat black[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    glEnable(GL_FOG);
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogfv(GL_FOG_COLOR, black);
    glEnable(GL_STENCIL_TEST);
    glStencilMask(0xFF);
    for (int i = 0; i < kTrailPoses; ++i) {
        const GLint mark = kTrailPoses - i;  // newer poses hold higher marks
        const float weight = TrailWeight(i);
        // The pose takes the pixels that no newer pose took (mark 0), and its own
        // again where its nearer faces cover its farther ones.
        glStencilFunc(GL_GEQUAL, mark, 0xFF);
        glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
        ScaleColoursBy(weight < 1.0f ? weight : 1.0f);
        DrawPose(scene, poses[i]);
        if (weight > 1.0f) {
            // The weight beyond 1 is added on the same pixels: only the pose's own
            // front fragments (same depth, same mark) pass, and the sum saturates.
            glStencilFunc(GL_EQUAL, mark, 0xFF);
            glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
            glDepthFunc(GL_EQUAL);
            glEnable(GL_BLEND);
            glBlendFunc(GL_ONE, GL_ONE);
            ScaleColoursBy(weight - 1.0f);
            DrawPose(scene, poses[i]);
            glDisable(GL_BLEND);
            glDepthFunc(GL_LESS);
        }
    }
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_FOG);
    DrawPose(scene, {current.x, current.y, current.z + 1.0f, current.ax, current.ay, current.az});
}
