// The BMP texture path over a file: the layout check, then the portable decoder the
// saver uses for every layout it reads itself, and the red-blue swap.
#include <cstddef>
#include <cstdint>

#include "formats/bitmap_image.h"
#include "fuzz/input_file.h"
#include "fuzz/quiet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SilenceReaders();
    bool topDown = false;
    const BitmapLayoutCheck check = CheckBitmapLayout(data, size, &topDown);

    BitmapImage image(WriteInput("fuzz.bmp", data, size));
    if (image.loaded) {
        if (check != BitmapLayoutCheck::Readable || image.width <= 0 || image.height <= 0 || !image.data)
            __builtin_trap();
        volatile uint8_t last = image.data[static_cast<size_t>(image.width) * image.height * 3 - 1];
        (void)last;
    }
    return 0;
}
