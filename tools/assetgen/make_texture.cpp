// make_texture OUTPUT.jpg
// Paints the lodge's texture and writes it as a 512 x 512 progressive JPEG.
#include <cstdio>

#include "tools/assetgen/file_output.h"
#include "tools/assetgen/jpeg_output.h"
#include "tools/assetgen/texture_painter.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_texture OUTPUT.jpg\n");
        return 2;
    }
    return WriteBytes(argv[1], EncodeProgressiveJpeg(PaintLodgeTexture(), 90)) ? 0 : 1;
}
