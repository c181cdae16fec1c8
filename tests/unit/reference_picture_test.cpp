// What the saver draws, held against committed pictures: fixed poses of the default
// lodge (plain and lit), the lit cube, the frame-rate text and the motion-blur
// trail. A change
// of lens, lighting, pose or blending shows here even when every other test passes.
//
// The pictures are 320 x 240 binary PPM files in tests/data/reference. A picture
// matches when at most 0.5 % of its pixels differ by more than 8 in a channel
// (llvmpipe draws the same on one Mesa version; the margin covers rounding between
// its EGL and WGL paths). VELMORA_UPDATE_REFERENCES=1 rewrites the pictures instead;
// look at them before committing.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/blur_trail.h"
#include "app/frame.h"
#include "app/saver_window_state.h"
#include "app/scene.h"
#include "app/scene_view.h"
#include "app/settings.h"
#include "app/texture_font.h"
#include "formats/model3ds.h"
#include "formats/ms3d_model.h"
#include "platform/gl.h"
#include "tests/unit/gl_test_context.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr int kChannelTolerance = 8;
constexpr int kDifferingPixelsAllowed = kWidth * kHeight / 200;

std::string PicturePath(const std::string& name) {
    return VELMORA_SOURCE_DIR "/tests/data/reference/" + name + ".ppm";
}

bool Updating() {
    const char* value = std::getenv("VELMORA_UPDATE_REFERENCES");
    return value && std::string(value) == "1";
}

// Rows top first, as PPM keeps them; GL reads them bottom first.
void WritePicture(const std::string& path, const std::vector<uint8_t>& bottomUp) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << kWidth << " " << kHeight << "\n255\n";
    for (int y = kHeight - 1; y >= 0; --y)
        out.write(reinterpret_cast<const char*>(&bottomUp[static_cast<size_t>(y) * kWidth * 3]), kWidth * 3);
}

std::vector<uint8_t> ReadPicture(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int width = 0, height = 0, depth = 0;
    in >> magic >> width >> height >> depth;
    in.get();
    if (!in || magic != "P6" || width != kWidth || height != kHeight || depth != 255) return {};
    std::vector<uint8_t> topDown((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (topDown.size() != static_cast<size_t>(kWidth) * kHeight * 3) return {};
    std::vector<uint8_t> bottomUp(topDown.size());
    for (int y = 0; y < kHeight; ++y)
        std::copy_n(&topDown[static_cast<size_t>(kHeight - 1 - y) * kWidth * 3], kWidth * 3,
                    &bottomUp[static_cast<size_t>(y) * kWidth * 3]);
    return bottomUp;
}

void ExpectPicture(const std::string& name, const std::vector<uint8_t>& drawn) {
    ASSERT_EQ(drawn.size(), static_cast<size_t>(kWidth) * kHeight * 3);
    if (Updating()) {
        WritePicture(PicturePath(name), drawn);
        return;
    }
    const std::vector<uint8_t> reference = ReadPicture(PicturePath(name));
    ASSERT_FALSE(reference.empty()) << PicturePath(name) << " is missing or not a 320 x 240 PPM";
    int differing = 0, lit = 0;
    for (size_t i = 0; i < drawn.size(); i += 3) {
        bool differs = false;
        for (size_t c = 0; c < 3; ++c) differs = differs || std::abs(drawn[i + c] - reference[i + c]) > kChannelTolerance;
        if (differs) ++differing;
        if (drawn[i] > 8 || drawn[i + 1] > 8 || drawn[i + 2] > 8) ++lit;
    }
    EXPECT_GT(lit, 200) << name << ": nothing drawn";
    if (differing > kDifferingPixelsAllowed) {
        // Kept for a look: what was drawn instead.
        const std::string kept = (std::filesystem::temp_directory_path() / (name + "-drawn.ppm")).string();
        WritePicture(kept, drawn);
        ADD_FAILURE() << name << ": " << differing << " pixels differ by more than " << kChannelTolerance
                      << " (at most " << kDifferingPixelsAllowed << " may); what was drawn is in " << kept;
    }
}

class ReferencePictures : public ::testing::Test {
protected:
    ReferencePictures() : gl(kWidth, kHeight) {}
    void SetUp() override {
        if (!gl.ok()) GTEST_SKIP() << "no OpenGL context available";
        SetDefaults();
        SetUpSceneView(state, 0, 0, kWidth, kHeight);
        std::srand(1);
    }
    void TearDown() override {
        if (scene) scene->ReleaseModel();
    }
    // The default lodge, or the cube when `lodge` is false, standing still at a
    // fixed pose: the centre, turned 30 degrees about z (and the settings' offsets).
    void MakeScene(bool lodge) {
        if (lodge) std::snprintf(Settings.modelPath, sizeof Settings.modelPath, "%s", VELMORA_SOURCE_DIR "/resources/VLG.3DS");
        else Settings.modelPath[0] = '\0';
        state.scene.reset(new Scene(Settings, state.halfWidth, state.halfHeight));
        scene = state.scene.get();
        if (lodge) {
            ASSERT_TRUE(scene->LoadModel());
        }
        scene->position = {0.0f, 0.0f, 0.0f};
        scene->angle = {static_cast<float>(Settings.xoff), 0.0f, 30.0f};
        scene->velocity[0] = scene->velocity[1] = 0.0f;
    }
    std::vector<uint8_t> Rendered() {
        glMatrixMode(GL_MODELVIEW);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        scene->Render();
        return gl.Pixels();
    }

    GlTestContext gl;
    SaverWindowState state;
    Scene* scene = nullptr;  // the state's
};

TEST_F(ReferencePictures, LodgeAtTheDefaultSettings) {
    MakeScene(true);
    ExpectPicture("lodge", Rendered());
}

TEST_F(ReferencePictures, LodgeWithLighting) {
    Settings.lighting = 1;
    SetUpLighting(state);
    MakeScene(true);
    ExpectPicture("lodge-lit", Rendered());
    // A blur trail drawn in between leaves the lit model as it was.
    ScenePose trail[kTrailPoses];
    for (int i = 0; i < kTrailPoses; ++i) trail[i] = {-2.0f * static_cast<float>(i), 0.0f, 0.0f, 0.0f, 0.0f, 30.0f};
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glLoadIdentity();
    DrawBlurTrail(*scene, trail, trail[0]);
    ExpectPicture("lodge-lit", Rendered());
}

TEST_F(ReferencePictures, CubeWithLighting) {
    // Turned only a little: the cube's one normal then lies near the light's half
    // vector, so its faces carry the white specular highlight the shininess shapes.
    Settings.xoff = 10;
    Settings.yoff = 30;
    Settings.lighting = 1;
    SetUpLighting(state);
    MakeScene(false);
    ExpectPicture("cube-lit", Rendered());
}

TEST_F(ReferencePictures, FrameRateTextOverTheCube) {
    Settings.scale = 40;  // a small cube, clear of the text
    MakeScene(false);
    state.font.reset(new TextureFont());
    state.fpsText = "FPS = 59.8802";
    state.frameSeconds = 1.0f / 60.0f;
    DrawFrame(state, true);  // one step of time: the cube turns a degree, the text stays as set
    glMatrixMode(GL_MODELVIEW);
    ExpectPicture("frame-rate-text", gl.Pixels());
}

TEST_F(ReferencePictures, BlurTrailOfTheCube) {
    GLint stencilBits = 0;
    glGetIntegerv(GL_STENCIL_BITS, &stencilBits);
    ASSERT_GT(stencilBits, 0) << "the saver asks for a stencil buffer for the trail";
    Settings.blur = 1;
    Settings.scale = 60;
    Settings.xoff = 20;
    MakeScene(false);
    // The cube one step on, and a trail of nine earlier poses to the left, each
    // turned further back.
    scene->Update();
    ScenePose trail[kTrailPoses];
    trail[0] = {scene->positionX(), scene->positionY(), scene->positionZ(),
                scene->angleX(),    scene->angleY(),    scene->angleZ()};
    for (int i = 1; i < kTrailPoses; ++i)
        trail[i] = {-12.0f * static_cast<float>(i - 1), 0.0f, 0.0f, 20.0f, 0.0f, 30.0f - 6.0f * static_cast<float>(i - 1)};
    glMatrixMode(GL_MODELVIEW);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glLoadIdentity();
    DrawBlurTrail(*scene, trail, trail[0]);
    ExpectPicture("blur-trail", gl.Pixels());
}

}  // namespace
