// The scene drawn into an offscreen context and read back: the fallback cube's size,
// colours and culling, lighting, poses, and the frame-rate text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/blur_trail.h"
#include "app/frame.h"
#include "app/saver_window_state.h"
#include "app/scene.h"
#include "app/scene_view.h"
#include "app/settings.h"
#include "app/texture_font.h"
#include "app/timed_motion.h"
#include "platform/gl.h"
#include "tests/unit/gl_test_context.h"

namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 300;

class SceneDrawing : public ::testing::Test {
protected:
    SceneDrawing() : gl(kWidth, kHeight) {}
    void SetUp() override {
        if (!gl.ok()) GTEST_SKIP() << "no OpenGL context available";
        SetDefaults();
        Settings.xoff = Settings.yoff = Settings.zoff = 0;
        SetUpSceneView(state, 0, 0, kWidth, kHeight);
        std::srand(1);
        StartScene();
    }
    // A scene of the settings as they now stand (a scene keeps its own copy), at the
    // centre and unturned.
    void StartScene() {
        state.scene.reset(new Scene(Settings, state.halfWidth, state.halfHeight));
        scene = state.scene.get();
        scene->position = {0, 0, 0};
        scene->angle = {0, 0, 0};
    }
    void Draw() {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        scene->Render();
    }
    // Where a point of the scene lands in the window, in pixels from the bottom left.
    static void Project(double x, double y, double z, double* px, double* py) {
        GLdouble model[16], projection[16], winZ;
        GLint viewport[4];
        glGetDoublev(GL_MODELVIEW_MATRIX, model);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
        gluProject(x, y, z, model, projection, viewport, px, py, &winZ);
    }
    // The run of pixels along the middle row whose colour matches `rgb`.
    int RunWidth(Rgb rgb) const {
        std::vector<uint8_t> pixels = gl.Pixels();
        int count = 0;
        const uint8_t* row = &pixels[(kHeight / 2) * kWidth * 3];
        for (int x = 0; x < kWidth; ++x)
            if (row[3 * x] == rgb.r && row[3 * x + 1] == rgb.g && row[3 * x + 2] == rgb.b) ++count;
        return count;
    }

    GlTestContext gl;
    SaverWindowState state;
    Scene* scene = nullptr;  // the state's
};

void ExpectColour(Rgb actual, Rgb expected, const char* what) {
    EXPECT_NEAR(actual.r, expected.r, 2) << what;
    EXPECT_NEAR(actual.g, expected.g, 2) << what;
    EXPECT_NEAR(actual.b, expected.b, 2) << what;
}

TEST_F(SceneDrawing, CubeHalfEdgeIsScaleSquaredOverAHundred) {
    for (int scale : {100, 50, 20}) {
        Settings.scale = scale;
        StartScene();
        Draw();
        // The front face lies at z = +half edge; its width on screen follows.
        const double half = scale * scale / 100.0;
        double left, right, y;
        glLoadIdentity();
        Project(-half, 0, half, &left, &y);
        Project(half, 0, half, &right, &y);
        EXPECT_NEAR(RunWidth({255, 0, 0}), right - left, 2.0) << "scale " << scale;
    }
}

TEST_F(SceneDrawing, EachFaceShowsItsColourAndHiddenFacesAreCulled) {
    struct View {
        float ax, ay;
        Rgb colour;
        const char* face;
    } views[] = {
        {0, 0, {255, 0, 0}, "front"},      {0, 180, {255, 255, 0}, "back"},
        {0, 90, {0, 0, 255}, "left"},       {0, -90, {255, 0, 255}, "right"},
        {90, 0, {0, 255, 0}, "top"},        {-90, 0, {255, 128, 0}, "bottom"},
    };
    // Without the depth test, only culling keeps the faces behind from painting over.
    glDisable(GL_DEPTH_TEST);
    for (const View& view : views) {
        scene->angle = {view.ax, view.ay, 0};
        Draw();
        ExpectColour(gl.Pixel(kWidth / 2, kHeight / 2), view.colour, view.face);
    }
    glEnable(GL_DEPTH_TEST);
    ExpectColour(gl.Pixel(2, 2), {0, 0, 0}, "background");
}

TEST_F(SceneDrawing, LightingShadesTheFacesButKeepsTheirHue) {
    Draw();
    Rgb flat = gl.Pixel(kWidth / 2, kHeight / 2);
    SetUpLighting(state);
    Draw();
    Rgb lit = gl.Pixel(kWidth / 2, kHeight / 2);
    glDisable(GL_LIGHTING);
    glDisable(GL_COLOR_MATERIAL);
    EXPECT_TRUE(lit.r != flat.r || lit.g != flat.g || lit.b != flat.b) << "lighting changes the shade";
    EXPECT_GT(lit.r, 100);
    EXPECT_GT(lit.r, lit.g + 60) << "red stays red";
    EXPECT_NEAR(lit.g, lit.b, 3);
}

// The scale setting goes through glScalef, which scales the normals as well: lit faces
// must keep their brightness at any scale.
TEST_F(SceneDrawing, LitFacesKeepTheirBrightnessAtEveryScale) {
    SetUpLighting(state);
    Draw();
    const Rgb atHundred = gl.Pixel(kWidth / 2, kHeight / 2);
    Settings.scale = 150;
    StartScene();
    Draw();
    const Rgb larger = gl.Pixel(kWidth / 2, kHeight / 2);
    glDisable(GL_LIGHTING);
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_NORMALIZE);
    EXPECT_GT(atHundred.r, 100);
    EXPECT_NEAR(larger.r, atHundred.r, 3) << "the normals were not made unit long again";
}

TEST_F(SceneDrawing, RenderAtPoseLeavesThePoseAsItWas) {
    scene->position = {10, -20, 0};
    scene->angle = {1, 2, 3};
    scene->velocity[0] = 0.5f;
    scene->direction[1] = -1;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    scene->RenderAtPose(0, 0, 0, 0, 0, 0);
    ExpectColour(gl.Pixel(kWidth / 2, kHeight / 2), {255, 0, 0}, "drawn at the given pose");
    EXPECT_EQ(scene->positionX(), 10);
    EXPECT_EQ(scene->positionY(), -20);
    EXPECT_EQ(scene->angleX(), 1);
    EXPECT_EQ(scene->angleY(), 2);
    EXPECT_EQ(scene->angleZ(), 3);
    EXPECT_EQ(scene->velocity[0], 0.5f);
    EXPECT_EQ(scene->direction[1], -1);
}

// Light grey to white: the small glyphs are anti-aliased, so few reach full white.
bool Whitish(const uint8_t* p) { return p[0] > 100 && p[1] > 100 && p[2] > 100; }

// Counts whitish pixels in the top-left corner where the frame-rate text goes.
int WhiteInTopLeft(const GlTestContext& gl) {
    std::vector<uint8_t> pixels = gl.Pixels();
    int count = 0;
    for (int y = kHeight - kHeight / 10; y < kHeight; ++y)
        for (int x = 0; x < kWidth / 2; ++x) {
            const uint8_t* p = &pixels[(y * kWidth + x) * 3];
            if (Whitish(p)) ++count;
        }
    return count;
}

TEST_F(SceneDrawing, FrameRateTextShowsOnlyWhileSwitchedOn) {
    state.font.reset(new TextureFont());
    state.fpsText = "FPS = 59.8802";
    Settings.vel = 0;
    StartScene();
    DrawFrame(state, false);
    EXPECT_EQ(WhiteInTopLeft(gl), 0);
    DrawFrame(state, true);
    EXPECT_GT(WhiteInTopLeft(gl), 50);
    // The text stays in the top-left corner: nothing white below it.
    std::vector<uint8_t> pixels = gl.Pixels();
    for (int y = 0; y < kHeight - kHeight / 10; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const uint8_t* p = &pixels[(y * kWidth + x) * 3];
            ASSERT_FALSE(Whitish(p)) << x << "," << y;
        }
}

// The trail's poses in a row from left to right, oldest first, clear of each other:
// small cubes facing the viewer with their red front face.
class BlurTrail : public SceneDrawing {
protected:
    void SetUp() override {
        SceneDrawing::SetUp();
        if (IsSkipped()) return;
        Settings.scale = 30;  // half edge 9 units
        StartScene();
        for (int i = 0; i < kTrailPoses; ++i) trail[i] = {X(i), 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
        current = trail[0];
    }
    static float X(int i) { return 150.0f - 30.0f * static_cast<float>(i); }
    Rgb At(double x, double y, double z) {
        double px, py;
        glLoadIdentity();
        Project(x, y, z, &px, &py);
        return gl.Pixel(static_cast<int>(px), static_cast<int>(py));
    }
    Rgb Centre(float x) { return At(x, 0.0, 9.0); }
    void DrawTrail() {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        glLoadIdentity();
        DrawBlurTrail(*scene, trail, current);
    }
    ScenePose trail[kTrailPoses];
    ScenePose current;
};

TEST_F(BlurTrail, EachPoseShowsWithItsWeightClampedToFullIntensity) {
    DrawTrail();
    for (int i = 0; i < kTrailPoses; ++i) {
        const int red = std::min(255, static_cast<int>(std::lround(255.0f * TrailWeight(i))));
        ExpectColour(Centre(X(i)), {static_cast<uint8_t>(red), 0, 0}, ("pose " + std::to_string(i)).c_str());
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_FALSE(glIsEnabled(GL_STENCIL_TEST) || glIsEnabled(GL_FOG) || glIsEnabled(GL_BLEND));
    EXPECT_EQ(scene->positionZ(), 0.0f) << "the pose on top is drawn one unit nearer, not moved";
}

TEST_F(BlurTrail, PosesAboveFullWeightBrightenTheirOwnColoursTowardsFull) {
    // A dim light without shine: the red faces are far from full, so weights above 1 show.
    SetUpLighting(state);
    const GLfloat dim[4] = {0.3f, 0.3f, 0.3f, 0.0f}, none[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    glLightfv(GL_LIGHT0, GL_DIFFUSE, dim);
    glLightfv(GL_LIGHT0, GL_AMBIENT, none);
    glLightfv(GL_LIGHT0, GL_SPECULAR, none);
    int plain[kTrailPoses] = {};
    for (int i = 1; i < 5; ++i) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        glLoadIdentity();
        scene->RenderAtPose(X(i), 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
        plain[i] = Centre(X(i)).r;
        ASSERT_GT(plain[i], 30) << "pose " << i;
        ASSERT_LT(plain[i], 150) << "pose " << i;
    }
    DrawTrail();
    for (int i = 1; i < 5; ++i)
        EXPECT_NEAR(Centre(X(i)).r, std::min(255.0f, plain[i] * TrailWeight(i)), 4.0f) << "pose " << i;
}

TEST_F(BlurTrail, ThePixelGoesToTheNewestPoseThatCoversItEvenBehindAnOlderOne) {
    GLint stencilBits = 0;
    glGetIntegerv(GL_STENCIL_BITS, &stencilBits);
    ASSERT_GT(stencilBits, 0);
    // The oldest pose stands over the top of pose 5, nearer, turned to show its
    // magenta right face; the current pose is out of the way.
    trail[9] = {X(5), 12.0f, 30.0f, 0.0f, -90.0f, 0.0f};
    current = {-400.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    DrawTrail();
    ExpectColour(At(X(5), 6.0, 9.0), {255, 0, 0}, "where both lie, pose 5's red at weight 1");
    ExpectColour(At(X(5), 17.0, 39.0), {51, 0, 51}, "where only the oldest pose lies, its fifth of magenta");
}

TEST_F(SceneDrawing, BlurFramesMoveInTimeAndKeepTheSceneInPlace) {
    Settings.blur = 1;
    Settings.zrot = 360;
    Settings.zrots = 20;  // a degree a step
    StartScene();
    scene->position = {50, 60, 0};
    scene->velocity[0] = scene->velocity[1] = 0;
    state.frameSeconds = 0.5f / 60.0f;
    for (int frame = 0; frame < 30; ++frame) DrawFrame(state, false);  // a quarter of a second
    EXPECT_NEAR(state.motion->pose().az, 15.0f, 1e-3f);
    EXPECT_NEAR(state.motion->trailPose(9).az, 6.0f, 1e-3f) << "nine steps of time behind";
    EXPECT_EQ(scene->positionZ(), 0.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glMatrixMode(GL_MODELVIEW);
}

}  // namespace

namespace {

// A flat grid of 2 x cells x cells triangles facing the viewer, as an OBJ file.
std::string WriteGridObj(const std::string& path, int cells) {
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file) return path;
    for (int y = 0; y <= cells; ++y)
        for (int x = 0; x <= cells; ++x) std::fprintf(file, "v %d %d 0\n", x, y);
    const int row = cells + 1;
    for (int y = 0; y < cells; ++y)
        for (int x = 0; x < cells; ++x) {
            const int a = y * row + x + 1;
            std::fprintf(file, "f %d %d %d\nf %d %d %d\n", a, a + 1, a + row + 1, a, a + row + 1, a + row);
        }
    std::fclose(file);
    return path;
}

bool AllBlack(const std::vector<uint8_t>& pixels) {
    return std::all_of(pixels.begin(), pixels.end(), [](uint8_t v) { return v == 0; });
}

}  // namespace

TEST_F(SceneDrawing, AModelReadElsewhereShowsOnlyOnceItIsWholeAndComesInShortSteps) {
    // 2 x 230 x 230 = 105,800 triangles: two display lists, one a frame.
    const std::string path = WriteGridObj(::testing::TempDir() + "velmora_grid.obj", 230);
    Settings.modelFile = path;
    Settings.vel = 0;
    StartScene();
    state.reading = JoinModelRead([&] { return scene->ModelChoice(false); });
    state.reading->wait();
    int blackFrames = 0;
    while (!state.modelReady && blackFrames < 10) {
        DrawFrame(state, false);
        if (state.modelReady) break;
        EXPECT_TRUE(AllBlack(gl.Pixels())) << "frame " << blackFrames << ": nothing shows before the model is whole";
        ++blackFrames;
    }
    ASSERT_TRUE(state.modelReady);
    EXPECT_EQ(blackFrames, 1) << "the first frame takes the model and records one part; the second the other";
    EXPECT_EQ(scene->modelParts.size(), 2u);
    EXPECT_TRUE(scene->fitted);
    EXPECT_FALSE(AllBlack(gl.Pixels())) << "the grid is drawn";
    EXPECT_EQ(state.reading, nullptr);
    scene->ReleaseModel();
    Settings.modelFile.clear();
    std::remove(path.c_str());
}

TEST(BlurTrailOfALargeView, IsDrawnAtAFractionOfTheViewAndStretchedWithTheSameWeights) {
    EXPECT_EQ(TrailDivisor(1024, 768), 1);
    EXPECT_EQ(TrailDivisor(1025, 768), 2);
    EXPECT_EQ(TrailDivisor(3840, 2160), 4);
    // Three times the texture's side across: the trail is drawn at a third and stretched.
    GlTestContext gl(3000, 600);
    if (!gl.ok()) GTEST_SKIP() << "no OpenGL context available";
    SetDefaults();
    Settings.xoff = Settings.yoff = Settings.zoff = 0;
    Settings.scale = 60;  // half edge 36 units: a cube 90 pixels wide here
    SaverWindowState state;
    SetUpSceneView(state, 0, 0, gl.width, gl.height);
    Scene scene(Settings, state.halfWidth, state.halfHeight);
    ScenePose trail[kTrailPoses];
    const auto x = [](int i) { return 720.0f - 160.0f * static_cast<float>(i); };
    for (int i = 0; i < kTrailPoses; ++i) trail[i] = {x(i), 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    const ScenePose current = {x(0), 100.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glLoadIdentity();
    DrawBlurTrail(scene, trail, current, &state.trailTexture);
    EXPECT_NE(state.trailTexture, 0u);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    GLint view[4] = {};
    glGetIntegerv(GL_VIEWPORT, view);
    EXPECT_EQ(view[2], 3000) << "the view is put back";
    const auto centre = [&](float px, float py) {
        GLdouble model[16], projection[16], wx, wy, wz;
        glGetDoublev(GL_MODELVIEW_MATRIX, model);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        gluProject(px, py, 36.0, model, projection, view, &wx, &wy, &wz);
        return gl.Pixel(static_cast<int>(wx), static_cast<int>(wy));
    };
    for (int i = 0; i < kTrailPoses; ++i) {
        const int red = std::min(255, static_cast<int>(std::lround(255.0f * TrailWeight(i))));
        const Rgb seen = centre(x(i), 0.0f);
        EXPECT_NEAR(seen.r, red, 3) << "pose " << i;
        EXPECT_LE(seen.g + seen.b, 6) << "pose " << i;
    }
    const Rgb top = centre(current.x, current.y);
    EXPECT_EQ(top.r, 255) << "the current pose, drawn at the view's own size";
    // Where pose 0 was drawn small (the lower-left third), outside the stretched part,
    // the buffers were cleared again.
    GLdouble model[16], projection[16], wx, wy, wz;
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    gluProject(x(0), 0.0, 36.0, model, projection, view, &wx, &wy, &wz);
    const Rgb small = gl.Pixel(static_cast<int>(wx) / 3, static_cast<int>(wy) / 3);
    EXPECT_EQ(small.r + small.g + small.b, 0) << "the small picture's corner is black again";
}
