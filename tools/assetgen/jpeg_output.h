// Encoding an image as a progressive JPEG file with libjpeg.
#pragma once
#include <cstdint>
#include <vector>

#include "tools/assetgen/image.h"

// Three components (YCbCr from RGB), progressive scans, the given quality.
std::vector<std::uint8_t> EncodeProgressiveJpeg(const Image& image, int quality);
