#include "app/scene_view.h"

#include "app/saver_window_state.h"
#include "app/scene_lens.h"
#include "platform/gl.h"

void SetUpSceneView(SaverWindowState& state, int left, int top, int width, int height) {
    glViewport(left, top, width, height);
    glEnable(GL_DEPTH_TEST);
    glFrontFace(GL_CCW);
    glEnable(GL_CULL_FACE);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // A client area with no height (a collapsed preview) is drawn as if one pixel high.
    state.aspectRatio = static_cast<float>(width) / static_cast<float>(height > 0 ? height : 1);
    gluPerspective(kFieldOfViewDegrees, state.aspectRatio, kNearPlane, kFarPlane);
    state.halfWidth = width / 2;
    state.halfHeight = height / 2;
    glTranslatef(0.0f, 0.0f, -kEyeDistance);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void SetUpLighting(const SaverWindowState& state) {
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    // The model is drawn through glScalef (the scale setting, and a user's model's fit
    // to the lodge's size), which scales the normals too: lighting needs them unit long.
    glEnable(GL_NORMALIZE);
    const GLfloat ambient[] = {0.25f, 0.25f, 0.25f, 0.0f};
    const GLfloat diffuse[] = {1.0f, 1.0f, 1.0f, 0.0f};
    const GLfloat specular[] = {1.0f, 1.0f, 1.0f, 0.0f};
    // Given while the modelview matrix is the identity; w = 0 makes it directional.
    const GLfloat position[] = {2.0f * state.halfWidth, static_cast<GLfloat>(state.halfHeight),
                                2.0f * state.halfWidth, 0.0f};
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, specular);
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glEnable(GL_COLOR_MATERIAL);
    glMaterialf(GL_FRONT, GL_SHININESS, 20.0f);
    glColorMaterial(GL_FRONT, GL_SPECULAR);
    glColor3f(1.0f, 1.0f, 1.0f);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
}
