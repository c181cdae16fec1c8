// The largest picture a texture file may announce. A damaged file of a hundred bytes
// can announce a picture of gigabytes, which would be allocated and decoded (as
// filler) before anything could be drawn; the texture builder scales every picture
// down to the OpenGL implementation's own limit anyway, so larger ones gain nothing.
#pragma once
#include <cstddef>

#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
// A fuzzer runs millions of damaged files, most of which announce pictures near the
// cap: a lower one keeps each run short (no allocating and filling of 200 MB for a
// file of a few hundred bytes) while every branch of the check stays reachable.
constexpr size_t kMaxTextureSide = 1024;
#else
constexpr size_t kMaxTextureSide = 8192;
#endif

inline bool IsAcceptedTextureSize(size_t width, size_t height) {
    return width > 0 && height > 0 && width <= kMaxTextureSide && height <= kMaxTextureSide;
}
