#include "formats/picture_decode.h"

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
