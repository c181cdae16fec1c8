#include "app/blur_trail.h"

#include <algorithm>

#include "app/scene_lens.h"
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

// A part of the view, as fractions of its width and height from its lower left.
struct ViewArea {
    float left = 0.0f, bottom = 0.0f, right = 1.0f, top = 1.0f;
};

// What the trail can cover: the boxes about the poses' positions that hold everything
// drawn there, as they land in the view; the whole view when one reaches the eye.
ViewArea TrailArea(const Scene& scene, const ScenePose (&poses)[kTrailPoses], const GLint (&view)[4]) {
    GLdouble model[16], projection[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    const double reach = scene.DrawnReach();
    double low[2] = {1e30, 1e30}, high[2] = {-1e30, -1e30};
    for (const ScenePose& pose : poses) {
        // The eye stands kEyeDistance in front of the origin; a box that comes within
        // the near plane of it projects to anywhere.
        if (pose.z + reach >= kEyeDistance - kNearPlane) return ViewArea();
        for (int corner = 0; corner < 8; ++corner) {
            const double x = pose.x + (corner & 1 ? reach : -reach);
            const double y = pose.y + (corner & 2 ? reach : -reach);
            const double z = pose.z + (corner & 4 ? reach : -reach);
            GLdouble wx, wy, wz;
            if (!gluProject(x, y, z, model, projection, view, &wx, &wy, &wz)) return ViewArea();
            low[0] = std::min(low[0], wx), low[1] = std::min(low[1], wy);
            high[0] = std::max(high[0], wx), high[1] = std::max(high[1], wy);
        }
    }
    // A pixel of margin for the stretched picture's rounding.
    auto fraction = [&](double pixel, int axis) {
        return static_cast<float>(std::clamp((pixel - view[axis]) / view[axis + 2], 0.0, 1.0));
    };
    return {fraction(low[0] - 1.0, 0), fraction(low[1] - 1.0, 1), fraction(high[0] + 1.0, 0),
            fraction(high[1] + 1.0, 1)};
}

// Where the stencil holds `mark` (the pixels of one pose) within `area`, the colour is
// multiplied by `factor` (1 to 2), saturating: the blend adds the colour times
// (factor - 1) to itself. A quad costs far less than drawing the pose's triangles again.
void BrightenMarkedPixels(GLint mark, float factor, const ViewArea& area) {
    glStencilFunc(GL_EQUAL, mark, 0xFF);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_FOG);
    glDisable(GL_LIGHTING);
    // With lighting on, the current colour is tracked into the material: the quad's
    // colour must not become the model's.
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_DST_COLOR, GL_ONE);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    const float extra = factor - 1.0f;
    glColor3f(extra, extra, extra);
    glRectf(2.0f * area.left - 1.0f, 2.0f * area.bottom - 1.0f, 2.0f * area.right - 1.0f, 2.0f * area.top - 1.0f);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
    glDisable(GL_BLEND);
}

// The poses of the trail, newest first, each where no newer pose lies; all of them lie
// within `area`. `skipNewest`: the newest pose is drawn over by the current one and
// need not be drawn here.
void DrawTrailPoses(Scene& scene, const ScenePose (&poses)[kTrailPoses], bool skipNewest, const ViewArea& area) {
    const GLfloat black[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogfv(GL_FOG_COLOR, black);
    glEnable(GL_STENCIL_TEST);
    glStencilMask(0xFF);
    for (int i = skipNewest ? 1 : 0; i < kTrailPoses; ++i) {
        const GLint mark = kTrailPoses - i;  // newer poses hold higher marks
        const float weight = TrailWeight(i);
        // The pose takes the pixels that no newer pose took (mark 0), and its own
        // again where its nearer faces cover its farther ones.
        glStencilFunc(GL_GEQUAL, mark, 0xFF);
        glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
        // Full weight needs no fog: the colours stand as they are.
        if (weight < 1.0f) {
            glEnable(GL_FOG);
            ScaleColoursBy(weight);
        } else {
            glDisable(GL_FOG);
        }
        DrawPose(scene, poses[i]);
    }
    // The weight beyond 1, on the pixels each such pose took: their colours, drawn at
    // full intensity, are multiplied by the weight and saturate. Without a stencil
    // buffer no pixel is marked: each such pose is drawn again, added on its own front
    // fragments (same depth).
    GLint stencilBits = 0;
    glGetIntegerv(GL_STENCIL_BITS, &stencilBits);
    for (int i = skipNewest ? 1 : 0; i < kTrailPoses && TrailWeight(i) > 1.0f; ++i) {
        if (stencilBits > 0) {
            BrightenMarkedPixels(kTrailPoses - i, TrailWeight(i), area);
            continue;
        }
        glEnable(GL_FOG);
        glDepthFunc(GL_EQUAL);
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE);
        ScaleColoursBy(TrailWeight(i) - 1.0f);
        DrawPose(scene, poses[i]);
        glDisable(GL_BLEND);
        glDepthFunc(GL_LESS);
    }
    glDisable(GL_FOG);
    glDisable(GL_STENCIL_TEST);
}

// Draws the trail into the lower-left 1/divisor of the viewport, copies it into the
// trail texture and clears the buffers again; true when the texture holds it.
bool DrawTrailIntoTexture(Scene& scene, const ScenePose (&poses)[kTrailPoses], bool skipNewest,
                          const ViewArea& area, const GLint (&view)[4], int divisor, uint32_t* texture) {
    if (*texture == 0) {
        GLuint name = 0;
        glGenTextures(1, &name);
        glPushAttrib(GL_TEXTURE_BIT);  // the texture bound before stays bound
        glBindTexture(GL_TEXTURE_2D, name);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, kTrailTextureSide, kTrailTextureSide, 0, GL_RGB, GL_UNSIGNED_BYTE,
                     nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
        glPopAttrib();
        if (glGetError() != GL_NO_ERROR) {
            glDeleteTextures(1, &name);
            return false;
        }
        *texture = name;
    }
    const GLsizei width = view[2] / divisor, height = view[3] / divisor;
    glViewport(view[0], view[1], width, height);
    DrawTrailPoses(scene, poses, skipNewest, area);
    glViewport(view[0], view[1], view[2], view[3]);
    glPushAttrib(GL_TEXTURE_BIT | GL_SCISSOR_BIT);
    glBindTexture(GL_TEXTURE_2D, *texture);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, view[0], view[1], width, height);
    // Only the corner the trail was drawn in needs clearing again.
    glEnable(GL_SCISSOR_TEST);
    glScissor(view[0], view[1], width, height);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glPopAttrib();
    return true;
}

// The trail texture's picture stretched over the view (over `area` of it, where the
// trail lies; black elsewhere already), behind everything.
void DrawTrailTexture(uint32_t texture, float right, float top, const ViewArea& area) {
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
    glTexCoord2f(area.left * right, area.bottom * top);
    glVertex2f(area.left, area.bottom);
    glTexCoord2f(area.right * right, area.bottom * top);
    glVertex2f(area.right, area.bottom);
    glTexCoord2f(area.right * right, area.top * top);
    glVertex2f(area.right, area.top);
    glTexCoord2f(area.left * right, area.top * top);
    glVertex2f(area.left, area.top);
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
    while (width / divisor > kTrailSide || height / divisor > kTrailSide) ++divisor;
    return divisor;
}

void DrawBlurTrail(Scene& scene, const ScenePose (&poses)[kTrailPoses], const ScenePose& current,
                   uint32_t* trailTexture) {
    GLint view[4] = {};
    glGetIntegerv(GL_VIEWPORT, view);
    const int divisor = TrailDivisor(view[2], view[3]);
    // The current pose is drawn a unit nearer over everything: where it stands where
    // the newest trail pose stands, it covers that pose.
    const ScenePose& newest = poses[0];
    const bool skipNewest = newest.x == current.x && newest.y == current.y && newest.z == current.z &&
                            newest.ax == current.ax && newest.ay == current.ay && newest.az == current.az;
    const ViewArea area = TrailArea(scene, poses, view);
    if (trailTexture && divisor > 1 &&
        DrawTrailIntoTexture(scene, poses, skipNewest, area, view, divisor, trailTexture)) {
        // Half a texel short of the picture's far edges: the texels beyond were never drawn.
        DrawTrailTexture(*trailTexture, (static_cast<float>(view[2] / divisor) - 0.5f) / kTrailTextureSide,
                         (static_cast<float>(view[3] / divisor) - 0.5f) / kTrailTextureSide, area);
    } else {
        DrawTrailPoses(scene, poses, skipNewest, area);
    }
    DrawPose(scene, {current.x, current.y, current.z + 1.0f, current.ax, current.ay, current.az});
}
