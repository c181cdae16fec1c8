// The MS3D model drawn in a real GL context and read back: textures mapped
// upright, BMP and Targa files, material colours, untextured materials, the
// material state of meshes without a material, indices that name nothing, and the
// GL state left behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "formats/ms3d_model.h"
#include "tests/unit/loaded_model.h"
#include "tests/unit/gl_test_context.h"
#include "tests/unit/ms3d_writer.h"

namespace {

constexpr int kSize = 64;

void Prepare() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1, 1, -1, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glColor3f(1, 1, 1);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

bool Near(int actual, int expected) { return std::abs(actual - expected) <= 40; }

::testing::AssertionResult Looks(const Rgb& p, int r, int g, int b) {
    if (Near(p.r, r) && Near(p.g, g) && Near(p.b, b)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel " << p.r << "," << p.g << "," << p.b << " is not near " << r
                                         << "," << g << "," << b;
}

// A red-over-blue JPEG in the test folder and the name a material gives it:
// ".\name" beside the model on Windows, the full path elsewhere (where a
// backslash is no separator).
struct TestTexture {
    std::string path;
    std::string storedName;
};

TestTexture WriteTexture(const std::string& file,
                         const std::vector<uint8_t>& bytes = EncodeTestJpeg(16, 16, 3, RedOverBluePixels(16, 16))) {
    TestTexture texture;
    texture.path = WriteTestFile(file, bytes);
#if defined(_WIN32)
    texture.storedName = ".\\velmora_ms3d_" + file;
#else
    texture.storedName = texture.path;
#endif
    return texture;
}

// Writes the model beside the textures and loads it.
bool LoadModel(LoadedModel& model, const MS3DWriter& writer, const std::string& file) {
    std::string path = WriteTestFile(file, writer.Bytes());
    bool loaded = MS3DMessages::Keep(model.Load(path));
    std::remove(path.c_str());
    return loaded;
}

// The model of the writer's bytes, read from memory and recorded.
void ParseModel(LoadedModel& model, const MS3DWriter& writer) {
    MS3DModel parsed;
    std::vector<uint8_t> bytes = writer.Bytes();
    ASSERT_TRUE(parsed.parse(bytes.data(), bytes.size(), "x.ms3d"));
    model.Take(BuildMS3DTriangleModel(parsed));
}

TEST(MS3DDraw, ATexturedMeshShowsItsPictureUpright) {
    GlTestContext gl(kSize, kSize);
    REQUIRE_GL(gl);
    MS3DMessages messages;
    TestTexture texture = WriteTexture("upright.jpg");
    ASSERT_LT(texture.storedName.size(), kMS3DNameFieldSize);

    MS3DWriter w;
    w.groups.push_back({w.AddSquare(-1, -1, 1, 1), 0});
    w.materials.push_back(MS3DWriter::Plain(1, 1, 1, texture.storedName));
    LoadedModel model;
    ASSERT_TRUE(LoadModel(model, w, "upright.ms3d"));
    EXPECT_NE(model.Texture(0), 0u);
    EXPECT_EQ(model.model.materials[0].textureFile, texture.path);

    Prepare();
    model.Draw();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(Looks(gl.Pixel(32, 56), 255, 0, 0));  // the picture's top at the top
    EXPECT_TRUE(Looks(gl.Pixel(32, 8), 0, 0, 255));
    EXPECT_TRUE(messages.boxes().empty());

    const std::vector<std::string>& traces = messages.traces();
    ASSERT_GE(traces.size(), 3u);
    EXPECT_EQ(traces[0], "material #0");
    EXPECT_EQ(traces[1], "Material is " + texture.path);
    EXPECT_EQ(traces[2], "Opening texture " + texture.path);
    std::remove(texture.path.c_str());
}

TEST(MS3DDraw, MaterialsWithoutAUsableTextureDrawUntextured) {
    GlTestContext gl(kSize, kSize);
    REQUIRE_GL(gl);
    MS3DMessages messages;
    TestTexture texture = WriteTexture("third.jpg");
    std::vector<uint8_t> broken(64, 'x');
    broken[0] = broken[2] = 0xFF;  // the JPEG start-of-image marker, then no JPEG data
    broken[1] = 0xD8;
    std::string notJpeg = WriteTestFile("broken.jpg", broken);

    // Four columns: textured, no texture name, a missing file, a file the
    // library cannot decode.
    MS3DWriter w;
    w.groups.push_back({w.AddSquare(-1.0f, -1, -0.5f, 1), 0});
    w.groups.push_back({w.AddSquare(-0.5f, -1, 0.0f, 1), 1});
    w.groups.push_back({w.AddSquare(0.0f, -1, 0.5f, 1), 2});
    w.groups.push_back({w.AddSquare(0.5f, -1, 1.0f, 1), 3});
    w.materials.push_back(MS3DWriter::Plain(1, 1, 1, texture.storedName));
    w.materials.push_back(MS3DWriter::Plain(1, 1, 1, ""));
    w.materials.push_back(MS3DWriter::Plain(1, 1, 1, texture.storedName + ".missing"));
    w.materials.push_back(MS3DWriter::Plain(1, 1, 1, notJpeg));
    LoadedModel model;
    ASSERT_TRUE(LoadModel(model, w, "third.ms3d"));
    EXPECT_NE(model.Texture(0), 0u);
    EXPECT_EQ(model.Texture(1), 0u);
    EXPECT_EQ(model.Texture(2), 0u);
    EXPECT_EQ(model.Texture(3), 0u);
    // Only the undecodable file shows a box; the saver goes on.
    ASSERT_EQ(messages.boxes().size(), 1u);
    EXPECT_EQ(messages.boxes()[0].rfind("JPEG Library Error: ", 0), 0u);
    bool missingTraced = false;
    for (const std::string& t : messages.traces()) missingTraced |= t == "Failed to open the file";
    EXPECT_TRUE(missingTraced);

    // The scene draws with texturing on; it stays on after the model.
    Prepare();
    glEnable(GL_TEXTURE_2D);
    model.Draw();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(Looks(gl.Pixel(8, 8), 0, 0, 255));
    for (int x : {24, 40, 56}) {
        EXPECT_TRUE(Looks(gl.Pixel(x, 8), 255, 255, 255)) << "column at " << x;
        EXPECT_TRUE(Looks(gl.Pixel(x, 56), 255, 255, 255)) << "column at " << x;
    }
    std::remove(texture.path.c_str());
    std::remove(notJpeg.c_str());
}

TEST(MS3DDraw, BitmapTexturesShowAndTargaOnesLeaveTheMaterialColour) {
    GlTestContext gl(kSize, kSize);
    REQUIRE_GL(gl);
    MS3DMessages messages;
    const std::vector<uint8_t> bmp = MakeTrueColorBmp(8, 8, 24, false, [](int x, int y) { return RedOverBlue(x, y, 8); });
    const TestTexture bitmap = WriteTexture("skin.Bmp", bmp), targa = WriteTexture("skin.tga", bmp);
    MS3DWriter w;
    w.groups.push_back({w.AddSquare(-1, -1, 0, 1), 0});
    w.groups.push_back({w.AddSquare(0, -1, 1, 1), 1});
    w.materials.push_back(MS3DWriter::Plain(1, 1, 1, bitmap.storedName));
    w.materials.push_back(MS3DWriter::Plain(0, 1, 0, targa.storedName));
    LoadedModel model;
    ASSERT_TRUE(LoadModel(model, w, "bitmap.ms3d"));
    EXPECT_EQ(model.Texture(1), 0u);
    const std::vector<std::string>& traces = messages.traces();
    EXPECT_NE(std::find(traces.begin(), traces.end(), "TGA textures are not supported: " + targa.path), traces.end());
    Prepare();
    model.Draw();
    EXPECT_TRUE(Looks(gl.Pixel(16, 56), 255, 0, 0));
    EXPECT_TRUE(Looks(gl.Pixel(16, 8), 0, 0, 255));
    EXPECT_TRUE(Looks(gl.Pixel(48, 32), 0, 255, 0));  // the Targa material's own green
    std::remove(bitmap.path.c_str());
    std::remove(targa.path.c_str());
}

TEST(MS3DDraw, MeshesShowTheirMaterialsColoursLitOrNotWhateverTheColourTracking) {
    GlTestContext gl(kSize, kSize);
    REQUIRE_GL(gl);
    MS3DWriter w;
    w.groups.push_back({w.AddSquare(-1, -1, 1, 1), 0});
    w.materials.push_back({{0.2f, 0, 0, 1}, {0.6f, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}, 0.0f, ""});
    LoadedModel model;
    ParseModel(model, w);
    for (bool lit : {false, true}) {
        SCOPED_TRACE(lit ? "lit" : "unlit");
        // White current colour, colour tracking, white ambient light and a white light
        // straight on: lit, the material's ambient 0.2 and diffuse 0.6 add up to 0.8.
        Prepare();
        glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
        glEnable(GL_COLOR_MATERIAL);
        const GLfloat white[4] = {1, 1, 1, 1}, front[4] = {0, 0, 1, 0};
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, white);
        glLightfv(GL_LIGHT0, GL_POSITION, front);
        glEnable(GL_LIGHT0);
        if (lit) glEnable(GL_LIGHTING);
        model.Draw();
        glDisable(GL_LIGHTING);
        EXPECT_TRUE(Looks(gl.Pixel(32, 32), lit ? 204 : 153, 0, 0));
        EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
        GLfloat colour[4] = {};
        glGetFloatv(GL_CURRENT_COLOR, colour);
        EXPECT_EQ(colour[1], 1.0f) << "the current colour is put back";
        glDisable(GL_COLOR_MATERIAL);
    }
}

TEST(MS3DDraw, AMeshWithoutMaterialKeepsThePreviousMaterialUntextured) {
    GlTestContext gl(kSize, kSize);
    REQUIRE_GL(gl);
    MS3DMessages messages;
    TestTexture texture = WriteTexture("keep.jpg");

    // With lighting on and no light, a surface shows its emission (the global
    // ambient light is black). Columns: green textured material, material -1,
    // material 9 (beyond the list: treated as none), red material.
    MS3DWriter w;
    w.groups.push_back({w.AddSquare(-1.0f, -1, -0.5f, 1), 0});
    w.groups.push_back({w.AddSquare(-0.5f, -1, 0.0f, 1), -1});
    w.groups.push_back({w.AddSquare(0.0f, -1, 0.5f, 1), 9});
    w.groups.push_back({w.AddSquare(0.5f, -1, 1.0f, 1), 1});
    w.materials.push_back(MS3DWriter::Plain(0, 1, 0, texture.storedName));
    w.materials.push_back(MS3DWriter::Plain(1, 0, 0));
    LoadedModel model;
    ASSERT_TRUE(LoadModel(model, w, "keep.ms3d"));
    ASSERT_NE(model.Texture(0), 0u);

    Prepare();
    const GLfloat black[4] = {0, 0, 0, 1};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black);
    glEnable(GL_LIGHTING);
    model.Draw();
    glDisable(GL_LIGHTING);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    // Green modulated by the red-over-blue picture is black in the first column.
    EXPECT_TRUE(Looks(gl.Pixel(8, 56), 0, 0, 0));
    for (int x : {24, 40}) {
        EXPECT_TRUE(Looks(gl.Pixel(x, 56), 0, 255, 0)) << "column at " << x;
        EXPECT_TRUE(Looks(gl.Pixel(x, 8), 0, 255, 0)) << "column at " << x;
    }
    EXPECT_TRUE(Looks(gl.Pixel(56, 32), 255, 0, 0));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    std::remove(texture.path.c_str());
}

TEST(MS3DDraw, IndicesThatNameNothingAreSkipped) {
    GlTestContext gl(kSize, kSize);
    REQUIRE_GL(gl);
    MS3DWriter w;
    std::vector<uint16_t> left = w.AddSquare(-1, -1, 0, 1);
    std::vector<uint16_t> right = w.AddSquare(0, -1, 1, 1);
    // The right square's triangles name a vertex that does not exist.
    w.triangles[right[0]].v[2] = 60000;
    w.triangles[right[1]].v[0] = 8;
    w.groups.push_back({{left[0], 65535, right[0], left[1], 4, right[1]}, -1});
    LoadedModel model;
    ParseModel(model, w);
    Prepare();
    model.Draw();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_TRUE(Looks(gl.Pixel(16, 32), 255, 255, 255));
    EXPECT_TRUE(Looks(gl.Pixel(48, 32), 0, 0, 0));
}

TEST(MS3DDraw, LeavesTextureStateAsItFoundIt) {
    GlTestContext gl(kSize, kSize);
    REQUIRE_GL(gl);
    MS3DMessages messages;
    TestTexture texture = WriteTexture("state.jpg");
    MS3DWriter w;
    w.groups.push_back({w.AddSquare(-1, -1, 0, 1), 0});
    w.groups.push_back({w.AddSquare(0, -1, 1, 1), 1});
    w.materials.push_back(MS3DWriter::Plain(1, 1, 1));
    w.materials.push_back(MS3DWriter::Plain(1, 1, 1, texture.storedName));
    LoadedModel model;
    ASSERT_TRUE(LoadModel(model, w, "state.ms3d"));
    ASSERT_NE(model.Texture(1), 0u);
    for (bool enabled : {false, true}) {
        Prepare();
        if (enabled) glEnable(GL_TEXTURE_2D);
        model.Draw();
        EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D) == GL_TRUE, enabled);
    }

    // A model without groups draws nothing.
    MS3DWriter noGroups = w;
    noGroups.groups.clear();
    LoadedModel empty;
    ASSERT_TRUE(LoadModel(empty, noGroups, "nogroups.ms3d"));
    Prepare();
    empty.Draw();
    std::vector<uint8_t> pixels = gl.Pixels();
    size_t lit = 0;
    for (uint8_t p : pixels) lit += p != 0;
    EXPECT_EQ(lit, 0u);
    std::remove(texture.path.c_str());
}

}  // namespace
