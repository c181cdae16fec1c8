// Texture loading of the 3DS model: the texture path and ending rules, BMP files
// of every layout, JPEG decoding (progressive, greyscale, CMYK, damaged), the
// trace messages and textures of its materials, the letter-case lookup, and the
// default model with its texture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "formats/bitmap_image.h"
#include "formats/jpeg_reader.h"
#include "formats/model3ds.h"
#include "formats/model_file.h"
#include "formats/texture_kind.h"
#include "formats/picture_decode.h"
#include "formats/triangle_model_gl.h"
#include "tests/unit/loaded_model.h"
#include "platform/file_lookup.h"
#include "platform/gl.h"
#include "tests/unit/gl_test_context.h"
#include "tests/unit/model3ds_test_support.h"
#include "tests/unit/texture_files.h"

namespace {

// The texel rows of the bound 2D texture, level 0, RGB, row 0 first.
std::vector<uint8_t> BoundTexels(int* width, int* height) {
    GLint w = 0, h = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    *width = w;
    *height = h;
    std::vector<uint8_t> texels(static_cast<size_t>(w) * h * 3);
    if (!texels.empty()) {
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    }
    return texels;
}

TestColor At(const uint8_t* rgb, int width, int x, int row) {
    const uint8_t* p = rgb + (static_cast<size_t>(row) * width + x) * 3;
    return {p[0], p[1], p[2]};
}

bool Near(const TestColor& a, const TestColor& b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

std::vector<std::string> TracesSince(size_t first) {
    auto& all = ReaderMessages::Traces();
    return std::vector<std::string>(all.begin() + static_cast<long>(first), all.end());
}

// The damaged file's messages (a warning of its early end, then the error) and
// no other box.
void ExpectOnlyLibraryBoxes() {
    ASSERT_FALSE(ReaderMessages::Boxes().empty());
    for (const CapturedBox& box : ReaderMessages::Boxes()) EXPECT_EQ("JPEG Library Error", box.caption);
}

// The texture of a 3DS material naming the file `name`, in a model at modelPath that
// has `index` untextured materials before it; 0 when none was made. The notices are
// kept as the boxes the saver would show.
uint32_t LoadTexture(const char* name, int index, const char* modelPath) {
    t3DModel read;
    read.materials.resize(static_cast<size_t>(index) + 1);
    read.numMaterials = index + 1;
    std::strncpy(read.materials[index].fileName, name, kModelNameLength - 1);
    TriangleModel model = Build3DSTriangleModel(read, modelPath);
    ReadResult notices;
    LoadModelTextures(model, &notices);
    ReaderMessages::Keep(notices);
    return model.materials[index].texture;
}

// The one JPEG decoder, its notices kept.
bool DecodeJpeg(const std::string& path, JpegImage* image) {
    JpegReader jpeg;
    return ReaderMessages::Keep(jpeg.Decode(path.c_str(), image));
}

}  // namespace

TEST(TextureRules, FilesBesideTheModelKeepTheModelsFolder) {
    EXPECT_EQ("C:\\Models\\Ship\\HULL.BMP", FileBesideModel("C:\\Models\\Ship\\ship.3ds", "HULL.BMP"));
    EXPECT_EQ("HULL.BMP", FileBesideModel("m.3ds", "HULL.BMP"));
    EXPECT_EQ("/tmp/a\\b/t.jpg", FileBesideModel("/tmp/a\\b/m.3ds", "t.jpg"));
    EXPECT_EQ("dir/t.jpg", FileBesideModel("dir/", "t.jpg"));
    EXPECT_EQ("D:\\m\\wood.jpg", FileBesideModel("D:\\m\\a.ms3d", ".\\wood.jpg"));
    EXPECT_EQ("C:\\t.jpg", FileBesideModel("D:\\m\\a.ms3d", "C:\\t.jpg"));
    EXPECT_EQ("", FileBesideModel("D:\\m\\a.ms3d", ""));
    // Paths far longer than any fixed working string come out whole.
    std::string folder(600, 'd');
    std::string name(300, 'n');
    EXPECT_EQ(folder + "\\" + name + ".JPG", FileBesideModel(folder + "\\model.3ds", name + ".JPG"));
}

TEST(TextureRules, EndingsAreComparedWithoutLetterCase) {
    EXPECT_EQ(TextureImageKind::Bitmap, TextureKindForName("HULL.BMP"));
    EXPECT_EQ(TextureImageKind::Bitmap, TextureKindForName("a.bmp"));
    EXPECT_EQ(TextureImageKind::Bitmap, TextureKindForName("a.Bmp"));
    EXPECT_EQ(TextureImageKind::Jpeg, TextureKindForName("a.JPG"));
    EXPECT_EQ(TextureImageKind::Jpeg, TextureKindForName("a.jpg"));
    EXPECT_EQ(TextureImageKind::Jpeg, TextureKindForName("a.Jpg"));
    EXPECT_EQ(TextureImageKind::Jpeg, TextureKindForName("a.JPEG"));
    EXPECT_EQ(TextureImageKind::Jpeg, TextureKindForName("a.jpeg"));
    EXPECT_EQ(TextureImageKind::Targa, TextureKindForName("a.TgA"));
    EXPECT_EQ(TextureImageKind::None, TextureKindForName("ajpeg"));
    EXPECT_EQ(TextureImageKind::Png, TextureKindForName("a.PnG"));
    EXPECT_EQ(TextureImageKind::None, TextureKindForName("a.gif"));
    EXPECT_EQ(TextureImageKind::None, TextureKindForName("BMP"));
    EXPECT_EQ(TextureImageKind::None, TextureKindForName(""));
}

TEST(BitmapFiles, TrueColourRowsComeBottomFirstAsRgb) {
    TempFolder folder("bmp_true");
    // 64 x 32 as the common case, 5 x 3 for 24-bit rows of 15 bytes padded to 16.
    for (int bitCount : {24, 32}) {
        for (bool topDown : {false, true}) {
            for (int size : {0, 1}) {
                int width = size ? 5 : 64, height = size ? 3 : 32;
                SCOPED_TRACE(::testing::Message() << bitCount << " bits, " << width << "x" << height
                                                  << (topDown ? " top-down" : " bottom-up"));
                std::string path = folder.Write("t.bmp", MakeTrueColorBmp(width, height, bitCount, topDown, PatternAt));
                BitmapImage image(path.c_str());
                ASSERT_TRUE(image.loaded);
                ASSERT_EQ(width, image.width);
                ASSERT_EQ(height, image.height);
                for (int row = 0; row < height; ++row) {
                    for (int x = 0; x < width; ++x) {
                        ASSERT_EQ(PatternAt(x, height - 1 - row), At(image.data.get(), width, x, row))
                            << "x " << x << " row " << row;
                    }
                }
            }
        }
    }
}

TEST(BitmapFiles, PalettedPixelsTakeTheirPaletteColours) {
    TempFolder folder("bmp_palette");
    std::vector<TestColor> palette;
    for (int i = 0; i < 16; ++i) palette.push_back({uint8_t(i * 16), uint8_t(255 - i * 16), uint8_t(i * 5)});
    auto indexFor = [](int bitCount) {
        return [bitCount](int x, int y) { return static_cast<unsigned>(x + 3 * y) % (1u << std::min(bitCount, 4)); };
    };
    for (int bitCount : {1, 4, 8}) {
        for (bool topDown : {false, true}) {
            SCOPED_TRACE(::testing::Message() << bitCount << " bits" << (topDown ? " top-down" : ""));
            const int width = 13, height = 6;
            std::vector<TestColor> used(palette.begin(), palette.begin() + (bitCount == 1 ? 2 : 16));
            auto index = indexFor(bitCount);
            std::string path = folder.Write(
                "p.bmp", MakeBmp(width, height, bitCount, topDown, PatternAt, used, index));
            BitmapImage image(path.c_str());
            ASSERT_TRUE(image.loaded);
            ASSERT_EQ(width, image.width);
            ASSERT_EQ(height, image.height);
            for (int row = 0; row < height; ++row) {
                for (int x = 0; x < width; ++x) {
                    ASSERT_EQ(used[index(x, height - 1 - row)], At(image.data.get(), width, x, row))
                        << "x " << x << " row " << row;
                }
            }
        }
    }
}

TEST(BitmapFiles, DamagedFilesDoNotLoad) {
    TempFolder folder("bmp_damaged");
    std::vector<uint8_t> good = MakeTrueColorBmp(16, 16, 24, false, PatternAt);
    std::vector<uint8_t> truncated(good.begin(), good.begin() + 200);
    std::vector<uint8_t> huge = good;
    huge[18 + 3] = 0x40;  // width of 1 GiB pixels
    std::vector<uint8_t> notBmp(good);
    notBmp[0] = 'X';
    int which = 0;
    for (const auto& bytes : {truncated, huge, notBmp, std::vector<uint8_t>{'B', 'M'}}) {
        BitmapImage image(folder.Write("d.bmp", bytes).c_str());
        EXPECT_FALSE(image.loaded) << "case " << which++;
        EXPECT_EQ(nullptr, image.data.get());
    }
    BitmapImage missing(folder.File("missing.bmp").c_str());
    EXPECT_FALSE(missing.loaded);
}

TEST(JpegFiles, ProgressiveImageDecodesTopRowLast) {
    TempFolder folder("jpeg_progressive");
    std::string path = folder.Write("t.jpg", RedOverBlueJpeg(512, 512, true));
    JpegImage image;
    ASSERT_TRUE(DecodeJpeg(path, &image));
    EXPECT_EQ(512, image.width);
    EXPECT_EQ(512, image.height);
    EXPECT_EQ(512 * 3, image.rowSpan);
    EXPECT_TRUE(Near({0, 0, 255}, At(image.pixels.get(), 512, 100, 10), 8));    // bottom image row first
    EXPECT_TRUE(Near({255, 0, 0}, At(image.pixels.get(), 512, 100, 500), 8));  // top image row last
}

TEST(JpegFiles, GreyscaleComesOutAsGreyRgbAndCmykMakesNoImage) {
    ReaderMessages messages;
    TempFolder folder("jpeg_spaces");
    const int width = 24, height = 8;
    std::vector<uint8_t> grey;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) grey.push_back(static_cast<uint8_t>(x * 10));
    JpegImage image;
    ASSERT_TRUE(DecodeJpeg(folder.Write("g.jpg", EncodeJpeg(width, height, 1, grey, false)), &image));
    ASSERT_EQ(width, image.width);
    for (int x = 0; x < width; ++x) {
        TestColor c = At(image.pixels.get(), width, x, 3);
        EXPECT_TRUE(c.r == c.g && c.g == c.b) << "x " << x;
        EXPECT_NEAR(x * 10, c.r, 6) << "x " << x;
    }

    // No RGB form: refused before decoding, with a trace and no library message.
    std::vector<uint8_t> cmyk(width * height * 4, 100);
    JpegReader jpeg;
    JpegImage none;
    ReadResult result = jpeg.Decode(folder.Write("c.jpg", EncodeJpeg(width, height, 4, cmyk, false)).c_str(), &none);
    EXPECT_EQ(ReadFailure::Unsupported, result.failure);
    EXPECT_EQ(nullptr, none.pixels);
    EXPECT_TRUE(result.notices.empty());
}

TEST(JpegFiles, DamagedFileGivesTheLibrarysMessageAndFails) {
    ReaderMessages messages;
    TempFolder folder("jpeg_damaged");
    std::vector<uint8_t> bytes = RedOverBlueJpeg(64, 64, false);
    bytes.resize(200);  // inside the table headers
    JpegReader jpeg;
    JpegImage image;
    ReadResult result = jpeg.Decode(folder.Write("t.jpg", bytes).c_str(), &image);
    EXPECT_EQ(ReadFailure::NotThisFormat, result.failure);
    ASSERT_FALSE(result.notices.empty());
    EXPECT_EQ(ReaderNotice::Kind::LibraryError, result.notices[0].kind);
    EXPECT_EQ("JPEG Library Error", result.notices[0].caption);
    EXPECT_FALSE(result.notices[0].text.empty());
    EXPECT_EQ(ReadFailure::CannotOpen, jpeg.Decode(folder.File("missing.jpg").c_str(), &image).failure);
}

TEST(JpegFiles, PicturesWiderOrTallerThan8192AreRefusedByBothReaders) {
    ReaderMessages messages;
    TempFolder folder("jpeg_large");
    for (int side : {8192, 8193}) {
        for (bool wide : {true, false}) {
            const int width = wide ? side : 2, height = wide ? 2 : side;
            std::vector<uint8_t> grey(static_cast<size_t>(width) * height, 90);
            std::string path = folder.Write("big.jpg", EncodeJpeg(width, height, 1, grey, false));
            const bool accepted = side <= 8192;
            JpegImage image;
            EXPECT_EQ(DecodeJpeg(path, &image), accepted) << width << "x" << height;
            JpegImage picture;
            EXPECT_EQ(static_cast<bool>(ReaderMessages::Keep(DecodePictureFile(path.c_str(), &picture))), accepted)
                << width << "x" << height;
        }
    }
    EXPECT_EQ(ReaderMessages::Traces().back(), "Texture of 2x8193 pixels is too large");

    // A progressive file has the library set aside memory for the whole picture as the
    // decoding starts: the size must be refused before that, not after.
    std::vector<uint8_t> bytes = RedOverBlueJpeg(16, 16, true);
    const uint8_t frame[] = {0xFF, 0xC2};
    auto marker = std::search(bytes.begin(), bytes.end(), std::begin(frame), std::end(frame));
    ASSERT_NE(marker, bytes.end());
    const size_t at = static_cast<size_t>(marker - bytes.begin());
    bytes[at + 5] = bytes[at + 7] = 30000 >> 8;  // height, then width, big-endian
    bytes[at + 6] = bytes[at + 8] = 30000 & 0xFF;
    std::string path = folder.Write("huge.jpg", bytes);
    JpegImage image;
    EXPECT_FALSE(DecodeJpeg(path, &image));
    EXPECT_EQ(ReaderMessages::Traces().back(), "Texture of 30000x30000 pixels is too large");
    EXPECT_TRUE(ReaderMessages::Boxes().empty()) << ReaderMessages::Boxes().front().text;
}

TEST(FileLookup, NamesDifferingInLetterCaseFindTheFile) {
    TempFolder folder("lookup");
    std::string actual = folder.Write("Texture.jpg", {1});
    std::string asked = folder.File("TEXTURE.JPG");
    std::string found = FindFileIgnoringCase(asked);
    std::FILE* file = std::fopen(found.c_str(), "rb");
    EXPECT_NE(nullptr, file);
    if (file) std::fclose(file);
    EXPECT_EQ(folder.File("NOSUCH.JPG"), FindFileIgnoringCase(folder.File("NOSUCH.JPG")));
}

class MaterialTextures : public ::testing::Test {
protected:
    MaterialTextures() : gl(8, 8), folder("materials") {}
    GlTestContext gl;
    TempFolder folder;
    ReaderMessages messages;
};

TEST_F(MaterialTextures, BitmapBecomesTextureWithBottomRowFirst) {
    REQUIRE_GL(gl);
    folder.Write("Hull.bmp", MakeTrueColorBmp(64, 32, 24, false, PatternAt));
    std::string model = folder.File("ship.3ds");
    size_t first = ReaderMessages::Traces().size();
    const uint32_t texture = LoadTexture("HULL.BMP", 2, model.c_str());  // the case-insensitive lookup finds Hull.bmp
    EXPECT_EQ(std::vector<std::string>({"3DS: Loading texture: " + folder.File("HULL.BMP"),
                                        "Opening texture " + folder.File("HULL.BMP"), "File found, loading bitmap"}),
              TracesSince(first));
    ASSERT_NE(0u, texture);
    ASSERT_TRUE(glIsTexture(texture));
    glBindTexture(GL_TEXTURE_2D, texture);
    int w = 0, h = 0;
    std::vector<uint8_t> texels = BoundTexels(&w, &h);
    ASSERT_EQ(64, w);
    ASSERT_EQ(32, h);
    EXPECT_EQ(PatternAt(0, 31), At(texels.data(), 64, 0, 0));
    EXPECT_EQ(PatternAt(63, 31), At(texels.data(), 64, 63, 0));
    EXPECT_EQ(PatternAt(5, 0), At(texels.data(), 64, 5, 31));
    GLint filter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(GL_LINEAR, filter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &filter);
    EXPECT_EQ(GL_LINEAR, filter);
    // A linear filter never reads the smaller levels: none are built.
    GLint mipmap = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &mipmap);
    EXPECT_EQ(0, mipmap);
}

TEST_F(MaterialTextures, PicturesWhoseSidesAreNoPowersOfTwoAreScaledToOnes) {
    REQUIRE_GL(gl);
    folder.Write("ODD.BMP", MakeTrueColorBmp(24, 10, 24, false, PatternAt));
    const uint32_t texture = LoadTexture("ODD.BMP", 0, folder.File("m.3ds").c_str());
    ASSERT_NE(0u, texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    int w = 0, h = 0;
    BoundTexels(&w, &h);
    EXPECT_EQ(0, w & (w - 1)) << w;
    EXPECT_EQ(0, h & (h - 1)) << h;
}

TEST_F(MaterialTextures, FailuresTraceAndMakeNoTexture) {
    REQUIRE_GL(gl);
    std::string model = folder.File("m.3ds");
    std::vector<uint8_t> damaged = RedOverBlueJpeg(32, 32, false);
    damaged.resize(200);
    folder.Write("BAD.JPG", damaged);
    folder.Write("BAD.BMP", {'B', 'M', 0, 0});
    folder.Write("skin.gif", {'G', 'I', 'F', '8', '9', 'a'});
    struct Case {
        const char* name;
        std::vector<std::string> steps;  // the 3DS reader's own step messages, in order
        std::string trace;               // the last
    };
    // Only a picture makes a texture: without one the material's colour shows.
    const Case cases[] = {
        {"skin.gif", {"Unrecognized texture format"},
         "Texture of material  not loaded (unsupported: a picture that is neither PNG nor JPEG)"},
        {"skin.Tga", {}, "TGA textures are not supported: " + folder.File("skin.Tga")},
        {"NONE.BMP", {"Failed to open texture file"}, "Texture of material  not loaded (cannot be opened)"},
        {"BAD.BMP", {"File found, loading bitmap"},
         "Texture of material  not loaded (not this format: not a readable BMP picture)"},
        {"NONE.JPG", {"Failed to open file", "Could not get size of file, bailing."},
         "Texture of material  not loaded (cannot be opened)"},
        {"BAD.JPG", {"Failed to load jpeg"}, "Texture of material  not loaded (not this format)"},  // cut in its headers
    };
    const std::set<std::string> stepMessages = {"Unrecognized texture format", "Failed to open texture file",
                                                "File found, loading bitmap", "Failed to open file",
                                                "Could not get size of file, bailing.", "Failed to load jpeg",
                                                "File loaded"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        size_t first = ReaderMessages::Traces().size();
        EXPECT_EQ(0u, LoadTexture(c.name, 0, model.c_str()));
        const std::vector<std::string> traces = TracesSince(first);
        ASSERT_FALSE(traces.empty());
        EXPECT_EQ("3DS: Loading texture: " + folder.File(c.name), traces.front());
        std::vector<std::string> steps;
        for (const std::string& trace : traces)
            if (stepMessages.count(trace)) steps.push_back(trace);
        EXPECT_EQ(c.steps, steps);
        EXPECT_EQ(c.trace, traces.back());
    }
    ExpectOnlyLibraryBoxes();  // the damaged file's

    // Every material may have a texture, the hundred-and-first too.
    folder.Write("OK.BMP", MakeTrueColorBmp(4, 4, 24, false, PatternAt));
    EXPECT_NE(0u, LoadTexture("OK.BMP", 100, model.c_str()));
}

TEST_F(MaterialTextures, JpegEndingsDecodeTheImageUpright) {
    REQUIRE_GL(gl);
    std::string model = folder.File("m.3ds");
    for (const char* name : {"a.JPG", "b.jpg", "c.JPEG", "d.jpeg", "e.Jpg"}) {
        SCOPED_TRACE(name);
        folder.Write(name, RedOverBlueJpeg(16, 8, false));
        const uint32_t texture = LoadTexture(name, 0, model.c_str());
        ASSERT_NE(0u, texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        int w = 0, h = 0;
        std::vector<uint8_t> texels = BoundTexels(&w, &h);
        ASSERT_EQ(16, w);
        ASSERT_EQ(8, h);
        EXPECT_TRUE(Near({0, 0, 255}, At(texels.data(), 16, 3, 0), 10));
        EXPECT_TRUE(Near({255, 0, 0}, At(texels.data(), 16, 3, 7), 10));
    }
}

TEST_F(MaterialTextures, LoadGoesOnAfterAFailedTexture) {
    REQUIRE_GL(gl);
    ChunkWriter w;
    chunks::BeginFile(w);
    chunks::Material(w, "Broken", 1, 2, 3, "BAD.JPG");
    chunks::Material(w, "Plain", 1, 2, 3);
    chunks::Material(w, "Good", 1, 2, 3, "GOOD.BMP");
    chunks::MeshObject(w, "Tri", {0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2});
    chunks::EndFile(w);
    std::string model = folder.Write("three.3ds", w.bytes);
    std::vector<uint8_t> damaged = RedOverBlueJpeg(32, 32, false);
    damaged.resize(200);
    folder.Write("BAD.JPG", damaged);
    folder.Write("GOOD.BMP", MakeTrueColorBmp(8, 8, 24, false, PatternAt));

    LoadedModel reader;
    EXPECT_TRUE(ReaderMessages::Keep(reader.Load(model)));
    EXPECT_EQ(3u, reader.model.materials.size());
    EXPECT_EQ(0u, reader.Texture(0));
    EXPECT_EQ(0u, reader.Texture(1));  // no file name, no texture
    ASSERT_NE(0u, reader.Texture(2));
    EXPECT_TRUE(glIsTexture(reader.Texture(2)));
    ExpectOnlyLibraryBoxes();
}

TEST_F(MaterialTextures, DefaultModelLoadsWithItsTexture) {
    REQUIRE_GL(gl);
    std::string model = VELMORA_SOURCE_DIR "/resources/VLG.3DS";
    LoadedModel reader;
    ASSERT_TRUE(ReaderMessages::Keep(reader.Load(model)));
    ASSERT_EQ(1u, reader.model.materials.size());
    EXPECT_EQ(FolderOf(model) + "TEXTURE.JPG", reader.model.materials[0].textureFile);
    const std::vector<std::string>& traces = ReaderMessages::Traces();
    ASSERT_GE(traces.size(), 2u);
    EXPECT_EQ("Opening texture " + FolderOf(model) + "TEXTURE.JPG", traces[traces.size() - 2]);
    EXPECT_EQ("File loaded", traces.back());
    EXPECT_TRUE(ReaderMessages::Boxes().empty());
    ASSERT_TRUE(glIsTexture(reader.Texture(0)));
    glBindTexture(GL_TEXTURE_2D, reader.Texture(0));
    int w = 0, h = 0;
    BoundTexels(&w, &h);
    EXPECT_EQ(512, w);
    EXPECT_EQ(512, h);
}
