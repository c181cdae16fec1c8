// Pictures of today's model formats: PNG (stb_image) and JPEG (the project's decoder)
// from bytes a model file carries, and PNG, JPEG or BMP files beside the model.
#pragma once
#include <cstddef>

#include "formats/jpeg_reader.h"
#include "formats/read_result.h"

// Decodes PNG or JPEG bytes (told by their signature) into RGB rows, bottom row first.
// Pictures larger than kMaxTextureSide on a side are refused before decoding.
ReadResult DecodePictureBytes(const unsigned char* data, size_t size, JpegImage* picture);

// The same for a file: PNG and JPEG by their signature, BMP by its ending.
ReadResult DecodePictureFile(const char* path, JpegImage* picture);
