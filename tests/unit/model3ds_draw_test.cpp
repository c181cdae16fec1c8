// The 3DS model drawn into a real GL context and read back: textures the right
// way up, material colours, white without materials, the GL state put back, colours
// where no texture loaded, and an empty model.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "formats/model3ds.h"
#include "tests/unit/loaded_model.h"
#include "platform/gl.h"
#include "tests/unit/gl_test_context.h"
#include "tests/unit/model3ds_test_support.h"
#include "tests/unit/texture_files.h"

namespace {

constexpr int kSize = 64;

void Prepare() {
    glViewport(0, 0, kSize, kSize);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1, 1, -1, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    glDisable(GL_TEXTURE_2D);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
}

::testing::AssertionResult Looks(const Rgb& p, int r, int g, int b) {
    if (std::abs(p.r - r) <= 12 && std::abs(p.g - g) <= 12 && std::abs(p.b - b) <= 12)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel " << p.r << "," << p.g << "," << p.b << " is not " << r << ","
                                         << g << "," << b;
}

// A 3DS file of quads side by side, left to right: each [x0, x1] x [-1, 1] with
// texture coordinates over the whole image, and the material named per quad.
struct Quad {
    float x0, x1;
    std::string material;
};
void QuadObject(ChunkWriter& w, const std::string& name, const Quad& q, bool texCoords) {
    w.Begin(0x4000);
    w.Str(name);
    w.Begin(0x4100);
    chunks::Vertices(w, {q.x0, -1, 0, q.x1, -1, 0, q.x1, 1, 0, q.x0, 1, 0});
    chunks::BeginFaces(w, {0, 1, 2, 0, 2, 3});
    if (!q.material.empty()) chunks::MaterialGroup(w, q.material, {0, 1});
    w.End();
    if (texCoords) chunks::TexCoords(w, {0, 0, 1, 0, 1, 1, 0, 1});
    w.End();
    w.End();
}

// Loads bytes as a model file in folder (with the textures already there).
bool LoadModel(LoadedModel& reader, const TempFolder& folder, const std::vector<uint8_t>& bytes) {
    std::string path = folder.Write("model.3ds", bytes);
    return static_cast<bool>(reader.Load(path));
}

// What the 3DS reader makes of bytes, before they become the model.
t3DModel Import(const std::vector<uint8_t>& bytes) {
    Model3DS reader;
    t3DModel model;
    reader.ImportMemory(&model, bytes.data(), bytes.size(), "model.3ds");
    return model;
}

std::vector<uint8_t> RedOverBlueBmp(int width, int height) {
    return MakeBmp(
        width, height, 24, false, [height](int x, int y) { return RedOverBlue(x, y, height); }, {},
        [](int, int) { return 0u; });
}

class ModelDrawing : public ::testing::Test {
protected:
    ModelDrawing() : gl(kSize, kSize), folder("draw") {}
    GlTestContext gl;
    TempFolder folder;
    ReaderMessages messages;
};

}  // namespace

TEST_F(ModelDrawing, TexturesShowTheRightWayUp) {
    REQUIRE_GL(gl);
    folder.Write("SKIN.BMP", RedOverBlueBmp(8, 8));
    folder.Write("SKIN.JPG", RedOverBlueJpeg(16, 16, false));
    for (const char* name : {"SKIN.BMP", "SKIN.JPG"}) {
        SCOPED_TRACE(name);
        ChunkWriter w;
        chunks::BeginFile(w);
        chunks::Material(w, "Skin", 10, 20, 30, name);
        QuadObject(w, "Quad", {-1, 1, "Skin"}, true);
        chunks::EndFile(w);
        LoadedModel reader;
        ASSERT_TRUE(LoadModel(reader, folder, w.bytes));
        Prepare();
        reader.Draw();
        EXPECT_TRUE(Looks(gl.Pixel(32, 56), 255, 0, 0));  // top: the image's top half
        EXPECT_TRUE(Looks(gl.Pixel(32, 8), 0, 0, 255));
        // Drawing puts back what it changed: texturing off, no texture bound.
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
        GLint bound = -1;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(0, bound);
        EXPECT_NE(0u, reader.Texture(0));
    }
}

TEST_F(ModelDrawing, UntexturedObjectsTakeTheirMaterialColourOrWhite) {
    REQUIRE_GL(gl);
    ChunkWriter w;
    chunks::BeginFile(w);
    chunks::Material(w, "Paint", 10, 20, 30);
    QuadObject(w, "Left", {-1, 0, "Paint"}, false);
    chunks::EndFile(w);
    LoadedModel painted;
    ASSERT_TRUE(LoadModel(painted, folder, w.bytes));
    Prepare();
    glColor3ub(200, 100, 0);
    painted.Draw();
    EXPECT_TRUE(Looks(gl.Pixel(16, 32), 10, 20, 30));
    EXPECT_TRUE(Looks(gl.Pixel(48, 32), 0, 0, 0));  // nothing drawn there

    ChunkWriter bare;
    chunks::BeginFile(bare);
    QuadObject(bare, "Plain", {-1, 1, ""}, false);
    chunks::EndFile(bare);
    LoadedModel white;
    ASSERT_TRUE(LoadModel(white, folder, bare.bytes));
    ASSERT_EQ(0, Import(bare.bytes).numMaterials);
    Prepare();
    glColor3ub(200, 100, 0);
    white.Draw();
    EXPECT_TRUE(Looks(gl.Pixel(32, 32), 255, 255, 255));
}

TEST_F(ModelDrawing, MissingTexturesAndMaterialGroupsShowTheirOwnMaterials) {
    REQUIRE_GL(gl);
    ChunkWriter w;
    chunks::BeginFile(w);
    chunks::Material(w, "Lost", 10, 20, 30, "GONE.JPG");  // no such file
    chunks::Material(w, "Red", 200, 0, 0);
    chunks::Material(w, "Green", 0, 200, 0);
    QuadObject(w, "Left", {-1, 0, "Lost"}, true);
    // The right half: the lower right face in Red's group, the upper left one in
    // none, so it takes the object's material, that of its last group.
    chunks::MeshObject(w, "Right", {0, -1, 0, 1, -1, 0, 1, 1, 0, 0, 1, 0}, {0, 1, 2, 0, 2, 3},
                       {{"Red", {0}}, {"Green", {}}});
    chunks::EndFile(w);
    LoadedModel reader;
    ASSERT_TRUE(LoadModel(reader, folder, w.bytes));
    Prepare();
    reader.Draw();
    EXPECT_TRUE(Looks(gl.Pixel(16, 32), 10, 20, 30));
    EXPECT_TRUE(Looks(gl.Pixel(56, 8), 200, 0, 0));
    EXPECT_TRUE(Looks(gl.Pixel(40, 56), 0, 200, 0));
}

TEST_F(ModelDrawing, TexturedThenUntexturedLeavesTexturingOff) {
    REQUIRE_GL(gl);
    folder.Write("SKIN.BMP", RedOverBlueBmp(8, 8));
    ChunkWriter w;
    chunks::BeginFile(w);
    chunks::Material(w, "Skin", 1, 1, 1, "SKIN.BMP");
    chunks::Material(w, "Paint", 10, 20, 30);
    QuadObject(w, "Textured", {-1, 0, "Skin"}, true);
    QuadObject(w, "Painted", {0, 1, "Paint"}, true);
    chunks::EndFile(w);
    LoadedModel reader;
    ASSERT_TRUE(LoadModel(reader, folder, w.bytes));
    Prepare();
    reader.Draw();
    EXPECT_TRUE(Looks(gl.Pixel(16, 56), 255, 0, 0));
    EXPECT_TRUE(Looks(gl.Pixel(16, 8), 0, 0, 255));
    EXPECT_TRUE(Looks(gl.Pixel(48, 56), 10, 20, 30));  // untextured: no texture on it
    EXPECT_TRUE(Looks(gl.Pixel(48, 8), 10, 20, 30));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(ModelDrawing, CornersWithoutTextureCoordinatesKeepTheCurrentOne) {
    REQUIRE_GL(gl);
    folder.Write("SKIN.BMP", RedOverBlueBmp(8, 8));
    ChunkWriter w;
    chunks::BeginFile(w);
    chunks::Material(w, "Skin", 1, 1, 1, "SKIN.BMP");
    QuadObject(w, "Quad", {-1, 1, "Skin"}, false);
    chunks::EndFile(w);
    LoadedModel reader;
    ASSERT_TRUE(LoadModel(reader, folder, w.bytes));
    const t3DModel read = Import(w.bytes);
    ASSERT_EQ(0, read.objects[0].numTexCoords);
    ASSERT_TRUE(read.objects[0].hasTexture);
    Prepare();
    glTexCoord2f(0.5f, 0.9f);  // inside the image's red top half
    reader.Draw();
    EXPECT_TRUE(Looks(gl.Pixel(32, 8), 255, 0, 0));
    EXPECT_TRUE(Looks(gl.Pixel(32, 56), 255, 0, 0));
}

TEST_F(ModelDrawing, AnObjectWantingATextureItsMaterialLacksShowsTheMaterialsColour) {
    REQUIRE_GL(gl);
    t3DModel read;
    read.numMaterials = 150;
    read.materials.resize(150);
    read.materials[120].color[0] = 60;
    read.materials[120].color[1] = 90;
    read.materials[120].color[2] = 120;
    t3DObject object;
    object.numVerts = 3;
    object.numFaces = 1;
    object.hasTexture = true;
    object.materialIndex = 120;
    object.verts.reset(new Vector3[3]{{-1, -1, 0}, {1, -1, 0}, {-1, 1, 0}});
    object.normals.reset(new Vector3[3]{{0, 0, 1}, {0, 0, 1}, {0, 0, 1}});
    object.faces.reset(new tTriangle[1]{{{0, 1, 2}}});
    read.objects.push_back(std::move(object));
    read.numObjects = 1;
    LoadedModel reader;
    reader.Take(Build3DSTriangleModel(read, folder.File("model.3ds").c_str()));
    GLuint other = 0;
    glGenTextures(1, &other);
    glBindTexture(GL_TEXTURE_2D, other);
    Prepare();
    reader.Draw();
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(Looks(gl.Pixel(10, 10), 60, 90, 120));
    glDeleteTextures(1, &other);
}

TEST_F(ModelDrawing, ModelWithoutObjectsDrawsNothingAndChangesNoState) {
    REQUIRE_GL(gl);
    ChunkWriter w;
    chunks::BeginFile(w);
    chunks::Material(w, "Paint", 10, 20, 30);
    chunks::EndFile(w);
    LoadedModel reader;
    ASSERT_FALSE(LoadModel(reader, folder, w.bytes));  // no triangles: not a model to draw
    ASSERT_EQ(0, Import(w.bytes).numObjects);
    Prepare();
    glEnable(GL_TEXTURE_2D);
    glColor3ub(1, 2, 3);
    reader.Draw();
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    GLfloat color[4] = {};
    glGetFloatv(GL_CURRENT_COLOR, color);
    EXPECT_NEAR(1.0 / 255, color[0], 1e-3);
    glDisable(GL_TEXTURE_2D);
    std::vector<uint8_t> pixels = gl.Pixels();
    for (uint8_t value : pixels) ASSERT_EQ(0, value);
    EXPECT_EQ(static_cast<GLenum>(GL_NO_ERROR), glGetError());
}

TEST(ModelDisplayList, TheRecordedLodgeDrawsWhatImmediateModeDraws) {
    GlTestContext gl(160, 120);
    REQUIRE_GL(gl);
    LoadedModel lodge;
    ASSERT_TRUE(lodge.Load(VELMORA_SOURCE_DIR "/resources/VLG.3DS"));
    ASSERT_NE(lodge.list, 0u) << "loading records the drawing";
    auto drawn = [&gl, &lodge] {
        glViewport(0, 0, 160, 120);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(45.0, 160.0 / 120.0, 50.0, 1000.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glTranslatef(0, 0, -400);
        glRotatef(268, 1, 0, 0);
        glEnable(GL_DEPTH_TEST);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        lodge.Draw();
        return gl.Pixels();
    };
    const std::vector<uint8_t> recorded = drawn();
    const uint32_t list = lodge.list;
    lodge.list = 0;  // immediate mode
    const std::vector<uint8_t> immediate = drawn();
    lodge.list = list;
    EXPECT_EQ(recorded, immediate);
    EXPECT_GT(std::count_if(immediate.begin(), immediate.end(), [](uint8_t v) { return v > 8; }), 3000)
        << "the lodge fills a good part of the picture";
    lodge.Release();
    EXPECT_FALSE(glIsList(list)) << "the list is deleted, not left behind";
    EXPECT_EQ(lodge.list, 0u);
}
