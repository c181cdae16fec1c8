// The JPEG decoder of every model's textures over a file.
#include <cstddef>
#include <cstdint>

#include "formats/jpeg_reader.h"
#include "fuzz/input_file.h"
#include "fuzz/quiet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SilenceReaders();
    const char* path = WriteInput("fuzz.jpg", data, size);

    // The one decoder: a picture it delivers holds every row it announces, and a
    // failure leaves no picture behind.
    JpegReader reader;
    JpegImage image;
    const ReadResult result = reader.Decode(path, &image);
    if (result) {
        if (image.rowSpan != image.width * 3 || image.width <= 0 || image.height <= 0 || !image.pixels)
            __builtin_trap();
        volatile unsigned char last = image.pixels[static_cast<size_t>(image.rowSpan) * image.height - 1];
        (void)last;
    } else if (image.pixels) {
        __builtin_trap();
    }
    return 0;
}
