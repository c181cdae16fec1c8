#include "formats/texture_kind.h"

#include <cctype>
#include <cstring>

bool HasEnding(const char* name, size_t length, const char* ending) {
    const size_t endingLength = std::strlen(ending);
    if (length < endingLength) return false;
    const char* tail = name + length - endingLength;
    for (size_t i = 0; i < endingLength; ++i) {
        if (std::tolower(static_cast<unsigned char>(tail[i])) != ending[i]) return false;
    }
    return true;
}

TextureImageKind TextureKindForName(const char* name) {
    const size_t length = std::strlen(name);
    if (HasEnding(name, length, ".bmp")) return TextureImageKind::Bitmap;
    if (HasEnding(name, length, ".jpg") || HasEnding(name, length, ".jpeg")) return TextureImageKind::Jpeg;
    if (HasEnding(name, length, ".png")) return TextureImageKind::Png;
    if (HasEnding(name, length, ".tga")) return TextureImageKind::Targa;
    return TextureImageKind::None;
}
