// PNG pictures of glTF models: damaged lengths and headers are refused before the
// decoder sets memory aside for them; a picture packed as tightly as deflate allows,
// or with an empty picture chunk first, still decodes.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "formats/picture_decode.h"
#include "tests/unit/model3ds_test_support.h"

namespace {

void Put32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void PutChunk(std::vector<uint8_t>& out, const char* name, const std::vector<uint8_t>& payload) {
    Put32(out, static_cast<uint32_t>(payload.size()));
    std::vector<uint8_t> named(name, name + 4);
    named.insert(named.end(), payload.begin(), payload.end());
    out.insert(out.end(), named.begin(), named.end());
    Put32(out, static_cast<uint32_t>(crc32(0, named.data(), static_cast<uInt>(named.size()))));
}

// A greyscale PNG of one bit a pixel, every pixel black: about a thousand raw bytes
// for every byte of picture data, near deflate's best.
std::vector<uint8_t> BlackPng(uint32_t width, uint32_t height, bool emptyChunkFirst = false) {
    std::vector<uint8_t> rows(static_cast<size_t>(height) * (1 + (width + 7) / 8), 0);
    uLongf packedSize = compressBound(static_cast<uLong>(rows.size()));
    std::vector<uint8_t> packed(packedSize);
    compress2(packed.data(), &packedSize, rows.data(), static_cast<uLong>(rows.size()), 9);
    packed.resize(packedSize);

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<uint8_t> header;
    Put32(header, width);
    Put32(header, height);
    header.insert(header.end(), {1, 0, 0, 0, 0});  // depth 1, grey, no interlacing
    PutChunk(png, "IHDR", header);
    if (emptyChunkFirst) PutChunk(png, "IDAT", {});
    PutChunk(png, "IDAT", packed);
    PutChunk(png, "IEND", {});
    return png;
}

std::string LastTrace() {
    const std::vector<std::string>& traces = ReaderMessages::Traces();
    return traces.empty() ? std::string() : traces.back();
}

TEST(PngPictures, DamagedLengthsAndHeadersAreRefusedBeforeDecoding) {
    ReaderMessages messages;
    const std::vector<uint8_t> tight = BlackPng(2048, 2048);
    JpegImage picture;
    ASSERT_TRUE(DecodePictureBytes(tight.data(), tight.size(), &picture));
    EXPECT_EQ(picture.width, 2048);
    EXPECT_EQ(picture.height, 2048);
    EXPECT_EQ(picture.pixels[0], 0);

    // The same data announcing eight times the rows cannot hold them.
    std::vector<uint8_t> taller = tight;
    taller[22] = 8192 >> 8;  // the height's third byte, big-endian
    JpegImage none;
    EXPECT_FALSE(DecodePictureBytes(taller.data(), taller.size(), &none));
    EXPECT_EQ(LastTrace(), "Texture of 2048x8192 pixels is cut short");

    // A chunk longer than the bytes left.
    std::vector<uint8_t> cut(tight.begin(), tight.end() - 40);
    EXPECT_FALSE(DecodePictureBytes(cut.data(), cut.size(), &none));
    EXPECT_EQ(LastTrace(), "Texture of 2048x2048 pixels is cut short");

    EXPECT_FALSE(none.pixels);

    // An empty picture chunk before the picture's bytes carries nothing and is passed over.
    const std::vector<uint8_t> empty = BlackPng(16, 16, true);
    JpegImage small;
    ASSERT_TRUE(DecodePictureBytes(empty.data(), empty.size(), &small));
    EXPECT_EQ(small.width, 16);
}

}  // namespace
