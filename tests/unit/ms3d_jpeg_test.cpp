// JPEG decoding for MS3D textures, on pictures encoded here with libjpeg: row
// order, colour spaces, and the library's errors and warnings, which show a box
// and must never end the process.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "formats/ms3d_model.h"
#include "formats/triangle_model_gl.h"
#include "tests/unit/ms3d_writer.h"

namespace {

bool Near(int actual, int expected) { return std::abs(actual - expected) <= 12; }

// The RGB pixel at column x of row y of a decoded image (row 0 at the bottom).
std::vector<int> At(const JpegImage& image, int x, int y) {
    const unsigned char* p = image.pixels.get() + static_cast<size_t>(y) * image.rowSpan + 3 * x;
    return {p[0], p[1], p[2]};
}

TEST(MS3DJpeg, DecodesRgbRowsBottomFirst) {
    MS3DMessages messages;
    std::string path = WriteTestFile("rgb.jpg", EncodeTestJpeg(24, 16, 3, RedOverBluePixels(24, 16)));
    std::unique_ptr<JpegImage> image = MS3DMessages::LoadJpeg(path.c_str());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 24);
    EXPECT_EQ(image->height, 16);
    EXPECT_EQ(image->rowSpan, 72);
    // Row 0 is the picture's bottom line (blue), the last row its top (red).
    std::vector<int> bottom = At(*image, 5, 0), top = At(*image, 5, 15);
    EXPECT_TRUE(Near(bottom[0], 0) && Near(bottom[2], 255)) << bottom[0] << "," << bottom[2];
    EXPECT_TRUE(Near(top[0], 255) && Near(top[2], 0)) << top[0] << "," << top[2];
    EXPECT_TRUE(messages.boxes().empty());
    std::remove(path.c_str());
}

TEST(MS3DJpeg, GreyscaleBecomesRgbAndCmykGivesNothing) {
    MS3DMessages messages;
    std::vector<uint8_t> grey;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 8; ++x) grey.push_back(y < 8 ? 200 : 40);
    std::string greyPath = WriteTestFile("grey.jpg", EncodeTestJpeg(8, 16, 1, grey));
    std::unique_ptr<JpegImage> image = MS3DMessages::LoadJpeg(greyPath.c_str());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->rowSpan, 24);
    std::vector<int> top = At(*image, 3, 15), bottom = At(*image, 3, 0);
    EXPECT_TRUE(Near(top[0], 200) && Near(top[1], 200) && Near(top[2], 200)) << top[0];
    EXPECT_TRUE(Near(bottom[0], 40) && Near(bottom[2], 40)) << bottom[0];

    std::string cmykPath = WriteTestFile("cmyk.jpg", EncodeTestJpeg(8, 8, 4, std::vector<uint8_t>(8 * 8 * 4, 90)));
    EXPECT_EQ(MS3DMessages::LoadJpeg(cmykPath.c_str()), nullptr);
    std::remove(greyPath.c_str());
    std::remove(cmykPath.c_str());
}

TEST(MS3DJpeg, AFileThatIsNotAJpegShowsTheLibrarysBoxAndReturns) {
    MS3DMessages messages;
    // A JPEG start-of-image marker, then no JPEG data.
    std::string path = WriteTestFile("notjpeg.jpg", {0xFF, 0xD8, 0xFF, 'B', 'M', 1, 2, 3, 4, 5, 6, 7, 8});
    EXPECT_EQ(MS3DMessages::LoadJpeg(path.c_str()), nullptr);
    ASSERT_EQ(messages.boxes().size(), 1u);
    EXPECT_EQ(messages.boxes()[0].rfind("JPEG Library Error: ", 0), 0u) << messages.boxes()[0];
    EXPECT_NE(messages.boxes()[0].find("JPEG"), std::string::npos);
    // Decoding still works afterwards: the error left no state behind.
    std::string good = WriteTestFile("afterbad.jpg", EncodeTestJpeg(8, 8, 3, RedOverBluePixels(8, 8)));
    EXPECT_NE(MS3DMessages::LoadJpeg(good.c_str()), nullptr);
    EXPECT_EQ(messages.boxes().size(), 1u);
    std::remove(path.c_str());
    std::remove(good.c_str());
}

TEST(MS3DJpeg, AFileEndingEarlyWarnsOnceAndKeepsWhatWasDecoded) {
    MS3DMessages messages;
    std::vector<uint8_t> whole = EncodeTestJpeg(64, 64, 3, RedOverBluePixels(64, 64));
    // Cut halfway through the entropy-coded data after the start-of-scan marker.
    size_t scan = 0;
    for (size_t i = 0; i + 1 < whole.size() && !scan; ++i)
        if (whole[i] == 0xFF && whole[i + 1] == 0xDA) scan = i;
    ASSERT_GT(scan, 0u);
    size_t cut = scan + (whole.size() - scan) / 2;
    std::vector<uint8_t> part(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
    std::string path = WriteTestFile("short.jpg", part);
    std::unique_ptr<JpegImage> image = MS3DMessages::LoadJpeg(path.c_str());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 64);
    EXPECT_EQ(image->height, 64);
    ASSERT_EQ(messages.boxes().size(), 1u);
    EXPECT_EQ(messages.boxes()[0].rfind("JPEG Library Error: ", 0), 0u);
    // The top of the picture was decoded before the data ran out.
    std::vector<int> top = At(*image, 10, 63);
    EXPECT_TRUE(Near(top[0], 255) && Near(top[2], 0)) << top[0] << "," << top[2];
    std::remove(path.c_str());
}

TEST(MS3DJpeg, AMissingFileIsTracedWithoutABox) {
    MS3DMessages messages;
    std::string path = ::testing::TempDir() + "velmora_ms3d_absent.jpg";
    EXPECT_EQ(MS3DMessages::LoadJpeg(path.c_str()), nullptr);
    EXPECT_TRUE(messages.boxes().empty());

    // No file name, or a file that gives no picture: no texture is made (and no GL
    // call is needed to find that out).
    TriangleModel model;
    model.materials.resize(2);
    model.materials[1].textureFile = path;
    ReadResult notices;
    LoadModelTextures(model, &notices);
    MS3DMessages::Keep(notices);
    EXPECT_TRUE(messages.boxes().empty());
    ASSERT_EQ(messages.traces().size(), 3u);
    EXPECT_EQ(messages.traces()[0], "Opening texture " + path);
    EXPECT_EQ(messages.traces()[1], "Failed to open the file");
    EXPECT_EQ(model.materials[0].texture, 0u);
    EXPECT_EQ(model.materials[1].texture, 0u);
}

}  // namespace
