// The largest picture a texture file may announce. A damaged file of a hundred bytes
// can announce a picture of gigabytes, which would be allocated and decoded (as
// filler) before anything could be drawn; the texture builder scales every picture
// down to the OpenGL implementation's own limit anyway, so larger ones gain nothing.
#pragma once
#include <cstddef>

constexpr size_t kMaxTextureSide = 8192;

inline bool IsAcceptedTextureSize(size_t width, size_t height) {
    return width > 0 && height > 0 && width <= kMaxTextureSide && height <= kMaxTextureSide;
}
