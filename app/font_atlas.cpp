#include "app/font_atlas.h"

#include <cstddef>
#include <cstring>

// The embedded resources/font_atlas.pgm, written at build time.
extern const std::uint8_t fontAtlasFile[];
extern const std::size_t fontAtlasFileSize;

const std::uint8_t* FontAtlasPixels() {
    static const char kHeader[] = "P5\n512 256\n255\n";
    constexpr std::size_t kHeaderSize = sizeof kHeader - 1;
    static_assert(kFontAtlasWidth == 512 && kFontAtlasHeight == 256, "the header names the atlas size");
    if (fontAtlasFileSize != kHeaderSize + kFontAtlasWidth * kFontAtlasHeight ||
        std::memcmp(fontAtlasFile, kHeader, kHeaderSize) != 0)
        return nullptr;
    return fontAtlasFile + kHeaderSize;
}
