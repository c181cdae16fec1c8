// What every target of a picture decoder checks: a picture it delivers holds every row
// it announces (AddressSanitizer reports a last byte that cannot be read), and a
// failure leaves no picture behind.
#pragma once
#include <cstddef>

#include "formats/jpeg_reader.h"
#include "formats/read_result.h"

inline void CheckPicture(const ReadResult& result, const JpegImage& image) {
    if (result) {
        if (image.rowSpan != image.width * 3 || image.width <= 0 || image.height <= 0 || !image.pixels)
            __builtin_trap();
        volatile unsigned char last = image.pixels[static_cast<size_t>(image.rowSpan) * image.height - 1];
        (void)last;
    } else if (image.pixels) {
        __builtin_trap();
    }
}
