// Handing decoded pictures to GL: one mipmapped texture from packed RGB rows.
#pragma once
#include <cstdint>

// Fills texture `name` from width x height RGB pixels, rows packed without padding,
// bottom row first, with GLU's mipmap levels; null pixels leave it without an image.
// Sets the minifying filter given and a linear magnifying filter. The unpack
// alignment and the texture bound before the call are as they were afterwards.
// Needs a current GL context.
void UploadRgbTexture(uint32_t name, const unsigned char* pixels, int width, int height, int minFilter);
