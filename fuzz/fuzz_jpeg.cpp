// The JPEG decoder of every model's textures over a file.
#include <cstddef>
#include <cstdint>

#include "formats/jpeg_reader.h"
#include "fuzz/input_file.h"
#include "fuzz/picture_check.h"
#include "fuzz/quiet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SilenceReaders();
    const char* path = WriteInput("fuzz.jpg", data, size);

    // The one decoder.
    JpegReader reader;
    JpegImage image;
    const ReadResult result = reader.Decode(path, &image);
    CheckPicture(result, image);
    return 0;
}
