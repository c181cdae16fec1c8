// Windows picture files: a 24-bit BMP and a one-image 32-bit ICO.
#pragma once
#include <cstdint>
#include <vector>

#include "tools/assetgen/canvas.h"

// A bottom-up 24-bit BMP (BITMAPINFOHEADER, rows padded to 4 bytes).
std::vector<std::uint8_t> BmpBytes(const Image& image);

// An icon file with one image of the canvas's size (at most 256 x 256): a
// 32-bit BGRA bitmap with its alpha, then the 1-bit mask that marks fully
// transparent pixels.
std::vector<std::uint8_t> IcoBytes(const Canvas& canvas);
