#include "tools/assetgen/picture_output.h"

#include <cmath>

namespace {

void U16(std::vector<std::uint8_t>& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void U32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    U16(b, v & 0xFFFF);
    U16(b, v >> 16);
}

std::uint8_t Byte(double v) { return static_cast<std::uint8_t>(std::lround(Clamp01(v) * 255.0)); }

// BITMAPINFOHEADER with no palette.
void InfoHeader(std::vector<std::uint8_t>& b, int width, int height, int bits, std::uint32_t imageSize) {
    U32(b, 40);
    U32(b, static_cast<std::uint32_t>(width));
    U32(b, static_cast<std::uint32_t>(height));
    U16(b, 1);  // planes
    U16(b, static_cast<std::uint32_t>(bits));
    U32(b, 0);  // BI_RGB
    U32(b, imageSize);
    U32(b, 2835);  // 72 dots per inch
    U32(b, 2835);
    U32(b, 0);
    U32(b, 0);
}

}  // namespace

std::vector<std::uint8_t> BmpBytes(const Image& image) {
    const std::uint32_t stride = (static_cast<std::uint32_t>(image.width) * 3 + 3) & ~3u;
    const std::uint32_t pixelBytes = stride * static_cast<std::uint32_t>(image.height);
    const std::uint32_t offset = 14 + 40;
    std::vector<std::uint8_t> b;
    b.push_back('B');
    b.push_back('M');
    U32(b, offset + pixelBytes);
    U32(b, 0);
    U32(b, offset);
    InfoHeader(b, image.width, image.height, 24, pixelBytes);
    for (int y = image.height - 1; y >= 0; --y) {
        const size_t rowStart = b.size();
        for (int x = 0; x < image.width; ++x) {
            const Colour& c = image.at(x, y);
            b.push_back(Byte(c.b));
            b.push_back(Byte(c.g));
            b.push_back(Byte(c.r));
        }
        while (b.size() - rowStart < stride) b.push_back(0);
    }
    return b;
}

std::vector<std::uint8_t> IcoBytes(const Canvas& canvas) {
    const Image& image = canvas.image;
    const std::uint32_t maskStride = ((static_cast<std::uint32_t>(image.width) + 31) / 32) * 4;
    const std::uint32_t colourBytes = static_cast<std::uint32_t>(image.width) * image.height * 4;
    const std::uint32_t maskBytes = maskStride * static_cast<std::uint32_t>(image.height);
    const std::uint32_t imageBytes = 40 + colourBytes + maskBytes;
    std::vector<std::uint8_t> b;
    U16(b, 0);  // ICONDIR: reserved, type 1 (icon), one image
    U16(b, 1);
    U16(b, 1);
    b.push_back(static_cast<std::uint8_t>(image.width & 0xFF));  // ICONDIRENTRY; 0 would mean 256
    b.push_back(static_cast<std::uint8_t>(image.height & 0xFF));
    b.push_back(0);  // no palette
    b.push_back(0);
    U16(b, 1);   // planes
    U16(b, 32);  // bits per pixel
    U32(b, imageBytes);
    U32(b, 6 + 16);  // the image follows the directory
    // The image: its header counts the colour rows and the mask rows together.
    InfoHeader(b, image.width, image.height * 2, 32, colourBytes + maskBytes);
    for (int y = image.height - 1; y >= 0; --y)
        for (int x = 0; x < image.width; ++x) {
            const Colour& c = image.at(x, y);
            b.push_back(Byte(c.b));
            b.push_back(Byte(c.g));
            b.push_back(Byte(c.r));
            b.push_back(Byte(canvas.alpha[static_cast<size_t>(y) * image.width + x]));
        }
    for (int y = image.height - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(maskStride, 0);
        for (int x = 0; x < image.width; ++x)
            if (Byte(canvas.alpha[static_cast<size_t>(y) * image.width + x]) == 0)
                row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}
