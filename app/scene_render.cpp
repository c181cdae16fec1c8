// Drawing the scene: the model transform, and the cube shown when no model loaded.
#include <cmath>

#include "app/scene.h"
#include "app/settings.h"
#include "platform/gl.h"

void DrawFallbackCube(float s) {
    struct Face {
        float r, g, b;
        float corners[4][3];  // signs of x, y, z
    };
    // Each face is counter-clockwise seen from outside, so culling hides the back.
    static const Face faces[6] = {
        {0, 1, 0, {{+1, +1, -1}, {-1, +1, -1}, {-1, +1, +1}, {+1, +1, +1}}},       // top: green
        {1, 0.5f, 0, {{+1, -1, +1}, {-1, -1, +1}, {-1, -1, -1}, {+1, -1, -1}}},    // bottom: orange
        {1, 0, 0, {{+1, +1, +1}, {-1, +1, +1}, {-1, -1, +1}, {+1, -1, +1}}},       // front: red
        {1, 1, 0, {{+1, -1, -1}, {-1, -1, -1}, {-1, +1, -1}, {+1, +1, -1}}},       // back: yellow
        {0, 0, 1, {{-1, +1, +1}, {-1, +1, -1}, {-1, -1, -1}, {-1, -1, +1}}},       // left: blue
        {1, 0, 1, {{+1, +1, -1}, {+1, +1, +1}, {+1, -1, +1}, {+1, -1, -1}}},       // right: magenta
    };
    glBegin(GL_QUADS);
    for (const Face& face : faces) {
        glColor3f(face.r, face.g, face.b);
        for (const auto& c : face.corners) glVertex3f(c[0] * s, c[1] * s, c[2] * s);
    }
    glEnd();
}

void Scene::Render() {
    glPushMatrix();
    glTranslatef(position.x, position.y, position.z);
    glRotatef(static_cast<float>(settings_.xoff) + angle.x, 1.0f, 0.0f, 0.0f);
    glRotatef(static_cast<float>(settings_.yoff) + angle.y, 0.0f, 1.0f, 0.0f);
    glRotatef(static_cast<float>(settings_.zoff) + angle.z, 0.0f, 0.0f, 1.0f);
    const float scale = static_cast<float>(settings_.scale) * 0.01f;
    glScalef(scale, scale, scale);
    // The corners carry the scale once more: the cube's half edge is scale² / 100.
    if (modelLoaded && fitted) {
        glScalef(fit.scale, fit.scale, fit.scale);
        glTranslatef(-fit.centre[0], -fit.centre[1], -fit.centre[2]);
    }
    if (modelLoaded) DrawModel();
    else DrawFallbackCube(static_cast<float>(settings_.scale));
    glPopMatrix();
}

float Scene::DrawnReach() const {
    const float scale = static_cast<float>(settings_.scale) * 0.01f;
    if (modelLoaded) return modelReach * std::fabs(scale);
    // The cube's corners: half edge scale² / 100 along each axis.
    const float half = std::fabs(static_cast<float>(settings_.scale) * scale);
    return half * 1.7320508f;
}

void Scene::RenderAtPose(float x, float y, float z, float ax, float ay, float az) {
    const Vec3f savedPosition = position;
    const Vec3f savedAngle = angle;
    position = {x, y, z};
    angle = {ax, ay, az};
    Render();
    position = savedPosition;
    angle = savedAngle;
}
