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

namespace {

// The poses of the trail, newest first, each where no newer pose lies.
void DrawTrailPoses(Scene& scene, const ScenePose (&poses)[kTrailPoses]) {
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
}

// Draws the trail into the lower-left 1/divisor of the viewport, copies it into the
// trail texture and clears the buffers again; true when the texture holds it.
bool DrawTrailIntoTexture(Scene& scene, const ScenePose (&poses)[kTrailPoses], const GLint (&view)[4], int divisor,
                          uint32_t* texture) {
    if (*texture == 0) {
        GLuint name = 0;
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, kTrailTextureSide, kTrailTextureSide, 0, GL_RGB, GL_UNSIGNED_BYTE,
                     nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
        if (glGetError() != GL_NO_ERROR) {
            glDeleteTextures(1, &name);
            return false;
        }
        *texture = name;
    }
    const GLsizei width = view[2] / divisor, height = view[3] / divisor;
    glViewport(view[0], view[1], width, height);
    DrawTrailPoses(scene, poses);
    glViewport(view[0], view[1], view[2], view[3]);
    glPushAttrib(GL_TEXTURE_BIT);
    glBindTexture(GL_TEXTURE_2D, *texture);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, view[0], view[1], width, height);
    glPopAttrib();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    return true;
}

// The trail texture's picture stretched over the whole viewport, behind everything.
void DrawTrailTexture(uint32_t texture, float right, float top) {
    glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDepthMask(GL_FALSE);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, 1.0, 0.0, 1.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glColor3f(1.0f, 1.0f, 1.0f);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(0.0f, 0.0f);
    glTexCoord2f(right, 0.0f);
    glVertex2f(1.0f, 0.0f);
    glTexCoord2f(right, top);
    glVertex2f(1.0f, 1.0f);
    glTexCoord2f(0.0f, top);
    glVertex2f(0.0f, 1.0f);
    glEnd();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}

}  // namespace

int TrailDivisor(int width, int height) {
    int divisor = 1;
    while (width / divisor > kTrailTextureSide || height / divisor > kTrailTextureSide) ++divisor;
    return divisor;
}

void DrawBlurTrail(Scene& scene, const ScenePose (&poses)[kTrailPoses], const ScenePose& current,
                   uint32_t* trailTexture) {
    GLint view[4] = {};
    glGetIntegerv(GL_VIEWPORT, view);
    const int divisor = TrailDivisor(view[2], view[3]);
    if (trailTexture && divisor > 1 && DrawTrailIntoTexture(scene, poses, view, divisor, trailTexture)) {
        DrawTrailTexture(*trailTexture, static_cast<float>(view[2] / divisor) / kTrailTextureSide,
                         static_cast<float>(view[3] / divisor) / kTrailTextureSide);
    } else {
        DrawTrailPoses(scene, poses);
    }
    DrawPose(scene, {current.x, current.y, current.z + 1.0f, current.ax, current.ay, current.az});
}
