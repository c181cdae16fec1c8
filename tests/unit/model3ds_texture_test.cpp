// Texture loading of the 3DS model: the texture path and ending rules, BMP files
// of every layout, JPEG decoding (progressive, greyscale, CMYK, damaged), the
// trace messages and table entries of LoadMaterialTexture, the letter-case
// lookup, and the default model with its texture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "formats/bitmap_image.h"
#include "formats/jpeg_reader.h"
#include "formats/model3ds.h"
#include "formats/ms3d_model.h"
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

// A path as the texture rules write it: forward slashes only.
std::string Forward(std::string path) {
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    return path;
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

// LoadMaterialTexture with its notices kept as the boxes the saver would show.
void LoadTexture(uint32_t* table, const char* name, int index, const char* model) {
    ReadResult notices;
    LoadMaterialTexture(table, name, index, model, &notices);
    ReaderMessages::Keep(notices);
}

// The one JPEG decoder, its notices kept.
bool DecodeJpeg(const std::string& path, JpegImage* image) {
    JpegReader jpeg;
    return ReaderMessages::Keep(jpeg.Decode(path.c_str(), image));
}

}  // namespace

TEST(TextureRules, DirectoryPrefixKeepsEveryFolderWithForwardSlashes) {
    EXPECT_EQ("C:/Models/Ship/HULL.BMP", TextureFilePath("C:\\Models\\Ship\\ship.3ds", "HULL.BMP"));
    EXPECT_EQ("HULL.BMP", TextureFilePath("m.3ds", "HULL.BMP"));
    EXPECT_EQ("/tmp/a/b/t.jpg", TextureFilePath("/tmp/a\\b/m.3ds", "t.jpg"));
    EXPECT_EQ("dir/t.jpg", TextureFilePath("dir/", "t.jpg"));
    // Paths far longer than any fixed working string come out whole.
    std::string folder(600, 'd');
    std::string name(300, 'n');
    EXPECT_EQ(folder + "/" + name + ".JPG", TextureFilePath((folder + "\\model.3ds").c_str(), (name + ".JPG").c_str()));
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
            EXPECT_EQ(loadJpegImage(path.c_str()) != nullptr, accepted) << width << "x" << height;
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
    MaterialTextures() : gl(8, 8), folder("materials") {
        for (uint32_t& entry : table) entry = kUntouched;
    }
    static constexpr uint32_t kUntouched = 0xDEADu;
    GlTestContext gl;
    TempFolder folder;
    ReaderMessages messages;
    uint32_t table[Model3DS::kTextureCount + 1];
};

TEST_F(MaterialTextures, BitmapBecomesTextureWithBottomRowFirst) {
    REQUIRE_GL(gl);
    folder.Write("Hull.bmp", MakeTrueColorBmp(64, 32, 24, false, PatternAt));
    std::string model = folder.File("ship.3ds");
    size_t first = ReaderMessages::Traces().size();
    LoadTexture(table, "HULL.BMP", 2, model.c_str());  // the case-insensitive lookup finds Hull.bmp
    EXPECT_EQ(std::vector<std::string>({"3DS: Loading texture: " + Forward(folder.File("HULL.BMP")), "File found, loading bitmap"}),
              TracesSince(first));
    ASSERT_NE(kUntouched, table[2]);
    EXPECT_EQ(kUntouched, table[1]);
    ASSERT_TRUE(glIsTexture(table[2]));
    glBindTexture(GL_TEXTURE_2D, table[2]);
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
    GLint mipmap = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &mipmap);
    EXPECT_EQ(32, mipmap);
}

TEST_F(MaterialTextures, FailuresTraceAndMakeNoTexture) {
    REQUIRE_GL(gl);
    std::string model = folder.File("m.3ds");
    std::vector<uint8_t> damaged = RedOverBlueJpeg(32, 32, false);
    damaged.resize(200);
    folder.Write("BAD.JPG", damaged);
    folder.Write("BAD.BMP", {'B', 'M', 0, 0});
    struct Case {
        const char* name;
        std::vector<std::string> traces;
    };
    // Only a picture makes a texture: without one the material's colour shows.
    const Case cases[] = {
        {"skin.png", {"Unrecognized texture format"}},
        {"skin.Tga", {"TGA textures are not supported: skin.Tga"}},
        {"NONE.BMP", {"Failed to open texture file"}},
        {"BAD.BMP", {"File found, loading bitmap"}},
        {"NONE.JPG", {"Failed to open file", "Could not get size of file, bailing."}},
        {"BAD.JPG", {"Could not get size of file, bailing."}},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        size_t first = ReaderMessages::Traces().size();
        LoadTexture(table, c.name, index, model.c_str());
        std::vector<std::string> expected = {"3DS: Loading texture: " + Forward(folder.File(c.name))};
        expected.insert(expected.end(), c.traces.begin(), c.traces.end());
        EXPECT_EQ(expected, TracesSince(first));
        EXPECT_EQ(kUntouched, table[index]);
        ++index;
    }
    ExpectOnlyLibraryBoxes();  // the damaged file's

    // Material 100 has no table entry: nothing is read and nothing written.
    folder.Write("OK.BMP", MakeTrueColorBmp(4, 4, 24, false, PatternAt));
    LoadTexture(table, "OK.BMP", Model3DS::kTextureCount, model.c_str());
    EXPECT_EQ(kUntouched, table[Model3DS::kTextureCount]);
}

TEST_F(MaterialTextures, JpegEndingsDecodeTheImageUpright) {
    REQUIRE_GL(gl);
    std::string model = folder.File("m.3ds");
    int index = 0;
    for (const char* name : {"a.JPG", "b.jpg", "c.JPEG", "d.jpeg", "e.Jpg"}) {
        SCOPED_TRACE(name);
        folder.Write(name, RedOverBlueJpeg(16, 8, false));
        size_t first = ReaderMessages::Traces().size();
        LoadTexture(table, name, index, model.c_str());
        EXPECT_EQ("File loaded", TracesSince(first).back());
        ASSERT_NE(kUntouched, table[index]);
        glBindTexture(GL_TEXTURE_2D, table[index]);
        int w = 0, h = 0;
        std::vector<uint8_t> texels = BoundTexels(&w, &h);
        ASSERT_EQ(16, w);
        ASSERT_EQ(8, h);
        EXPECT_TRUE(Near({0, 0, 255}, At(texels.data(), 16, 3, 0), 10));
        EXPECT_TRUE(Near({255, 0, 0}, At(texels.data(), 16, 3, 7), 10));
        ++index;
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

    Model3DS reader;
    for (uint32_t& entry : reader.textures) entry = kUntouched;
    EXPECT_TRUE(ReaderMessages::Keep(reader.Load(model.c_str())));
    EXPECT_EQ(3, reader.model.numMaterials);
    EXPECT_EQ(kUntouched, reader.textures[0]);
    EXPECT_EQ(kUntouched, reader.textures[1]);  // no file name, no texture
    ASSERT_NE(kUntouched, reader.textures[2]);
    EXPECT_TRUE(glIsTexture(reader.textures[2]));
    ExpectOnlyLibraryBoxes();
    reader.FreeMeshes();
}

TEST_F(MaterialTextures, DefaultModelLoadsWithItsTexture) {
    REQUIRE_GL(gl);
    std::string model = VELMORA_SOURCE_DIR "/resources/VLG.3DS";
    Model3DS reader;
    ASSERT_TRUE(ReaderMessages::Keep(reader.Load(model.c_str())));
    ASSERT_EQ(1, reader.model.numMaterials);
    EXPECT_STREQ("TEXTURE.JPG", reader.model.materials[0].fileName);
    EXPECT_EQ("File loaded", ReaderMessages::Traces().back());
    EXPECT_TRUE(ReaderMessages::Boxes().empty());
    ASSERT_TRUE(glIsTexture(reader.textures[0]));
    glBindTexture(GL_TEXTURE_2D, reader.textures[0]);
    int w = 0, h = 0;
    BoundTexels(&w, &h);
    EXPECT_EQ(512, w);
    EXPECT_EQ(512, h);
    reader.FreeMeshes();
}
