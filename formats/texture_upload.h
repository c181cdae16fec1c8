// Handing decoded pictures to GL: one texture from packed RGB rows.
#pragma once
#include <cstdint>

#include "formats/triangle_model.h"

// Fills texture `name` from width x height RGB pixels, rows packed without padding,
// bottom row first; null pixels leave it without an image. A mipmapped filter gets
// GLU's smaller levels; a linear one only the picture itself, through GLU as well
// when its sides are no powers of two or beyond the implementation's limit (GLU
// scales it to what OpenGL 1.1 takes). The magnifying filter is linear. The unpack
// alignment and the texture bound before the call are as they were afterwards.
// Needs a current GL context.
void UploadRgbTexture(uint32_t name, const unsigned char* pixels, int width, int height, TextureFilter filter);
