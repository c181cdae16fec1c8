// make_pictures TITLE_FONT.ttf BANNER.bmp ICON.ico
// Paints the dialogs' banner (282 x 78, 24 bits) and the saver's icon
// (128 x 128, 32 bits with alpha) and writes them as Windows picture files.
#include <cstdio>

#include "tools/assetgen/file_output.h"
#include "tools/assetgen/picture_output.h"
#include "tools/assetgen/pictures.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_pictures TITLE_FONT.ttf BANNER.bmp ICON.ico\n");
        return 2;
    }
    Canvas banner(282, 78);
    if (!PaintBanner(argv[1], banner)) {
        std::fprintf(stderr, "make_pictures: cannot read the font %s\n", argv[1]);
        return 1;
    }
    Canvas icon(128, 128);
    PaintIcon(icon);
    return WriteBytes(argv[2], BmpBytes(banner.image)) && WriteBytes(argv[3], IcoBytes(icon)) ? 0 : 1;
}
