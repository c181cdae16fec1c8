// BMP files without GDI: the file is read whole and decoded from memory.
#include <vector>

#include "formats/bitmap_image.h"
#include "formats/model_file.h"

bool BitmapImage::LoadBitmapFile(const char* path) {
    loaded = false;
    data.reset();
    width = height = 0;

    FileBytes bytes;
    if (!ReadModelFile(path, &bytes)) return false;
    if (!DecodeBitmapBytes(bytes.data(), bytes.size(), *this)) return false;
    loaded = true;
    SwapRedBlue();
    return loaded;
}
