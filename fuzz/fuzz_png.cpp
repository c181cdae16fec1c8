// The PNG decoder of the pictures glTF models carry, over bytes in memory.
#include <cstddef>
#include <cstdint>

#include "formats/picture_decode.h"
#include "fuzz/quiet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SilenceReaders();
    // A picture it delivers holds every row it announces; a failure leaves none.
    JpegImage image;
    const ReadResult result = DecodePictureBytes(data, size, &image);
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
