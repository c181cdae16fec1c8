// The two JPEG texture paths over a file: the 3DS reader's size query and decoding
// into a buffer of exactly the announced size, and the MS3D model's picture loader.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

#include "formats/jpeg_reader.h"
#include "formats/ms3d_model.h"
#include "fuzz/input_file.h"
#include "fuzz/quiet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SilenceReaders();
    const char* path = WriteInput("fuzz.jpg", data, size);

    JpegReader reader;
    int width = 0, height = 0;
    if (reader.QuerySize(path, &width, &height) && width > 0 && height > 0) {
        const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 3;
        std::unique_ptr<uint8_t[]> pixels(new (std::nothrow) uint8_t[bytes]);
        if (pixels) reader.Decode(path, pixels.get(), bytes);
    }

    if (std::unique_ptr<JpegImage> image = loadJpegImage(path)) {
        if (image->rowSpan != image->width * 3 || image->width <= 0 || image->height <= 0 || !image->pixels)
            __builtin_trap();
        volatile unsigned char last = image->pixels[static_cast<size_t>(image->rowSpan) * image->height - 1];
        (void)last;
    }
    return 0;
}
