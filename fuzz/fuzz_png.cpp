// The PNG decoder of the pictures glTF models carry, over bytes in memory.
#include <cstddef>
#include <cstdint>

#include "formats/picture_decode.h"
#include "fuzz/picture_check.h"
#include "fuzz/quiet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SilenceReaders();
    JpegImage image;
    const ReadResult result = DecodePictureBytes(data, size, &image);
    CheckPicture(result, image);
    return 0;
}
