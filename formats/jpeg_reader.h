// JPEG texture files of the 3DS model, decoded with libjpeg into red, green,
// blue rows, bottom row first (the order GL takes for texture row 0).
#pragma once
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include <jpeglib.h>

// libjpeg's standard error manager followed by the recovery point of the
// decoding call in progress. The error manager comes first, so the library's
// pointer to it is also a pointer to the trap.
struct JpegErrorTrap {
    jpeg_error_mgr pub;
    std::jmp_buf setjmpBuffer;
};

// The error exit placed in the trap: the library's message is shown in the
// "JPEG Library Error" box, then control returns to the recovery point.
void OnJpegError(j_common_ptr cinfo);
// The message output placed in the trap: the library's text in that box.
void ShowJpegMessage(j_common_ptr cinfo);

class JpegReader {
public:
    // The size of the image that Decode delivers. False when the file does not
    // open, is not a JPEG image libjpeg can turn into RGB, or announces a picture
    // larger than kMaxTextureSide on a side.
    bool QuerySize(const char* path, int* width, int* height);
    // Decodes the file into destination, capacity bytes long, which must hold
    // width x height x 3 bytes of the image; RGB, bottom row first. False when
    // the file does not open, does not decode, cannot become RGB or no longer
    // fits destination.
    bool Decode(const char* path, uint8_t* destination, size_t capacity);
};
