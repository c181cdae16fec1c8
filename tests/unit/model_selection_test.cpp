// Which model the scene takes from the model path, and what it draws once loaded
// or, when nothing loaded, the cube.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/model_fit.h"
#include "app/reader_notices.h"
#include "app/saver_window_state.h"
#include "app/scene.h"
#include "app/scene_view.h"
#include "app/settings.h"
#include "formats/model_reader.h"
#include "platform/message_box.h"
#include "platform/gl.h"
#include "platform/trace.h"
#include "tests/unit/chunk_writer.h"
#include "tests/unit/gl_test_context.h"
#include "tests/unit/ms3d_writer.h"

namespace {

std::vector<std::string> traced;
void Capture(const char* message) { traced.push_back(message); }

// A test's scenes release their model when they go, as the saver's window does.
struct TestScene : Scene {
    TestScene() : Scene(Settings, 100, 100) {}
    ~TestScene() { ReleaseModel(); }
};

class SceneModelSelection : public ::testing::Test {
protected:
    void SetUp() override {
        SetDefaults();
        Settings.xoff = Settings.yoff = Settings.zoff = 0;
        traced.clear();
        previous = SetTraceSink(Capture);
    }
    void TearDown() override { SetTraceSink(previous); }
    static void UsePath(const std::string& path) {
        std::snprintf(Settings.modelPath, sizeof Settings.modelPath, "%s", path.c_str());
    }
    TraceSink previous = nullptr;
};

TEST_F(SceneModelSelection, ExtensionDecidesTheKind) {
    struct Case {
        const char* path;
        ModelKind type;
        const char* message;
    } cases[] = {
        {"C:\\Users\\me\\AppData\\Local\\Temp\\VLG.3DS", ModelKind::ThreeDS, "Detected 3DS file type"},
        {"model.MS3D", ModelKind::MS3D, "Detected MS3D file type"},
        {"model.ms3d", ModelKind::MS3D, "Detected MS3D file type"},
        {"model.3ds", ModelKind::ThreeDS, "Detected 3DS file type"},
        {"model.Ms3d", ModelKind::MS3D, "Detected MS3D file type"},  // any letter case
        {"model.3Ds", ModelKind::ThreeDS, "Detected 3DS file type"},
        {"model.b3ds", ModelKind::None, "Failed to match the extension to a type"},  // judged by its last four
        {"model.blend", ModelKind::None, "Extension is invalid"},
        {"none", ModelKind::None, "Extension is invalid"},
        {".3DS", ModelKind::ThreeDS, "Detected 3DS file type"},
        {".ms3d", ModelKind::MS3D, "Detected MS3D file type"},
        {"3ds", ModelKind::None, "Extension is invalid"},  // shorter than a dot and three letters
        {"", ModelKind::None, "Extension is invalid"},
    };
    for (const Case& c : cases) {
        UsePath(c.path);
        traced.clear();
        TestScene scene;
        EXPECT_EQ(scene.modelType, c.type) << c.path;
        ASSERT_FALSE(traced.empty());
        EXPECT_EQ(traced[0], c.message) << c.path;
        EXPECT_FALSE(scene.modelLoaded);
    }
}

class SelectedModelDrawing : public SceneModelSelection {
protected:
    SelectedModelDrawing() : gl(200, 200) {}
    void SetUp() override {
        if (!gl.ok()) GTEST_SKIP() << "no OpenGL context available";
        SceneModelSelection::SetUp();
        SaverWindowState view;
        SetUpSceneView(view, 0, 0, 200, 200);
    }
    Rgb DrawAndLookAtTheCentre(Scene& scene) {
        scene.position = {0, 0, 0};
        scene.angle = {0, 0, 0};
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        scene.Render();
        return gl.Pixel(100, 100);
    }
    bool Traced(const std::string& message) const {
        for (const std::string& m : traced)
            if (m == message) return true;
        return false;
    }
    GlTestContext gl;
};

TEST_F(SelectedModelDrawing, LoadedMS3DModelIsDrawnInsteadOfTheCube) {
    MS3DWriter writer;
    writer.groups.push_back({writer.AddSquare(-100, -100, 100, 100), 0});
    writer.materials.push_back(MS3DWriter::Plain(0, 1, 0, ""));
    UsePath(WriteTestFile("selection.ms3d", writer.Bytes()));
    TestScene scene;
    ASSERT_TRUE(scene.LoadModel());
    EXPECT_TRUE(Traced(std::string("Attempting to load ") + Settings.modelPath));
    EXPECT_TRUE(Traced("Loaded the model"));
    Rgb centre = DrawAndLookAtTheCentre(scene);
    EXPECT_FALSE(centre.r == 255 && centre.g == 0 && centre.b == 0) << "not the cube's red front";
    EXPECT_GT(centre.r + centre.g + centre.b, 0) << "the square is drawn";
}

TEST_F(SelectedModelDrawing, DefaultLodgeIsDrawnTextured) {
    UsePath(VELMORA_SOURCE_DIR "/resources/VLG.3DS");
    Settings.xoff = 134;  // the saver's own tilt shows the lodge's front
    TestScene scene;
    ASSERT_EQ(scene.modelType, ModelKind::ThreeDS);
    ASSERT_TRUE(scene.LoadModel());
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    scene.position = {0, 0, 0};
    scene.angle = {134, 0, 30};
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    scene.Render();
    // Textured wood and stone: many colours, none of them a cube face's.
    std::vector<uint8_t> pixels = gl.Pixels();
    int drawn = 0, cube = 0;
    for (size_t i = 0; i < pixels.size(); i += 3) {
        const int r = pixels[i], g = pixels[i + 1], b = pixels[i + 2];
        if (r + g + b < 24) continue;
        ++drawn;
        const bool pure = (r == 0 || r == 255) && (g == 0 || g == 255 || g == 128) && (b == 0 || b == 255);
        if (pure) ++cube;
    }
    EXPECT_GT(drawn, 5000);
    EXPECT_LT(cube, drawn / 50);
    scene.ReleaseModel();
    glDisable(GL_TEXTURE_2D);
}

TEST_F(SelectedModelDrawing, AnythingThatDoesNotLoadShowsTheCube) {
    UsePath(::testing::TempDir() + "no_such_model.ms3d");
    {
        TestScene scene;
        EXPECT_FALSE(scene.LoadModel());
        EXPECT_TRUE(Traced("Failed to load the model!"));
        Rgb centre = DrawAndLookAtTheCentre(scene);
        EXPECT_EQ(centre.r, 255);
        EXPECT_EQ(centre.g, 0);
    }
    UsePath("model.blend");
    traced.clear();
    {
        TestScene scene;
        EXPECT_FALSE(scene.LoadModel());
        EXPECT_TRUE(Traced("Unrecognized model type."));
        EXPECT_EQ(DrawAndLookAtTheCentre(scene).r, 255);
    }
    // A 3DS model that is missing: texturing is switched on all the same, and the
    // failure is not traced here (the reader reports its own).
    UsePath(::testing::TempDir() + "no_such_model.3ds");
    traced.clear();
    glDisable(GL_TEXTURE_2D);
    {
        TestScene scene;
        EXPECT_FALSE(scene.LoadModel());
        EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
        EXPECT_FALSE(Traced("Failed to load the model!"));
        glDisable(GL_TEXTURE_2D);
        EXPECT_EQ(DrawAndLookAtTheCentre(scene).r, 255);
    }
}

}  // namespace

std::vector<std::string> boxes;
void CaptureBox(const char* text, const char* caption) { boxes.push_back(std::string(caption) + ": " + text); }

// The readers only report; loading the scene's model gathers their messages in the
// order they arose, and a failed texture does not stop the model. Reported, they are
// boxes (someone is there to close them) or trace lines with the same texts.
TEST_F(SelectedModelDrawing, TheReadersMessagesAreReportedInOrder) {
    MessageBoxSink previousBox = SetMessageBoxSink(CaptureBox);
    boxes.clear();
    std::vector<uint8_t> damagedJpeg = RedOverBlueJpeg(32, 32, false);
    damagedJpeg.resize(200);
    const std::string texture = WriteTestFile("BROKEN.JPG", damagedJpeg);
    ChunkWriter w;
    chunks::BeginFile(w, 4);
    chunks::Material(w, "Broken", 1, 2, 3, "velmora_ms3d_BROKEN.JPG");
    chunks::MeshObject(w, "Tri", {0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2});
    chunks::EndFile(w);
    UsePath(WriteTestFile("noticed.3ds", w.bytes));
    ReadResult notices;
    {
        TestScene scene;
        EXPECT_TRUE(scene.LoadModel(&notices));
        scene.ReleaseModel();
    }
    ReportReaderNotices(notices, true);
    ASSERT_GE(boxes.size(), 2u);
    EXPECT_EQ(boxes[0], "Warning: This 3DS file is over version 3 so it may load incorrectly");
    for (size_t i = 1; i < boxes.size(); ++i) EXPECT_EQ(boxes[i].rfind("JPEG Library Error: ", 0), 0u) << boxes[i];

    // No box where nobody may be there: the same texts as trace lines.
    const std::vector<std::string> shown = boxes;
    boxes.clear();
    traced.clear();
    ReportReaderNotices(notices, false);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(traced, shown);

    notices = ReadResult();
    UsePath(WriteTestFile("not3ds.3ds", std::vector<uint8_t>(64, 'x')));
    {
        TestScene scene;
        EXPECT_FALSE(scene.LoadModel(&notices));
    }
    ASSERT_EQ(notices.notices.size(), 1u);
    EXPECT_EQ(notices.notices[0].caption + ": " + notices.notices[0].text,
              "Error: Unable to load PRIMARY chuck from file: " + std::string(Settings.modelPath) + "!");
    SetMessageBoxSink(previousBox);
    glDisable(GL_TEXTURE_2D);
    std::remove(texture.c_str());
}

// The user's model is drawn at the lodge's size whatever its units: a square a
// hundredth of a unit wide and one two hundred thousand units wide cover the same
// part of the view.
TEST_F(SelectedModelDrawing, ChosenModelsOfEverySizeAreFittedToTheLodge) {
    UsePath(VELMORA_SOURCE_DIR "/resources/VLG.3DS");
    std::vector<int> covered;
    for (float half : {0.01f, 100000.0f}) {
        MS3DWriter writer;
        // Far from the origin too: the fit centres the box.
        writer.groups.push_back({writer.AddSquare(5 * half, 5 * half, 7 * half, 7 * half), 0});
        writer.materials.push_back(MS3DWriter::Plain(0, 1, 0, ""));
        Settings.modelFile = WriteTestFile("chosen.MS3D", writer.Bytes());
        TestScene scene;
        ASSERT_TRUE(scene.LoadModel()) << half;
        EXPECT_EQ(scene.modelType, ModelKind::MS3D);
        EXPECT_TRUE(Traced("Loaded the chosen model"));
        DrawAndLookAtTheCentre(scene);
        std::vector<uint8_t> pixels = gl.Pixels();
        int drawn = 0;
        for (size_t i = 0; i < pixels.size(); i += 3) drawn += pixels[i] + pixels[i + 1] + pixels[i + 2] > 0;
        covered.push_back(drawn);
    }
    Settings.modelFile.clear();
    EXPECT_GT(covered[0], 200 * 200 / 10);
    EXPECT_LT(covered[0], 200 * 200 / 2);
    EXPECT_NEAR(covered[0], covered[1], 200);
}

// A chosen model that cannot be used gives the built-in lodge, with a trace that
// says why; a model without triangles counts as unusable.
TEST_F(SelectedModelDrawing, AnUnusableChosenModelGivesTheLodge) {
    UsePath(VELMORA_SOURCE_DIR "/resources/VLG.3DS");
    MS3DWriter empty;
    const std::pair<std::string, const char*> cases[] = {
        {WriteTestFile("broken.3ds", std::vector<uint8_t>(64, 'x')), "not this format"},
        {WriteTestFile("empty.ms3d", empty.Bytes()), "no triangles"},
        {::testing::TempDir() + "absent.ms3d", "cannot be opened"},
        {WriteTestFile("model.blend", std::vector<uint8_t>(64, 'x')), "not this format"},
    };
    for (const auto& [path, reason] : cases) {
        Settings.modelFile = path;
        traced.clear();
        TestScene scene;
        ASSERT_TRUE(scene.LoadModel()) << path;
        EXPECT_EQ(scene.modelType, ModelKind::ThreeDS) << path;
        EXPECT_FALSE(scene.fitted) << path;
        EXPECT_TRUE(Traced(std::string("The chosen model cannot be used (") + reason +
                           "): the built-in lodge is drawn"))
            << path;
        scene.ReleaseModel();
    }
    Settings.modelFile.clear();
    glDisable(GL_TEXTURE_2D);
}

TEST(ModelFit, TheLodgeConstantIsTheLodgesOwnHalfDiagonal) {
    TriangleModel lodge;
    ASSERT_TRUE(ReadModel(VELMORA_SOURCE_DIR "/resources/VLG.3DS", &lodge));
    ModelBounds bounds;
    ASSERT_TRUE(BoundsOf(lodge, &bounds));
    const ModelFit fit = FitToLodge(bounds);
    EXPECT_NEAR(fit.scale, 1.0f, 1e-4f) << "the lodge would be drawn at another size";
    // One point has no size to fit: it is only centred.
    const ModelFit point = FitToLodge({{2, 3, 4}, {2, 3, 4}});
    EXPECT_EQ(point.scale, 1.0f);
    EXPECT_EQ(point.centre[2], 4.0f);
}
