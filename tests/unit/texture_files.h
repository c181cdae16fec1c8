// Image files for the 3DS texture tests: BMP files of every kind the loaders
// take, written byte by byte, and JPEG files encoded with libjpeg.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <jpeglib.h>

// A pixel colour by image position, (0, 0) the top left corner.
struct TestColor {
    uint8_t r, g, b;
};
inline bool operator==(const TestColor& a, const TestColor& b) {
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

// Distinct colours for every position of a small image.
inline TestColor PatternAt(int x, int y) {
    return {static_cast<uint8_t>(x * 7 + 1), static_cast<uint8_t>(y * 11 + 2), static_cast<uint8_t>(x * 3 + y * 5 + 3)};
}

// A folder of its own in the temporary directory, removed with the object.
class TempFolder {
public:
    explicit TempFolder(const std::string& name)
        : path(std::filesystem::temp_directory_path() / ("velmora_tex_" + name)) {
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Writes bytes to name in the folder; returns the file's path.
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        std::string file = (path / name).string();
        std::FILE* out = std::fopen(file.c_str(), "wb");
        if (out) {
            if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), out);
            std::fclose(out);
        }
        return file;
    }
    std::string File(const std::string& name) const { return (path / name).string(); }

    std::filesystem::path path;
};

inline void PutU16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
inline void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    PutU16(out, v & 0xFFFF);
    PutU16(out, v >> 16);
}

// A BMP file of width x height: 24 or 32 bits per pixel with colours from
// colorAt, or 1, 4 or 8 bits with the palette and an index per pixel from
// indexAt. Rows are stored bottom-up, or top-down with a negative height.
template <typename ColorAt, typename IndexAt>
std::vector<uint8_t> MakeBmp(int width, int height, int bitCount, bool topDown, ColorAt colorAt,
                             const std::vector<TestColor>& palette, IndexAt indexAt) {
    size_t stride = (static_cast<size_t>(width) * bitCount + 31) / 32 * 4;
    size_t paletteBytes = bitCount <= 8 ? palette.size() * 4 : 0;
    size_t pixelsAt = 14 + 40 + paletteBytes;
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    PutU32(out, static_cast<uint32_t>(pixelsAt + stride * height));
    PutU32(out, 0);
    PutU32(out, static_cast<uint32_t>(pixelsAt));
    PutU32(out, 40);
    PutU32(out, static_cast<uint32_t>(width));
    PutU32(out, static_cast<uint32_t>(topDown ? -height : height));
    PutU16(out, 1);
    PutU16(out, static_cast<uint32_t>(bitCount));
    PutU32(out, 0);  // uncompressed
    PutU32(out, static_cast<uint32_t>(stride * height));
    PutU32(out, 2835);
    PutU32(out, 2835);
    PutU32(out, bitCount <= 8 ? static_cast<uint32_t>(palette.size()) : 0);
    PutU32(out, 0);
    if (bitCount <= 8) {
        for (const TestColor& c : palette) {
            out.push_back(c.b);
            out.push_back(c.g);
            out.push_back(c.r);
            out.push_back(0);
        }
    }
    for (int stored = 0; stored < height; ++stored) {
        int y = topDown ? stored : height - 1 - stored;  // image row, 0 at the top
        std::vector<uint8_t> row(stride, 0);
        for (int x = 0; x < width; ++x) {
            if (bitCount == 24 || bitCount == 32) {
                TestColor c = colorAt(x, y);
                size_t at = static_cast<size_t>(x) * (bitCount / 8);
                row[at] = c.b;
                row[at + 1] = c.g;
                row[at + 2] = c.r;
            } else {
                unsigned index = indexAt(x, y);
                size_t bit = static_cast<size_t>(x) * bitCount;
                row[bit / 8] |= static_cast<uint8_t>(index << (8 - bitCount - bit % 8));
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

inline std::vector<uint8_t> MakeTrueColorBmp(int width, int height, int bitCount, bool topDown,
                                             TestColor (*colorAt)(int, int)) {
    return MakeBmp(width, height, bitCount, topDown, colorAt, {}, [](int, int) { return 0u; });
}

// Red in the top half, blue in the bottom half.
inline TestColor RedOverBlue(int, int y, int height) {
    return y < height / 2 ? TestColor{255, 0, 0} : TestColor{0, 0, 255};
}

// Encodes a JPEG with libjpeg. components 1 (greyscale), 3 (RGB) or 4 (CMYK);
// samples hold components bytes a pixel, rows from the top.
inline std::vector<uint8_t> EncodeJpeg(int width, int height, int components, const std::vector<uint8_t>& samples,
                                       bool progressive) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = components;
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 3 ? JCS_RGB : JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    if (progressive) jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(samples.data() + static_cast<size_t>(cinfo.next_scanline) * width * components);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::vector<uint8_t> bytes(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return bytes;
}

// An RGB JPEG, red in the top half and blue in the bottom half.
inline std::vector<uint8_t> RedOverBlueJpeg(int width, int height, bool progressive) {
    std::vector<uint8_t> samples;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            TestColor c = RedOverBlue(x, y, height);
            samples.insert(samples.end(), {c.r, c.g, c.b});
        }
    }
    return EncodeJpeg(width, height, 3, samples, progressive);
}
