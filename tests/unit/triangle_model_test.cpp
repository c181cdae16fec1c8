// Models of today's formats written here, read back, their pictures decoded into
// textures and drawn: an OBJ with its MTL material and PNG file, a glTF binary with its
// picture inside.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include "formats/gltf_reader.h"
#include "formats/obj_reader.h"
#include "formats/triangle_model_gl.h"
#include "platform/gl.h"
#include "tests/unit/gl_test_context.h"
#include "tests/unit/gltf_writer.h"
#include "tests/unit/texture_files.h"

namespace {

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

// A PNG picture: the top half red, the bottom half blue.
std::vector<uint8_t> RedOverBluePng(int width, int height) {
    std::vector<uint8_t> rgb;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool top = y < height / 2;
            rgb.insert(rgb.end(), {uint8_t(top ? 255 : 0), 0, uint8_t(top ? 0 : 255)});
        }
    std::vector<uint8_t> png;
    stbi_write_png_to_func(
        [](void* context, void* data, int size) {
            auto* out = static_cast<std::vector<uint8_t>*>(context);
            out->insert(out->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
        },
        &png, width, height, 3, rgb.data(), width * 3);
    return png;
}

// A square from (-1,-1) to (1,1) as one quad, textured top to bottom.
const char* const kSquare =
    "mtllib square.mtl\n"
    "v -1 -1 0\nv 1 -1 0\nv 1 1 0\nv -1 1 0\n"
    "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
    "usemtl Painted\n"
    "f 1/1 2/2 3/3 4/4\n";

TEST(ObjReader, ATexturedQuadReadsAsTwoTrianglesWithItsMaterialAndDrawsItsPicture) {
    TempFolder folder("obj_textured");
    folder.Write("square.mtl", Bytes("newmtl Painted\nKd 1 0.5 1\nmap_Kd paint.PNG\n"));
    folder.Write("paint.PNG", RedOverBluePng(16, 16));
    TriangleModel model;
    const ReadResult result = ReadObjFile(folder.Write("square.obj", Bytes(kSquare)).c_str(), &model);
    ASSERT_TRUE(result) << ReadFailureText(result.failure) << " " << result.detail;
    EXPECT_EQ(model.TriangleCount(), 2);
    ASSERT_EQ(model.materials.size(), 1u);
    EXPECT_FLOAT_EQ(model.materials[0].baseColor[1], 0.5f);
    EXPECT_EQ(model.materials[0].textureFile, folder.File("paint.PNG"));
    ASSERT_EQ(model.batches.size(), 1u);
    // No normals in the file: built from the faces, unit long, facing +z.
    for (const TriangleCorner& corner : model.batches[0].corners) EXPECT_FLOAT_EQ(corner.normal[2], 1.0f);

    GlTestContext gl(64, 64);
    if (!gl.ok()) GTEST_SKIP() << "no OpenGL context available";
    ReadResult notices;
    LoadModelTextures(model, &notices);
    ASSERT_NE(model.materials[0].texture, 0u);
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    DrawTriangleModel(model);
    // The picture's top (red) at the top, times the base colour: green halves nothing.
    const Rgb top = gl.Pixel(32, 56), bottom = gl.Pixel(32, 8);
    EXPECT_GT(top.r, 240);
    EXPECT_LT(top.b, 16);
    EXPECT_GT(bottom.b, 240);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D)) << "texturing is put back as it was";
}

TEST(ObjReader, NormalsFromTheFileAndBrokenFilesGiveTheirReasons) {
    TempFolder folder("obj_broken");
    TriangleModel model;
    ASSERT_TRUE(ReadObjText("v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 -1\nf 1//1 2//1 3//1\n", "a.obj", &model));
    EXPECT_FLOAT_EQ(model.batches[0].corners[0].normal[2], -1.0f);
    // A double-sided sheet: the normals cancel out, and no corner gets NaN.
    ASSERT_TRUE(ReadObjText("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\nf 1 3 2\n", "a.obj", &model));
    for (const TriangleBatch& batch : model.batches)
        for (const TriangleCorner& corner : batch.corners) EXPECT_FALSE(std::isnan(corner.normal[0]));
    EXPECT_FLOAT_EQ(model.batches[0].corners[0].normal[2], 1.0f) << "the first face's front";

    EXPECT_EQ(ReadObjFile(folder.File("absent.obj").c_str(), &model).failure, ReadFailure::CannotOpen);
    ReadResult noFaces = ReadObjText("# only a comment\nv 1 2 3\n", "a.obj", &model);
    EXPECT_EQ(noFaces.failure, ReadFailure::Unsupported);
    EXPECT_EQ(noFaces.detail, "no triangles");
    // A face naming vertices the file does not have is dropped, not read past the list.
    EXPECT_EQ(ReadObjText("v 0 0 0\nf 1 2 3\nf 1 -7 9\n", "a.obj", &model).detail, "no triangles");
    EXPECT_EQ(model.TriangleCount(), 0);
}

// The picture a glTF binary carries becomes its material's texture, upright.
TEST(GltfTextures, TheEmbeddedPngBecomesTheTexture) {
    GltfWriter w;
    w.Accessor(w.View(BytesOf<float>({0, 0, 0, 1, 0, 0, 0, 1, 0})), 0, kGltfFloat, "VEC3", 3);
    w.doc.update(Json::parse(R"({"scenes": [{"nodes": [0]}], "nodes": [{"mesh": 0}],
        "meshes": [{"primitives": [{"attributes": {"POSITION": 0}, "material": 0}]}],
        "materials": [{"pbrMetallicRoughness": {"baseColorTexture": {"index": 0}}}],
        "textures": [{"source": 0}], "images": [{"mimeType": "image/png"}]})"));
    w.doc["images"][0]["bufferView"] = w.View(RedOverBluePng(8, 4));
    TempFolder folder("gltf_png");
    TriangleModel model;
    ASSERT_TRUE(ReadGltfFile(folder.Write("tri.glb", w.Glb()).c_str(), &model));
    GlTestContext gl(16, 16);
    if (!gl.ok()) GTEST_SKIP() << "no OpenGL context available";
    LoadModelTextures(model, nullptr);
    ASSERT_NE(model.materials[0].texture, 0u);
    glBindTexture(GL_TEXTURE_2D, model.materials[0].texture);
    std::vector<uint8_t> texels(8 * 4 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    EXPECT_EQ(texels[0], 0);  // row 0 is the picture's bottom: blue
    EXPECT_EQ(texels[2], 255);
    EXPECT_EQ(texels[3 * 8 * 3], 255);  // the last row its top: red
    EXPECT_EQ(texels[3 * 8 * 3 + 2], 0);
    // Bytes that are no picture leave the material without a texture.
    model.materials[0].embeddedImage.assign(64, 'x');
    ReadResult notices;
    LoadModelTextures(model, &notices);
    EXPECT_EQ(model.materials[0].texture, 0u);
}

}  // namespace
