// One BMP image as 24-bit pixels: red, green, blue per pixel, bottom row first,
// rows packed without padding (the order GL takes for texture row 0).
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class BitmapImage {
public:
    // Starts empty, then loads the file.
    explicit BitmapImage(const char* path);

    // Reads the file's pixels into data (blue, green, red per pixel as the file
    // holds them), then swaps them to red, green, blue. False, with no data,
    // when the file does not load as a bitmap. The platform's own bitmap reader
    // does the work where there is one.
    bool LoadBitmapFile(const char* path);
    // Exchanges the first and third byte of every pixel.
    void SwapRedBlue();

    std::unique_ptr<uint8_t[]> data;
    int32_t width = 0;
    int32_t height = 0;
    bool loaded = false;
};

// Decodes a BMP file held in memory into image (bottom row first, blue, green,
// red per pixel, rows packed): 24- and 32-bit, and 8-, 4- and 1-bit paletted
// files, uncompressed, stored bottom-up or top-down. False for anything else
// and for any count or size the bytes do not hold.
bool DecodeBitmapBytes(const uint8_t* bytes, size_t size, BitmapImage& image);

// What a BMP file's headers promise before any pixel is read: a layout that
// DecodeBitmapBytes reads, a file that cannot hold what its headers announce
// (or is no BMP file), or a valid layout of another kind (compressed, 16-bit).
enum class BitmapLayoutCheck { Readable, Damaged, Unsupported };
// topDown, when given, receives whether the rows are stored top row first.
BitmapLayoutCheck CheckBitmapLayout(const uint8_t* bytes, size_t size, bool* topDown);

