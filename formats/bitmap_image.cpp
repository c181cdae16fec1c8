// The platform-independent side of BitmapImage.
#include "formats/bitmap_image.h"

#include <cstdio>
#include <utility>

#include "platform/little_endian.h"

BitmapImage::BitmapImage(const char* path) {
    LoadBitmapFile(path);
}

void BitmapImage::SwapRedBlue() {
    if (!data || width <= 0 || height <= 0) return;
    size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    uint8_t* pixel = data.get();
    for (size_t i = 0; i < count; ++i, pixel += 3) std::swap(pixel[0], pixel[2]);
}

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kCompressionNone = 0;
constexpr uint32_t kCompressionBitFields = 3;
// Larger sides than this are refused before any size arithmetic.
constexpr int64_t kMaxSide = 1 << 16;

uint32_t U32At(const uint8_t* bytes) {
    return LittleEndian32(bytes);
}

struct Layout {
    int64_t width = 0;
    int64_t height = 0;  // always positive; topDown tells the row order
    bool topDown = false;
    uint32_t bitCount = 0;
    uint32_t compression = kCompressionNone;
    size_t paletteAt = 0;
    size_t paletteEntrySize = 4;
    uint32_t paletteCount = 0;
    size_t pixelsAt = 0;
};

constexpr BitmapLayoutCheck kDamaged = BitmapLayoutCheck::Damaged;
constexpr BitmapLayoutCheck kUnsupported = BitmapLayoutCheck::Unsupported;

// Reads both headers, checking every field against the bytes there are.
BitmapLayoutCheck ReadLayout(const uint8_t* bytes, size_t size, Layout& layout) {
    if (!bytes || size < kFileHeaderSize + 4 || bytes[0] != 'B' || bytes[1] != 'M') return kDamaged;
    layout.pixelsAt = U32At(bytes + 10);
    uint32_t headerSize = U32At(bytes + kFileHeaderSize);
    if (headerSize > size - kFileHeaderSize) return kDamaged;
    if (headerSize != kCoreHeaderSize && headerSize < kInfoHeaderSize) return kUnsupported;
    const uint8_t* header = bytes + kFileHeaderSize;
    uint32_t colorsUsed = 0;
    if (headerSize == kCoreHeaderSize) {
        layout.width = LittleEndian16(header + 4);
        layout.height = LittleEndian16(header + 6);
        layout.bitCount = LittleEndian16(header + 10);
        layout.paletteEntrySize = 3;
    } else {
        layout.width = static_cast<int32_t>(U32At(header + 4));
        layout.height = static_cast<int32_t>(U32At(header + 8));
        layout.bitCount = LittleEndian16(header + 14);
        layout.compression = U32At(header + 16);
        colorsUsed = U32At(header + 32);
    }
    if (layout.height < 0) {
        layout.topDown = true;
        layout.height = -layout.height;
    }
    if (layout.width <= 0 || layout.height <= 0 || layout.width > kMaxSide || layout.height > kMaxSide) return kDamaged;

    size_t afterHeader = kFileHeaderSize + headerSize;
    if (layout.compression == kCompressionBitFields) {
        // Only 32-bit pixels whose masks are the plain blue, green, red bytes.
        if (layout.bitCount != 32) return kUnsupported;
        size_t masksAt = headerSize >= kInfoHeaderSize + 12 ? kFileHeaderSize + kInfoHeaderSize : afterHeader;
        if (masksAt + 12 > size) return kDamaged;
        if (U32At(bytes + masksAt) != 0x00FF0000u || U32At(bytes + masksAt + 4) != 0x0000FF00u ||
            U32At(bytes + masksAt + 8) != 0x000000FFu) {
            return kUnsupported;
        }
        if (masksAt == afterHeader) afterHeader += 12;
    } else if (layout.compression != kCompressionNone) {
        return kUnsupported;
    }

    switch (layout.bitCount) {
        case 1:
        case 4:
        case 8:
            layout.paletteCount = colorsUsed ? colorsUsed : (1u << layout.bitCount);
            if (layout.paletteCount > 256) return kDamaged;
            break;
        case 24:
        case 32:
            break;
        default:
            return kUnsupported;
    }
    layout.paletteAt = afterHeader;
    if (layout.paletteCount * layout.paletteEntrySize > size - afterHeader) return kDamaged;
    if (layout.pixelsAt > size) return kDamaged;
    // Every row, padded to 4 bytes, lies inside the file.
    size_t stride = (static_cast<size_t>(layout.width) * layout.bitCount + 31) / 32 * 4;
    if (stride * static_cast<size_t>(layout.height) > size - layout.pixelsAt) return kDamaged;
    return BitmapLayoutCheck::Readable;
}

}  // namespace

BitmapLayoutCheck CheckBitmapLayout(const uint8_t* bytes, size_t size, bool* topDown) {
    Layout layout;
    BitmapLayoutCheck check = ReadLayout(bytes, size, layout);
    if (topDown) *topDown = layout.topDown;
    return check;
}

bool DecodeBitmapBytes(const uint8_t* bytes, size_t size, BitmapImage& image) {
    image.data.reset();
    image.width = image.height = 0;
    Layout layout;
    if (ReadLayout(bytes, size, layout) != BitmapLayoutCheck::Readable) return false;

    size_t width = static_cast<size_t>(layout.width);
    size_t height = static_cast<size_t>(layout.height);
    size_t stride = (width * layout.bitCount + 31) / 32 * 4;

    uint8_t palette[256][3] = {};
    for (uint32_t i = 0; i < layout.paletteCount; ++i) {
        const uint8_t* entry = bytes + layout.paletteAt + i * layout.paletteEntrySize;
        palette[i][0] = entry[0];  // blue, green, red as the file keeps them
        palette[i][1] = entry[1];
        palette[i][2] = entry[2];
    }

    std::unique_ptr<uint8_t[]> pixels(new uint8_t[width * height * 3]);
    for (size_t row = 0; row < height; ++row) {
        size_t sourceRow = layout.topDown ? height - 1 - row : row;
        const uint8_t* source = bytes + layout.pixelsAt + sourceRow * stride;
        uint8_t* out = pixels.get() + row * width * 3;
        for (size_t x = 0; x < width; ++x, out += 3) {
            const uint8_t* color;
            switch (layout.bitCount) {
                case 24:
                    color = source + x * 3;
                    break;
                case 32:
                    color = source + x * 4;
                    break;
                default: {
                    size_t bit = x * layout.bitCount;
                    unsigned shift = 8 - layout.bitCount - static_cast<unsigned>(bit % 8);
                    unsigned index = (source[bit / 8] >> shift) & ((1u << layout.bitCount) - 1);
                    // An index beyond the palette shows its first colour.
                    color = palette[index < layout.paletteCount ? index : 0];
                    break;
                }
            }
            out[0] = color[0];
            out[1] = color[1];
            out[2] = color[2];
        }
    }
    image.data = std::move(pixels);
    image.width = static_cast<int32_t>(width);
    image.height = static_cast<int32_t>(height);
    return true;
}
