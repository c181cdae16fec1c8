// The JPEG decoder of every model's textures: libjpeg turns a file's bytes into red,
// green, blue rows, bottom row first (the order GL takes for texture row 0).
#pragma once
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "formats/read_result.h"

// A decoded picture as RGB rows, bottom row first, packed without padding.
struct JpegImage {
    int32_t rowSpan = 0;  // bytes per row: width times 3
    int32_t width = 0;
    int32_t height = 0;
    std::unique_ptr<unsigned char[]> pixels;  // rowSpan * height bytes
};

// libjpeg's standard error manager followed by the recovery point of the decoding
// call in progress and the library's messages of that call. The error manager comes
// first, so the library's pointer to it is also a pointer to the trap.
struct JpegErrorTrap {
    jpeg_error_mgr pub;
    std::jmp_buf setjmpBuffer;
    std::vector<std::string>* messages;
};

// The error exit placed in the trap: the library's message is kept, then control
// returns to the recovery point.
void OnJpegError(j_common_ptr cinfo);

class JpegReader {
public:
    // Decodes the whole file into image, as RGB. Failures: the file does not open;
    // the library cannot read it (not this format, or truncated when the error came
    // after the picture's size was known); a colour space without an RGB form
    // (unsupported); a picture larger than kMaxTextureSide on a side (too large,
    // refused before the library takes memory for it). Every message of the library
    // (its error, or the first warning of a picture it could still decode) comes back
    // as a "JPEG Library Error" notice.
    ReadResult Decode(const char* path, JpegImage* image);
    // The same for a JPEG file's bytes held in memory (a picture a model file carries).
    ReadResult DecodeBytes(const unsigned char* data, size_t size, JpegImage* image);
};
