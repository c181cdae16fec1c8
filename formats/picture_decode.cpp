#include "formats/picture_decode.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_NO_FAILURE_STRINGS
#include <stb/stb_image.h>

#include "formats/bitmap_image.h"
#include "formats/texture_kind.h"
#include "formats/texture_size.h"
#include "formats/model_file.h"
#include "platform/trace.h"

namespace {

bool IsPng(const unsigned char* data, size_t size) {
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    return size >= sizeof kSignature && std::memcmp(data, kSignature, sizeof kSignature) == 0;
}

bool IsJpeg(const unsigned char* data, size_t size) { return size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF; }

// Copies rows of `width` x 3 bytes given top row first into picture, bottom row first.
void TakeRowsUpsideDown(const unsigned char* rows, int width, int height, JpegImage* picture) {
    const size_t rowSpan = static_cast<size_t>(width) * 3;
    picture->pixels.reset(new unsigned char[rowSpan * static_cast<size_t>(height)]);
    for (int y = 0; y < height; ++y)
        std::memcpy(picture->pixels.get() + static_cast<size_t>(height - 1 - y) * rowSpan, rows + y * rowSpan, rowSpan);
    picture->width = width;
    picture->height = height;
    picture->rowSpan = static_cast<int32_t>(rowSpan);
}

uint32_t BigEndian32(const unsigned char* bytes) {
    return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 | bytes[3];
}

// What a walk over a PNG's chunks finds before the decoder sees them.
struct PngChunks {
    bool withinBytes = true;        // every chunk's length fits the bytes left
    bool emptyPictureChunk = false;  // an IDAT of no bytes
    uint64_t pictureBytes = 0;      // the IDAT chunks' bytes together
};

PngChunks WalkPngChunks(const unsigned char* data, size_t size) {
    PngChunks chunks;
    size_t at = 8;
    for (; size - at >= 12; at += 12 + size_t{BigEndian32(data + at)}) {
        const uint32_t length = BigEndian32(data + at);
        if (length > size - at - 12) break;
        if (std::memcmp(data + at + 4, "IDAT", 4) == 0) {
            chunks.pictureBytes += length;
            chunks.emptyPictureChunk |= length == 0;
        }
        if (std::memcmp(data + at + 4, "IEND", 4) == 0) return chunks;
    }
    // A chunk longer than the bytes left, or part of one at the end.
    chunks.withinBytes = at == size;
    return chunks;
}

// Whether the PNG's chunks lie within its bytes and its picture data could hold the
// rows its header announces. The decoder allocates a chunk's announced length before
// reading it, and the whole picture before inflating: a damaged length or header in a
// file of a few hundred bytes would cost hundreds of MB before the fault shows.
bool PngFitsItsBytes(const unsigned char* data, size_t size, const PngChunks& chunks) {
    // The signature, then IHDR: length, name, width, height, depth, colour type.
    constexpr size_t kHeaderEnd = 8 + 8 + 10;
    if (size < kHeaderEnd || !chunks.withinBytes) return false;
    const uint64_t width = BigEndian32(data + 16), height = BigEndian32(data + 20);
    const unsigned depth = data[24];
    static const unsigned kChannels[7] = {1, 0, 3, 1, 2, 0, 4};  // by colour type
    const unsigned channels = data[25] < 7 ? kChannels[data[25]] : 0;
    if (channels == 0 || depth == 0 || depth > 16) return true;  // the decoder names the fault
    // Each row: a filter byte and its samples; an interlaced picture only has more.
    // Deflate turns at best 2 bits into 258 bytes.
    const uint64_t rowBytes = (width * channels * depth + 7) / 8;
    const uint64_t rawBytes = height * (1 + rowBytes);
    constexpr uint64_t kDeflateBestRatio = 1032;
    return rawBytes / kDeflateBestRatio <= chunks.pictureBytes;
}

// The file without its empty IDAT chunks, which carry nothing: the decoder would copy
// an empty first one into a buffer it has not made yet (a null pointer).
std::vector<unsigned char> WithoutEmptyPictureChunks(const unsigned char* data, size_t size) {
    std::vector<unsigned char> kept(data, data + 8);
    for (size_t at = 8; size - at >= 12;) {
        const size_t length = BigEndian32(data + at);
        if (length > size - at - 12) break;
        if (length != 0 || std::memcmp(data + at + 4, "IDAT", 4) != 0)
            kept.insert(kept.end(), data + at, data + at + 12 + length);
        if (std::memcmp(data + at + 4, "IEND", 4) == 0) break;
        at += 12 + length;
    }
    return kept;
}

ReadResult DecodePng(const unsigned char* data, size_t size, JpegImage* picture) {
    ReadResult result;
    if (size > 0x7FFFFFFF) return result.fail(ReadFailure::TooLarge);
    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_memory(data, static_cast<int>(size), &width, &height, &channels))
        return result.fail(ReadFailure::NotThisFormat);
    if (!IsAcceptedTextureSize(static_cast<size_t>(width), static_cast<size_t>(height))) {
        TraceF("Texture of %dx%d pixels is too large", width, height);
        return result.fail(ReadFailure::TooLarge);
    }
    const PngChunks chunks = WalkPngChunks(data, size);
    if (!PngFitsItsBytes(data, size, chunks)) {
        TraceF("Texture of %dx%d pixels is cut short", width, height);
        return result.fail(ReadFailure::Truncated);
    }
    std::vector<unsigned char> mended;
    if (chunks.emptyPictureChunk) {
        mended = WithoutEmptyPictureChunks(data, size);
        data = mended.data();
        size = mended.size();
    }
    std::unique_ptr<unsigned char, void (*)(void*)> rows(
        stbi_load_from_memory(data, static_cast<int>(size), &width, &height, &channels, 3), stbi_image_free);
    if (!rows) return result.fail(ReadFailure::Truncated);
    try {
        TakeRowsUpsideDown(rows.get(), width, height, picture);
    } catch (const std::bad_alloc&) {
        return result.fail(ReadFailure::TooLarge);
    }
    return result;
}

}  // namespace

ReadResult DecodePictureBytes(const unsigned char* data, size_t size, JpegImage* picture) {
    if (data && IsPng(data, size)) return DecodePng(data, size, picture);
    if (data && IsJpeg(data, size)) return JpegReader().DecodeBytes(data, size, picture);
    return ReadResult().fail(ReadFailure::Unsupported, "a picture that is neither PNG nor JPEG");
}

ReadResult DecodePictureFile(const char* path, JpegImage* picture) {
    if (TextureKindForName(path) == TextureImageKind::Bitmap) {
        std::FILE* file = std::fopen(path, "rb");
        if (!file) return ReadResult().fail(ReadFailure::CannotOpen);
        std::fclose(file);
        BitmapImage bitmap(path);
        if (!bitmap.loaded) return ReadResult().fail(ReadFailure::NotThisFormat, "not a readable BMP picture");
        picture->width = bitmap.width;
        picture->height = bitmap.height;
        picture->rowSpan = bitmap.width * 3;
        picture->pixels.reset(bitmap.data.release());
        return ReadResult();
    }
    FileBytes bytes;
    ReadResult read = ReadModelFile(path, &bytes);
    if (!read) return read;
    return DecodePictureBytes(bytes.data(), bytes.size(), picture);
}
